#include "gridframe.h"

#include "engine/draw/pagecontext.h"

#include "engine/state/enginestate.h"
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

void DrawGridFrame(const PageContext &pc, qint32 left, qint32 top, qint32 right, qint32 bottom)
{
    DrawGridFrame(pc, FrameStyle(pc.print.BorderStyle), left, top, right, bottom);
}

void DrawGridFrame(
    const PageContext &pc, FrameStyle style, qint32 left, qint32 top, qint32 right, qint32 bottom)
{
    Surface &s = pc.surface;
    const qint32 color = pc.s.LineColor;
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

} // namespace quillon
