#include "imagepagesurface.h"

#include <QImage>

namespace quillon {

ImagePageSurface::ImagePageSurface(QImage *picture)
    : PainterSurface(picture)
{
}

std::unique_ptr<PageSurface> ImagePageSurface::create(QImage *picture)
{
    return std::make_unique<ImagePageSurface>(picture);
}

} // namespace quillon
