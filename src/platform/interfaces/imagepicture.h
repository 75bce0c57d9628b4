#pragma once

#include "surface.h"

#include <QImage>
#include <QSize>

#include <memory>

namespace quillon {

/// A page picture: a surface that paints into a picture in memory, which a window shows. Its
/// owner sizes it; setWidth and setHeight are ignored, as on every picture of a fixed size.
class ImagePicture : public virtual Surface
{
public:
    /// Makes the picture `pixels` large. What is drawn stays where it still fits; the rest is
    /// white.
    virtual void resizePixels(QSize pixels) = 0;
    /// The picture with everything drawn so far.
    virtual QImage image() = 0;
};

/// A page picture of `pixels` at `dotsPerInch`, white. The platform layer implements it (with
/// the painter surface the exports draw with), so that a layer which cannot see the platform
/// draws pages exactly as the exports do.
std::unique_ptr<ImagePicture> makeImagePicture(QSize pixels, int dotsPerInch);

} // namespace quillon
