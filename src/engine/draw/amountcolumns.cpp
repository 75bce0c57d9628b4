#include "amountcolumns.h"

#include "engine/convert.h"
#include "engine/draw/pagecontext.h"
#include "engine/draw/textprimitives.h"
#include "engine/grids/gridadapters.h"
#include "engine/ignoringerrors.h"
#include "engine/state/enginestate.h"
#include "engine/state/platformservices.h"
#include "engine/state/printproperties.h"
#include "platform/interfaces/surface.h"
#include "printer/printingsystem.h"

#include <quillon/abstractvouchergrid.h>

#include <algorithm>
#include <cmath>

namespace quillon {

namespace {

/// The unit labels' font: 6 points smaller than the body font, never below this size.
const QString kLabelFont = QStringLiteral("楷体_GB2312");
constexpr double kLabelSizeBelowBody = 6;
constexpr double kMinLabelSize = 3;
/// The outer lines stand this far inside the column, and the digit cells end this far from
/// its right edge (surface units, not scaled by the zoom, like the cell text's margin).
constexpr qint32 kOuterInset = 30;
/// The thick separators start this much below the top of the label row.
constexpr qint32 kThickLineDrop = 20;
/// The thick separators are at least this wide on paper (twips, 0.5 pt): anything thinner
/// prints one dot wide at 300 dpi, like the thin ones.
constexpr double kThickLineTwips = 10;
/// Unit labels that share their row with the heading keep this much free above and below.
constexpr qint32 kLabelStripMargin = 15;
/// A digit takes at most this share of its cell: a tenth of it stays free on either side.
constexpr double kDigitShare = 0.8;

AbstractVoucherGrid &voucherGridOf(const PageContext &pc)
{
    const auto access = GridAccess::create(2, pc.grid.grid, pc.print.gridrows);
    return *static_cast<VoucherGridAccess &>(*access).grid();
}

/// The height of row `row` of the grid on the page, in twips: a body row is LineHeightTw, a
/// header or bottom row FixRowsHeightTw or, when that is 0, its own height.
qint32 rowHeightTw(const EngineState &s, AbstractVoucherGrid &grid, qint32 row, bool body)
{
    if (body)
        return s.LineHeightTw;
    return s.FixRowsHeightTw != 0 ? s.FixRowsHeightTw : grid.RowHeight(row);
}

/// The vertical extent of one amount column's lines on the page, in twips from the grid's top.
struct LineSpan
{
    qint64 labelTop = 0; ///< top of the label row
    qint64 labelHeight = 0;
    qint64 height = 0; ///< how far the lines reach down from labelTop (0 without lines)
};

LineSpan lineSpan(
    const PageContext &pc, AbstractVoucherGrid &grid, const AbstractVoucherGrid::AmountColumn &info)
{
    const EngineState &s = pc.s;
    const PageGrid &g = pc.grid;
    const qint32 r0 = info.firstRow;
    const qint32 last = info.lastRow;
    if (r0 < 0 || r0 >= g.rows)
        throw Error(ErrorNumber::InvalidRowOrColumn,
            QStringLiteral("Amount column label row %1 is not in the grid").arg(r0));
    const auto rowTw
        = [&](qint32 row) -> qint64 { return rowHeightTw(s, grid, row, row > g.fixedRowsTop - 1); };
    LineSpan span;
    span.labelHeight = rowTw(r0);
    // The header rows above the label row, then as many body rows as lie above it.
    const qint32 headerRows = std::clamp(r0, 0, std::max(g.fixedRowsTop, 0));
    for (qint32 r = 0; r < headerRows; ++r)
        span.labelTop += rowTw(r);
    span.labelTop += qint64(r0 - headerRows) * s.LineHeightTw;
    if (s.Format.Cyline != 1)
        return span;

    const qint64 lastDataRow = qint64(g.rows) - g.fixedRowsBottom - 1;
    qint64 h = 0;
    for (qint32 r = r0; r <= g.fixedRowsTop - 1; ++r)
        h += rowHeightTw(s, grid, r, false);
    if (last > lastDataRow) {
        for (qint64 r = lastDataRow + 1; r < g.rows; ++r)
            h += rowHeightTw(s, grid, qint32(r), false);
    }
    // The page's body rows between the first and the last row, then the blank rows that pad
    // the last page when the lines reach past the data.
    const qint64 perPage = s.LinesPerPage;
    const qint64 firstOnPage = (qint64(s.CurRowPage) - 1) * perPage + g.fixedRowsTop;
    for (qint64 k = 0; k < perPage; ++k) {
        const qint64 i = firstOnPage + k;
        if (i >= r0 && i <= last && i <= lastDataRow)
            h += s.LineHeightTw;
        else if (i > lastDataRow && s.Format.FillBlankLine == 1 && last >= lastDataRow)
            h += s.LineHeightTw;
    }
    span.height = h;
    return span;
}

/// The line and dot-line colours of a column: the grid's, replaced by the format's when set;
/// black without colour printing or when the printer's colour mode cannot be read.
std::pair<qint32, qint32> lineColours(
    const EngineState &s, const AbstractVoucherGrid::AmountColumn &info)
{
    bool colour = false;
    ignoringErrors("printer colour mode", [&] {
        const PrinterSurface *printer = s.printer();
        colour = printer && printer->ColorMode() != 0 && s.Format.ColorPrint == 1;
    });
    if (!colour)
        return { 0, 0 };
    return { s.Format.JeLineColor != -1 ? s.Format.JeLineColor : info.lineColor,
        s.Format.DotLineColor != -1 ? s.Format.DotLineColor : info.dotLineColor };
}

/// The unit labels' font on the surface.
void setLabelFont(const PageContext &pc)
{
    const EngineState &s = pc.s;
    pc.surface.setFontName(kLabelFont);
    pc.surface.setFontSize(
        std::max(s.FontTable[5].Size - kLabelSizeBelowBody, kMinLabelSize) * s.ZoomRate);
}

/// Draws one amount column whose right edge is at x (surface units).
void drawAmountColumn(const PageContext &pc, AbstractVoucherGrid &grid, qint32 col, qint32 x,
    qint32 colW, qint32 digitW, qint32 top)
{
    const EngineState &s = pc.s;
    Surface &surface = pc.surface;
    std::optional<AbstractVoucherGrid::AmountColumn> info;
    if (!ignoringErrors("GetJeLineInf", [&] { info = grid.GetJeLineInf(col); }) || !info)
        return;
    if (digitW > colW - 2 * kOuterInset)
        return;
    // Plain variables: the steps below capture them.
    const std::pair<qint32, qint32> colours = lineColours(s, *info);
    const qint32 lineColor = colours.first;
    const qint32 dotColor = colours.second;
    const double zoom = s.ZoomRate;
    LineSpan span;
    if (!ignoringErrors("amount column rows", [&] { span = lineSpan(pc, grid, *info); }))
        return;
    // Positions in twips from the grid's top, converted once, so that the lines meet the rows
    // exactly where the renderer put them.
    const qint32 y = roundHalfEven((top + span.labelTop) * zoom);
    const qint32 labelRowH = roundHalfEven((top + span.labelTop + span.labelHeight) * zoom) - y;
    const qint32 bottom = roundHalfEven((top + span.labelTop + span.height) * zoom);
    const bool withLines = s.Format.Cyline == 1;

    qint32 labelW = 0, labelH = 0;
    ignoringErrors("amount label font", [&] {
        setLabelFont(pc);
        labelH = roundHalfEven(surface.TextHeight(QStringLiteral("汉")));
        labelW = roundHalfEven(surface.TextWidth(QStringLiteral("汉")));
    });
    // Under a heading in their row the labels take the row's lower strip; else its middle.
    bool underHeading = false;
    ignoringErrors("amount heading",
        [&] { underHeading = AmountLabelsUnderHeading(pc, grid, col, info->firstRow); });
    const qint32 labelY = underHeading ? y + labelRowH - labelH - kLabelStripMargin
                                       : y + roundHalfEven((labelRowH - labelH) / 2.0);
    // The lines begin where the labels do: the heading above them stays clear.
    const qint32 lineTop = underHeading ? labelY - kLabelStripMargin : y;
    const int thickWidth
        = std::max(2, int(std::ceil(kThickLineTwips * zoom / surface.drawPixelWidth() - 1e-9)));
    if (withLines) {
        ignoringErrors("amount outer lines", [&] {
            surface.setDrawWidth(1);
            surface.Line(x - kOuterInset, lineTop, x - kOuterInset, bottom, lineColor);
            surface.Line(
                x - colW + kOuterInset, lineTop, x - colW + kOuterInset, bottom, lineColor);
        });
    }

    const QString labels = AmountUnitLabels(withLines);
    const qint32 xr = x - kOuterInset;
    // The digit cells that fit between the outer lines, less one: the separators.
    const qint32 n = (colW - 2 * kOuterInset) / digitW - 1;
    const auto label = [&](qint32 k) {
        if (k > labels.size())
            return; // wider than the labels go: the cell has none
        const QString text = labels.mid(k - 1, 1);
        if (k == n + 1 && !withLines && text == QStringLiteral("，"))
            return;
        ignoringErrors("amount label", [&] {
            surface.setForeColor(s.LineColor);
            surface.setCurrentX(xr - k * digitW + roundHalfEven((digitW - labelW) / 2.0));
            surface.setCurrentY(labelY);
            surface.Print(text);
        });
    };
    for (qint32 k = 1; k <= n; ++k) {
        const qint32 sx = xr - k * digitW;
        const bool thick = k >= 5 && (k - 2) % 3 == 0;
        ignoringErrors("amount separator", [&] {
            surface.setDrawWidth(thick ? thickWidth : 1);
            if (withLines)
                surface.Line(sx, thick ? lineTop + kThickLineDrop : lineTop, sx, bottom,
                    k == 2 ? dotColor : lineColor);
        });
        label(k);
    }
    label(n + 1);
}

} // namespace

QString AmountUnitLabels(bool withLines)
{
    return withLines ? QStringLiteral("分角元拾佰仟万拾佰仟亿拾佰仟万拾佰仟亿拾佰仟万拾佰仟亿拾佰仟"
                                      "万拾佰仟亿拾佰仟万拾佰仟亿")
                     : QStringLiteral("分角．元拾佰，仟万拾，佰仟亿，拾佰仟，万拾佰，仟亿拾，佰仟"
                                      "万，拾佰仟，亿拾佰，仟万拾，佰仟亿，拾佰仟，万拾佰，仟亿");
}

namespace {

/// The body font (font 5) on the surface: name, size × zoom and, because the digits print in
/// it with its weight, its boldness.
Surface &setBodyFont(const PageContext &pc)
{
    const EngineState &s = pc.s;
    const FontSpec &font = s.FontTable[5];
    Surface &surface = pc.surface;
    surface.setFontName(font.Name);
    surface.setFontSize(font.Size * s.ZoomRate);
    surface.setFontBold(font.Bold);
    return surface;
}

} // namespace

qint32 AmountCellsShown(qint32 columnWidth, qint32 digitWidth)
{
    return digitWidth < 1 ? 0 : std::max(0, (columnWidth - 2 * kOuterInset) / digitWidth);
}

bool AmountLabelsUnderHeading(
    const PageContext &pc, AbstractVoucherGrid &grid, qint32 col, qint32 labelRow)
{
    using Flag = AbstractVoucherGrid::CellFlag;
    if (labelRow < 0 || labelRow >= pc.grid.fixedRowsTop)
        return false;
    // The text over the cell is that of its merged area's top-left cell.
    const auto covered = [&](qint32 r, qint32 c, Flag starts) {
        const quint8 f = grid.Cell(r, c);
        return (f & Flag::FlagsInForce) && !(f & starts);
    };
    qint32 r = labelRow, c = col;
    while (c > 0 && covered(r, c, Flag::StartsHorizontalRun))
        --c;
    while (r > 0 && covered(r, c, Flag::StartsVerticalRun))
        --r;
    const QString text = grid.Text(r, c).trimmed();
    return !text.isEmpty() && text != QStringLiteral("0");
}

qint32 AmountLabelStrip(const PageContext &pc)
{
    setLabelFont(pc);
    return roundHalfEven(pc.surface.TextHeight(QStringLiteral("汉"))) + 2 * kLabelStripMargin;
}

FontSpec AmountDigitFont(const PageContext &pc, qint32 digitWidth)
{
    FontSpec font = pc.s.FontTable[5];
    const double advance = setBodyFont(pc).TextWidth(QStringLiteral("0123456789")) / 10;
    if (advance > 0)
        font.Size *= kDigitShare * std::min(1.0, digitWidth / advance);
    return font;
}

void PrintAmountCells(const PageContext &pc, const QString &text, const CellBox &column,
    qint32 digitWidth, const FontSpec &font)
{
    const double zoom = pc.zoom();
    const qint32 h = roundHalfEven(ApplyFont(pc, text, font).height * zoom);
    qint32 y = column.Top + roundHalfEven((column.Height - h) / 2.0);
    if (column.VerAlign == 1)
        y = column.Top + kCellMargin;
    else if (column.VerAlign == 2)
        y = column.Top + column.Height - h - kCellMargin;
    Surface &surface = pc.surface;
    surface.setCurrentX(column.Left + column.Width - kOuterInset - text.size() * digitWidth);
    surface.setCurrentY(y);
    surface.PrintCells(text, digitWidth);
}

qint32 AmountColumnWidth(qint32 cells, qint32 digitWidth)
{
    return cells * digitWidth + 2 * kOuterInset;
}

qint32 MeasureDigitWidth(const PageContext &pc)
{
    return roundHalfEven(setBodyFont(pc).TextWidth(QStringLiteral("0123456789")) / 10);
}

qint32 ColumnDrawWidth(const PageContext &pc, AbstractVoucherGrid &grid, qint32 column,
    double scale, qint32 digitWidth)
{
    const EngineState &s = pc.s;
    setBodyFont(pc);
    if (grid.ColHide(column))
        return 0;
    const double zoom = s.ZoomRate;
    if (s.FitRatio > 1 && grid.GetJeLineInf(column)) {
        const qint32 digitW = digitWidth < 1 ? MeasureDigitWidth(pc) : digitWidth;
        return AmountColumnWidth(grid.getjecellcols(column), digitW);
    }
    return roundHalfEven(grid.ColWidth(column) * zoom * scale);
}

qint32 FixedColumnDrawWidth(
    const PageContext &pc, AbstractVoucherGrid &grid, qint32 column, double scale)
{
    if (grid.ColHide(column))
        return 0;
    return roundHalfEven(grid.ColWidth(column) * pc.zoom() * scale);
}

void DrawAmountColumns(const PageContext &pc, qint32 left, qint32 top, double scale)
{
    const EngineState &s = pc.s;
    AbstractVoucherGrid *grid = nullptr;
    if (!ignoringErrors("amount columns' grid", [&] { grid = &voucherGridOf(pc); }))
        return;
    qint32 digitW = 0;
    ignoringErrors("body font", [&] { digitW = MeasureDigitWidth(pc); });
    if (digitW < 1)
        return; // no digit cells at this size

    // The amount columns begin where the repeated fixed columns end, as the renderer drew them.
    qint32 x = roundHalfEven(left * s.ZoomRate);
    if (s.Format.MultFixCol == 1) {
        for (qint32 c = 0; c < s.FixedCols; ++c)
            ignoringErrors(
                "fixed column width", [&] { x += FixedColumnDrawWidth(pc, *grid, c, scale); });
    }
    for (qint32 c = s.FirstBodyCol; c <= s.LastBodyCol; ++c) {
        qint32 colW = 0;
        if (!ignoringErrors(
                "column width", [&] { colW = ColumnDrawWidth(pc, *grid, c, scale, digitW); }))
            // Still step past the column by its plain width.
            ignoringErrors(
                "column width", [&] { colW = FixedColumnDrawWidth(pc, *grid, c, scale); });
        x += colW;
        drawAmountColumn(pc, *grid, c, x, colW, digitW, top);
    }
}

} // namespace quillon
