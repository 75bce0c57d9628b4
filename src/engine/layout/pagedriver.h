#pragma once

#include <QtGlobal>

namespace quillon {

struct EngineState;
class PrinterSurface;

/// The printer's colour mode and the grid line colour for what is drawn next: colour lines
/// only when the format asks for them and the printer has colour.
void applyPrinterColour(EngineState &s, PrinterSurface *printer);

/// Draws the sheet that starts at the current logical page (CurRowPage, CurColPage): its
/// PagesDown × PagesAcross logical pages in column-band-first order, each with its cut marks,
/// titles, logo, head lines, grid, foot lines, page-info line and logo text. Leaves the current
/// logical page as it found it and sets SheetNav and LastPageDone. An error stops the sheet and
/// is shown as "[number]description"; the result then is false.
bool RenderSheet(EngineState &s);

/// Draws the sheet (RenderSheet) and, while the print object's MuitGrid holds, its second
/// grid in the lower half: DatagridSecond with HeadLines1, FootLines1 and MainTitle1, laid out
/// like the first, drawn from a page context of its own: nothing of the first grid changes.
/// False when there is no printer (after its message) or the sheet failed.
bool PrintMuitGrid(EngineState &s);

/// Draws one logical page of a continuous job at the current page origin. Errors reach the
/// caller.
void RenderContPage(EngineState &s);

/// Where the logical pages of a sheet go: the left edge of the cell after column c and the
/// top of row r (both from 0), centred in their share of the page when the format says so.
qint32 cellLeft(const EngineState &s, int c);
qint32 rowTop(const EngineState &s, int r);

/// The logical page (row band, column band) that sheet `sheet` (from 1) starts with.
struct LogicalPage
{
    int rowPage = 1;
    int colPage = 1;
};
LogicalPage firstPageOfSheet(const EngineState &s, int sheet);

} // namespace quillon
