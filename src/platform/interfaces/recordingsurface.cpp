#include "recordingsurface.h"

#include <QStringList>

#include <algorithm>

namespace quillon {

namespace {

bool isWide(char32_t c)
{
    return c >= 0x2E80;
}

QString formatArg(const QVariant &arg)
{
    switch (arg.typeId()) {
    case QMetaType::QString: {
        QString text = arg.toString();
        text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        text.replace(QLatin1Char('"'), QLatin1String("\\\""));
        text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
        text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
        return QLatin1Char('"') + text + QLatin1Char('"');
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(arg.toDouble(), 'g', 12);
    case QMetaType::Bool:
        return arg.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    default:
        return arg.toString();
    }
}

} // namespace

QString RecordingSurface::Op::toString() const
{
    QStringList parts { name };
    for (const QVariant &arg : args)
        parts << formatArg(arg);
    return parts.join(QLatin1Char(' '));
}

RecordingSurface::RecordingSurface(double width, double height)
    : m_width(width)
    , m_height(height)
    , m_scaleWidth(width)
    , m_scaleHeight(height)
{
}

void RecordingSurface::setPrintableArea(double scaleWidth, double scaleHeight)
{
    m_scaleWidth = scaleWidth;
    m_scaleHeight = scaleHeight;
}

void RecordingSurface::setColorCapable(bool capable)
{
    m_colorCapable = capable;
}

QList<RecordingSurface::Op> RecordingSurface::ops(const QString &name) const
{
    QList<Op> result;
    std::copy_if(m_ops.cbegin(), m_ops.cend(), std::back_inserter(result),
        [&name](const Op &op) { return op.name == name; });
    return result;
}

QString RecordingSurface::dump() const
{
    QString text;
    for (const Op &op : m_ops)
        text += op.toString() + QLatin1Char('\n');
    return text;
}

double RecordingSurface::textWidthFor(const QString &text, double fontSize)
{
    const double em = fontSize * 20;
    double widest = 0;
    double line = 0;
    for (char32_t c : text.toUcs4()) {
        if (c == U'\n') {
            widest = std::max(widest, line);
            line = 0;
        } else if (c != U'\r') {
            line += isWide(c) ? em : em / 2;
        }
    }
    return std::max(widest, line);
}

double RecordingSurface::textHeightFor(const QString &text, double fontSize)
{
    const double lines = 1 + text.count(QLatin1Char('\n'));
    return lines * fontSize * 25;
}

void RecordingSurface::record(const QString &name, QVariantList args)
{
    m_ops.append({ name, std::move(args) });
}

template <typename T> void RecordingSurface::change(T &field, const T &value, const char *name)
{
    // Only a real change of state is an operation: a test reads what the surface became.
    if (field == value)
        return;
    field = value;
    record(QLatin1String(name), { QVariant::fromValue(value) });
}

void RecordingSurface::setFontName(const QString &name)
{
    change(m_fontName, name, "FontName");
}

void RecordingSurface::setFontSize(double points)
{
    change(m_fontSize, points, "FontSize");
}

void RecordingSurface::setFontBold(bool on)
{
    change(m_bold, on, "FontBold");
}

void RecordingSurface::setFontItalic(bool on)
{
    change(m_italic, on, "FontItalic");
}

void RecordingSurface::setFontStrikethru(bool on)
{
    change(m_strikethru, on, "FontStrikethru");
}

void RecordingSurface::setFontUnderline(bool on)
{
    change(m_underline, on, "FontUnderline");
}

void RecordingSurface::setForeColor(qint32 color)
{
    change(m_foreColor, color, "ForeColor");
}

double RecordingSurface::TextWidth(const QString &text)
{
    const double width = textWidthFor(text, m_fontSize);
    if (m_recordMeasurements)
        record(QStringLiteral("TextWidth"), { text, width });
    return width;
}

double RecordingSurface::TextHeight(const QString &text)
{
    const double height = textHeightFor(text, m_fontSize);
    if (m_recordMeasurements)
        record(QStringLiteral("TextHeight"), { text, height });
    return height;
}

void RecordingSurface::setCurrentX(double x)
{
    m_currentX = x;
    record(QStringLiteral("CurrentX"), { x });
}

void RecordingSurface::setCurrentY(double y)
{
    m_currentY = y;
    record(QStringLiteral("CurrentY"), { y });
}

void RecordingSurface::Print(const QString &text)
{
    record(QStringLiteral("Print"), { text, m_currentX, m_currentY });
    m_currentY += textHeightFor(text, m_fontSize);
    m_currentX = 0;
}

void RecordingSurface::PrintCells(const QString &text, double cellWidth)
{
    record(QStringLiteral("PrintCells"), { text, m_currentX, m_currentY, cellWidth });
    m_currentY += textHeightFor(text, m_fontSize);
    m_currentX = 0;
}

void RecordingSurface::Line(double x1, double y1, double x2, double y2, qint32 color, LineEnd end)
{
    if (end == LineEnd::Relative) {
        x2 += x1;
        y2 += y1;
    }
    record(QStringLiteral("Line"), { x1, y1, x2, y2, color, m_drawWidth, m_drawStyle });
    m_currentX = x2;
    m_currentY = y2;
}

void RecordingSurface::setDrawWidth(int width)
{
    change(m_drawWidth, width, "DrawWidth");
}

void RecordingSurface::setDrawStyle(int style)
{
    change(m_drawStyle, style, "DrawStyle");
}

void RecordingSurface::PaintPicture(const QImage &picture, double x, double y, double w, double h,
    double sx, double sy, double sw, double sh)
{
    record(QStringLiteral("PaintPicture"),
        { QStringLiteral("%1x%2").arg(picture.width()).arg(picture.height()), x, y, w, h, sx, sy,
            sw, sh });
}

void RecordingSurface::Cls()
{
    record(QStringLiteral("Cls"));
}

void RecordingSurface::setWidth(double width)
{
    m_width = width;
    record(QStringLiteral("Width"), { width });
}

void RecordingSurface::setHeight(double height)
{
    m_height = height;
    record(QStringLiteral("Height"), { height });
}

void RecordingSurface::setLeft(double left)
{
    m_left = left;
    record(QStringLiteral("Left"), { left });
}

void RecordingSurface::setTop(double top)
{
    m_top = top;
    record(QStringLiteral("Top"), { top });
}

bool RecordingSurface::setPaperSize(qint16 code)
{
    m_paperSize = code;
    record(QStringLiteral("PaperSize"), { int(code) });
    return true;
}

void RecordingSurface::setDocumentName(const QString &name)
{
    record(QStringLiteral("DocumentName"), { name });
}

void RecordingSurface::setSheet(double width, double height, double scaleWidth, double scaleHeight)
{
    m_width = width;
    m_height = height;
    m_scaleWidth = scaleWidth;
    m_scaleHeight = scaleHeight;
}

void RecordingSurface::setOrientation(qint16 orientation)
{
    // Turning the paper swaps the sheet's sides, as on a real printer.
    if ((orientation == 1 || orientation == 2) && orientation != m_orientation) {
        std::swap(m_width, m_height);
        std::swap(m_scaleWidth, m_scaleHeight);
    }
    m_orientation = orientation;
    record(QStringLiteral("Orientation"), { int(orientation) });
}

void RecordingSurface::setColorMode(qint16 mode)
{
    m_colorMode = mode;
    record(QStringLiteral("ColorMode"), { int(mode) });
}

void RecordingSurface::NewPage()
{
    record(QStringLiteral("NewPage"));
}

void RecordingSurface::EndDoc()
{
    record(QStringLiteral("EndDoc"));
}

void RecordingSurface::KillDoc()
{
    record(QStringLiteral("KillDoc"));
}

} // namespace quillon
