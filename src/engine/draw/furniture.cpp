#include "furniture.h"

#include "engine/convert.h"
#include "engine/state/enginestate.h"
#include "engine/state/platformservices.h"
#include "engine/state/printproperties.h"
#include "pagecontext.h"
#include "platform/interfaces/surface.h"
#include "printer/printingsystem.h"
#include "textprimitives.h"

#include <quillon/error.h>

#include <functional>
#include <optional>

namespace quillon {

namespace {

QDate &fixedDate()
{
    static QDate date;
    return date;
}

qint32 z(const PageContext &pc, double pageTwips)
{
    return roundHalfEven(pageTwips * pc.zoom());
}

void printAt(const PageContext &pc, qint32 x, qint32 y, const QString &text)
{
    EngineState &s = pc.s;
    Surface &surface = pc.surface;
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
    throw Error(ErrorNumber::TypeMismatch,
        QStringLiteral("Type mismatch: the newline value “%1” is not a number").arg(text));
}

enum class Lines { Head, Foot };

void drawLines(const PageContext &pc, Lines which)
{
    EngineState &s = pc.s;
    const PrintProperties &print = pc.print;
    const LineTable &table = which == Lines::Head ? *pc.grid.headLines : *pc.grid.footLines;
    const FontSpec &font = s.FontTable[which == Lines::Head ? 2 : 6];
    const double zoom = s.ZoomRate;
    const double X = s.PageOriginX;
    const double W = s.PageWidthTw;
    const PrinterSurface *printer = s.printer();
    const bool colour = s.Format.ColorPrint == 1 && printer && printer->ColorMode() == 2;

    qint32 prevStart = 0;
    qint32 prevEnd = 0;
    for (qsizetype i = 1; i <= table.lastRow(); ++i) {
        QString text = table.cell(i, LineTable::Text);
        if (which == Lines::Head && i == table.lastRow() && print.CallMod == QStringLiteral("凭证")
            && s.RowPageCount > 1)
            text += QStringLiteral("(%1/%2)").arg(s.CurRowPage).arg(s.RowPageCount);
        const TextSize size = ApplyFont(pc, text, font);
        const double w = size.width;
        const QString code = table.cell(i, LineTable::Alignment);

        qint32 x = s.CurX;
        const auto centred = [&] { return z(pc, (W - w) / 2 + X); };
        const auto right = [&] { return z(pc, W + X - w); };
        if (code == QLatin1String("-1")) {
            x = prevStart - roundHalfEven(w * zoom);
        } else if (code == QLatin1String("0")) {
            x = prevEnd;
        } else if (code == QLatin1String("1")) {
            x = z(pc, X);
        } else if (which == Lines::Head) {
            if (code == QLatin1String("3"))
                x = centred();
            else if (code == QLatin1String("2"))
                x = z(pc, W / 5 + X);
            else if (code == QLatin1String("4"))
                x = z(pc, 3 * W / 5 + X);
            else if (code == QLatin1String("5"))
                x = right();
        } else if (code == QLatin1String("-2")) {
            x = centred();
        } else if (code == QString::number(print.FootCount)) {
            x = right();
        } else if (const auto k = toLong(code)) {
            // FootCount evenly spaced columns; with one column or none, the left edge.
            const int columns = print.FootCount;
            x = columns > 1 ? z(pc, (*k - 1) * W / (columns - 1) + X) : z(pc, X);
        }

        if (newlineOf(table.cell(i, LineTable::Newline)) == 0)
            s.PageOriginY -= size.height + 50;
        if (colour)
            pc.surface.setForeColor(font.Color);
        printAt(pc, x, z(pc, s.PageOriginY), text);
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

namespace {

/// A title that is too wide for the page at its own size: shrunk, no further than
/// kMinTitleFontSize, and then wrapped, so that no part of it is printed off the page.
struct FittedTitle
{
    FontSpec font;
    QStringList lines;
    double width = 0; ///< of the widest line
    double height = 0; ///< of all lines together
};

constexpr double kMinTitleFontSize = 9;

/// Breaks a text into lines no wider than the page at the font's size: after the last blank
/// that fits where there is one, else between two characters (never inside a surrogate pair).
QStringList wrapTitle(
    const PageContext &pc, const QString &text, const FontSpec &font, double width)
{
    QStringList lines;
    QString rest = text;
    while (!rest.isEmpty()) {
        qsizetype fit = 0;
        for (qsizetype n = 1; n <= rest.size(); ++n) {
            if (n < rest.size() && rest.at(n).isLowSurrogate())
                continue;
            if (ApplyFont(pc, rest.left(n), font).width > width)
                break;
            fit = n;
        }
        if (fit == 0) // not even one character fits: print it anyway, alone on its line
            fit = rest.at(0).isHighSurrogate() && rest.size() > 1 ? 2 : 1;
        if (fit < rest.size()) {
            const qsizetype blank = rest.left(fit + 1).lastIndexOf(QLatin1Char(' '));
            if (blank > 0)
                fit = blank + 1;
        }
        const QString line = rest.left(fit).trimmed();
        if (!line.isEmpty())
            lines << line;
        rest = rest.mid(fit);
    }
    return lines;
}

FittedTitle fitTitle(const PageContext &pc, const QString &text, const FontSpec &font, double width)
{
    FittedTitle fit { font, { text } };
    const double floor = std::min<double>(font.Size, kMinTitleFontSize);
    TextSize size = ApplyFont(pc, text, fit.font);
    // Text widths grow with the size: start from the proportional guess, then step down.
    if (size.width > width && size.width > 0)
        fit.font.Size = std::max(floor, std::floor(font.Size * width / size.width * 2) / 2);
    for (;;) {
        size = ApplyFont(pc, text, fit.font);
        if (size.width <= width || fit.font.Size <= floor)
            break;
        fit.font.Size = std::max(floor, fit.font.Size - 0.5);
    }
    if (size.width > width)
        fit.lines = wrapTitle(pc, text, fit.font, width);
    for (const QString &line : std::as_const(fit.lines)) {
        const TextSize lineSize = ApplyFont(pc, line, fit.font);
        fit.width = std::max<double>(fit.width, lineSize.width);
        fit.height += lineSize.height;
    }
    return fit;
}

/// Prints the lines of a fitted title centred one under the other; returns their height.
double printFitted(const PageContext &pc, const FittedTitle &fit)
{
    EngineState &s = pc.s;
    double y = s.PageOriginY;
    for (const QString &line : fit.lines) {
        const TextSize size = ApplyFont(pc, line, fit.font);
        printAt(pc, z(pc, (s.PageWidthTw - size.width) / 2.0 + s.PageOriginX), z(pc, y), line);
        y += size.height;
    }
    return y - s.PageOriginY;
}

/// The main title as printed: spread out to MinTitleLen, unless that makes it too wide.
QString mainTitleText(const PageContext &pc, const FontSpec &font, double width)
{
    const QString &title = pc.grid.title;
    const QString spread = spreadOut(title, pc.print.MinTitleLen);
    if (spread != title && ApplyFont(pc, spread, font).width > width)
        return title;
    return spread;
}

} // namespace

void DrawTitles(const PageContext &pc)
{
    EngineState &s = pc.s;
    const PrintProperties &print = pc.print;
    const double X = s.PageOriginX;
    const double W = s.PageWidthTw;

    const QString main = pc.grid.title;
    if (!main.isEmpty()) {
        const QString title = spreadOut(main, print.MinTitleLen);
        TextSize size = ApplyFont(pc, title, s.FontTable[0]);
        double w = size.width;
        if (w <= W) {
            printAt(pc, z(pc, (W - w) / 2 + X), z(pc, s.PageOriginY), title);
            s.PageOriginY += size.height;
        } else {
            const FittedTitle fit
                = fitTitle(pc, mainTitleText(pc, s.FontTable[0], W), s.FontTable[0], W);
            s.PageOriginY += roundHalfEven(printFitted(pc, fit));
            w = fit.width;
        }

        Surface &surface = pc.surface;
        surface.setDrawWidth(1);
        const double y0 = s.PageOriginY;
        const bool fullWidth = 1.5 * w > W;
        const double x0 = fullWidth ? X : (W - 1.5 * w) / 2 + X;
        const double length = fullWidth ? W : 1.5 * w;
        for (double offset : { 20.0, 50.0 })
            surface.Line(z(pc, x0), z(pc, y0) + z(pc, offset), z(pc, x0) + z(pc, length),
                z(pc, y0) + z(pc, offset), s.LineColor);
        s.PageOriginY += 100;
    }

    const QString sub = print.SubTitle;
    if (!sub.isEmpty()) {
        const TextSize size = ApplyFont(pc, sub, s.FontTable[1]);
        if (size.width <= W) {
            printAt(pc, z(pc, (W - size.width) / 2 + X), z(pc, s.PageOriginY), sub);
            s.PageOriginY += size.height + 100;
        } else {
            s.PageOriginY
                += roundHalfEven(printFitted(pc, fitTitle(pc, sub, s.FontTable[1], W))) + 100;
        }
    }
}

qint32 TitleHeight(const PageContext &pc, int which, double W)
{
    const PrintProperties &print = pc.print;
    const FontSpec &font = pc.s.FontTable[which];
    const QString text = which == 0 ? spreadOut(pc.grid.title, print.MinTitleLen) : print.SubTitle;
    if (text.isEmpty() || ApplyFont(pc, text, font).width <= W)
        return 0;
    const QString fitted = which == 0 ? mainTitleText(pc, font, W) : text;
    return roundHalfEven(fitTitle(pc, fitted, font, W).height);
}

void DrawHeadLines(const PageContext &pc)
{
    drawLines(pc, Lines::Head);
}

void DrawFootLines(const PageContext &pc)
{
    drawLines(pc, Lines::Foot);
}

namespace {

/// One item of the page-info line: its text, its size and where it goes.
struct InfoItem
{
    QString text;
    TextSize size;
    double x = 0; ///< page twips, from the logical page's left edge
    double top = 0; ///< page twips, from the top of the page-info line
};

struct InfoLines
{
    int count = 0;
    double height = 0; ///< what the lines take, the space below the last included
};

/// Measures the items the format switches on in font 6 and places them: operator left, page
/// number centred, date right. An item that would touch the one before it goes to a line of
/// its own below, so that narrow pages stay readable. Each item is handed to `place` as soon
/// as it is measured, while its font is set.
InfoLines layPageInfo(const PageContext &pc, const QString &pageNumber, double W,
    const std::function<void(const InfoItem &)> &place)
{
    const EngineState &s = pc.s;
    const PageFormat &f = s.Format;
    InfoLines lines;
    std::optional<InfoItem> before;
    const auto add = [&](const QString &text, int where) {
        InfoItem item { text, ApplyFont(pc, text, s.FontTable[6]) };
        const double w = item.size.width;
        item.x = where == 0 ? 0 : where == 1 ? (W - w) / 2 : W - w;
        if (!before) {
            lines.count = 1;
        } else {
            item.top = before->top;
            // Keep at least half a character between two items of one line.
            if (before->x + before->size.width + item.size.height / 2.0 > item.x) {
                item.top += before->size.height + 50;
                ++lines.count;
            }
        }
        place(item);
        lines.height = item.top + item.size.height + 50;
        before = item;
    };
    if (f.PrintOperator == 1)
        add(QStringLiteral("操作员:") + pc.print.Operator, 0);
    if (f.PrintPageNo == 1)
        add(pageNumber, 1);
    if (f.PrintDate == 1) {
        const QDate today = printDate();
        add(QStringLiteral("打印日期:%1年%2月%3日")
                .arg(today.year())
                .arg(today.month())
                .arg(today.day()),
            2);
    }
    return lines;
}

QString pageNumberText(qint64 rowPage, qint64 rowPages, qint64 colPage, qint64 colPages)
{
    if (colPages < 2)
        return QStringLiteral("第 %1 页 (共 %2 页)").arg(rowPage).arg(rowPages);
    return QStringLiteral("第 %1 (%2/%3) 页 (共 %4 页)")
        .arg(rowPage)
        .arg(colPage)
        .arg(colPages)
        .arg(rowPages);
}

} // namespace

void DrawPageInfoLine(const PageContext &pc)
{
    EngineState &s = pc.s;
    const double X = s.PageOriginX;
    const double Y = s.PageOriginY;
    const InfoLines lines = layPageInfo(pc,
        pageNumberText(s.CurRowPage, s.RowPageCount, s.CurColPage, s.ColPageCount), s.PageWidthTw,
        [&](const InfoItem &item) {
            printAt(pc, z(pc, item.x + X), z(pc, item.top + Y), item.text);
        });
    s.PageOriginY += roundHalfEven(lines.height);
}

int PageInfoLineCount(
    const PageContext &pc, qint64 maxRowPages, qint64 maxColPages, double pageWidth)
{
    return layPageInfo(pc, pageNumberText(maxRowPages, maxRowPages, maxColPages, maxColPages),
        pageWidth, [](const InfoItem &) {})
        .count;
}

} // namespace quillon
