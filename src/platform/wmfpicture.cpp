#include "wmfpicture.h"

#include "reportfonts.h"
#include "vectorpictures.h"

#include <libwmf/api.h>
#include <libwmf/defs.h>
#include <libwmf/ipa.h>

#include <QBuffer>
#include <QFontMetricsF>
#include <QImageReader>
#include <QLoggingCategory>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QStringDecoder>
#include <QtEndian>

#include <cmath>
#include <memory>
#include <vector>

namespace quillon {

Q_LOGGING_CATEGORY(lcWmf, "quillon.picture.wmf")

namespace {

// The player (libwmflite) parses the records and keeps the device context; these callbacks draw
// what it reports with QPainter, in the player's device units (points for a placeable file).
struct Canvas
{
    QPainter *painter = nullptr;
    double pixelsPerUnit = 1;
    std::vector<std::unique_ptr<QImage>> bitmaps;
    // A double-byte character split by per-character spacing arrives one byte at a time.
    QByteArray leadByte;
    QPointF leadAt;
};

Canvas &canvasOf(wmfAPI *api)
{
    return *static_cast<Canvas *>(api->user_data);
}

QColor colorOf(const wmfRGB &c)
{
    return QColor(c.r, c.g, c.b);
}

QPointF pointOf(const wmfD_Coord &c)
{
    return QPointF(c.x, c.y);
}

QRectF rectOf(const wmfD_Coord &tl, const wmfD_Coord &br)
{
    return QRectF(pointOf(tl), pointOf(br)).normalized();
}

/// The code page of a font's character set; the users' own (GBK) for the default set.
QStringDecoder decoderFor(int charset)
{
    switch (charset) {
    case 0:
        return QStringDecoder("windows-1252");
    case 128:
        return QStringDecoder("Shift_JIS");
    case 129:
        return QStringDecoder("EUC-KR");
    case 136:
        return QStringDecoder("Big5");
    case 161:
        return QStringDecoder("windows-1253");
    case 162:
        return QStringDecoder("windows-1254");
    case 177:
        return QStringDecoder("windows-1255");
    case 178:
        return QStringDecoder("windows-1256");
    case 186:
        return QStringDecoder("windows-1257");
    case 204:
        return QStringDecoder("windows-1251");
    case 222:
        return QStringDecoder("windows-874");
    case 238:
        return QStringDecoder("windows-1250");
    case 2: // symbol fonts map bytes to glyphs directly
        return QStringDecoder(QStringConverter::Latin1);
    default:
        return QStringDecoder("GB18030");
    }
}

QString decode(const QByteArray &bytes, int charset)
{
    QStringDecoder decoder = decoderFor(charset);
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

bool isDoubleByteCharset(int charset)
{
    return charset == 1 || charset == 128 || charset == 129 || charset == 134 || charset == 136;
}

bool isLeadByte(uchar byte, int charset)
{
    if (charset == 128)
        return (byte >= 0x81 && byte <= 0x9f) || (byte >= 0xe0 && byte <= 0xfc);
    return byte >= 0x81 && byte <= 0xfe;
}

// Text is shaped at this pixel size and scaled to the record's height.
constexpr double kFontPixels = 100;

QFont fontOf(const wmfFont *font)
{
    QFont f;
    const QString face = font->lfFaceName ? decode(font->lfFaceName, font->lfCharSet) : QString();
    f.setFamilies(ReportFonts::families(face));
    f.setPixelSize(int(kFontPixels));
    if (font->lfWeight >= 100 && font->lfWeight <= 900)
        f.setWeight(QFont::Weight(font->lfWeight));
    f.setItalic(font->lfItalic != 0);
    f.setUnderline(font->lfUnderline != 0);
    f.setStrikeOut(font->lfStrikeOut != 0);
    return f;
}

QPen penOf(const Canvas &canvas, wmfDC *dc)
{
    const wmfPen *pen = dc->pen;
    const int style = pen->lopnStyle & PS_STYLE_MASK;
    if (style == PS_NULL)
        return Qt::NoPen;
    QPen p(colorOf(pen->lopnColor));
    // Windows never draws a line thinner than one device pixel.
    p.setWidthF(std::max(pen->width, 1 / canvas.pixelsPerUnit));
    switch (style) {
    case PS_DASH:
        p.setStyle(Qt::DashLine);
        break;
    case PS_DOT:
    case PS_ALTERNATE:
        p.setStyle(Qt::DotLine);
        break;
    case PS_DASHDOT:
        p.setStyle(Qt::DashDotLine);
        break;
    case PS_DASHDOTDOT:
        p.setStyle(Qt::DashDotDotLine);
        break;
    default:
        break;
    }
    switch (pen->lopnStyle & PS_ENDCAP_MASK) {
    case PS_ENDCAP_SQUARE:
        p.setCapStyle(Qt::SquareCap);
        break;
    case PS_ENDCAP_FLAT:
        p.setCapStyle(Qt::FlatCap);
        break;
    default:
        p.setCapStyle(Qt::RoundCap);
        break;
    }
    switch (pen->lopnStyle & PS_JOIN_MASK) {
    case PS_JOIN_BEVEL:
        p.setJoinStyle(Qt::BevelJoin);
        break;
    case PS_JOIN_MITER:
        p.setJoinStyle(Qt::MiterJoin);
        break;
    default:
        p.setJoinStyle(Qt::RoundJoin);
        break;
    }
    return p;
}

QBrush brushOf(const Canvas &canvas, wmfDC *dc)
{
    const wmfBrush *brush = dc->brush;
    const QColor color = colorOf(brush->lbColor);
    switch (brush->lbStyle) {
    case BS_NULL:
        return Qt::NoBrush;
    case BS_HATCHED: {
        static const Qt::BrushStyle hatches[] = { Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
            Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern };
        return QBrush(color, brush->lbHatch < 6 ? hatches[brush->lbHatch] : Qt::SolidPattern);
    }
    case BS_PATTERN:
    case BS_DIBPATTERN:
    case BS_DIBPATTERNPT:
        if (const auto *image = static_cast<const QImage *>(brush->bmp.data)) {
            // One pattern pixel is one pixel of the picture, whatever the scale.
            QBrush b(*image);
            b.setTransform(
                QTransform::fromScale(1 / canvas.pixelsPerUnit, 1 / canvas.pixelsPerUnit));
            return b;
        }
        return color;
    default:
        return color;
    }
}

/// Sets the pen, brush and fill rule of the record's device context.
void prepare(wmfDC *dc, Canvas &canvas, bool fill = true)
{
    canvas.painter->setPen(penOf(canvas, dc));
    canvas.painter->setBrush(fill ? brushOf(canvas, dc) : QBrush(Qt::NoBrush));
}

Qt::FillRule fillRuleOf(wmfDC *dc)
{
    return dc->polyfillmode == WINDING ? Qt::WindingFill : Qt::OddEvenFill;
}

QPolygonF polygonOf(const wmfD_Coord *points, int count)
{
    QPolygonF polygon;
    polygon.reserve(count);
    for (int i = 0; i < count; ++i)
        polygon << pointOf(points[i]);
    return polygon;
}

void drawRectangle(wmfAPI *api, wmfDrawRectangle_t *r)
{
    Canvas &canvas = canvasOf(api);
    prepare(r->dc, canvas);
    const QRectF rect = rectOf(r->TL, r->BR);
    if (r->width > 0 && r->height > 0)
        canvas.painter->drawRoundedRect(rect, r->width / 2, r->height / 2);
    else
        canvas.painter->drawRect(rect);
}

void drawEllipse(wmfAPI *api, wmfDrawArc_t *a)
{
    Canvas &canvas = canvasOf(api);
    prepare(a->dc, canvas);
    canvas.painter->drawEllipse(rectOf(a->TL, a->BR));
}

/// An arc, pie or chord: the player gives its ends relative to the ellipse's centre, and names
/// the record's first radial its end; Windows draws counter-clockwise from that one.
void drawArcShape(wmfAPI *api, wmfDrawArc_t *a, bool closeToCentre, bool closeChord)
{
    Canvas &canvas = canvasOf(api);
    const QRectF rect = rectOf(a->TL, a->BR);
    if (rect.isEmpty())
        return;
    const double rx = rect.width() / 2;
    const double ry = rect.height() / 2;
    const auto angle
        = [rx, ry](const wmfD_Coord &p) { return std::atan2(-p.y / ry, p.x / rx) * 180 / M_PI; };
    const double start = angle(a->end);
    double span = angle(a->start) - start;
    if (span <= 0)
        span += 360;
    QPainterPath path;
    if (closeToCentre)
        path.moveTo(rect.center());
    else
        path.arcMoveTo(rect, start);
    path.arcTo(rect, start, span);
    if (closeToCentre || closeChord)
        path.closeSubpath();
    prepare(a->dc, canvas, closeToCentre || closeChord);
    canvas.painter->drawPath(path);
}

void drawArc(wmfAPI *api, wmfDrawArc_t *a)
{
    drawArcShape(api, a, false, false);
}

void drawPie(wmfAPI *api, wmfDrawArc_t *a)
{
    drawArcShape(api, a, true, false);
}

void drawChord(wmfAPI *api, wmfDrawArc_t *a)
{
    drawArcShape(api, a, false, true);
}

void drawLine(wmfAPI *api, wmfDrawLine_t *l)
{
    Canvas &canvas = canvasOf(api);
    prepare(l->dc, canvas, false);
    canvas.painter->drawLine(pointOf(l->from), pointOf(l->to));
}

void drawPolyline(wmfAPI *api, wmfPolyLine_t *p)
{
    Canvas &canvas = canvasOf(api);
    prepare(p->dc, canvas, false);
    canvas.painter->drawPolyline(polygonOf(p->pt, p->count));
}

void drawPolygon(wmfAPI *api, wmfPolyLine_t *p)
{
    Canvas &canvas = canvasOf(api);
    prepare(p->dc, canvas);
    canvas.painter->drawPolygon(polygonOf(p->pt, p->count), fillRuleOf(p->dc));
}

void drawPolyPolygon(wmfAPI *api, wmfPolyPoly_t *p)
{
    Canvas &canvas = canvasOf(api);
    QPainterPath path;
    path.setFillRule(fillRuleOf(p->dc));
    for (int i = 0; i < p->npoly; ++i) {
        if (p->pt[i] && p->count[i] > 0) {
            path.addPolygon(polygonOf(p->pt[i], p->count[i]));
            path.closeSubpath();
        }
    }
    prepare(p->dc, canvas);
    canvas.painter->drawPath(path);
}

void drawPixel(wmfAPI *api, wmfDrawPixel_t *p)
{
    canvasOf(api).painter->fillRect(
        QRectF(pointOf(p->pt), QSizeF(p->pixel_width, p->pixel_height)), colorOf(p->color));
}

void drawRop(wmfAPI *api, wmfROP_Draw_t *r)
{
    Canvas &canvas = canvasOf(api);
    const QRectF rect = rectOf(r->TL, r->BR);
    switch (r->ROP) {
    case 0x00F00021: // PATCOPY
        canvas.painter->fillRect(rect, brushOf(canvas, r->dc));
        break;
    case 0x00FF0062: // WHITENESS
        canvas.painter->fillRect(rect, Qt::white);
        break;
    case 0x00000042: // BLACKNESS
        canvas.painter->fillRect(rect, Qt::black);
        break;
    default:
        break;
    }
}

void readBitmap(wmfAPI *api, wmfBMP_Read_t *r)
{
    if (!r->buffer || r->length <= 0)
        return;
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char *>(r->buffer), int(r->length));
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "dib"); // a metafile's bitmaps have no file header
    auto image = std::make_unique<QImage>(reader.read());
    if (image->isNull() || image->width() > 0xffff || image->height() > 0xffff)
        return;
    r->bmp.width = quint16(image->width());
    r->bmp.height = quint16(image->height());
    r->bmp.data = image.get();
    canvasOf(api).bitmaps.push_back(std::move(image));
}

void freeBitmap(wmfAPI *api, wmfBMP *bmp)
{
    auto &bitmaps = canvasOf(api).bitmaps;
    std::erase_if(bitmaps, [bmp](const auto &image) { return image.get() == bmp->data; });
    bmp->data = nullptr;
}

void drawBitmap(wmfAPI *api, wmfBMP_Draw_t *b)
{
    const auto *image = static_cast<const QImage *>(b->bmp.data);
    if (!image)
        return;
    Canvas &canvas = canvasOf(api);
    // Source rows count from the bottom of the bitmap, as Windows stores them.
    const QRectF source(b->crop.x, image->height() - b->crop.y - b->crop.h, b->crop.w, b->crop.h);
    const QRectF target(
        pointOf(b->pt), QSizeF(b->crop.w * b->pixel_width, b->crop.h * b->pixel_height));
    QPainter &p = *canvas.painter;
    switch (b->type) {
    case 0x008800C6: // SRCAND: the mask of a transparent bitmap
        p.setCompositionMode(QPainter::CompositionMode_Multiply);
        break;
    case 0x00EE0086: // SRCPAINT: the picture over its mask
        p.setCompositionMode(QPainter::CompositionMode_Lighten);
        break;
    case 0x00660046: // SRCINVERT
        p.setCompositionMode(QPainter::CompositionMode_Difference);
        break;
    default:
        break;
    }
    p.drawImage(target, *image, source);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

float stringWidth(wmfAPI *, wmfFont *font, char *text)
{
    const QString decoded = decode(QByteArray(text), font->lfCharSet);
    return float(QFontMetricsF(fontOf(font)).horizontalAdvance(decoded) / kFontPixels);
}

void mapFont(wmfAPI *, wmfFont *)
{
    // Qt resolves the face when the text is drawn.
}

void drawText(wmfAPI *api, wmfDrawText_t *t)
{
    Canvas &canvas = canvasOf(api);
    const wmfFont *font = t->dc->font;
    if (!font || !t->str || t->font_height <= 0)
        return;
    QByteArray bytes(t->str);
    QPointF at = pointOf(t->pt);
    const int charset = font->lfCharSet;
    if (isDoubleByteCharset(charset) && bytes.size() == 1) {
        if (canvas.leadByte.isEmpty() && isLeadByte(uchar(bytes[0]), charset)) {
            canvas.leadByte = bytes;
            canvas.leadAt = at;
            return;
        }
        if (!canvas.leadByte.isEmpty()) {
            bytes.prepend(canvas.leadByte);
            at = canvas.leadAt;
        }
    }
    canvas.leadByte.clear();

    QPainter &p = *canvas.painter;
    p.save();
    p.translate(at);
    p.rotate(-font->lfEscapement / 10.0);
    const double scale = t->font_height / kFontPixels;
    p.scale(scale, scale);
    p.setFont(fontOf(font));
    p.setPen(colorOf(t->dc->textcolor));
    p.drawText(QPointF(0, 0), decode(bytes, charset));
    p.restore();
}

QPainterPath regionPath(const wmfPolyRectangle_t *r)
{
    QPainterPath path;
    for (unsigned int i = 0; i < r->count; ++i)
        path.addRect(rectOf(r->TL[i], r->BR[i]));
    return path;
}

void paintRegion(wmfAPI *api, wmfPolyRectangle_t *r)
{
    Canvas &canvas = canvasOf(api);
    canvas.painter->fillPath(regionPath(r), brushOf(canvas, r->dc));
}

void frameRegion(wmfAPI *api, wmfPolyRectangle_t *r)
{
    Canvas &canvas = canvasOf(api);
    QPainterPath frame;
    for (unsigned int i = 0; i < r->count; ++i) {
        const QRectF outer = rectOf(r->TL[i], r->BR[i]);
        frame.addRect(outer);
        frame.addRect(outer.adjusted(r->width, r->height, -r->width, -r->height));
    }
    frame.setFillRule(Qt::OddEvenFill);
    canvas.painter->fillPath(frame, brushOf(canvas, r->dc));
}

void clipRegion(wmfAPI *api, wmfPolyRectangle_t *r)
{
    QPainter &p = *canvasOf(api).painter;
    if (r->count == 0)
        p.setClipping(false);
    else
        p.setClipPath(regionPath(r));
}

void installDevice(wmfAPI *api)
{
    auto *fr = static_cast<wmfFunctionReference *>(api->function_reference);
    fr->device_open = [](wmfAPI *) {};
    fr->device_close = [](wmfAPI *) {};
    fr->device_begin = [](wmfAPI *) {};
    fr->device_end = [](wmfAPI *) {};
    fr->draw_pixel = drawPixel;
    fr->draw_pie = drawPie;
    fr->draw_chord = drawChord;
    fr->draw_arc = drawArc;
    fr->draw_ellipse = drawEllipse;
    fr->draw_line = drawLine;
    fr->poly_line = drawPolyline;
    fr->draw_polygon = drawPolygon;
    fr->draw_polypolygon = drawPolyPolygon;
    fr->draw_rectangle = drawRectangle;
    fr->rop_draw = drawRop;
    fr->bmp_draw = drawBitmap;
    fr->bmp_read = readBitmap;
    fr->bmp_free = freeBitmap;
    fr->draw_text = drawText;
    fr->region_frame = frameRegion;
    fr->region_paint = paintRegion;
    fr->region_clip = clipRegion;
}

// A metafile of more records, or more points in its lines and polygons, is refused before it
// is played: a logo has far fewer.
constexpr qint64 kMaxRecords = 200'000;
constexpr qint64 kMaxPoints = 1'000'000;

/// Walks the records by their sizes; why the metafile is past the limits, or nothing. A file
/// whose records do not add up is left to the player to refuse. The header's largest record is
/// set to the largest there is: the player takes a buffer of the size the header gives.
QString walkRecords(QByteArray &bytes)
{
    auto *data = reinterpret_cast<uchar *>(bytes.data());
    const qsizetype size = bytes.size();
    if (size < 18)
        return {};
    const qsizetype header = qFromLittleEndian<quint32>(data) == 0x9AC6CDD7u ? 22 : 0;
    if (header + 18 > size)
        return {};
    qsizetype at = header + qsizetype(qFromLittleEndian<quint16>(data + header + 2)) * 2;
    qint64 records = 0;
    qint64 points = 0;
    quint32 largest = 3;
    while (at + 6 <= size) {
        const quint32 words = qFromLittleEndian<quint32>(data + at);
        const quint16 function = qFromLittleEndian<quint16>(data + at + 4);
        if (words < 3 || qint64(words) * 2 > size - at)
            break; // a damaged record
        largest = std::max(largest, words);
        if (function == 0)
            break; // the end record
        if (++records > kMaxRecords)
            return QStringLiteral("图元文件的记录多于 %1 条").arg(kMaxRecords);
        // Polyline, polygon and poly-polygon: two words a point, after a count or two.
        if (function == 0x0325 || function == 0x0324 || function == 0x0538)
            points += (qint64(words) - 3) / 2;
        if (points > kMaxPoints)
            return QStringLiteral("图元文件的线条和多边形共有多于 %1 个点").arg(kMaxPoints);
        at += qsizetype(words) * 2;
    }
    qToLittleEndian<quint32>(largest, data + header + 12);
    return {};
}

/// The player's handle, destroyed on every way out.
struct Player
{
    wmfAPI *api = nullptr;
    ~Player()
    {
        if (api)
            wmf_lite_destroy(api);
    }
};

} // namespace

bool isWindowsMetafile(const QByteArray &content)
{
    if (content.size() < 18)
        return false;
    const auto *data = reinterpret_cast<const uchar *>(content.constData());
    if (qFromLittleEndian<quint32>(data) == 0x9AC6CDD7u)
        return true;
    const quint16 type = qFromLittleEndian<quint16>(data);
    const quint16 headerWords = qFromLittleEndian<quint16>(data + 2);
    const quint16 version = qFromLittleEndian<quint16>(data + 4);
    return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

QImage renderWindowsMetafile(const QByteArray &content, QString *pastLimit)
{
    QByteArray bytes = content; // the player's own copy, read as a plain buffer
    if (const QString why = walkRecords(bytes); !why.isEmpty()) {
        if (pastLimit)
            *pastLimit = why;
        return {};
    }
    // Everything the player points to outlives it.
    Canvas canvas;
    wmfFontData fonts {};
    fonts.map = mapFont;
    fonts.stringwidth = stringWidth;
    wmfAPI_Options options {};
    options.function = installDevice;
    Player player;
    const unsigned long flags
        = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    if (wmf_lite_create(&player.api, flags, &options) != wmf_E_None || !player.api)
        return {};
    player.api->font_data = &fonts;
    player.api->user_data = &canvas;

    wmfD_Rect box {};
    if (wmf_mem_open(player.api, reinterpret_cast<unsigned char *>(bytes.data()), bytes.size())
            != wmf_E_None
        || wmf_scan(player.api, 0, &box) != wmf_E_None) {
        qCDebug(lcWmf) << "not a metafile that can be played, error" << player.api->err;
        return {};
    }
    const QRectF drawn = QRectF(pointOf(box.TL), pointOf(box.BR)).normalized();
    QRectF frame;
    QSizeF twips;
    if (player.api->File->placeable) {
        // The header's frame, in the player's units for such a file (points).
        const wmfPlaceableMetaHeader &header = *player.api->File->pmh;
        if (header.Inch == 0)
            return {};
        const QSizeF units(
            std::abs(header.Right - header.Left), std::abs(header.Bottom - header.Top));
        twips = units * 1440.0 / header.Inch;
        frame = QRectF(QPointF(0, 0), units * 72.0 / header.Inch);
    }
    // A drawing that misses the declared frame altogether is shown whole; a file without one is
    // sized by the player's own estimate, whose units are points for a small drawing.
    if (frame.isEmpty() || (!drawn.isEmpty() && !frame.intersects(drawn)))
        frame = drawn;
    if (twips.isEmpty()) {
        const double unitsPerInch = drawn.width() * drawn.height() < 1024.0 * 1024 ? 72 : 1440;
        twips = drawn.size() * 1440.0 / unitsPerInch;
    }
    if (frame.isEmpty() || !std::isfinite(frame.width()) || !std::isfinite(frame.height()))
        return {};
    wmf_error_t played = wmf_E_None;
    QImage picture = rasterizeVector(
        twips,
        [&](QPainter &painter) {
            canvas.pixelsPerUnit = painter.device()->width() / frame.width();
            painter.scale(canvas.pixelsPerUnit, painter.device()->height() / frame.height());
            painter.translate(-frame.topLeft());
            canvas.painter = &painter;
            played = wmf_play(player.api, 0, &box);
        },
        pastLimit);
    if (played != wmf_E_None) {
        qCDebug(lcWmf) << "the metafile is damaged, error" << played;
        return {};
    }
    return picture;
}

} // namespace quillon
