#include "linearpaintdevice.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace quillon {

namespace {

/// A shape of at most this many elements that lies near the image is drawn as Qt draws it.
constexpr qsizetype kNativeElements = 256;
/// An antialiased fill costs about (crossings in a row) × min(crossings, row width) per row;
/// past this many units (about a fifth of a second) it is drawn aliased, which at print
/// resolution looks the same.
constexpr double kAntialiasBudget = 2e7;
/// Translucent strokes are drawn on layers, so that their segments do not darken where they
/// overlap, until the layers have covered the image this many times.
constexpr double kLayerBudget = 64;
/// A join whose gap on the outer side is narrower than this (pixels) is left out.
constexpr double kMinJoinGap = 0.02;

bool isFinite(QPointF p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

enum class Side { Left, Right, Top, Bottom };

bool inside(QPointF p, Side side, double edge)
{
    switch (side) {
    case Side::Left:
        return p.x() >= edge;
    case Side::Right:
        return p.x() <= edge;
    case Side::Top:
        return p.y() >= edge;
    case Side::Bottom:
        break;
    }
    return p.y() <= edge;
}

/// Where the segment from a (on one side of the edge) to b (on the other) meets the edge.
QPointF crossing(QPointF a, QPointF b, Side side, double edge)
{
    if (side == Side::Left || side == Side::Right)
        return { edge, a.y() + (edge - a.x()) / (b.x() - a.x()) * (b.y() - a.y()) };
    return { a.x() + (edge - a.y()) / (b.y() - a.y()) * (b.x() - a.x()), edge };
}

/// The polygon cut to one side of an edge (Sutherland–Hodgman). What is cut away is replaced by
/// a run along the edge, so every point on the kept side keeps its winding number: the fill
/// there is the same under either fill rule, even for a polygon that crosses itself.
void clipToSide(const QPolygonF &in, QPolygonF &out, Side side, double edge)
{
    out.clear();
    const qsizetype n = in.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QPointF a = in[i];
        const QPointF b = in[(i + 1) % n];
        const bool aIn = inside(a, side, edge);
        const bool bIn = inside(b, side, edge);
        if (aIn)
            out << a;
        if (aIn != bIn)
            out << crossing(a, b, side, edge);
    }
}

QPolygonF clipPolygon(const QPolygonF &polygon, const QRectF &rect)
{
    QPolygonF a;
    QPolygonF b;
    a.reserve(polygon.size());
    for (const QPointF &p : polygon) {
        if (isFinite(p))
            a << p;
    }
    clipToSide(a, b, Side::Left, rect.left());
    clipToSide(b, a, Side::Right, rect.right());
    clipToSide(a, b, Side::Top, rect.top());
    clipToSide(b, a, Side::Bottom, rect.bottom());
    return a;
}

/// The part of the segment from a to b inside rect (Liang–Barsky); false when there is none.
bool clipSegment(QPointF &a, QPointF &b, const QRectF &rect)
{
    const QPointF d = b - a;
    double t0 = 0;
    double t1 = 1;
    const auto keep = [&](double p, double q) {
        if (p == 0)
            return q >= 0;
        const double t = q / p;
        if (p < 0) {
            if (t > t1)
                return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0)
                return false;
            t1 = std::min(t1, t);
        }
        return true;
    };
    if (!keep(-d.x(), a.x() - rect.left()) || !keep(d.x(), rect.right() - a.x())
        || !keep(-d.y(), a.y() - rect.top()) || !keep(d.y(), rect.bottom() - a.y()))
        return false;
    b = a + d * t1;
    a = a + d * t0;
    return true;
}

QPointF unit(QPointF v)
{
    return v / std::hypot(v.x(), v.y());
}

/// The pen's width in device pixels under the transform (a zero width is one pixel).
double deviceWidth(const QPen &pen, const QTransform &transform)
{
    if (pen.style() == Qt::NoPen)
        return 0;
    if (pen.widthF() == 0)
        return 1;
    if (pen.isCosmetic())
        return pen.widthF();
    const double det = transform.m11() * transform.m22() - transform.m12() * transform.m21();
    return pen.widthF() * std::sqrt(std::abs(det));
}

/// A stroke in device pixels: its segments, drawn with flat ends, and what covers its joins
/// and ends: round ones as dots, the others as corners. A dashed stroke has no joins; each
/// segment carries where in the dash pattern it starts.
struct StrokeParts
{
    std::vector<QLineF> lines;
    std::vector<double> dashOffsets;
    std::vector<QPointF> dots;
    std::vector<QPolygonF> corners;
    QRectF bounds;
};

} // namespace

