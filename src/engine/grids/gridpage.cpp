#include "gridpage.h"

#include "engine/convert.h"
#include "engine/state/enginestate.h"
#include "gridframe.h"
#include "platform/interfaces/surface.h"

namespace quillon {

PrintedRun PrintedColumnRun(const EngineState &s, qint32 col)
{
    // The repeated fixed columns and the band are separate runs of columns on the page unless
    // the band goes on where the fixed columns end.
    if (s.Format.MultFixCol == 1 && col < s.FixedCols && s.FirstBodyCol != s.FixedCols)
        return { 0, s.FixedCols - 1 };
    if (s.Format.MultFixCol == 1 && s.FirstBodyCol == s.FixedCols)
        return { 0, s.LastBodyCol };
    return { s.FirstBodyCol, s.LastBodyCol };
}

void FinishGridPage(qint32 entryX, qint32 entryY, const std::function<void()> &afterFrame)
{
    EngineState &s = engineState();
    Surface &target = *s.DrawTarget;
    const qint32 left = roundHalfEven(entryX * s.ZoomRate);
    const qint32 top = roundHalfEven(entryY * s.ZoomRate);
    DrawGridFrame(left, top, left + roundHalfEven(s.PageWidthTw * s.ZoomRate), s.CurY);
    target.setDrawWidth(1);
    if (afterFrame) {
        afterFrame();
        target.setDrawWidth(1);
    }
    s.PageOriginY += 100;
}

} // namespace quillon
