#include "paintersurface.h"

#include "reportfonts.h"

#include <QPagedPaintDevice>
#include <QPaintDevice>

#include <algorithm>

namespace quillon {

namespace {

QStringList linesOf(const QString &text)
{
    QString plain = text;
    plain.remove(QLatin1Char('\r'));
    return plain.split(QLatin1Char('\n'));
}

Qt::PenStyle penStyle(int drawStyle)
{
    switch (drawStyle) {
    case 1:
        return Qt::DashLine;
    case 2:
        return Qt::DotLine;
    case 3:
        return Qt::DashDotLine;
    case 4:
        return Qt::DashDotDotLine;
    default:
        return Qt::SolidLine;
    }
}

} // namespace

PainterSurface::PainterSurface(QPaintDevice *device)
    : m_device(device)
    , m_dpiX(device->logicalDpiX())
    , m_dpiY(device->logicalDpiY())
{
    m_font.setHintingPreference(QFont::PreferNoHinting);
    m_font.setStyleStrategy(QFont::PreferOutline);
    m_font.setFamilies(ReportFonts::families(QString()));
    m_font.setPointSizeF(m_fontSize);
}

PainterSurface::~PainterSurface()
{
    end();
}

bool PainterSurface::newPage()
{
    auto *paged = dynamic_cast<QPagedPaintDevice *>(m_painter.isActive() ? m_painter.device()
                                                                          : m_device);
    if (!paged)
        return false;
    painter(); // an empty first page still counts as a page
    if (!paged->newPage())
        return false;
    m_painter.resetTransform();
    paintingStarted(m_painter);
    return true;
}

QPainter &PainterSurface::painter()
{
    if (!m_painter.isActive() && !m_failed) {
        QPaintDevice *device = deviceForPainting();
        if (device && m_painter.begin(device)) {
            m_painter.setRenderHint(QPainter::TextAntialiasing, true);
            paintingStarted(m_painter);
        } else {
            m_failed = true;
        }
    }
    return m_painter;
}

void PainterSurface::setMetricDevice(QPaintDevice *device)
{
    Q_ASSERT(!m_painter.isActive());
    m_device = device;
    m_dpiX = device->logicalDpiX();
    m_dpiY = device->logicalDpiY();
    fontChanged();
}

void PainterSurface::end()
{
    if (m_painter.isActive())
        m_painter.end();
}

void PainterSurface::fontChanged()
{
    m_metrics.reset();
}

const QFontMetricsF &PainterSurface::metrics()
{
    if (!m_metrics)
        m_metrics.emplace(m_font, m_device);
    return *m_metrics;
}

void PainterSurface::setFontName(const QString &name)
{
    if (name == m_fontName)
        return;
    m_fontName = name;
    m_font.setFamilies(ReportFonts::families(name));
    fontChanged();
}

void PainterSurface::setFontSize(double points)
{
    // A font needs a positive size; shrinking loops may ask for less.
    if (points == m_fontSize)
        return;
    m_fontSize = points;
    m_font.setPointSizeF(std::max(points, 0.5));
    fontChanged();
}

void PainterSurface::setFontBold(bool on)
{
    if (m_font.bold() == on)
        return;
    m_font.setBold(on);
    fontChanged();
}

void PainterSurface::setFontItalic(bool on)
{
    if (m_font.italic() == on)
        return;
    m_font.setItalic(on);
    fontChanged();
}

void PainterSurface::setFontStrikethru(bool on)
{
    if (m_font.strikeOut() == on)
        return;
    m_font.setStrikeOut(on);
    fontChanged();
}

void PainterSurface::setFontUnderline(bool on)
{
    if (m_font.underline() == on)
        return;
    m_font.setUnderline(on);
    fontChanged();
}

double PainterSurface::TextWidth(const QString &text)
{
    const QFontMetricsF &fm = metrics();
    double widest = 0;
    for (const QString &line : linesOf(text))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return widest * 1440.0 / m_dpiX;
}

double PainterSurface::TextHeight(const QString &text)
{
    return linesOf(text).size() * metrics().height() * 1440.0 / m_dpiY;
}

void PainterSurface::Print(const QString &text)
{
    const QFontMetricsF &fm = metrics();
    QPainter &p = painter();
    if (!p.isActive())
        return;
    p.setFont(m_font);
    p.setPen(colorFromRgb(m_foreColor));
    double y = toDeviceY(m_currentY);
    for (const QString &line : linesOf(text)) {
        if (!line.isEmpty())
            p.drawText(QPointF(toDeviceX(m_currentX), y + fm.ascent()), line);
        y += fm.height();
    }
    m_currentY = y * 1440.0 / m_dpiY;
    m_currentX = 0;
}

void PainterSurface::Line(double x1, double y1, double x2, double y2, qint32 color, LineEnd end)
{
    if (end == LineEnd::Relative) {
        x2 += x1;
        y2 += y1;
    }
    const double pixel = std::max(1.0, std::max(m_dpiX, m_dpiY) / 600.0);
    QPen pen(colorFromRgb(color), m_drawWidth * pixel, penStyle(m_drawStyle), Qt::SquareCap);
    QPainter &p = painter();
    if (!p.isActive())
        return;
    p.setPen(pen);
    p.drawLine(QPointF(toDeviceX(x1), toDeviceY(y1)), QPointF(toDeviceX(x2), toDeviceY(y2)));
    m_currentX = x2;
    m_currentY = y2;
}

void PainterSurface::setDrawWidth(int width)
{
    m_drawWidth = std::clamp(width, 1, 32);
}

void PainterSurface::PaintPicture(const QImage &picture, double x, double y, double w, double h,
                                  double sx, double sy, double sw, double sh)
{
    if (picture.isNull())
        return;
    const QRectF source(sx, sy, sw > 0 ? sw : picture.width() - sx,
                        sh > 0 ? sh : picture.height() - sy);
    const QRectF target(toDeviceX(x), toDeviceY(y), toDeviceX(w), toDeviceY(h));
    if (painter().isActive())
        m_painter.drawImage(target, picture, source);
}

void PainterSurface::Cls()
{
    if (painter().isActive())
        m_painter.fillRect(QRectF(0, 0, m_device->width(), m_device->height()), Qt::white);
}

double PainterSurface::Width() const
{
    return m_device->width() * 1440.0 / m_dpiX;
}

double PainterSurface::Height() const
{
    return m_device->height() * 1440.0 / m_dpiY;
}

} // namespace quillon