/// Draws through a QPainter on the image; what would be slow there is taken apart first.
class LinearPaintEngine final : public QPaintEngine
{
public:
    explicit LinearPaintEngine(QImage *image)
        : QPaintEngine(AllFeatures)
        , m_image(image)
    {
    }

    bool begin(QPaintDevice *) override
    {
        m_layerArea = 0;
        m_work = 0;
        m_exhausted = false;
        return m_painter.begin(m_image);
    }
    bool end() override { return m_painter.end(); }
    Type type() const override { return User; }
    void updateState(const QPaintEngineState &changed) override;

    using QPaintEngine::drawEllipse;
    using QPaintEngine::drawLines;
    using QPaintEngine::drawPoints;
    using QPaintEngine::drawPolygon;
    using QPaintEngine::drawRects;
    void drawPath(const QPainterPath &path) override;
    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override;
    void drawLines(const QLineF *lines, int count) override;
    void drawRects(const QRectF *rects, int count) override;
    void drawEllipse(const QRectF &rect) override;
    void drawPoints(const QPointF *points, int count) override
    {
        const double w = std::max(1.0, deviceWidth(m_painter.pen(), m_painter.worldTransform()));
        if (spend(double(count) * w * w))
            m_painter.drawPoints(points, count);
    }
    void drawPixmap(const QRectF &target, const QPixmap &pixmap, const QRectF &source) override
    {
        if (spend(areaOnImage(target)))
            m_painter.drawPixmap(target, pixmap, source);
    }
    void drawImage(const QRectF &target, const QImage &image, const QRectF &source,
        Qt::ImageConversionFlags flags) override
    {
        if (spend(areaOnImage(target)))
            m_painter.drawImage(target, image, source, flags);
    }
    void drawTiledPixmap(const QRectF &target, const QPixmap &pixmap, const QPointF &at) override
    {
        if (spend(areaOnImage(target)))
            m_painter.drawTiledPixmap(target, pixmap, at);
    }
    void drawTextItem(const QPointF &at, const QTextItem &item) override
    {
        const QRectF box(
            at.x(), at.y() - item.ascent(), item.width(), item.ascent() + item.descent());
        if (spend(areaOnImage(box)))
            m_painter.drawTextItem(at, item);
    }

    double m_workLimit = 0;
    bool m_exhausted = false;

private:
    /// Subpaths in device pixels, and whether each is closed.
    struct Outline
    {
        std::vector<QPolygonF> polygons;
        std::vector<bool> closed;
        Qt::FillRule rule = Qt::OddEvenFill;
    };

    /// Counts the pixels an operation touches; false, and nothing more is drawn, once the
    /// picture has touched more than its limit.
    bool spend(double pixels)
    {
        m_work += pixels;
        if (m_workLimit > 0 && m_work > m_workLimit)
            m_exhausted = true;
        return !m_exhausted;
    }
    /// The pixels of a rectangle in the painter's coordinates that lie on the image.
    double areaOnImage(const QRectF &rect) const
    {
        const QRectF on = m_painter.worldTransform().mapRect(rect) & QRectF(m_image->rect());
        return on.isValid() ? std::max(1.0, on.width() * on.height()) : 1.0;
    }
    bool drawsNatively(const QRectF &deviceBounds, qsizetype elements);
    void drawOutline(const Outline &outline, bool filled);
    void fill(const Outline &outline);
    void stroke(const Outline &outline);
    StrokeParts strokeParts(const Outline &outline, const QPen &pen, double width) const;
    void drawStroke(QPainter &painter, const QPen &pen, const StrokeParts &parts) const;
    /// The brush that paints with no transform what @p brush paints under the painter's.
    QBrush deviceBrush(const QBrush &brush) const;

    QImage *m_image;
    QPainter m_painter;
    double m_layerArea = 0;
    double m_work = 0;
};

