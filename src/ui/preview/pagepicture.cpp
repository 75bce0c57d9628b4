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
    m_picture = makeImagePicture(pixels, qRound(96 * ratio));
    m_shown = m_picture->image();
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
    if (!m_picture || ratio != m_ratio || m_shown.size() != pixels.expandedTo(QSize(1, 1)))
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
    // Until the next sheet is drawn a resized page keeps what it showed, at its old size.
    const QRectF drawn(0, 0, m_shown.width() / m_ratio, m_shown.height() / m_ratio);
    if (!drawn.contains(QRectF(event->rect())))
        painter.fillRect(event->rect(), Qt::white);
    painter.drawImage(drawn, m_shown);
}

} // namespace quillon
