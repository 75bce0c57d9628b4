#pragma once

#include <QString>
#include <QVariant>

namespace quillon {

struct PageContext;

/// Draws the grid body of the current logical page for the spread grid (kind 8): its column
/// header rows, the page's band of data rows within the current column band stretched to the
/// page width, the row-header column when the format repeats it, spans, typed cells and the
/// frame. Leaves PageOriginY 100 twips below the table.
void RenderSpreadGrid(const PageContext &pc);

/// The text a typed spread cell prints: a number cell (type 13) with decimals grouped in
/// thousands and rounded to its decimal places (at most six); a check cell (type 10) "√" for
/// the value 1 and nothing else; any other cell, and a number cell without decimal places,
/// its value as it stands.
QString SpreadCellText(const QVariant &value, qint16 cellType, qint16 decimalPlaces);

} // namespace quillon