void LinearPaintEngine::updateState(const QPaintEngineState &changed)
{
    const DirtyFlags flags = changed.state();
    // The transform first: a clip arrives in the coordinates of the transform sent with it.
    if (flags & DirtyTransform)
        m_painter.setTransform(changed.transform());
    // A clip other than a rectangle is drawn as a mask over the part of the image it covers.
    if (flags & DirtyClipRegion)
        spend(areaOnImage(QRectF(changed.clipRegion().boundingRect())));
    if (flags & DirtyClipPath)
        spend(areaOnImage(changed.clipPath().controlPointRect()));
    if (flags & DirtyClipRegion)
        m_painter.setClipRegion(changed.clipRegion(), changed.clipOperation());
    if (flags & DirtyClipPath)
        m_painter.setClipPath(changed.clipPath(), changed.clipOperation());
    if (flags & DirtyClipEnabled)
        m_painter.setClipping(changed.isClipEnabled());
    if (flags & DirtyPen)
        m_painter.setPen(changed.pen());
    if (flags & DirtyBrush)
        m_painter.setBrush(changed.brush());
    if (flags & DirtyBrushOrigin)
        m_painter.setBrushOrigin(changed.brushOrigin());
    if (flags & DirtyBackground)
        m_painter.setBackground(changed.backgroundBrush());
    if (flags & DirtyBackgroundMode)
        m_painter.setBackgroundMode(changed.backgroundMode());
    if (flags & DirtyFont)
        m_painter.setFont(changed.font());
    if (flags & DirtyHints) {
        m_painter.setRenderHints(m_painter.renderHints() & ~changed.renderHints(), false);
        m_painter.setRenderHints(changed.renderHints(), true);
    }
    if (flags & DirtyCompositionMode)
        m_painter.setCompositionMode(changed.compositionMode());
    if (flags & DirtyOpacity)
        m_painter.setOpacity(changed.opacity());
}

bool LinearPaintEngine::drawsNatively(const QRectF &deviceBounds, qsizetype elements)
{
    if (elements > kNativeElements)
        return false;
    // Within one image size around the image: a line far past it costs its whole length.
    const double w = deviceWidth(m_painter.pen(), m_painter.worldTransform());
    const QRectF reach
        = QRectF(m_image->rect())
              .adjusted(-m_image->width(), -m_image->height(), m_image->width(), m_image->height());
    const QRectF drawn = deviceBounds.adjusted(-w, -w, w, w);
    if (!reach.contains(drawn))
        return false;
    const QRectF on = drawn & QRectF(m_image->rect());
    spend(on.isValid() ? std::max(1.0, on.width() * on.height()) : 1.0);
    return true;
}

void LinearPaintEngine::drawPath(const QPainterPath &path)
{
    const QTransform &transform = m_painter.worldTransform();
    if (drawsNatively(transform.mapRect(path.controlPointRect()), path.elementCount())) {
        if (!m_exhausted)
            m_painter.drawPath(path);
        return;
    }
    Outline outline;
    outline.rule = path.fillRule();
    const QList<QPolygonF> subpaths = path.toSubpathPolygons(transform);
    outline.polygons.assign(subpaths.begin(), subpaths.end());
    for (const QPolygonF &polygon : outline.polygons)
        outline.closed.push_back(polygon.size() > 2 && polygon.first() == polygon.last());
    drawOutline(outline, true);
}

