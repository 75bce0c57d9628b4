#pragma once

#include "engine/draw/textprimitives.h"

#include <QString>

namespace quillon {

struct PageContext;

/// A spreadsheet cell as PrintSheetCellText takes it: the cell box with the sheet's alignment
/// codes and the cell's number format. Across: 2 left, 3 centre, 4 right; 1, 5, 6 and any other
/// code general (numbers right, dates centred, other texts left). Down: 1 top, 2 centre, 3 bottom;
/// any other code bottom, the sheet's own default.
struct SheetCellBox : CellBox
{
    QString NumberFormat = QStringLiteral("General");
};

/// Draws the grid body of the current logical page for the spreadsheet grid (kind 1): each cell
/// in the font, alignment, number format and borders of its own format, merged ranges once,
/// hidden columns left out, stretched to the page width, then the frame. Leaves PageOriginY 100
/// twips below the table.
void RenderSheetGrid(const PageContext &pc);

/// Prints one spreadsheet cell's text on one line: nothing for a blank text, a cell of no width,
/// or a text of exactly "0" when the grid hides zero values; otherwise the text under the cell's
/// number format, shrunk to 7 points at the least when the page format asks for it.
void PrintSheetCellText(const PageContext &pc, const QString &text, SheetCellBox &cell,
    FontSpec &font, bool showZeroValues = true);

/// Sets DrawWidth and DrawStyle for a border style code, and ForeColor to the colour.
void SetBorderPen(const PageContext &pc, qint16 style, qint32 colour);

} // namespace quillon
