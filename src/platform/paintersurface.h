#pragma once

#include "platform/interfaces/surface.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QRawFont>

#include <memory>
#include <optional>

class QPaintDevice;

namespace quillon {

/// A surface that paints with QPainter on a page picture (QImage), a PDF writer or a printer.
/// Twips are converted at the device's own resolution, and texts are measured with the
/// device's own font metrics, so a measured width is the width the text takes when printed.
/// One draw pixel (DrawWidth) is a device pixel, but never thinner than 1/600 inch. Painting
/// starts with the first drawing call, so measuring alone never starts a print job.
class PainterSurface : public virtual Surface
{
public:
    /// What the font setters set: a resolved font is made for each combination only once.
    struct FontSpec
    {
        QString name;
        double size = 10;
        bool bold = false;
        bool italic = false;
        bool strikeOut = false;
        bool underline = false;
        friend bool operator==(const FontSpec &, const FontSpec &) = default;
        friend size_t qHash(const FontSpec &spec, size_t seed = 0)
        {
            return qHashMulti(
                seed, spec.name, spec.size, spec.bold, spec.italic, spec.strikeOut, spec.underline);
        }
    };

    /// Measures and paints on the device until the surface is destroyed or end() is called.
    /// The device must outlive the surface.
    explicit PainterSurface(QPaintDevice *device);
    ~PainterSurface() override;

    PainterSurface(const PainterSurface &) = delete;
    PainterSurface &operator=(const PainterSurface &) = delete;

    bool isActive() const { return m_painter.isActive(); }
    /// Whether painting could not start on the device (a file that cannot be written, say).
    /// Drawing calls then do nothing.
    bool hasFailed() const { return m_failed; }
    /// Starts a new page on a paged device (PDF writer, printer); false on other devices.
    bool newPage();
    /// Finishes painting; the device can then be saved or sent.
    void end();

    /// The font that the current settings resolve to.
    QFont font() { return fontCache().font; }

    QString FontName() const override { return m_spec.name; }
    void setFontName(const QString &name) override;
    double FontSize() const override { return m_spec.size; }
    void setFontSize(double points) override;
    bool FontBold() const override { return m_spec.bold; }
    void setFontBold(bool on) override;
    bool FontItalic() const override { return m_spec.italic; }
    void setFontItalic(bool on) override;
    bool FontStrikethru() const override { return m_spec.strikeOut; }
    void setFontStrikethru(bool on) override;
    bool FontUnderline() const override { return m_spec.underline; }
    void setFontUnderline(bool on) override;
    qint32 ForeColor() const override { return m_foreColor; }
    void setForeColor(qint32 color) override { m_foreColor = color; }

    double TextWidth(const QString &text) override;
    double TextHeight(const QString &text) override;

    double CurrentX() const override { return m_currentX; }
    void setCurrentX(double x) override { m_currentX = x; }
    double CurrentY() const override { return m_currentY; }
    void setCurrentY(double y) override { m_currentY = y; }
    void Print(const QString &text) override;
    void PrintCells(const QString &text, double cellWidth) override;
    void Line(double x1, double y1, double x2, double y2, qint32 color,
        LineEnd end = LineEnd::Absolute) override;
    int DrawWidth() const override { return m_drawWidth; }
    void setDrawWidth(int width) override;
    double drawPixelWidth() const override;
    int DrawStyle() const override { return m_drawStyle; }
    void setDrawStyle(int style) override { m_drawStyle = style; }
    void PaintPicture(const QImage &picture, double x, double y, double w, double h, double sx = 0,
        double sy = 0, double sw = 0, double sh = 0) override;
    void Cls() override;

    double Width() const override;
    double Height() const override;
    /// The page picture is sized by its owner: requests are ignored.
    void setWidth(double) override { }
    void setHeight(double) override { }
    double Left() const override { return m_left; }
    void setLeft(double left) override { m_left = left; }
    double Top() const override { return m_top; }
    void setTop(double top) override { m_top = top; }

    /// Twips to device units and back.
    double toDeviceX(double twips) const { return twips * m_dpiX / 1440.0; }
    double toDeviceY(double twips) const { return twips * m_dpiY / 1440.0; }

protected:
    /// The device that painting starts on; subclasses may create it only now.
    virtual QPaintDevice *deviceForPainting() { return m_device; }
    /// Called when painting has started and after every new page, to set up the painter (an
    /// origin, say).
    virtual void paintingStarted(QPainter &) { }
    /// Measures on another device from now on; only while not painting.
    void setMetricDevice(QPaintDevice *device);
    QPainter &painter();

private:
    /// A one-line text laid out glyph by glyph in the current font, for texts that need no
    /// shaping (CJK, Latin, common punctuation, all in the primary face). Measuring it and
    /// drawing it share the work; any other text goes through Qt's full text layout.
    struct SimpleText
    {
        QString text;
        QGlyphRun run;
        double advance = 0; // device units
        bool valid = false;
    };
    const SimpleText &simpleText(const QString &line);
    const QFontMetricsF &metrics() { return fontCache().metrics; }
    void setSpec(const FontSpec &spec);

    QPaintDevice *m_device;
    QPainter m_painter;
    double m_dpiX;
    double m_dpiY;

private:
    /// A font resolved for this device, with its metrics and the last text laid out in it:
    /// the same few fonts come back for every cell.
    struct FontCache
    {
        QFont font;
        QFontMetricsF metrics { QFont() };
        QRawFont rawFont;
        SimpleText last;
    };
    FontCache &fontCache();
    FontSpec m_spec;
    QHash<FontSpec, FontCache> m_fontCaches;
    FontCache *m_currentCache = nullptr;
    SimpleText m_unsupported;

    /// Grid lines waiting to be drawn: collinear segments that touch are joined first, so a row
    /// of cell borders becomes one line in the output.
    void queueLine(const QLineF &line, const QPen &pen);
    void flushLines();
    QPen m_queuedPen;
    QList<QLineF> m_queuedLines;
    QHash<QPair<double, double>, qsizetype> m_openHorizontal; // (y, x where it ends) → line
    QHash<QPair<double, double>, qsizetype> m_openVertical; // (x, y where it ends) → line
    qint32 m_foreColor = 0;
    double m_currentX = 0;
    double m_currentY = 0;
    int m_drawWidth = 1;
    int m_drawStyle = 0;
    double m_left = 0;
    double m_top = 0;
    bool m_failed = false;
};

} // namespace quillon
