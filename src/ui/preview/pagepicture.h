#pragma once

#include <QImage>
#include <QWidget>

#include <memory>

namespace quillon {

class PageSurface;

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
    /// the drawing clears first.
    /// The picture is made again when the widget's size or the screen's pixel ratio changed;
    /// nothing when the platform paints no page pictures.
    PageSurface *surfaceForDrawing();
    /// The surface of the picture as it is, for measuring (made on first use).
    PageSurface *surface();
    /// Shows what was drawn on the surface.
    void drawingDone();
    /// The picture as drawn, in device pixels.
    const QImage &picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool makePicture(QSize pixels, qreal ratio, bool blank);

    QImage m_picture;
    qreal m_ratio = 1;
    std::unique_ptr<PageSurface> m_surface;
};

} // namespace quillon