void LinearPaintEngine::drawPolygon(const QPointF *points, int count, PolygonDrawMode mode)
{
    if (count <= 0)
        return;
    QPolygonF polygon(QList<QPointF>(points, points + count));
    const QTransform &transform = m_painter.worldTransform();
    if (drawsNatively(transform.mapRect(polygon.boundingRect()), count)) {
        if (m_exhausted)
            return;
        switch (mode) {
        case PolylineMode:
            m_painter.drawPolyline(points, count);
            break;
        case ConvexMode:
            m_painter.drawConvexPolygon(points, count);
            break;
        default:
            m_painter.drawPolygon(
                points, count, mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
            break;
        }
        return;
    }
    Outline outline;
    outline.rule = mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill;
    outline.polygons.push_back(transform.map(polygon));
    outline.closed.push_back(mode != PolylineMode);
    drawOutline(outline, mode != PolylineMode);
}

void LinearPaintEngine::drawLines(const QLineF *lines, int count)
{
    Outline outline;
    const QTransform &transform = m_painter.worldTransform();
    for (int i = 0; i < count; ++i) {
        outline.polygons.push_back(
            QPolygonF({ transform.map(lines[i].p1()), transform.map(lines[i].p2()) }));
        outline.closed.push_back(false);
    }
    stroke(outline);
}

void LinearPaintEngine::drawRects(const QRectF *rects, int count)
{
    const QTransform &transform = m_painter.worldTransform();
    for (int i = 0; i < count; ++i) {
        if (drawsNatively(transform.mapRect(rects[i]), 4)) {
            if (!m_exhausted)
                m_painter.drawRect(rects[i]);
        } else {
            QPainterPath path;
            path.addRect(rects[i]);
            drawPath(path);
        }
    }
}

void LinearPaintEngine::drawEllipse(const QRectF &rect)
{
    if (drawsNatively(m_painter.worldTransform().mapRect(rect), 4)) {
        if (!m_exhausted)
            m_painter.drawEllipse(rect);
    } else {
        QPainterPath path;
        path.addEllipse(rect);
        drawPath(path);
    }
}

void LinearPaintEngine::drawOutline(const Outline &outline, bool filled)
{
    if (filled && m_painter.brush().style() != Qt::NoBrush)
        fill(outline);
    if (m_painter.pen().style() != Qt::NoPen)
        stroke(outline);
}

QBrush LinearPaintEngine::deviceBrush(const QBrush &brush) const
{
    switch (brush.style()) {
    case Qt::LinearGradientPattern:
    case Qt::RadialGradientPattern:
    case Qt::ConicalGradientPattern:
    case Qt::TexturePattern: {
        // A brush maps through its own transform, the brush origin and the painter's transform.
        QBrush mapped = brush;
        const QPointF origin = m_painter.brushOrigin();
        mapped.setTransform(brush.transform() * QTransform::fromTranslate(origin.x(), origin.y())
            * m_painter.worldTransform());
        return mapped;
    }
    default:
        return brush; // solid, or a pattern kept in device pixels
    }
}

void LinearPaintEngine::fill(const Outline &outline)
{
    const int width = m_image->width();
    const int height = m_image->height();
    const QRectF area = QRectF(m_image->rect()).adjusted(-2, -2, 2, 2);
    QPainterPath path;
    path.setFillRule(outline.rule);
    // How many edges cross each row, counted by where they start and end.
    std::vector<qint64> rows(size_t(height) + 1, 0);
    for (const QPolygonF &polygon : outline.polygons) {
        const QPolygonF clipped = clipPolygon(polygon, area);
        if (clipped.size() < 3)
            continue;
        path.addPolygon(clipped);
        path.closeSubpath();
        for (qsizetype i = 0; i < clipped.size(); ++i) {
            const QPointF a = clipped[i];
            const QPointF b = clipped[(i + 1) % clipped.size()];
            const int top = std::clamp(int(std::floor(std::min(a.y(), b.y()))), 0, height);
            const int bottom = std::clamp(int(std::ceil(std::max(a.y(), b.y()))), 0, height);
            if (bottom > top) {
                ++rows[size_t(top)];
                --rows[size_t(bottom)];
            }
        }
    }
    if (path.isEmpty())
        return;
    double cost = 0;
    double allCrossings = 0;
    qint64 crossings = 0;
    for (int y = 0; y < height; ++y) {
        crossings += rows[size_t(y)];
        allCrossings += double(crossings);
        cost += double(crossings) * double(std::min<qint64>(crossings, width));
    }
    const QRectF covered = path.boundingRect() & QRectF(m_image->rect());
    if (!spend(allCrossings + (covered.isValid() ? covered.width() * covered.height() : 0)))
        return;
    const QBrush brush = deviceBrush(m_painter.brush());
    m_painter.save();
    m_painter.resetTransform();
    m_painter.setBrushOrigin(0, 0);
    if (cost > kAntialiasBudget)
        m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.fillPath(path, brush);
    m_painter.restore();
}

StrokeParts LinearPaintEngine::strokeParts(
    const Outline &outline, const QPen &pen, double width) const
{
    StrokeParts parts;
    const bool wide = width > 1 && pen.style() == Qt::SolidLine;
    const bool dashed = pen.style() != Qt::SolidLine;
    const double h = width / 2;
    const double reach = 2
        + width
            * (pen.joinStyle() == Qt::MiterJoin || pen.joinStyle() == Qt::SvgMiterJoin
                    ? std::max(1.0, pen.miterLimit())
                    : 1.0);
    const QRectF area = QRectF(m_image->rect()).adjusted(-reach, -reach, reach, reach);
    const auto cap = [&](QPointF end, QPointF outward) {
        if (!area.contains(end))
            return;
        if (pen.capStyle() == Qt::RoundCap) {
            parts.dots.push_back(end);
        } else if (pen.capStyle() == Qt::SquareCap) {
            const QPointF n(-outward.y() * h, outward.x() * h);
            const QPointF e = outward * h;
            parts.corners.push_back(QPolygonF({ end + n, end + n + e, end - n + e, end - n }));
        }
    };
    const auto join = [&](QPointF previous, QPointF at, QPointF next) {
        if (!area.contains(at))
            return;
        const QPointF d1 = unit(at - previous);
        const QPointF d2 = unit(next - at);
        const double cross = d1.x() * d2.y() - d1.y() * d2.x();
        const double turn = std::atan2(std::abs(cross), QPointF::dotProduct(d1, d2));
        if (h * turn < kMinJoinGap)
            return;
        if (pen.joinStyle() == Qt::RoundJoin) {
            parts.dots.push_back(at);
            return;
        }
        // The normals on the outer side of the turn.
        const auto outer = [cross, h](QPointF d) {
            return cross > 0 ? QPointF(d.y() * h, -d.x() * h) : QPointF(-d.y() * h, d.x() * h);
        };
        const QPointF n1 = outer(d1);
        const QPointF n2 = outer(d2);
        const QPointF m = n1 + n2;
        const double mm = QPointF::dotProduct(m, m);
        const bool miter = pen.joinStyle() == Qt::MiterJoin || pen.joinStyle() == Qt::SvgMiterJoin;
        // A miter reaches h / cos(turn / 2) from the corner; past miterLimit pen widths an SVG
        // miter becomes a bevel and Qt's own is cut off that far along the outer edges.
        const double limit = pen.miterLimit() * width;
        if (miter && mm > 0 && 2 * h * h / std::sqrt(mm) <= limit)
            parts.corners.push_back(QPolygonF({ at, at + n1, at + m * (2 * h * h / mm), at + n2 }));
        else if (pen.joinStyle() == Qt::MiterJoin)
            parts.corners.push_back(
                QPolygonF({ at, at + n1, at + n1 + d1 * limit, at + n2 - d2 * limit, at + n2 }));
        else
            parts.corners.push_back(QPolygonF({ at, at + n1, at + n2 }));
    };

    for (size_t i = 0; i < outline.polygons.size(); ++i) {
        // Finite points without repeats; a closed polygon without its closing point.
        QPolygonF p;
        p.reserve(outline.polygons[i].size());
        for (const QPointF &point : outline.polygons[i]) {
            if (isFinite(point) && (p.isEmpty() || point != p.last()))
                p << point;
        }
        const bool closed = outline.closed[i];
        if (closed && p.size() > 1 && p.first() == p.last())
            p.removeLast();
        const qsizetype n = p.size();
        if (n == 0)
            continue;
        if (n == 1) {
            if (wide && !closed)
                cap(p[0], QPointF(1, 0));
            continue;
        }
        double along = 0; // pixels from the start of the subpath
        for (qsizetype j = 0; j + 1 < n || (closed && j < n); ++j) {
            QPointF a = p[j];
            QPointF b = p[(j + 1) % n];
            const QPointF start = a;
            if (clipSegment(a, b, area)) {
                parts.lines.emplace_back(a, b);
                parts.bounds |= QRectF(a, b).normalized();
                if (dashed)
                    parts.dashOffsets.push_back(pen.dashOffset()
                        + (along + QLineF(start, a).length()) / std::max(width, 1.0));
            }
            along += QLineF(p[j], p[(j + 1) % n]).length();
        }
        if (!wide)
            continue;
        if (closed) {
            for (qsizetype j = 0; j < n; ++j)
                join(p[(j + n - 1) % n], p[j], p[(j + 1) % n]);
        } else {
            for (qsizetype j = 1; j + 1 < n; ++j)
                join(p[j - 1], p[j], p[j + 1]);
            cap(p[0], unit(p[0] - p[1]));
            cap(p[n - 1], unit(p[n - 1] - p[n - 2]));
        }
    }
    for (const QPointF &dot : parts.dots)
        parts.bounds |= QRectF(dot, dot);
    for (const QPolygonF &corner : parts.corners)
        parts.bounds |= corner.boundingRect();
    parts.bounds.adjust(-width, -width, width, width);
    return parts;
}

void LinearPaintEngine::drawStroke(
    QPainter &painter, const QPen &pen, const StrokeParts &parts) const
{
    const double h = pen.widthF() / 2;
    if (parts.dashOffsets.empty()) {
        painter.setPen(pen);
        painter.drawLines(parts.lines.data(), int(parts.lines.size()));
    } else {
        // One line at a time, so that the dashes run on from one segment to the next.
        QPen dashes = pen;
        for (size_t i = 0; i < parts.lines.size(); ++i) {
            dashes.setDashOffset(parts.dashOffsets[i]);
            painter.setPen(dashes);
            painter.drawLine(parts.lines[i]);
        }
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(pen.brush());
    for (const QPointF &dot : parts.dots)
        painter.drawEllipse(dot, h, h);
    for (const QPolygonF &corner : parts.corners)
        painter.drawPolygon(corner, Qt::WindingFill);
}

void LinearPaintEngine::stroke(const Outline &outline)
{
    const QPen pen = m_painter.pen();
    const double width = deviceWidth(pen, m_painter.worldTransform());
    // In device pixels, with flat ends: a solid line then takes the raster engine's own line
    // drawing, and the joins and ends are drawn as shapes of their own.
    QPen devicePen = pen;
    devicePen.setCosmetic(false);
    devicePen.setWidthF(width);
    devicePen.setBrush(deviceBrush(pen.brush()));
    const bool wide = width > 1 && pen.style() == Qt::SolidLine;
    if (wide)
        devicePen.setCapStyle(Qt::FlatCap);
    const StrokeParts parts = strokeParts(outline, pen, width);
    if (parts.lines.empty() && parts.dots.empty() && parts.corners.empty())
        return;
    double length = 0;
    for (const QLineF &line : parts.lines)
        length += line.length();
    if (!spend(length * std::max(width, 1.0)
            + double(parts.dots.size() + parts.corners.size()) * width * width))
        return;

    // Overlapping pieces of a translucent stroke would show darker: draw it opaque on a layer.
    const bool translucent = !devicePen.brush().isOpaque() || m_painter.opacity() < 1
        || m_painter.compositionMode() != QPainter::CompositionMode_SourceOver;
    const QRect box = parts.bounds.toAlignedRect() & m_image->rect();
    const double boxArea = double(box.width()) * box.height();
    if (wide && translucent && !box.isEmpty()
        && m_layerArea + boxArea <= kLayerBudget * m_image->width() * m_image->height()) {
        m_layerArea += boxArea;
        QImage layer(box.size(), QImage::Format_ARGB32_Premultiplied);
        layer.fill(Qt::transparent);
        QPen opaque = devicePen;
        double alpha = 1;
        if (opaque.brush().style() == Qt::SolidPattern) {
            QColor color = opaque.color();
            alpha = color.alphaF();
            color.setAlphaF(1);
            opaque.setColor(color);
        }
        {
            QPainter painter(&layer);
            painter.setRenderHints(m_painter.renderHints());
            painter.translate(-box.topLeft());
            drawStroke(painter, opaque, parts);
        }
        m_painter.save();
        m_painter.resetTransform();
        m_painter.setOpacity(m_painter.opacity() * alpha);
        m_painter.drawImage(box.topLeft(), layer);
        m_painter.restore();
        return;
    }
    m_painter.save();
    m_painter.resetTransform();
    m_painter.setBrushOrigin(0, 0);
    drawStroke(m_painter, devicePen, parts);
    m_painter.restore();
}

LinearPaintDevice::LinearPaintDevice(QImage *image)
    : m_image(image)
    , m_engine(std::make_unique<LinearPaintEngine>(image))
{
}

LinearPaintDevice::~LinearPaintDevice() = default;

void LinearPaintDevice::setWorkLimit(double pixels)
{
    m_engine->m_workLimit = pixels;
    m_engine->m_exhausted = false;
}

bool LinearPaintDevice::exhausted() const
{
    return m_engine->m_exhausted;
}

QPaintEngine *LinearPaintDevice::paintEngine() const
{
    return m_engine.get();
}

int LinearPaintDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return m_image->width();
    case PdmHeight:
        return m_image->height();
    case PdmWidthMM:
        return m_image->widthMM();
    case PdmHeightMM:
        return m_image->heightMM();
    case PdmNumColors:
        return m_image->colorCount();
    case PdmDepth:
        return m_image->depth();
    case PdmDpiX:
        return m_image->logicalDpiX();
    case PdmDpiY:
        return m_image->logicalDpiY();
    case PdmPhysicalDpiX:
        return m_image->physicalDpiX();
    case PdmPhysicalDpiY:
        return m_image->physicalDpiY();
    case PdmDevicePixelRatio:
        return int(m_image->devicePixelRatio());
    case PdmDevicePixelRatioScaled:
        return int(m_image->devicePixelRatio() * devicePixelRatioFScale());
    }
    return QPaintDevice::metric(metric);
}

} // namespace quillon
