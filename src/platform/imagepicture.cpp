#include "platform/interfaces/imagepicture.h"

#include "paintersurface.h"

#include <QPainter>

namespace quillon {

namespace {

QImage whitePicture(QSize pixels, int dotsPerInch)
{
    QImage image(pixels.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    const int dotsPerMeter = qRound(dotsPerInch / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    return image;
}

/// Holds the picture so that it is made before the surface that paints on it.
struct PictureHolder
{
    QImage picture;
};

class ImagePagePicture final : private PictureHolder, public PainterSurface, public ImagePicture
{
public:
    ImagePagePicture(QSize pixels, int dotsPerInch)
        : PictureHolder { whitePicture(pixels, dotsPerInch) }
        , PainterSurface(&picture)
        , m_dotsPerInch(dotsPerInch)
    {
    }

    void resizePixels(QSize pixels) override
    {
        if (pixels.expandedTo(QSize(1, 1)) == picture.size())
            return;
        end();
        QImage next = whitePicture(pixels, m_dotsPerInch);
        QPainter(&next).drawImage(0, 0, picture);
        picture = std::move(next);
        setMetricDevice(&picture);
    }

    QImage image() override
    {
        end(); // lines still queued reach the picture
        return picture;
    }

private:
    int m_dotsPerInch;
};

} // namespace

std::unique_ptr<ImagePicture> makeImagePicture(QSize pixels, int dotsPerInch)
{
    return std::make_unique<ImagePagePicture>(pixels, dotsPerInch);
}

} // namespace quillon
