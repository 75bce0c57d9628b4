#pragma once

#include "surface.h"

#include <QList>
#include <QVariant>

namespace quillon {

/// A surface that records every call with its arguments instead of drawing, for tests and
/// golden files. Its font metrics are fixed so that positions can be asserted exactly:
/// - one em is FontSize × 20 twips (the font's size in twips);
/// - a wide character (CJK, full-width forms, anything from U+2E80 up) is one em wide, every
///   other character half an em; a surrogate pair counts as one wide character;
/// - a line is 1.25 em high; a text with n lines is n × 1.25 em high and as wide as its
///   widest line. Name, bold and the other flags do not change the metrics.
/// It also acts as a printer with a configurable sheet, printable area and colour mode.
class RecordingSurface : public PrinterSurface
{
public:
    struct Op
    {
        QString name;
        QVariantList args;
        /// One line of the dump: the name, then the arguments; texts in double quotes.
        QString toString() const;
    };

    /// A sheet of width × height twips whose printable area is the whole sheet.
    explicit RecordingSurface(double width = 11906, double height = 16838);

    /// Sets the printable area reported by ScaleWidth and ScaleHeight.
    void setPrintableArea(double scaleWidth, double scaleHeight);
    void setDeviceName(const QString &name) { m_deviceName = name; }
    /// Whether setColorMode(2) sticks; without colour the mode reads back as 0.
    void setColorCapable(bool capable);
    /// Whether measurements are recorded as operations (on by default).
    void setRecordMeasurements(bool on) { m_recordMeasurements = on; }

    const QList<Op> &ops() const { return m_ops; }
    /// The operations with this name, in order.
    QList<Op> ops(const QString &name) const;
    /// The whole recording, one operation per line.
    QString dump() const;
    void clear() { m_ops.clear(); }

    /// The fixed metrics, usable without a surface.
    static double textWidthFor(const QString &text, double fontSize);
    static double textHeightFor(const QString &text, double fontSize);

    QString FontName() const override { return m_fontName; }
    void setFontName(const QString &name) override;
    double FontSize() const override { return m_fontSize; }
    void setFontSize(double points) override;
    bool FontBold() const override { return m_bold; }
    void setFontBold(bool on) override;
    bool FontItalic() const override { return m_italic; }
    void setFontItalic(bool on) override;
    bool FontStrikethru() const override { return m_strikethru; }
    void setFontStrikethru(bool on) override;
    bool FontUnderline() const override { return m_underline; }
    void setFontUnderline(bool on) override;
    qint32 ForeColor() const override { return m_foreColor; }
    void setForeColor(qint32 color) override;

    double TextWidth(const QString &text) override;
    double TextHeight(const QString &text) override;

    double CurrentX() const override { return m_currentX; }
    void setCurrentX(double x) override;
    double CurrentY() const override { return m_currentY; }
    void setCurrentY(double y) override;
    void Print(const QString &text) override;
    void PrintCells(const QString &text, double cellWidth) override;
    void Line(double x1, double y1, double x2, double y2, qint32 color,
        LineEnd end = LineEnd::Absolute) override;
    int DrawWidth() const override { return m_drawWidth; }
    void setDrawWidth(int width) override;
    int DrawStyle() const override { return m_drawStyle; }
    void setDrawStyle(int style) override;
    void PaintPicture(const QImage &picture, double x, double y, double w, double h, double sx = 0,
        double sy = 0, double sw = 0, double sh = 0) override;
    void Cls() override;

    double Width() const override { return m_width; }
    double Height() const override { return m_height; }
    void setWidth(double width) override;
    void setHeight(double height) override;
    double Left() const override { return m_left; }
    void setLeft(double left) override;
    double Top() const override { return m_top; }
    void setTop(double top) override;

    double ScaleWidth() const override { return m_scaleWidth; }
    double ScaleHeight() const override { return m_scaleHeight; }
    QString DeviceName() const override { return m_deviceName; }
    qint16 PaperSize() const override { return m_paperSize; }
    bool setPaperSize(qint16 code) override;
    qint16 Orientation() const override { return m_orientation; }
    void setOrientation(qint16 orientation) override;
    qint16 ColorMode() const override { return m_colorCapable ? m_colorMode : 0; }
    void setColorMode(qint16 mode) override;
    int BitsPerPixel() const override { return m_colorCapable ? 24 : 1; }
    int ColorPlanes() const override { return 1; }
    void setDocumentName(const QString &name) override;
    void NewPage() override;
    void EndDoc() override;
    void KillDoc() override;

protected:
    /// Changes the sheet and printable area, as a printer does when its paper changes.
    void setSheet(double width, double height, double scaleWidth, double scaleHeight);

private:
    template <typename T> void change(T &field, const T &value, const char *name);
    void record(const QString &name, QVariantList args = {});

    QList<Op> m_ops;
    bool m_recordMeasurements = true;
    QString m_fontName;
    double m_fontSize = 10;
    bool m_bold = false;
    bool m_italic = false;
    bool m_strikethru = false;
    bool m_underline = false;
    qint32 m_foreColor = 0;
    double m_currentX = 0;
    double m_currentY = 0;
    int m_drawWidth = 1;
    int m_drawStyle = 0;
    double m_width;
    double m_height;
    double m_scaleWidth;
    double m_scaleHeight;
    double m_left = 0;
    double m_top = 0;
    QString m_deviceName = QStringLiteral("Recorder");
    qint16 m_paperSize = 9; // A4
    qint16 m_orientation = 1;
    qint16 m_colorMode = 2;
    bool m_colorCapable = true;
};

} // namespace quillon
