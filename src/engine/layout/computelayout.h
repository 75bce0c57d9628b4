#pragma once

#include <QString>

namespace quillon {

/// Turns the loaded page format into the page geometry: sheet and offsets, margins, logical
/// page size and pages per sheet, body row height and rows per page, row and column bands and
/// the sheet count. rowHeightMm and rowCount are the format's LineHeight and LineCount (0:
/// automatic; a row height wins over a row count). Measures on the drawing target (the current
/// printer when none is set). Errors after the logo step reach the caller as quillon::Error.
void ComputeLayout(qint16 rowHeightMm, qint16 rowCount);

/// The layout results, one "Field=value" line each, for tools and tests.
QString LayoutDump();

} // namespace quillon
