#pragma once

#include "engine/state/layoutresult.h"

#include <QString>

#include <functional>
#include <vector>

namespace quillon {

struct EngineState;

/// Lays out the job of this state without changing it (the printer's paper and a preview
/// page's size excepted, which the layout sets as it measures).
LayoutResult LayoutOf(const EngineState &s, qint16 rowHeightMm, qint16 rowCount);

/// Turns the loaded page format into the page geometry: sheet and offsets, margins, logical
/// page size and pages per sheet, body row height and rows per page, row and column bands and
/// the sheet count. rowHeightMm and rowCount are the format's LineHeight and LineCount (0:
/// automatic; a row height wins over a row count). Measures on the drawing target (the current
/// printer when none is set). Errors after the logo step reach the caller as quillon::Error.
void ComputeLayout(qint16 rowHeightMm, qint16 rowCount);

/// The column bands of columns first..last: the first column of each band. Columns are packed
/// from the left; a column starts a new band when more than half of it would stick out of the
/// page, unless it is the band's first. repeatFixed: every band begins with fixedWidth.
std::vector<qint32> PlanColumnBands(qint32 first, qint32 last, double pageWidth, double fixedWidth,
    bool repeatFixed, const std::function<double(qint32)> &width);

/// Sets FirstBodyCol and LastBodyCol to the planned column band CurColPage.
void SelectColumnBand(EngineState &s);

/// The layout results, one "Field=value" line each, for tools and tests.
QString LayoutDump();

} // namespace quillon
