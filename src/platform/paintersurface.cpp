#include "paintersurface.h"

#include "reportfonts.h"

#include <QFontDatabase>
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
}

PainterSurface::~PainterSurface()
{
    end();
}

bool PainterSurface::newPage()
{
    auto *paged
        = dynamic_cast<QPagedPaintDevice *>(m_painter.isActive() ? m_painter.device() : m_device);
    if (!paged)
        return false;
    flushLines();
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
    m_fontCaches.clear();
    m_currentCache = nullptr;
}

void PainterSurface::end()
{
    flushLines();
    if (m_painter.isActive())
        m_painter.end();
}

namespace {

/// Characters that a glyph-by-glyph layout renders exactly as full shaping would.
bool needsNoShaping(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x20 && u < 0x250) || (u >= 0x2000 && u < 0x2070) || (u >= 0x2E80 && u < 0xA000)
        || (u >= 0xF900 && u < 0xFB00) || (u >= 0xFE30 && u < 0xFE50)
        || (u >= 0xFF00 && u < 0xFFF0);
}

} // namespace

PainterSurface::FontCache &PainterSurface::fontCache()
{
    if (!m_currentCache) {
        auto it = m_fontCaches.find(m_spec);
        if (it == m_fontCaches.end()) {
            QFont font;
            font.setHintingPreference(QFont::PreferNoHinting);
            font.setStyleStrategy(QFont::PreferOutline);
            font.setFamilies(ReportFonts::families(m_spec.name));
            // A font needs a positive size; shrinking loops may ask for less.
            font.setPointSizeF(std::max(m_spec.size, 0.5));
            font.setBold(m_spec.bold);
            font.setItalic(m_spec.italic);
            font.setStrikeOut(m_spec.strikeOut);
            font.setUnderline(m_spec.underline);
            FontCache cache;
            cache.font = font;
            cache.metrics = QFontMetricsF(font, m_device);
            cache.rawFont
                = QRawFont::fromFont(QFont(font, m_device), QFontDatabase::SimplifiedChinese);
            it = m_fontCaches.insert(m_spec, std::move(cache));
        }
        m_currentCache = &*it;
    }
    return *m_currentCache;
}

const PainterSurface::SimpleText &PainterSurface::simpleText(const QString &line)
{
    // Decorated fonts keep Qt's own drawing, which draws their lines.
    if (line.isEmpty() || m_spec.bold || m_spec.italic || m_spec.underline || m_spec.strikeOut)
        return m_unsupported;
    FontCache &cache = fontCache();
    // A cell's text is measured, then printed: the last layout of each font serves both.
    SimpleText &entry = cache.last;
    if (entry.text == line && !entry.text.isEmpty())
        return entry;
    entry = SimpleText {};
    entry.text = line;
    for (QChar c : line) {
        if (!needsNoShaping(c))
            return entry;
    }
    const QRawFont &raw = cache.rawFont;
    if (!raw.isValid())
        return entry;
    const QList<quint32> glyphs = raw.glyphIndexesForString(line);
    if (glyphs.size() != line.size() || glyphs.contains(0u))
        return entry; // a character the primary face lacks: let Qt find a face for it
    const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    double x = 0;
    const double ascent = raw.ascent();
    for (const QPointF &advance : advances) {
        positions.append(QPointF(x, ascent));
        x += advance.x();
    }
    entry.run.setRawFont(raw);
    entry.run.setGlyphIndexes(glyphs);
    entry.run.setPositions(positions);
    entry.advance = x;
    entry.valid = true;
    return entry;
}

void PainterSurface::queueLine(const QLineF &line, const QPen &pen)
{
    if (!m_queuedLines.isEmpty() && pen != m_queuedPen)
        flushLines(); // a line of another pen may paint over these: keep the order
    m_queuedPen = pen;
    const bool horizontal = line.y1() == line.y2();
    const bool vertical = line.x1() == line.x2();
    if (!horizontal && !vertical) {
        m_queuedLines.append(line);
        return;
    }
    // Always from the smaller to the larger end, so that touching segments meet end to start.
    const QPointF a = horizontal ? (line.x1() <= line.x2() ? line.p1() : line.p2())
                                 : (line.y1() <= line.y2() ? line.p1() : line.p2());
    const QPointF b = a == line.p1() ? line.p2() : line.p1();
    auto &open = horizontal ? m_openHorizontal : m_openVertical;
    const auto startKey = horizontal ? qMakePair(a.y(), a.x()) : qMakePair(a.x(), a.y());
    const auto endKey = horizontal ? qMakePair(b.y(), b.x()) : qMakePair(b.x(), b.y());
    if (const auto it = open.constFind(startKey); it != open.cend()) {
        const qsizetype index = *it;
        open.erase(it);
        m_queuedLines[index].setP2(b);
        open.insert(endKey, index);
        return;
    }
    m_queuedLines.append(QLineF(a, b));
    open.insert(endKey, m_queuedLines.size() - 1);
}

