#include "gridframe.h"

#include "engine/convert.h"
#include "engine/layout/computelayout.h"
#include "engine/state/enginestate.h"
#include "engine/state/previewsinks.h"
#include "engine/state/printproperties.h"
#include "platform/interfaces/surface.h"

namespace quillon {

namespace {

void box(Surface &s, qint32 left, qint32 top, qint32 right, qint32 bottom, qint32 color)
{
    s.Line(left, top, right, top, color);
    s.Line(left, top, left, bottom, color);
    s.Line(right, top, right, bottom, color);
    s.Line(left, bottom, right, bottom, color);
}

} // namespace

void DrawGridFrame(qint32 left, qint32 top, qint32 right, qint32 bottom)
{
    DrawGridFrame(FrameStyle(engineState().printObject()->BorderStyle), left, top, right, bottom);
}

void DrawGridFrame(FrameStyle style, qint32 left, qint32 top, qint32 right, qint32 bottom)
{
    EngineState &state = engineState();
    Surface &s = *state.DrawTarget;
    const qint32 color = state.LineColor;
    switch (style) {
    case FrameStyle::SingleBox:
        s.setDrawWidth(2);
        box(s, left, top, right, bottom, color);
        break;
    case FrameStyle::DoubleBox:
        s.setDrawWidth(1);
        box(s, left, top, right, bottom, color);
        // The outer box keeps its distance whatever the zoom.
        box(s, left - 30, top - 15, right + 30, bottom + 15, color);
        break;
    case FrameStyle::TopBottom:
        s.setDrawWidth(2);
        s.Line(right, top, right, bottom, 0xFFFFFF);
        s.Line(left, top, right, top, color);
        s.Line(left, bottom, right, bottom, color);
        break;
    default:
        break;
    }
}

GridTable::GridTable()
    : s(engineState())
    , m_entryX(s.PageOriginX)
    , m_entryY(s.PageOriginY)
{
    newLine();
    SelectColumnBand(s);
}

qint32 GridTable::surface(double pageTwips) const
{
    return roundHalfEven(pageTwips * s.ZoomRate);
}

void GridTable::newLine() const
{
    s.CurX = surface(s.PageOriginX);
    s.CurY = surface(s.PageOriginY);
}

double GridTable::bandScale(const std::function<double(qint32)> &width) const
{
    double total = s.FixedColsWidthTw;
    for (qint32 c = s.FirstBodyCol; c <= s.LastBodyCol; ++c)
        total += width(c);
    return total > 0 ? s.PageWidthTw / total : 0;
}

GridTable::Rows GridTable::bodyRows(qint64 firstBodyRow) const
{
    const qint64 perPage = s.LinesPerPage;
    return { (s.CurRowPage - 1) * perPage + firstBodyRow,
        s.CurRowPage * perPage + firstBodyRow - 1 };
}

void GridTable::drawBodyRows(
    Rows rows, qint64 endOfData, const std::function<void(qint32 row, bool blank)> &drawRow) const
{
    const bool progress = s.OutputMode == 2 && s.PreviewUiActive && s.PreviewProgressBar;
    bool blank = false;
    for (qint64 r = rows.first; r <= rows.last; ++r) {
        if (progress)
            s.PreviewProgressBar->setValue(
                s.PreviewProgressBar->value() + 80.0 / double(s.LinesPerPage));
        if (r >= endOfData) {
            if (s.Format.FillBlankLine != 1)
                break;
            blank = true;
        }
        drawRow(qint32(r), blank);
        s.PageOriginY += s.LineHeightTw;
        newLine();
    }
}

void GridTable::finish() const
{
    finish(FrameStyle(s.printObject()->BorderStyle));
}

void GridTable::finish(FrameStyle style) const
{
    DrawGridFrame(style, left(), top(), left() + surface(s.PageWidthTw), s.CurY);
    s.DrawTarget->setDrawWidth(1);
    s.PageOriginY += 100;
}

} // namespace quillon
