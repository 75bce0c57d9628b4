#pragma once

#include <QImage>
#include <QWidget>

#include <memory>

namespace quillon {

class ImagePicture;
class Surface;

/// The page picture `picPageView`: the sheet as the engine drew it, at the zoom the window
/// gives it. Its picture has as many pixels as the screen shows for its size, so that it is
/// sharp at any device pixel ratio; the engine draws on it through a page surface.
class PagePicture : public QWidget
{
    Q_OBJECT

public:
    explicit PagePicture(QWidget *parent = nullptr);
    ~PagePicture() override;

    /// The surface to draw the next sheet on, over a picture as large as the widget, which
    /// the drawing clears first. The picture is made again when the widget's size or the
    /// screen's pixel ratio changed.
    Surface *surfaceForDrawing();
    /// The surface of the picture as it is, for measuring (made on first use).
    Surface *surface();
    /// Shows what was drawn on the surface.
    void drawingDone();
    /// The picture as last shown, in device pixels.
    const QImage &picture() const { return m_shown; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void makePicture(QSize pixels, qreal ratio);

    std::unique_ptr<ImagePicture> m_picture;
    QImage m_shown;
    QSize m_pixels;
    qreal m_ratio = 1;
};

} // namespace quillon
