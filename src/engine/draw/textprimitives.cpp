#include "textprimitives.h"

#include "engine/convert.h"
#include "engine/grids/gridkinds.h"
#include "engine/state/enginestate.h"
#include "engine/state/platformservices.h"
#include "engine/state/printproperties.h"
#include "pagecontext.h"
#include "platform/interfaces/surface.h"
#include "printer/printingsystem.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillon {

HPlace generalPlace(const QString &text)
{
    if (isNumericText(text))
        return HPlace::Right;
    if (isDateText(text))
        return HPlace::Centre;
    return HPlace::Left;
}

namespace {

QString trimTrailingBlanks(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.left(end);
}

/// The text in user-perceived characters, so that wrapping never splits a surrogate pair.
QStringList characters(const QString &text)
{
    QStringList list;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            list << text.mid(i, 2);
            ++i;
        } else {
            list << QString(text[i]);
        }
    }
    return list;
}

TextSize zoomed(TextSize size, double zoom)
{
    return { roundHalfEven(size.width * zoom), roundHalfEven(size.height * zoom) };
}

/// A text that runs over its cell further than the cell lets it is cut there: a number becomes
/// "#" marks across the cell (a cut number would read as another number), any other text loses
/// characters at its end.
QString keepWithinRoom(
    const PageContext &pc, const QString &text, const CellBox &cell, HPlace h, TextSize &size)
{
    if (cell.RoomLeft < 0 && cell.RoomRight < 0)
        return text;
    constexpr qint64 unlimited = std::numeric_limits<qint32>::max();
    const qint64 leftEdge = cell.RoomLeft < 0 ? -unlimited : qint64(cell.Left) - cell.RoomLeft;
    const qint64 rightEdge
        = cell.RoomRight < 0 ? unlimited : qint64(cell.Left) + cell.Width + cell.RoomRight;
    const qint64 centre = cell.Left + cell.Width / 2;
    const qint64 room = h == HPlace::Left ? rightEdge - cell.Left - kCellMargin
        : h == HPlace::Right              ? cell.Left + cell.Width - kCellMargin - leftEdge
                                          : 2 * std::min(centre - leftEdge, rightEdge - centre);
    if (size.width <= room)
        return text;
    Surface &s = pc.surface;
    const auto measure = [&](const QString &t) { return roundHalfEven(s.TextWidth(t)); };
    QString kept;
    if (isNumericText(text)) {
        const qint32 mark = std::max(1, measure(QStringLiteral("#")));
        kept = QString(std::max<qint64>(1, (cell.Width - 2 * kCellMargin) / mark), u'#');
    } else {
        // The longest beginning that fits, found by halving: measuring one character less at a
        // time costs the square of a long text's length.
        const QStringList chars = characters(text);
        qsizetype fits = 1, tooLong = chars.size();
        qsizetype end = 0; // the text's length in code units of the first `fits` characters
        const auto prefixLength = [&chars](qsizetype count) {
            qsizetype length = 0;
            for (qsizetype i = 0; i < count; ++i)
                length += chars[i].size();
            return length;
        };
        while (tooLong - fits > 1) {
            const qsizetype middle = fits + (tooLong - fits) / 2;
            if (measure(text.left(prefixLength(middle))) > room)
                tooLong = middle;
            else
                fits = middle;
        }
        end = prefixLength(fits);
        kept = text.left(end);
    }
    size.width = measure(kept);
    return kept;
}

void printSingleLine(const PageContext &pc, const QString &rawText, CellBox &cell, TextSize size)
{
    const GridKindRules *rules = pc.rules;
    const auto [h, v]
        = rules ? rules->placement(rawText, cell) : std::pair { HPlace::Left, VPlace::Centre };
    const QString text = keepWithinRoom(pc, rawText, cell, h, size);
    qint32 x = cell.Left + kCellMargin;
    if (h == HPlace::Centre)
        x = cell.Left + roundHalfEven((cell.Width - size.width) / 2.0);
    else if (h == HPlace::Right)
        x = cell.Left + cell.Width - size.width - kCellMargin;
    qint32 y = cell.Top + roundHalfEven((cell.Height - size.height) / 2.0);
    if (v == VPlace::Top)
        y = cell.Top + kCellMargin;
    else if (v == VPlace::Bottom)
        y = cell.Top + cell.Height - size.height - kCellMargin;
    Surface &s = pc.surface;
    s.setCurrentX(x);
    s.setCurrentY(y);
    s.Print(text);
}

void printAt(Surface &s, const QString &text, qint32 x, qint32 y)
{
    s.setCurrentX(x);
    s.setCurrentY(y);
    s.Print(text);
}

} // namespace

