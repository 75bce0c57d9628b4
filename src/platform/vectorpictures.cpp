#include "vectorpictures.h"

#include "linearpaintdevice.h"
#include "wmfpicture.h"

#include <QLoggingCategory>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <cmath>

namespace quillon {

Q_LOGGING_CATEGORY(lcSvg, "quillon.picture.svg")

namespace {

constexpr double kPrintDpi = 600;
// 16 million pixels (64 MB) at most; a larger picture is rasterized at a lower resolution.
constexpr double kMaxPixels = 16e6;
// Larger than any paper: a size past it is a damaged header, not a picture.
constexpr double kMaxInches = 1000;
// Drawing may touch each pixel of the canvas this many times (at least kMinWork pixels in
// all): a few seconds at most, and far more than a logo needs.
constexpr double kWorkPerPixel = 200;
constexpr double kMinWork = 2e8;
// An SVG document of more elements than this is refused before it is parsed for drawing.
constexpr qint64 kMaxSvgElements = 200'000;

/// An SVG length in inches; nullopt for a relative one (%, em) or none.
std::optional<double> inchesOf(QStringView length)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^\s*([+]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?)\s*(px|pt|pc|in|cm|mm)?\s*$)"));
    const QRegularExpressionMatch m = pattern.match(length.toString());
    if (!m.hasMatch())
        return std::nullopt;
    const double value = m.capturedView(1).toDouble();
    const QStringView unit = m.capturedView(2);
    if (unit == u"pt")
        return value / 72;
    if (unit == u"pc")
        return value / 6;
    if (unit == u"in")
        return value;
    if (unit == u"cm")
        return value / 2.54;
    if (unit == u"mm")
        return value / 25.4;
    return value / 96; // CSS pixels
}

/// Whether @p content is an SVG document; its declared width and height in twips when both
/// are absolute lengths, and whether it has more elements than the limit.
bool isSvg(const QByteArray &content, std::optional<QSizeF> *declaredTwips, bool *tooMany)
{
    QXmlStreamReader xml(content);
    while (!xml.atEnd() && !xml.isStartElement())
        xml.readNext();
    if (!xml.isStartElement() || xml.name() != u"svg")
        return false;
    const auto width = inchesOf(xml.attributes().value(QLatin1String("width")));
    const auto height = inchesOf(xml.attributes().value(QLatin1String("height")));
    if (width && height)
        *declaredTwips = QSizeF(*width * 1440, *height * 1440);
    qint64 elements = 1;
    while (!xml.atEnd() && elements <= kMaxSvgElements) {
        if (xml.readNext() == QXmlStreamReader::StartElement)
            ++elements;
    }
    *tooMany = elements > kMaxSvgElements;
    return true;
}

QImage renderSvg(const QByteArray &content, std::optional<QSizeF> declaredTwips, QString *pastLimit)
{
    QSvgRenderer renderer;
    if (!renderer.load(content) || !renderer.isValid())
        return {};
    // Without an absolute size the picture's user units are CSS pixels, 96 to the inch.
    const QSizeF twips = declaredTwips   ? *declaredTwips
        : !renderer.viewBoxF().isEmpty() ? renderer.viewBoxF().size() * 15
                                         : QSizeF(renderer.defaultSize()) * 15;
    return rasterizeVector(
        twips,
        [&renderer](QPainter &painter) {
            renderer.render(
                &painter, QRectF(0, 0, painter.device()->width(), painter.device()->height()));
        },
        pastLimit);
}

} // namespace

QImage rasterizeVector(
    QSizeF twips, const std::function<void(QPainter &painter)> &paint, QString *pastLimit)
{
    const double inchesW = twips.width() / 1440;
    const double inchesH = twips.height() / 1440;
    if (!(inchesW > 0 && inchesH > 0 && inchesW <= kMaxInches && inchesH <= kMaxInches))
        return {};
    double dpi = kPrintDpi;
    const double pixels = inchesW * dpi * inchesH * dpi;
    if (pixels > kMaxPixels)
        dpi *= std::sqrt(kMaxPixels / pixels);
    const int w = std::clamp(int(std::lround(inchesW * dpi)), 1, 16384);
    const int h = std::clamp(int(std::lround(inchesH * dpi)), 1, 16384);
    QImage canvas(w, h, QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull())
        return {};
    canvas.fill(Qt::transparent);
    // Per axis, from the rounded pixel count, so that the size read back is the natural one.
    canvas.setDotsPerMeterX(int(std::lround(w / (inchesW * 0.0254))));
    canvas.setDotsPerMeterY(int(std::lround(h / (inchesH * 0.0254))));
    // Through the linear device: a picture's outlines cost time in proportion to their points.
    LinearPaintDevice device(&canvas);
    const double work = std::max(kMinWork, kWorkPerPixel * w * h);
    device.setWorkLimit(work);
    QPainter painter(&device);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    paint(painter);
    painter.end();
    if (device.exhausted()) {
        if (pastLimit)
            *pastLimit = QStringLiteral("图形过于复杂，绘制量超过上限（%1 亿像素）")
                             .arg(std::lround(work / 1e8));
        return {};
    }
    return canvas;
}

std::optional<QImage> decodeVectorPicture(const QByteArray &content, QString *pastLimit)
{
    if (isWindowsMetafile(content))
        return renderWindowsMetafile(content, pastLimit);
    std::optional<QSizeF> declaredTwips;
    bool tooMany = false;
    if (isSvg(content, &declaredTwips, &tooMany)) {
        if (tooMany) {
            if (pastLimit)
                *pastLimit = QStringLiteral("SVG 图形的元素多于 %1 个").arg(kMaxSvgElements);
            return QImage();
        }
        QImage picture = renderSvg(content, declaredTwips, pastLimit);
        if (picture.isNull())
            qCDebug(lcSvg) << "an SVG document that cannot be drawn";
        return picture;
    }
    return std::nullopt;
}

} // namespace quillon
