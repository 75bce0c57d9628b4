#pragma once

#include <QColor>
#include <QImage>
#include <QString>

#include <optional>

namespace quillon {

/// What the engine draws on: a printer page, a preview page picture, a PDF page or a recorder.
/// Every position and length is in twips (1440 per inch) with (0, 0) at the top-left corner of
/// the drawable area; font sizes are points. Colours are RGB values with red in the low byte.
class Surface
{
public:
    enum class LineEnd { Absolute, Relative };

    virtual ~Surface() = default;

    virtual QString FontName() const = 0;
    virtual void setFontName(const QString &name) = 0;
    virtual double FontSize() const = 0;
    virtual void setFontSize(double points) = 0;
    virtual bool FontBold() const = 0;
    virtual void setFontBold(bool on) = 0;
    virtual bool FontItalic() const = 0;
    virtual void setFontItalic(bool on) = 0;
    virtual bool FontStrikethru() const = 0;
    virtual void setFontStrikethru(bool on) = 0;
    virtual bool FontUnderline() const = 0;
    virtual void setFontUnderline(bool on) = 0;
    virtual qint32 ForeColor() const = 0;
    virtual void setForeColor(qint32 color) = 0;

    /// Size of a text in the current font. A text with line breaks is as wide as its widest
    /// line and as high as all its lines.
    virtual double TextWidth(const QString &text) = 0;
    virtual double TextHeight(const QString &text) = 0;

    /// Top-left corner of the next Print.
    virtual double CurrentX() const = 0;
    virtual void setCurrentX(double x) = 0;
    virtual double CurrentY() const = 0;
    virtual void setCurrentY(double y) = 0;

    /// Draws the text at the current position, then moves the position to the start of the
    /// next line.
    virtual void Print(const QString &text) = 0;
    /// Print with one character a cell: the cells are cellWidth wide from the current position
    /// rightwards, each character centred in its own. For digits in ruled cells.
    virtual void PrintCells(const QString &text, double cellWidth)
    {
        const double x = CurrentX(), y = CurrentY();
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QString c(text[i]);
            setCurrentX(x + i * cellWidth + (cellWidth - TextWidth(c)) / 2);
            setCurrentY(y);
            Print(c);
        }
    }

    /// A straight line in the current DrawWidth and DrawStyle. With LineEnd::Relative the end
    /// point is an offset from (x1, y1).
    virtual void Line(
        double x1, double y1, double x2, double y2, qint32 color, LineEnd end = LineEnd::Absolute)
        = 0;

    /// Line thickness in draw pixels (drawPixelWidth() each).
    virtual int DrawWidth() const = 0;
    virtual void setDrawWidth(int width) = 0;
    /// How wide one step of DrawWidth draws, in twips: a device pixel, never thinner than
    /// 1/600 inch.
    virtual double drawPixelWidth() const { return 1440.0 / 600; }
    /// 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot.
    virtual int DrawStyle() const = 0;
    virtual void setDrawStyle(int style) = 0;

    /// Draws the part (sx, sy, sw, sh) of the picture, in picture pixels, scaled into the
    /// rectangle (x, y, w, h). A source width or height of 0 means the whole picture.
    virtual void PaintPicture(const QImage &picture, double x, double y, double w, double h,
        double sx = 0, double sy = 0, double sw = 0, double sh = 0)
        = 0;

    /// Clears the page to white.
    virtual void Cls() = 0;

    /// Size of the page and its scroll position inside a viewer. Setting the size asks a
    /// viewer's page to take it; surfaces of a fixed size ignore it.
    virtual double Width() const = 0;
    virtual double Height() const = 0;
    virtual void setWidth(double width) = 0;
    virtual void setHeight(double height) = 0;
    virtual double Left() const = 0;
    virtual void setLeft(double left) = 0;
    virtual double Top() const = 0;
    virtual void setTop(double top) = 0;
};

/// A surface that is a printer: sheet and printable area, paper, orientation, colour and the
/// document operations.
class PrinterSurface : public virtual Surface
{
public:
    /// Printing on both sides of the sheet, bound on its long or its short edge.
    enum class Duplex { None, LongEdge, ShortEdge };

    /// What the printer does with a document besides printing it once on one side.
    struct Features
    {
        int copies = 1; ///< the most copies it makes of a document; 1: none
        bool collate = false; ///< it collates the copies it makes
        bool duplex = false; ///< it prints on both sides
        Duplex sides = Duplex::None; ///< what it does unless told (the user's saved choice)
    };

    /// How the printer prints the next document.
    struct DocumentOptions
    {
        int copies = 1; ///< copies the printer makes
        bool collate = true; ///< each copy whole before the next
        std::optional<Duplex> duplex = std::nullopt; ///< unset: as the printer's settings say
    };

    /// The printable area, in twips. Width() and Height() are the whole sheet.
    virtual double ScaleWidth() const = 0;
    virtual double ScaleHeight() const = 0;

    virtual QString DeviceName() const = 0;
    /// Paper code 1..41, or 256 for a user-defined size.
    virtual qint16 PaperSize() const = 0;
    /// False when the printer does not take this paper; the paper then stays as it was. A paper
    /// that has this code already stays as it is (a driver's borderless A4 stays borderless).
    virtual bool setPaperSize(qint16 code) = 0;
    /// The paper's name as the printer lists it; empty when the printer names papers by code only.
    virtual QString PaperName() const { return QString(); }
    /// The paper of this code that the printer lists under this name (a driver may list one code
    /// twice); the paper of the code when none is so named.
    virtual bool setPaper(qint16 code, const QString &name)
    {
        Q_UNUSED(name);
        return setPaperSize(code);
    }
    /// 1 portrait, 2 landscape.
    virtual qint16 Orientation() const = 0;
    virtual void setOrientation(qint16 orientation) = 0;
    /// 1 monochrome, 2 colour; 0 means the printer has no colour.
    virtual qint16 ColorMode() const = 0;
    virtual void setColorMode(qint16 mode) = 0;
    /// Colour depth of the device: bits per pixel and colour planes.
    virtual int BitsPerPixel() const = 0;
    virtual int ColorPlanes() const = 0;
    /// Name of the print document that the next drawing starts.
    virtual void setDocumentName(const QString &name) = 0;
    /// What the printer does itself; asked of the printing system each time.
    virtual Features features() const { return {}; }
    /// For the next document only: EndDoc and KillDoc forget them. What features() lacks is
    /// ignored.
    virtual void setDocumentOptions(const DocumentOptions &options) { Q_UNUSED(options); }
    /// The file the last finished document went to, for a printer that writes files.
    virtual QString outputFile() const { return QString(); }

    /// Ends the current page: the next drawing goes to a new page.
    virtual void NewPage() = 0;
    /// Ends the print document: it goes to the printer.
    virtual void EndDoc() = 0;
    /// Discards the print document.
    virtual void KillDoc() = 0;
    /// The printer could not take what was drawn (it went away, its file could not be
    /// written): the document should be discarded.
    virtual bool failed() const { return false; }
};

/// RGB value with red in the low byte, as a colour. Only the low 24 bits count.
inline QColor colorFromRgb(qint32 value)
{
    const quint32 v = static_cast<quint32>(value);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

} // namespace quillon
