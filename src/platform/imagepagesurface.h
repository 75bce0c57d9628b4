#pragma once

#include "platform/interfaces/pagesurface.h"
#include "platform/paintersurface.h"

class QImage;

namespace quillon {

/// A page picture painted with QPainter: the preview's page at the screen's resolution.
class ImagePageSurface : public PainterSurface, public PageSurface
{
public:
    explicit ImagePageSurface(QImage *picture);

    /// Ends painting, which draws the grid lines still waiting; the next drawing starts again.
    void flush() override { end(); }

    /// The factory the platform installs.
    static std::unique_ptr<PageSurface> create(QImage *picture);
};

} // namespace quillon
