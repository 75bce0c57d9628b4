#pragma once

#include "engine/state/fontspec.h"

#include <QString>

namespace quillon {

class AbstractVoucherGrid;
struct CellBox;
struct PageContext;

/// The unit labels of an amount column's digit cells, one character per cell counted from
/// the right (分 first): 43 cells with digit lines; 57 without, where the decimal point "．"
/// and the thousands separators "，" take cells of their own.
QString AmountUnitLabels(bool withLines);

/// The digit width of the amount columns, in surface units: a tenth of the width of
/// "0123456789" in the body font (font 5: name, size × zoom and boldness, set on the surface),
/// rounded.
qint32 MeasureDigitWidth(const PageContext &pc);

/// The width of an amount column that keeps its digit cells, in surface units: the cells, and
/// the inset of its two outer lines (30 each, at any zoom, as the cell text's margin), so that
/// the leftmost cell ends on the left outer line and the last digit on the right one.
qint32 AmountColumnWidth(qint32 cells, qint32 digitWidth);

/// The width a voucher body column takes on the page, in surface units. 0 for a hidden column;
/// for an amount column while the page is wider than the band (FitRatio > 1),
/// AmountColumnWidth; otherwise ColWidth × zoom × scale, rounded. A digitWidth below 1 is measured
/// (MeasureDigitWidth); the body font is set on the surface either way.
qint32 ColumnDrawWidth(const PageContext &pc, AbstractVoucherGrid &grid, qint32 column,
    double scale, qint32 digitWidth);

/// The width a repeated fixed column of a voucher takes on the page, in surface units:
/// ColWidth × zoom × scale, rounded; 0 when the column is hidden.
qint32 FixedColumnDrawWidth(
    const PageContext &pc, AbstractVoucherGrid &grid, qint32 column, double scale);

/// How many digit cells an amount column of this width (surface units) shows between its outer
/// lines; 0 when not even one fits.
qint32 AmountCellsShown(qint32 columnWidth, qint32 digitWidth);

/// Whether the header text of column col prints in its label row (the row itself, or a merged
/// area that ends there, has a text): the unit labels then take the lower part of that row.
bool AmountLabelsUnderHeading(
    const PageContext &pc, AbstractVoucherGrid &grid, qint32 col, qint32 labelRow);

/// The height of the strip at the bottom of a label row that the unit labels take when the
/// heading shares their row, in surface units. Sets the label font on the surface.
qint32 AmountLabelStrip(const PageContext &pc);

/// The body font made small enough that its digits leave a tenth of a digit cell free on either
/// side; digitWidth is the measured digit cell (MeasureDigitWidth).
FontSpec AmountDigitFont(const PageContext &pc, qint32 digitWidth);

/// Prints an amount into its column's digit cells: one character a cell, centred in it, the
/// last in the cell that ends 30 inside the column's right edge; down the cell by VerAlign
/// (0 centre, 1 top, 2 bottom). column is the column's cell box; font the AmountDigitFont.
void PrintAmountCells(const PageContext &pc, const QString &text, const CellBox &column,
    qint32 digitWidth, const FontSpec &font);

/// Draws the amount columns (金额线) of the current logical page over the drawn voucher grid:
/// each amount column's two outer lines and digit separators (the decimal point's in the
/// dot-line colour, the thousands' at least 0.5 pt and thicker than the others) when the
/// format's Cyline is 1, and the unit label of every digit cell in its label row (in the lower
/// strip of the row when the heading shares it). left and top are the grid's top-left corner in
/// page twips, scale the renderer's column scale. A failing step (a grid call, a font, a line)
/// loses only that step. Leaves the label font, ForeColor and the last DrawWidth set.
void DrawAmountColumns(const PageContext &pc, qint32 left, qint32 top, double scale);

} // namespace quillon
