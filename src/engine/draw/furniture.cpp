#include "furniture.h"

#include "engine/convert.h"
#include "engine/state/enginestate.h"
#include "engine/state/platformservices.h"
#include "printer/printingsystem.h"
#include "surface.h"
#include "textprimitives.h"

#include <quillon/error.h>
#include <quillon/myprint.h>

namespace quillon {

namespace {

QDate &fixedDate()
{
    static QDate date;
    return date;
}

Surface &target()
{
    return *engineState().DrawTarget;
}

qint32 z(double pageTwips)
{
    return roundHalfEven(pageTwips * engineState().ZoomRate);
}

void printAt(qint32 x, qint32 y, const QString &text)
{
    EngineState &s = engineState();
    Surface &surface = target();
    surface.setCurrentX(x);
    surface.setCurrentY(y);
    surface.Print(text);
    s.CurX = x;
    s.CurY = y;
}

/// The title spread out to at least minLength characters: each followed by a blank.
QString spreadOut(const QString &title, int minLength)
{
    const QList<uint> chars = title.toUcs4();
    if (chars.size() >= minLength)
        return title;
    QString spread;
    for (uint c : chars)
        spread += QString::fromUcs4(reinterpret_cast<const char32_t *>(&c), 1) + QLatin1Char(' ');
    return spread;
}

/// The newline value of a line entry: 0 puts the entry on the line of the one before.
qint32 newlineOf(const QString &text)
{
    if (const auto value = LineTable::newlineValue(text))
        return *value;
    throw Error(13, QStringLiteral("Type mismatch: the newline value “%1” is not a number").arg(text));
}

enum class Lines { Head, Foot };

void drawLines(Lines which)
{
    EngineState &s = engineState();
    MyPrint &print = *s.printObject();
    const LineTable &table = which == Lines::Head ? s.HeadLines : s.FootLines;
    const FontSpec &font = s.FontTable[which == Lines::Head ? 2 : 6];
    const double zoom = s.ZoomRate;
    const double X = s.PageOriginX;
    const double W = s.PageWidthTw;
    const PrinterSurface *printer = printingSystem().currentPrinter();
    const bool colour = s.Format.ColorPrint == 1 && printer && printer->ColorMode() == 2;

    qint32 prevStart = 0;
    qint32 prevEnd = 0;
    for (qsizetype i = 1; i <= table.lastRow(); ++i) {
        QString text = table.cell(i, LineTable::Text);
        if (which == Lines::Head && i == table.lastRow()
            && print.CallMod() == QStringLiteral("凭证") && s.RowPageCount > 1)
            text += QStringLiteral("(%1/%2)").arg(s.CurRowPage).arg(s.RowPageCount);
        const TextSize size = ApplyFont(text, font);
        const double w = size.width;
        const QString code = table.cell(i, LineTable::Alignment);

        qint32 x = s.CurX;
        const auto centred = [&] { return z((W - w) / 2 + X); };
        const auto right = [&] { return z(W + X - w); };
        if (code == QLatin1String("-1")) {
            x = prevStart - roundHalfEven(w * zoom);
        } else if (code == QLatin1String("0")) {
            x = prevEnd;
        } else if (code == QLatin1String("1")) {
            x = z(X);
        } else if (which == Lines::Head) {
            if (code == QLatin1String("3"))
                x = centred();
            else if (code == QLatin1String("2"))
                x = z(W / 5 + X);
            else if (code == QLatin1String("4"))
                x = z(3 * W / 5 + X);
            else if (code == QLatin1String("5"))
                x = right();
        } else if (code == QLatin1String("-2")) {
            x = centred();
        } else if (code == QString::number(print.FootCount())) {
            x = right();
        } else if (const auto k = toLong(code)) {
            // FootCount evenly spaced columns; with one column or none, the left edge.
            const int columns = print.FootCount();
            x = columns > 1 ? z((*k - 1) * W / (columns - 1) + X) : z(X);
        }

        if (newlineOf(table.cell(i, LineTable::Newline)) == 0)
            s.PageOriginY -= size.height + 50;
        if (colour)
            target().setForeColor(font.Color);
        printAt(x, z(s.PageOriginY), text);
        prevStart = x;
        prevEnd = x + roundHalfEven(w * zoom);
        s.PageOriginY += size.height + 50;
    }
}

} // namespace

QDate printDate()
{
    return fixedDate().isValid() ? fixedDate() : QDate::currentDate();
}

void setPrintDateForTesting(const QDate &date)
{
    fixedDate() = date;
}

void DrawTitles()
{
    EngineState &s = engineState();
    MyPrint &print = *s.printObject();
    const double X = s.PageOriginX;
    const double W = s.PageWidthTw;

    const QString main = print.MainTitle();
    if (!main.isEmpty()) {
        const QString title = spreadOut(main, print.MinTitleLen());
        const TextSize size = ApplyFont(title, s.FontTable[0]);
        const double w = size.width;
        printAt(z((W - w) / 2 + X), z(s.PageOriginY), title);
        s.PageOriginY += size.height;

        Surface &surface = target();
        surface.setDrawWidth(1);
        const double y0 = s.PageOriginY;
        const bool fullWidth = 1.5 * w > W;
        const double x0 = fullWidth ? X : (W - 1.5 * w) / 2 + X;
        const double length = fullWidth ? W : 1.5 * w;
        for (double offset : { 20.0, 50.0 })
            surface.Line(z(x0), z(y0) + z(offset), z(x0) + z(length), z(y0) + z(offset),
                         s.LineColor);
        s.PageOriginY += 100;
    }

    const QString sub = print.SubTitle();
    if (!sub.isEmpty()) {
        const TextSize size = ApplyFont(sub, s.FontTable[1]);
        printAt(z((W - size.width) / 2 + X), z(s.PageOriginY), sub);
        s.PageOriginY += size.height + 100;
    }
}

void DrawHeadLines()
{
    drawLines(Lines::Head);
}

void DrawFootLines()
{
    drawLines(Lines::Foot);
}

void DrawPageInfoLine()
{
    EngineState &s = engineState();
    MyPrint &print = *s.printObject();
    const PageFormat &f = s.Format;
    const FontSpec &font = s.FontTable[6];
    const double X = s.PageOriginX;
    const double W = s.PageWidthTw;
    const qint32 y = z(s.PageOriginY);
    qint32 height = 0;

    if (f.PrintOperator == 1) {
        const QString text = QStringLiteral("操作员:") + print.Operator();
        height = ApplyFont(text, font).height;
        printAt(z(X), y, text);
    }
    if (f.PrintPageNo == 1) {
        const QString text = s.ColPageCount < 2
            ? QStringLiteral("第 %1 页 (共 %2 页)").arg(s.CurRowPage).arg(s.RowPageCount)
            : QStringLiteral("第 %1 (%2/%3) 页 (共 %4 页)")
                  .arg(s.CurRowPage)
                  .arg(s.CurColPage)
                  .arg(s.ColPageCount)
                  .arg(s.RowPageCount);
        const TextSize size = ApplyFont(text, font);
        height = size.height;
        printAt(z((W - size.width) / 2 + X), y, text);
    }
    if (f.PrintDate == 1) {
        const QDate today = printDate();
        const QString text = QStringLiteral("打印日期:%1年%2月%3日")
                                 .arg(today.year())
                                 .arg(today.month())
                                 .arg(today.day());
        const TextSize size = ApplyFont(text, font);
        height = size.height;
        printAt(z(W + X - size.width), y, text);
    }
    if (f.PrintPageNo + f.PrintOperator + f.PrintDate >= 1)
        s.PageOriginY += height + 50;
}

} // namespace quillon
