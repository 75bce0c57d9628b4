#pragma once

#include "platform/interfaces/recordingsurface.h"
#include "platform/paintersurface.h"
#include "virtualprintingsystem.h"

#include <QBuffer>
#include <QFile>
#include <QPdfWriter>

#include <functional>

namespace quillon {

/// The paper of a virtual printer: which codes it takes and what sheet they make.
class VirtualPaper
{
public:
    explicit VirtualPaper(const VirtualPrinterSpec &spec);

    bool takes(qint16 code) const;
    /// The sheet in twips for the current code and orientation.
    QSizeF sheet() const;
    QSizeF printable() const;
    QPageSize pageSize() const;

    const VirtualPrinterSpec &spec;
    qint16 code;
    qint16 orientation;
};

using DocumentSink = std::function<void(VirtualDocument)>;

/// A virtual printer that keeps its pages as recordings.
class VirtualRecordingPrinter : public RecordingSurface
{
public:
    VirtualRecordingPrinter(const VirtualPrinterSpec &spec, DocumentSink sink);

    qint16 PaperSize() const override { return m_paper.code; }
    bool setPaperSize(qint16 code) override;
    qint16 Orientation() const override { return m_paper.orientation; }
    void setOrientation(qint16 orientation) override;
    void setDocumentName(const QString &name) override;
    QString DeviceName() const override { return m_paper.spec.deviceName; }
    Features features() const override;
    void setDocumentOptions(const DocumentOptions &options) override { m_options = options; }
    void EndDoc() override;
    void KillDoc() override;

private:
    void applySheet();

    VirtualPaper m_paper;
    DocumentSink m_sink;
    QString m_docName;
    DocumentOptions m_options;
};

/// A PDF writer that is only measured with, never painted on: it gives the virtual PDF
/// printer its metrics before a document exists. A base class, so that it is built before the
/// painter surface that measures with it.
struct PdfMetricDevice
{
    PdfMetricDevice();
    QBuffer buffer;
    QPdfWriter writer;
};

/// A virtual printer that writes each document as a PDF file into its folder.
class VirtualPdfPrinter : private PdfMetricDevice, public PainterSurface, public PrinterSurface
{
public:
    VirtualPdfPrinter(const VirtualPrinterSpec &spec, DocumentSink sink);
    ~VirtualPdfPrinter() override;

    double Width() const override { return m_paper.sheet().width(); }
    double Height() const override { return m_paper.sheet().height(); }
    double ScaleWidth() const override { return m_paper.printable().width(); }
    double ScaleHeight() const override { return m_paper.printable().height(); }
    QString DeviceName() const override { return m_paper.spec.deviceName; }
    qint16 PaperSize() const override { return m_paper.code; }
    bool setPaperSize(qint16 code) override;
    qint16 Orientation() const override { return m_paper.orientation; }
    void setOrientation(qint16 orientation) override;
    qint16 ColorMode() const override { return m_paper.spec.color ? m_colorMode : 0; }
    void setColorMode(qint16 mode) override { m_colorMode = mode; }
    int BitsPerPixel() const override { return m_paper.spec.color ? 24 : 1; }
    int ColorPlanes() const override { return 1; }
    void setDocumentName(const QString &name) override { m_docName = name; }
    void NewPage() override;
    void EndDoc() override;
    void KillDoc() override;
    bool failed() const override { return hasFailed() || m_writeFailed; }
    QString outputFile() const override { return m_lastFile; }

protected:
    QPaintDevice *deviceForPainting() override;
    void paintingStarted(QPainter &painter) override;

private:
    void applyLayout(QPdfWriter &writer) const;

    VirtualPaper m_paper;
    DocumentSink m_sink;
    std::unique_ptr<QFile> m_file;
    std::unique_ptr<QPdfWriter> m_writer;
    QString m_partPath;
    bool m_writeFailed = false; // the last document's file could not be written
    QString m_lastFile;
    QString m_docName;
    int m_pages = 0;
    qint16 m_colorMode = 2;
};

} // namespace quillon
