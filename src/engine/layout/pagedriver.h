#pragma once

namespace quillon {

/// Draws the sheet that starts at the current logical page (CurRowPage, CurColPage): its
/// PagesDown × PagesAcross logical pages in column-band-first order, each with its cut marks,
/// titles, logo, head lines, grid, foot lines, page-info line and logo text. Leaves the current
/// logical page as it found it and sets SheetNav and LastPageDone. An error stops the sheet and
/// is shown as "[number]description"; the result then is false.
bool RenderSheet();

/// Draws one logical page of a continuous job at the current page origin. Errors reach the
/// caller.
void RenderContPage();

/// The logical page (row band, column band) that sheet `sheet` (from 1) starts with.
struct LogicalPage
{
    int rowPage = 1;
    int colPage = 1;
};
LogicalPage firstPageOfSheet(int sheet);

} // namespace quillon
