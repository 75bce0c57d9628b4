#include "gridpage.h"

#include "engine/convert.h"
#include "engine/draw/pagecontext.h"
#include "engine/layout/computelayout.h"
#include "engine/state/enginestate.h"
#include "engine/state/previewsinks.h"
#include "engine/state/printproperties.h"
#include "gridframe.h"
#include "platform/interfaces/surface.h"

namespace quillon {

GridPage::GridPage(const PageContext &context)
    : pc(context)
    , s(context.s)
    , zoom(context.zoom())
{
}

qint32 GridPage::surface(double pageTwips) const
{
    return roundHalfEven(pageTwips * zoom);
}

qint32 GridPage::advance(double width) const
{
    return roundHalfEven(width * zoom * scale);
}

void GridPage::newLine()
{
    s.CurX = surface(s.PageOriginX);
    s.CurY = surface(s.PageOriginY);
}

void GridPage::begin()
{
    m_entryX = s.PageOriginX;
    m_entryY = s.PageOriginY;
    newLine();
    SelectColumnBand(s, pc.grid.colEnd);
    pc.surface.setDrawWidth(1);
}

void GridPage::setBandScale(double totalWidth)
{
    scale = totalWidth > 0 ? s.PageWidthTw / totalWidth : 0;
}

void GridPage::bottomEdge(const CellBox &box) const
{
    pc.surface.Line(
        box.Left, box.Top + box.Height, box.Left + box.Width, box.Top + box.Height, s.LineColor);
}

void GridPage::rightEdge(const CellBox &box) const
{
    pc.surface.Line(
        box.Left + box.Width, box.Top, box.Left + box.Width, box.Top + box.Height, s.LineColor);
}

void GridPage::plainBorders(const CellBox &box) const
{
    bottomEdge(box);
    rightEdge(box);
}

void GridPage::drawBodyRows(
    qint64 first, qint64 last, qint64 lastDataRow, const std::function<void(qint32, bool)> &drawRow)
{
    const bool progress = s.OutputMode == 2 && s.PreviewUiActive && s.PreviewProgressBar;
    bool blank = false;
    for (qint64 r = first; r <= last; ++r) {
        if (progress)
            s.PreviewProgressBar->setValue(s.PreviewProgressBar->value() + 80.0 / s.LinesPerPage);
        if (r > lastDataRow) {
            if (s.Format.FillBlankLine != 1)
                break;
            blank = true;
        }
        drawRow(qint32(r), blank);
        s.PageOriginY += s.LineHeightTw;
        newLine();
    }
}

void GridPage::finish()
{
    finish(FrameStyle(pc.print.BorderStyle));
}

void GridPage::finish(FrameStyle style)
{
    FinishGridPage(pc, m_entryX, m_entryY, nullptr, style);
}

IndexRun PrintedColumnRun(const EngineState &s, qint32 col)
{
    // The repeated fixed columns and the band are separate runs of columns on the page unless
    // the band goes on where the fixed columns end.
    if (s.Format.MultFixCol == 1 && col < s.FixedCols && s.FirstBodyCol != s.FixedCols)
        return { 0, s.FixedCols - 1 };
    if (s.Format.MultFixCol == 1 && s.FirstBodyCol == s.FixedCols)
        return { 0, s.LastBodyCol };
    return { s.FirstBodyCol, s.LastBodyCol };
}

void FinishGridPage(
    const PageContext &pc, qint32 entryX, qint32 entryY, const std::function<void()> &afterFrame)
{
    FinishGridPage(pc, entryX, entryY, afterFrame, FrameStyle(pc.print.BorderStyle));
}

void FinishGridPage(const PageContext &pc, qint32 entryX, qint32 entryY,
    const std::function<void()> &afterFrame, FrameStyle style)
{
    EngineState &s = pc.s;
    Surface &target = pc.surface;
    const qint32 left = roundHalfEven(entryX * s.ZoomRate);
    const qint32 top = roundHalfEven(entryY * s.ZoomRate);
    DrawGridFrame(pc, style, left, top, left + roundHalfEven(s.PageWidthTw * s.ZoomRate), s.CurY);
    target.setDrawWidth(1);
    if (afterFrame) {
        afterFrame();
        target.setDrawWidth(1);
    }
    s.PageOriginY += 100;
}

} // namespace quillon
