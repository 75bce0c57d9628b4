#include "pagepicture.h"

#include "platform/interfaces/imagepicture.h"

#include <QPaintEvent>
#include <QPainter>

namespace quillon {

PagePicture::PagePicture(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("picPageView"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PagePicture::~PagePicture() = default;

void PagePicture::makePicture(QSize pixels, qreal ratio)
{
    // What is shown stays until the new picture is drawn: a zoom never flashes a blank page.
    m_picture = makeImagePicture(pixels, qRound(96 * ratio));
    m_pixels = pixels.expandedTo(QSize(1, 1));
    m_ratio = ratio;
}

Surface *PagePicture::surface()
{
    if (!m_picture)
        makePicture(QSize(16, 16), devicePixelRatioF());
    return m_picture.get();
}

Surface *PagePicture::surfaceForDrawing()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(qRound(width() * ratio), qRound(height() * ratio));
    if (!m_picture || ratio != m_ratio || m_pixels != pixels.expandedTo(QSize(1, 1)))
        makePicture(pixels, ratio);
    return m_picture.get();
}

void PagePicture::drawingDone()
{
    if (m_picture)
        m_shown = m_picture->image();
    update();
}

void PagePicture::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    if (m_shown.isNull()) {
        painter.fillRect(event->rect(), Qt::white);
        return;
    }
    // Until the next sheet is drawn a resized page shows what it showed, scaled to its size.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(rect()), m_shown);
}

} // namespace quillon
