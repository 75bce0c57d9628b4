#pragma once

#include <QtGlobal>

namespace quillon {

enum class FrameStyle : qint32;
struct PageContext;

/// The frame around a drawn grid (surface units), by the print object's BorderStyle:
/// 1 a single box at DrawWidth 2; 2 a box at DrawWidth 1 and a second one 30 × 15 units
/// outside it; 3 top and bottom lines only, the right edge painted out in white; 4 and 5 none.
void DrawGridFrame(const PageContext &pc, qint32 left, qint32 top, qint32 right, qint32 bottom);
/// The frame of the given style, whatever the print object's BorderStyle.
void DrawGridFrame(
    const PageContext &pc, FrameStyle style, qint32 left, qint32 top, qint32 right, qint32 bottom);

} // namespace quillon
