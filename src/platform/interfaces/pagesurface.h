#pragma once

#include "surface.h"

#include <functional>
#include <memory>

class QImage;

namespace quillon {

/// A surface that paints on a page picture in memory, the picture a window shows.
class PageSurface : public virtual Surface
{
public:
    /// Completes what was drawn so far, so that the picture holds all of it. Drawing may go on
    /// afterwards.
    virtual void flush() = 0;
};

/// Makes a page surface that paints on `picture` at the picture's own resolution (its dots
/// per metre). The picture must outlive the surface.
using PageSurfaceFactory = std::function<std::unique_ptr<PageSurface>(QImage *picture)>;

} // namespace quillon
