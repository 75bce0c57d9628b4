#pragma once

#include "engine/state/layoutresult.h"

#include <QList>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace quillon {

struct EngineState;
struct PageFormat;
struct PageSetupValues;
class PrinterSurface;

/// Lays out the job of this state without changing it: measured on its printer (whose paper
/// ChoosePaper set) and its drawing target.
LayoutResult LayoutOf(const EngineState &s, qint16 rowHeightMm, qint16 rowCount);

/// Sets the format's paper and orientation on the printer (a user-defined paper is held as 42).
void ChoosePaper(PrinterSurface &printer, const PageFormat &f);

/// Where the logical pages of one sheet go: rows of `across` pages, in twips from the top left
/// of the printable area.
struct SheetPlan
{
    int across = 1;
    int down = 1;
    QList<QRect> pages;
};

/// The sheet of `job` had it these page setup values, measured on `printer` with their paper
/// chosen: the page setup's miniature. The job is left as it is and nothing is shown to the
/// user; none when the layout refuses the values.
std::optional<SheetPlan> planSheet(
    const EngineState &job, const PageSetupValues &values, PrinterSurface &printer);

/// Turns the loaded page format into the page geometry: sheet and offsets, margins, logical
/// page size and pages per sheet, body row height and rows per page, row and column bands and
/// the sheet count. rowHeightMm and rowCount are the format's LineHeight and LineCount (0:
/// automatic; a row height wins over a row count). Measures on the drawing target (the current
/// printer when none is set). Errors after the logo step reach the caller as quillon::Error.
/// The job's step: chooses the paper on the job's printer, lays out, sizes the preview's page
/// picture and lets the grid kind check the result.
void ComputeLayout(EngineState &s, qint16 rowHeightMm, qint16 rowCount);

/// The column bands of columns first..last: the first column of each band. Columns are packed
/// from the left; a column starts a new band when more than half of it would stick out of the
/// page, unless it is the band's first. repeatFixed: every band begins with fixedWidth.
std::vector<qint32> PlanColumnBands(qint32 first, qint32 last, double pageWidth, double fixedWidth,
    bool repeatFixed, const std::function<double(qint32)> &width);

/// Sets FirstBodyCol and LastBodyCol to the planned column band CurColPage.
void SelectColumnBand(EngineState &s, qint32 lastCol);

/// The layout results, one "Field=value" line each, for tools and tests.
QString LayoutDump(const EngineState &s);

} // namespace quillon