TextSize ApplyFont(const PageContext &pc, const QString &text, const FontSpec &font)
{
    const EngineState &state = pc.s;
    Surface &s = pc.surface;
    const double zoom = state.ZoomRate;
    s.setFontName(font.Name);
    s.setFontSize(font.Size * zoom);
    s.setFontBold(font.Bold);
    s.setFontItalic(font.Italic);
    s.setFontStrikethru(font.Strikethru);
    s.setFontUnderline(font.Underline);
    s.setForeColor(font.Color);
    const TextSize size { roundHalfEven(s.TextWidth(text) / zoom),
        roundHalfEven(s.TextHeight(text) / zoom) };
    bool black = state.Format.ColorPrint != 1;
    if (!black) {
        const PrinterSurface *printer = state.printer();
        black = printer && printer->ColorMode() == 0;
    }
    if (black)
        s.setForeColor(0);
    return size;
}

namespace {

/// The text a cell printer prints: without trailing blanks and line breaks; nothing for a
/// blank text or a cell of no width.
std::optional<QString> printableText(const QString &rawText, const CellBox &cell)
{
    QString text = trimTrailingBlanks(rawText);
    if (text.isEmpty() || cell.Width == 0)
        return std::nullopt;
    text.remove(QStringLiteral("\r\n"));
    return text;
}

} // namespace

namespace {

/// How a cell printer fits a text that is too big for its cell.
struct CellTextFit
{
    double minFontSize; ///< the font never shrinks below this
    /// Try one more line at the same size before a smaller size (else shrink until one line
    /// fits).
    bool linesBeforeShrinking;
    bool numbersOverflow; ///< a number never wraps: it runs over the cell's edge
    bool headerCellsOverflow; ///< a header cell (type 3) never wraps
    /// A character that would stick out starts the next line (else a line ends after the
    /// character that leaves less than a wide character of room).
    bool breakBeforeOverflow;
    bool marginInLineBudget; ///< the lines that fit are counted with the margin between them
    bool wraps = true; ///< else a text too wide for its cell runs over on one line
    /// Lines stay between the cell's margins, and a single line is cut at its sides.
    bool staysInside = false;
};

constexpr CellTextFit kFlexFit { kMinCellFontSize, false, true, true, false, false };
constexpr CellTextFit kSpreadFit { kMinSpreadFontSize, true, false, false, true, true };
constexpr CellTextFit kSheetFit { kMinReadableFontSize, false, true, true, false, false, false };
constexpr CellTextFit kVoucherFit { kMinReadableFontSize, false, true, true, true, true, true,
    true };

/// The first of the sizes `sizeAt(1)`, `sizeAt(2)`, … `sizeAt(last)` at which the text fits,
/// else the last; the font is left at that size. The sizes are tried by halving, so a long text
/// is measured a few times rather than once a point (text that fits at a size fits at every
/// smaller one).
template <typename SizeAt, typename Fits>
TextSize firstFitting(
    const PageContext &pc, const QString &text, FontSpec &font, int last, SizeAt sizeAt, Fits fits)
{
    const double zoom = pc.zoom();
    const auto measureAt = [&](int step) {
        font.Size = sizeAt(step);
        return zoomed(ApplyFont(pc, text, font), zoom);
    };
    int low = 1, high = last;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (fits(measureAt(middle)))
            high = middle;
        else
            low = middle + 1;
    }
    return measureAt(low);
}

/// Shrinks the font a point at a time, as far as the fit allows; returns the text's size at the
/// size it stops at.
TextSize shrink(const PageContext &pc, const QString &text, const CellBox &cell, FontSpec &font,
    TextSize size, const CellTextFit &fit)
{
    const double from = font.Size;
    if (!fit.linesBeforeShrinking) {
        if (from <= fit.minFontSize)
            return size;
        // A size between whole points steps down to the floor, never below it.
        const int steps = int(std::ceil(from - fit.minFontSize));
        return firstFitting(
            pc, text, font, steps, [&](int step) { return std::max(from - step, fit.minFontSize); },
            [&](TextSize at) {
                return at.width + kCellMargin < cell.Width && at.height + kCellMargin < cell.Height;
            });
    }
    // One line more at the same size before a smaller size: a size fits when the lines the
    // cell's height holds take the text, with room for a character.
    Surface &s = pc.surface;
    const auto fits = [&](TextSize at) {
        const int lines = std::max(1, cell.Height / std::max(1, at.height + kCellMargin));
        return s.TextWidth(QStringLiteral("A")) + (at.width + kCellMargin) / double(lines)
            <= cell.Width;
    };
    if (fits(size))
        return size;
    const int steps = int(std::floor(from - fit.minFontSize));
    if (steps < 1)
        return size;
    return firstFitting(
        pc, text, font, steps, [&](int step) { return from - step; }, fits);
}

