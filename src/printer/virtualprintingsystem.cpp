#include "virtualprintingsystem.h"

#include "papercodes.h"
#include "virtualprinters_p.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QRegularExpression>
#include <QStandardPaths>

namespace quillon {

QList<qint16> VirtualPrinterSpec::standardPaperCodes()
{
    static const QList<qint16> codes = [] {
        QList<qint16> list;
        for (int code : { 9, 8, 11, 13, 1, 5 })
            list.append(qint16(code));
        return list;
    }();
    return codes;
}

// ---- paper ---------------------------------------------------------------------------------

VirtualPaper::VirtualPaper(const VirtualPrinterSpec &s)
    : spec(s)
    , code(s.paperSize)
    , orientation(s.orientation == 2 ? 2 : 1)
{
}

bool VirtualPaper::takes(qint16 c) const
{
    if (c == PaperCodes::UserDefined)
        return !spec.userSizeTwips.isEmpty();
    return spec.paperCodes.contains(c) && PaperCodes::pageSize(c).isValid();
}

QPageSize VirtualPaper::pageSize() const
{
    if (code == PaperCodes::UserDefined && !spec.userSizeTwips.isEmpty())
        return QPageSize(
            spec.userSizeTwips / 20.0, QPageSize::Point, QString(), QPageSize::ExactMatch);
    const QPageSize size = PaperCodes::pageSize(code);
    return size.isValid() ? size : QPageSize(QPageSize::A4);
}

QSizeF VirtualPaper::sheet() const
{
    QSizeF points = pageSize().size(QPageSize::Point);
    if (orientation == 2)
        points.transpose();
    return points * 20.0;
}

QSizeF VirtualPaper::printable() const
{
    const QSizeF s = sheet();
    return { std::max(0.0, s.width() - 2 * spec.marginTwips),
        std::max(0.0, s.height() - 2 * spec.marginTwips) };
}

// ---- recording printer ---------------------------------------------------------------------

VirtualRecordingPrinter::VirtualRecordingPrinter(const VirtualPrinterSpec &spec, DocumentSink sink)
    : m_paper(spec)
    , m_sink(std::move(sink))
{
    setDeviceName(spec.deviceName);
    setColorCapable(spec.color);
    applySheet();
}

void VirtualRecordingPrinter::applySheet()
{
    const QSizeF sheet = m_paper.sheet();
    const QSizeF printable = m_paper.printable();
    setSheet(sheet.width(), sheet.height(), printable.width(), printable.height());
}

bool VirtualRecordingPrinter::setPaperSize(qint16 code)
{
    if (!m_paper.takes(code))
        return false;
    RecordingSurface::setPaperSize(code);
    m_paper.code = code;
    applySheet();
    return true;
}

void VirtualRecordingPrinter::setOrientation(qint16 orientation)
{
    RecordingSurface::setOrientation(orientation);
    if (orientation == 1 || orientation == 2)
        m_paper.orientation = orientation;
    applySheet();
}

void VirtualRecordingPrinter::setDocumentName(const QString &name)
{
    m_docName = name;
}

PrinterSurface::Features VirtualRecordingPrinter::features() const
{
    Features f;
    f.duplex = m_paper.spec.duplex;
    return f;
}

void VirtualRecordingPrinter::EndDoc()
{
    VirtualDocument doc { m_paper.spec.deviceName, m_docName, 0, QString(), { QString() },
        m_options };
    m_options = {};
    for (const Op &op : ops()) {
        if (op.name == QLatin1String("NewPage"))
            doc.pages.append(QString());
        else
            doc.pages.last() += op.toString() + QLatin1Char('\n');
    }
    // A page break at the very end opens no page of its own.
    if (doc.pages.size() > 1 && doc.pages.last().isEmpty())
        doc.pages.removeLast();
    doc.pageCount = doc.pages.size();
    clear();
    m_sink(std::move(doc));
}

void VirtualRecordingPrinter::KillDoc()
{
    clear();
    m_options = {};
}

// ---- PDF printer ---------------------------------------------------------------------------

PdfMetricDevice::PdfMetricDevice()
    : writer(&buffer)
{
    writer.setResolution(1440);
}

VirtualPdfPrinter::VirtualPdfPrinter(const VirtualPrinterSpec &spec, DocumentSink sink)
    : PainterSurface(&writer)
    , m_paper(spec)
    , m_sink(std::move(sink))
{
}

VirtualPdfPrinter::~VirtualPdfPrinter()
{
    // A document never ended is not a document: drop its partial file.
    if (m_writer)
        KillDoc();
}

void VirtualPdfPrinter::applyLayout(QPdfWriter &w) const
{
    w.setPageLayout(QPageLayout(m_paper.pageSize(),
        m_paper.orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait,
        QMarginsF(0, 0, 0, 0)));
}

bool VirtualPdfPrinter::setPaperSize(qint16 code)
{
    if (!m_paper.takes(code))
        return false;
    m_paper.code = code;
    if (m_writer)
        applyLayout(*m_writer); // from the next page on
    return true;
}

void VirtualPdfPrinter::setOrientation(qint16 orientation)
{
    if (orientation != 1 && orientation != 2)
        return;
    m_paper.orientation = orientation;
    if (m_writer)
        applyLayout(*m_writer);
}

QPaintDevice *VirtualPdfPrinter::deviceForPainting()
{
    QString folder = m_paper.spec.port;
    if (folder.isEmpty())
        folder = VirtualPrintingSystem::defaultPdfFolder();
    QDir().mkpath(folder);
    QString base = m_docName.isEmpty() ? QStringLiteral("Quillon") : m_docName;
    base.replace(
        QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]")), QStringLiteral("_"));
    // A long title still gives a name the file system takes (255 bytes): the stamp, a number
    // and ".pdf.part" need 30 of them.
    while (QFile::encodeName(base).size() > 225)
        base.chop(base.size() > 1 && base.back().isLowSurrogate() ? 2 : 1);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = QDir(folder).filePath(base + QLatin1Char('-') + stamp + QStringLiteral(".pdf"));
    for (int n = 2; QFile::exists(path) || QFile::exists(path + QStringLiteral(".part")); ++n)
        path = QDir(folder).filePath(QStringLiteral("%1-%2-%3.pdf").arg(base, stamp).arg(n));
    m_writeFailed = false;
    m_partPath = path + QStringLiteral(".part");
    m_file = std::make_unique<QFile>(m_partPath);
    if (!m_file->open(QIODevice::WriteOnly)) {
        // The surface then counts as failed, and the print says so.
        m_file.reset();
        m_partPath.clear();
        return nullptr;
    }
    m_writer = std::make_unique<QPdfWriter>(m_file.get());
    m_writer->setResolution(1440);
    m_writer->setTitle(m_docName);
    m_writer->setCreator(QStringLiteral("Quillon"));
    applyLayout(*m_writer);
    m_pages = 1;
    return m_writer.get();
}

void VirtualPdfPrinter::paintingStarted(QPainter &p)
{
    // The drawing origin is the corner of the printable area, as on a real printer.
    const double margin = toDeviceX(m_paper.spec.marginTwips);
    p.translate(margin, margin);
}

void VirtualPdfPrinter::NewPage()
{
    if (newPage())
        ++m_pages;
}

void VirtualPdfPrinter::EndDoc()
{
    if (!m_writer)
        return; // nothing was drawn: no document
    end();
    m_writer.reset();
    // A full disk shows only here: the document is then no document.
    const bool written = m_file->flush() && m_file->error() == QFileDevice::NoError;
    m_file.reset();
    const QString finalPath = m_partPath.chopped(5);
    QFile::remove(finalPath);
    if (!written || !QFile::rename(m_partPath, finalPath)) {
        m_writeFailed = true;
        KillDoc();
        return;
    }
    m_lastFile = finalPath;
    m_sink({ m_paper.spec.deviceName, m_docName, m_pages, finalPath, {}, {} });
    m_partPath.clear();
    m_pages = 0;
}

void VirtualPdfPrinter::KillDoc()
{
    end();
    m_writer.reset();
    m_file.reset();
    if (!m_partPath.isEmpty())
        QFile::remove(m_partPath);
    m_partPath.clear();
    m_pages = 0;
}

// ---- the system ----------------------------------------------------------------------------

QString VirtualPrintingSystem::defaultPdfFolder()
{
    const QString fromEnv = qEnvironmentVariable("QUILLON_PDF_DIR");
    if (!fromEnv.isEmpty())
        return fromEnv;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
        .filePath(QStringLiteral("Quillon"));
}

VirtualPrinterSpec VirtualPrintingSystem::pdfPrinterSpec(const QString &folder)
{
    VirtualPrinterSpec spec;
    spec.deviceName = pdfPrinterName();
    spec.port = folder.isEmpty() ? defaultPdfFolder() : folder;
    spec.paperCodes = PaperCodes::common();
    spec.userSizeTwips = QSizeF(11906, 16838);
    return spec;
}

std::unique_ptr<VirtualPrintingSystem> VirtualPrintingSystem::withPdfPrinter(const QString &folder)
{
    return std::make_unique<VirtualPrintingSystem>(QList { pdfPrinterSpec(folder) });
}

VirtualPrintingSystem::VirtualPrintingSystem(
    QList<VirtualPrinterSpec> printers, const QString &defaultPrinter)
    : m_specs(std::move(printers))
    , m_default(defaultPrinter)
{
    if (m_default.isEmpty() && !m_specs.isEmpty())
        m_default = m_specs.first().deviceName;
}

VirtualPrintingSystem::~VirtualPrintingSystem() = default;

QList<PrinterInfo> VirtualPrintingSystem::printers()
{
    QList<PrinterInfo> list;
    for (const VirtualPrinterSpec &spec : std::as_const(m_specs))
        list.append({ spec.deviceName, spec.driverName, spec.port });
    return list;
}

QString VirtualPrintingSystem::defaultPrinterName()
{
    return m_default;
}

std::unique_ptr<PrinterSurface> VirtualPrintingSystem::makeSurface(const VirtualPrinterSpec &spec)
{
    DocumentSink sink = [this](VirtualDocument doc) { m_documents.append(std::move(doc)); };
    if (spec.output == VirtualPrinterSpec::Output::Recording)
        return std::make_unique<VirtualRecordingPrinter>(spec, std::move(sink));
    return std::make_unique<VirtualPdfPrinter>(spec, std::move(sink));
}

bool VirtualPrintingSystem::selectPrinter(const QString &deviceName)
{
    for (const VirtualPrinterSpec &spec : std::as_const(m_specs)) {
        if (spec.deviceName == deviceName) {
            auto &surface = m_surfaces[deviceName];
            if (!surface)
                surface = makeSurface(spec);
            m_current = surface.get();
            return true;
        }
    }
    return false;
}

std::unique_ptr<PrinterSurface> VirtualPrintingSystem::openPrinter(const QString &deviceName)
{
    for (const VirtualPrinterSpec &spec : std::as_const(m_specs)) {
        if (spec.deviceName == deviceName)
            return makeSurface(spec);
    }
    return nullptr;
}

PrinterSurface *VirtualPrintingSystem::currentPrinter()
{
    if (!m_current && !m_default.isEmpty())
        selectPrinter(m_default);
    return m_current;
}

QList<PaperInfo> VirtualPrintingSystem::papers(const QString &deviceName)
{
    QList<PaperInfo> list;
    for (const VirtualPrinterSpec &spec : std::as_const(m_specs)) {
        if (spec.deviceName != deviceName)
            continue;
        for (qint16 code : spec.paperCodes)
            list.append({ code, PaperCodes::name(code) });
        if (!spec.userSizeTwips.isEmpty())
            list.append({ PaperCodes::UserDefined, PaperCodes::name(PaperCodes::UserDefined) });
    }
    return list;
}

std::optional<QList<VirtualPrinterSpec>> VirtualPrintingSystem::readPrinterFile(
    const QString &path, QString *error, QString *defaultPrinter)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("无法读取打印机描述文件“%1”：%2").arg(path, file.errorString());
        return std::nullopt;
    }
    QList<VirtualPrinterSpec> specs;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    auto fail = [&](int lineNo, const QString &why) {
        if (error)
            *error
                = QStringLiteral("打印机描述文件“%1”第 %2 行：%3").arg(path).arg(lineNo).arg(why);
        return std::nullopt;
    };
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        const qsizetype comment = line.indexOf(QLatin1Char(';'));
        if (comment >= 0)
            line.truncate(comment);
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            VirtualPrinterSpec spec;
            spec.deviceName = line.mid(1, line.size() - 2).trimmed();
            if (spec.deviceName.isEmpty())
                return fail(i + 1, QStringLiteral("打印机名称为空"));
            specs.append(spec);
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || specs.isEmpty())
            return fail(i + 1, QStringLiteral("应为 [打印机名称] 或 键=值"));
        const QString key = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1).trimmed();
        VirtualPrinterSpec &spec = specs.last();
        bool ok = true;
        if (key == QLatin1String("output")) {
            ok = value == QLatin1String("pdf") || value == QLatin1String("recording");
            spec.output = value == QLatin1String("recording")
                ? VirtualPrinterSpec::Output::Recording
                : VirtualPrinterSpec::Output::Pdf;
        } else if (key == QLatin1String("folder")) {
            spec.port = value;
        } else if (key == QLatin1String("driver")) {
            spec.driverName = value;
        } else if (key == QLatin1String("papers")) {
            spec.paperCodes.clear();
            for (const QString &part : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                const int code = part.trimmed().toInt(&ok);
                if (!ok || !PaperCodes::pageSize(qint16(code)).isValid()) {
                    ok = false;
                    break;
                }
                spec.paperCodes.append(qint16(code));
            }
            if (ok && !spec.paperCodes.isEmpty())
                spec.paperSize = spec.paperCodes.first();
            ok = ok && !spec.paperCodes.isEmpty();
        } else if (key == QLatin1String("orientation")) {
            spec.orientation = qint16(value.toInt(&ok));
            ok = ok && (spec.orientation == 1 || spec.orientation == 2);
        } else if (key == QLatin1String("color")) {
            spec.color = value == QLatin1String("1");
            ok = value == QLatin1String("1") || value == QLatin1String("0");
        } else if (key == QLatin1String("margin")) {
            spec.marginTwips = value.toDouble(&ok);
            ok = ok && spec.marginTwips >= 0;
        } else if (key == QLatin1String("usersize")) {
            const QStringList wh = value.split(QLatin1Char('x'));
            bool okW = false, okH = false;
            if (wh.size() == 2)
                spec.userSizeTwips = QSizeF(wh[0].toDouble(&okW), wh[1].toDouble(&okH));
            ok = okW && okH && !spec.userSizeTwips.isEmpty();
        } else if (key == QLatin1String("default")) {
            if (value == QLatin1String("1") && defaultPrinter)
                *defaultPrinter = spec.deviceName;
        } else {
            return fail(i + 1, QStringLiteral("未知的键“%1”").arg(key));
        }
        if (!ok)
            return fail(i + 1, QStringLiteral("“%1”的值“%2”无效").arg(key, value));
    }
    return specs;
}

std::unique_ptr<PrintingSystem> fallbackPrintingSystem()
{
    return VirtualPrintingSystem::withPdfPrinter();
}

} // namespace quillon
