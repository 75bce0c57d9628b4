#pragma once

#include <QPaintDevice>

#include <memory>

class QImage;

namespace quillon {

class LinearPaintEngine;

/// Paints on an image as a QPainter on the image would, in time about linear in what is
/// drawn. Qt's raster engine strokes a wide outline by filling the outline of the stroke,
/// and fills with antialiasing by keeping each row's crossings in a sorted list: both take
/// time with the square of the points when the outline crosses itself (minutes for a few
/// thousand points), and lines far outside the image cost their whole length. Here large or
/// far-reaching shapes are clipped to the image, strokes are drawn segment by segment with
/// their joins and caps, and a fill whose rows are crowded with crossings is drawn aliased.
/// Vector pictures (metafiles, SVG) are drawn through it.
class LinearPaintDevice final : public QPaintDevice
{
public:
    /// Paints on @p image, which must outlive the device.
    explicit LinearPaintDevice(QImage *image);
    ~LinearPaintDevice() override;

    QPaintEngine *paintEngine() const override;

    /// Stops drawing once the operations have touched this many pixels in all (a pixel
    /// touched twice counts twice); 0, the default, never stops.
    void setWorkLimit(double pixels);
    /// Whether drawing stopped at the work limit: the image then lacks what came after.
    bool exhausted() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QImage *m_image;
    std::unique_ptr<LinearPaintEngine> m_engine;
};

} // namespace quillon