void PainterSurface::flushLines()
{
    if (m_queuedLines.isEmpty())
        return;
    QPainter &p = painter();
    if (p.isActive()) {
        p.setPen(m_queuedPen);
        p.drawLines(m_queuedLines.constData(), int(m_queuedLines.size()));
    }
    m_queuedLines.clear();
    m_openHorizontal.clear();
    m_openVertical.clear();
}

void PainterSurface::setSpec(const FontSpec &spec)
{
    if (spec == m_spec)
        return;
    m_spec = spec;
    m_currentCache = nullptr;
}

void PainterSurface::setFontName(const QString &name)
{
    FontSpec spec = m_spec;
    spec.name = name;
    setSpec(spec);
}

void PainterSurface::setFontSize(double points)
{
    FontSpec spec = m_spec;
    spec.size = points;
    setSpec(spec);
}

void PainterSurface::setFontBold(bool on)
{
    FontSpec spec = m_spec;
    spec.bold = on;
    setSpec(spec);
}

void PainterSurface::setFontItalic(bool on)
{
    FontSpec spec = m_spec;
    spec.italic = on;
    setSpec(spec);
}

void PainterSurface::setFontStrikethru(bool on)
{
    FontSpec spec = m_spec;
    spec.strikeOut = on;
    setSpec(spec);
}

void PainterSurface::setFontUnderline(bool on)
{
    FontSpec spec = m_spec;
    spec.underline = on;
    setSpec(spec);
}

double PainterSurface::TextWidth(const QString &text)
{
    if (const SimpleText &simple = simpleText(text); simple.valid)
        return simple.advance * 1440.0 / m_dpiX;
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
    p.setFont(fontCache().font);
    p.setPen(colorFromRgb(m_foreColor));
    double y = toDeviceY(m_currentY);
    for (const QString &line : linesOf(text)) {
        if (!line.isEmpty()) {
            if (const SimpleText &simple = simpleText(line); simple.valid)
                p.drawGlyphRun(QPointF(toDeviceX(m_currentX), y), simple.run);
            else
                p.drawText(QPointF(toDeviceX(m_currentX), y + fm.ascent()), line);
        }
        y += fm.height();
    }
    m_currentY = y * 1440.0 / m_dpiY;
    m_currentX = 0;
}

void PainterSurface::PrintCells(const QString &text, double cellWidth)
{
    const SimpleText &simple = simpleText(text);
    if (!simple.valid || text.contains(QLatin1Char('\n'))) {
        Surface::PrintCells(text, cellWidth);
        return;
    }
    QPainter &p = painter();
    if (!p.isActive())
        return;
    // The laid-out glyphs, each moved to the middle of its cell: one run for the whole text.
    const double cell = toDeviceX(cellWidth);
    QList<QPointF> positions = simple.run.positions();
    for (qsizetype i = 0; i < positions.size(); ++i) {
        const double end = i + 1 < positions.size() ? positions[i + 1].x() : simple.advance;
        positions[i].setX(i * cell + (cell - (end - positions[i].x())) / 2);
    }
    QGlyphRun run = simple.run;
    run.setPositions(positions);
    p.setFont(fontCache().font);
    p.setPen(colorFromRgb(m_foreColor));
    p.drawGlyphRun(QPointF(toDeviceX(m_currentX), toDeviceY(m_currentY)), run);
    m_currentY += metrics().height() * 1440.0 / m_dpiY;
    m_currentX = 0;
}

double PainterSurface::drawPixelWidth() const
{
    const double dpi = std::max(m_dpiX, m_dpiY);
    return std::max(1.0, dpi / 600.0) * 1440.0 / dpi;
}

void PainterSurface::Line(double x1, double y1, double x2, double y2, qint32 color, LineEnd end)
{
    if (end == LineEnd::Relative) {
        x2 += x1;
        y2 += y1;
    }
    const double pixel = std::max(1.0, std::max(m_dpiX, m_dpiY) / 600.0);
    const QPen pen(colorFromRgb(color), m_drawWidth * pixel, penStyle(m_drawStyle), Qt::SquareCap);
    queueLine(QLineF(toDeviceX(x1), toDeviceY(y1), toDeviceX(x2), toDeviceY(y2)), pen);
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
    const QRectF source(
        sx, sy, sw > 0 ? sw : picture.width() - sx, sh > 0 ? sh : picture.height() - sy);
    const QRectF target(toDeviceX(x), toDeviceY(y), toDeviceX(w), toDeviceY(h));
    flushLines();
    if (painter().isActive())
        m_painter.drawImage(target, picture, source);
}

void PainterSurface::Cls()
{
    m_queuedLines.clear(); // lines not drawn yet would be cleared anyway
    m_openHorizontal.clear();
    m_openVertical.clear();
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