/// Prints the text a character at a time on as many lines as the cell's height allows.
void wrap(const PageContext &pc, const QString &text, const CellBox &cell, TextSize size,
    const CellTextFit &fit)
{
    Surface &s = pc.surface;
    int budget = fit.marginInLineBudget ? cell.Height / std::max(1, size.height + kCellMargin)
        : size.height > 0               ? cell.Height / size.height
                                        : 1;
    const qint32 x = cell.Left + kCellMargin;
    qint32 y = cell.Top;
    const double wide = fit.breakBeforeOverflow ? 0 : s.TextWidth(QStringLiteral("汉"));
    const qint32 width = fit.staysInside ? cell.Width - 2 * kCellMargin : cell.Width;
    const QStringList chars = characters(text);
    // Lines counted without their margins would run on into the rows below: a line below the
    // first stops at the cell's bottom (its margin may take a line's descent).
    const qint32 lowest = cell.Top + cell.Height + kCellMargin - size.height;
    QString line;
    for (qsizetype i = 0; i < chars.size(); ++i) {
        line += chars[i];
        const bool last = i == chars.size() - 1;
        const bool full = fit.breakBeforeOverflow
            ? s.TextWidth(line) > width && line.size() > chars[i].size()
            : s.TextWidth(line) + wide > width;
        if (full) {
            if (fit.breakBeforeOverflow)
                line.chop(chars[i].size());
            printAt(s, line, x, y);
            y += size.height + kCellMargin;
            if (--budget < 1 || y > lowest)
                return;
            line = fit.breakBeforeOverflow ? chars[i] : QString();
            if (fit.breakBeforeOverflow && last)
                printAt(s, line, x, y);
        } else if (last) {
            printAt(s, line, x, y);
        }
    }
}

/// The one cell-text routine: shrink when the format asks for it (the font record keeps its
/// whole-point size), then wrap or print on one line.
void printCellTextWith(const PageContext &pc, const QString &rawText, CellBox &cell, FontSpec &font,
    const CellTextFit &fit)
{
    const std::optional<QString> printable = printableText(rawText, cell);
    if (!printable)
        return;
    const QString &text = *printable;
    const EngineState &state = pc.s;
    TextSize size = zoomed(ApplyFont(pc, text, font), state.ZoomRate);
    if ((cell.Width < size.width + kCellMargin || cell.Height < size.height + kCellMargin)
        && state.Format.ReduceFont == 1) {
        const double whole = roundHalfEven(font.Size);
        size = shrink(pc, text, cell, font, size, fit);
        font.Size = whole; // the smaller font stays on the surface for this text
    }
    if (fit.staysInside && size.height > cell.Height && font.Size > 1) {
        // A row lower than a readable line: the largest font its height holds, rather than a
        // line across the row's borders.
        const double whole = font.Size;
        size = firstFitting(
            pc, text, font, int(std::ceil(whole - 1)),
            [&](int step) { return std::max(whole - step, 1.0); },
            [&](TextSize at) { return at.height <= cell.Height; });
        font.Size = whole;
    }
    // A cell that keeps its text inside wraps only onto a second line that fits in it.
    const bool roomForLines = !fit.staysInside || cell.Height >= 2 * (size.height + kCellMargin);
    const bool wraps = fit.wraps && cell.Width < size.width + kCellMargin && roomForLines
        && !(fit.numbersOverflow && isNumericText(text))
        && !(fit.headerCellsOverflow && cell.CellType == 3);
    if (wraps) {
        wrap(pc, text, cell, size, fit);
    } else {
        if (fit.staysInside) {
            cell.RoomLeft = cell.RoomLeft < 0 ? 0 : cell.RoomLeft;
            cell.RoomRight = cell.RoomRight < 0 ? 0 : cell.RoomRight;
        }
        printSingleLine(pc, text, cell, size);
    }
}

} // namespace

void PrintCellText(const PageContext &pc, const QString &rawText, CellBox &cell, FontSpec &font)
{
    printCellTextWith(pc, rawText, cell, font, kFlexFit);
}

void PrintSpreadCellText(
    const PageContext &pc, const QString &rawText, CellBox &cell, FontSpec &font)
{
    printCellTextWith(pc, rawText, cell, font, kSpreadFit);
}

void PrintUnwrappedCellText(
    const PageContext &pc, const QString &rawText, CellBox &cell, FontSpec &font)
{
    printCellTextWith(pc, rawText, cell, font, kSheetFit);
}

void PrintVoucherCellText(
    const PageContext &pc, const QString &rawText, CellBox &cell, FontSpec &font)
{
    printCellTextWith(pc, rawText, cell, font, kVoucherFit);
}

void DrawCutMarks(const PageContext &pc, qint32 x, qint32 y, qint32 width, qint32 height)
{
    const EngineState &state = pc.s;
    Surface &s = pc.surface;
    const double zoom = state.ZoomRate;
    const qint32 len = roundHalfEven(567 * zoom);
    const qint32 left = roundHalfEven(x * zoom);
    const qint32 top = roundHalfEven(y * zoom);
    const qint32 right = roundHalfEven((x + width) * zoom);
    const qint32 bottom = roundHalfEven((y + height) * zoom);
    const qint32 color = state.LineColor;
    s.setDrawWidth(1);
    s.Line(left, top, left + len, top, color);
    s.Line(left, top, left, top + len, color);
    s.Line(right, top, right - len, top, color);
    s.Line(right, top, right, top + len, color);
    s.Line(left, bottom, left + len, bottom, color);
    s.Line(left, bottom, left, bottom - len, color);
    s.Line(right, bottom, right - len, bottom, color);
    s.Line(right, bottom, right, bottom - len, color);
}

} // namespace quillon
