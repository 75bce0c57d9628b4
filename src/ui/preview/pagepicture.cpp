#include "pagepicture.h"

#include "engine/state/platformservices.h"
#include "platform/interfaces/pagesurface.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace quillon {

namespace {

/// Dots per metre of a screen pixel at 96 per inch, 15 twips to the pixel.
constexpr double kDotsPerMetre = 3780;

} // namespace

PagePicture::PagePicture(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("picPageView"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PagePicture::~PagePicture() = default;

bool PagePicture::makePicture(QSize pixels, qreal ratio, bool blank)
{
    m_surface.reset(); // it paints on the old picture
    m_picture = QImage(pixels.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    m_picture.setDotsPerMeterX(int(std::lround(kDotsPerMetre * ratio)));
    m_picture.setDotsPerMeterY(int(std::lround(kDotsPerMetre * ratio)));
    if (blank)
        m_picture.fill(Qt::white);
    m_ratio = ratio;
    m_surface = makePageSurface(&m_picture);
    return m_surface != nullptr;
}

PageSurface *PagePicture::surface()
{
    if (!m_surface)
        makePicture(QSize(16, 16), devicePixelRatioF(), true);
    return m_surface.get();
}

PageSurface *PagePicture::surfaceForDrawing()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(qRound(width() * ratio), qRound(height() * ratio));
    if (!m_surface || ratio != m_ratio || m_picture.size() != pixels.expandedTo(QSize(1, 1)))
        makePicture(pixels, ratio, false); // drawing a sheet starts by clearing it
    return m_surface.get();
}

void PagePicture::drawingDone()
{
    if (m_surface)
        m_surface->flush();
    update();
}

void PagePicture::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    // Until the next sheet is drawn a resized page keeps what it showed, at its old size.
    const QRectF drawn(0, 0, m_picture.width() / m_ratio, m_picture.height() / m_ratio);
    if (!drawn.contains(QRectF(event->rect())))
        painter.fillRect(event->rect(), Qt::white);
    painter.drawImage(drawn, m_picture);
}

} // namespace quillon
