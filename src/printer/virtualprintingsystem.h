#pragma once

#include "printingsystem.h"

#include <QSizeF>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>

namespace quillon {

class PrinterSurface;

/// A printer that exists only in Quillon: it writes each print document as a PDF file, or keeps
/// its pages as recordings (for tests).
struct VirtualPrinterSpec
{
    enum class Output { Pdf, Recording };
    static QList<qint16> standardPaperCodes();

    QString deviceName;
    QString driverName = QStringLiteral("Quillon Virtual Printer");
    /// Pdf: the folder the files go to. Recording: shown as the port only.
    QString port;
    Output output = Output::Pdf;
    QList<qint16> paperCodes = standardPaperCodes(); ///< A4, A3, A5, B5, Letter, Legal
    qint16 paperSize = 9;
    qint16 orientation = 1;
    bool color = true;
    /// Whether it prints on both sides (a recording printer keeps the choice with the document).
    bool duplex = false;
    /// The unprintable strip on each side of the sheet, in twips.
    double marginTwips = 0;
    /// The size of paper 256 (user-defined), in twips; paper 256 is refused while it is empty.
    QSizeF userSizeTwips;
};

/// A finished print document of a virtual printer.
struct VirtualDocument
{
    QString printer;
    QString name;
    int pageCount = 0;
    QString pdfPath; ///< Pdf output
    QStringList pages; ///< Recording output: each page's recording, one operation per line
    PrinterSurface::DocumentOptions options; ///< Recording output: how it was to be printed
};

/// Printers described in code or in a printer file. A printer file is UTF-8 text with one
/// section per printer and these keys (all optional but the section name):
///
///     [Office PDF]
///     output=pdf            ; pdf or recording
///     folder=/srv/reports   ; where a pdf printer writes (its port)
///     driver=Quillon Virtual Printer
///     papers=9,8,11         ; paper codes it takes; the first is its current paper
///     orientation=1
///     color=1
///     margin=284            ; unprintable strip, twips
///     usersize=12000x8000   ; twips, enables paper 256
///     default=1             ; the default printer
class VirtualPrintingSystem : public PrintingSystem
{
public:
    /// The name of the embedded PDF printer.
    static QString pdfPrinterName() { return QStringLiteral("Quillon PDF"); }
    /// Where the embedded PDF printer writes: $QUILLON_PDF_DIR, else ~/Documents/Quillon.
    static QString defaultPdfFolder();
    /// The embedded PDF printer writing to a folder (the default one when empty).
    static VirtualPrinterSpec pdfPrinterSpec(const QString &folder = QString());
    /// A system with the embedded PDF printer alone.
    static std::unique_ptr<VirtualPrintingSystem> withPdfPrinter(const QString &folder = QString());
    /// Reads a printer file; nothing, with a message, when it cannot be read.
    static std::optional<QList<VirtualPrinterSpec>> readPrinterFile(
        const QString &path, QString *error, QString *defaultPrinter);

    explicit VirtualPrintingSystem(
        QList<VirtualPrinterSpec> printers, const QString &defaultPrinter = QString());
    ~VirtualPrintingSystem() override;

    QList<PrinterInfo> printers() override;
    QString defaultPrinterName() override;
    bool selectPrinter(const QString &deviceName) override;
    PrinterSurface *currentPrinter() override;
    QList<PaperInfo> papers(const QString &deviceName) override;
    std::unique_ptr<PrinterSurface> openPrinter(const QString &deviceName) override;

    /// Every document the printers finished, oldest first.
    const QList<VirtualDocument> &documents() const { return m_documents; }
    void clearDocuments() { m_documents.clear(); }

private:
    std::unique_ptr<PrinterSurface> makeSurface(const VirtualPrinterSpec &spec);

    QList<VirtualPrinterSpec> m_specs;
    QString m_default;
    // A printer's surface lives as long as the system: the engine may still point at it after
    // another printer became current.
    std::map<QString, std::unique_ptr<PrinterSurface>> m_surfaces;
    PrinterSurface *m_current = nullptr;
    QList<VirtualDocument> m_documents;
};

} // namespace quillon
