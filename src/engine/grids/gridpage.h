#pragma once

#include <QtGlobal>

#include <functional>

namespace quillon {

struct EngineState;

/// A run of printed columns or of rows on one page, first to last. A merged area never leaves
/// its run: it is clipped to the page.
struct PrintedRun
{
    qint32 first;
    qint32 last;
};

/// The run of printed columns that column col lies in on the current logical page: the
/// repeated fixed columns or the column band, or both together when the band goes on where
/// the fixed columns end.
PrintedRun PrintedColumnRun(const EngineState &s, qint32 col);

/// The last steps of a grid renderer: the frame from the grid's top-left corner (entryX,
/// entryY, page twips) to the page width and the current line (CurY), DrawWidth 1, the kind's
/// own finishing step if any, DrawWidth 1 again, and PageOriginY 100 twips below the grid.
void FinishGridPage(
    qint32 entryX, qint32 entryY, const std::function<void()> &afterFrame = nullptr);

} // namespace quillon
