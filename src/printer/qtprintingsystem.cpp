#include "qtprintingsystem.h"

#include "platform/interfaces/surface.h"
#include "platform/paintersurface.h"
#include "printer/papercodes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>

#include <cups/cups.h>

#include <map>
#include <memory>
#include <mutex>

namespace quillon {

namespace {

Q_LOGGING_CATEGORY(lcCups, "quillon.printer.cups")

/// Whether a saved option of the user may travel with a document: not the ones that change
/// the page geometry or the page count the library has laid out (paper, orientation, copies,
/// pages per sheet, scaling, banners), nor the printer's own attributes that come with them.
bool keepsLayout(const char *name)
{
    static const char *const kLayoutOptions[]
        = { "copies", "media", "PageSize", "PageRegion", "orientation-requested", "landscape",
              "number-up", "number-up-layout", "page-ranges", "page-set", "fit-to-page", "fitplot",
              "scaling", "natural-scaling", "position", "mirror", "outputorder", "page-border" };
    for (const char *option : kLayoutOptions) {
        if (qstrcmp(name, option) == 0)
            return false;
    }
    const QByteArrayView view(name);
    return !view.startsWith("printer-") && !view.startsWith("marker-") && !view.startsWith("job-")
        && view != "device-uri";
}

/// The printer's destination with the options the user saved for it ("queue/instance" names an
/// instance); nullptr when there is none, else freed with cupsFreeDests(1, dest).
cups_dest_t *namedDest(const QString &deviceName)
{
    const QByteArray queue = deviceName.section(u'/', 0, 0).toUtf8();
    const QByteArray instance = deviceName.section(u'/', 1).toUtf8();
    return cupsGetNamedDest(
        CUPS_HTTP_DEFAULT, queue.constData(), instance.isEmpty() ? nullptr : instance.constData());
}

/// Adds the options the user saved for the printer (lpoptions: its defaults for this user) that
/// keep the layout; returns the new count.
int addSavedOptions(const QString &deviceName, int count, cups_option_t **options)
{
    cups_dest_t *dest = namedDest(deviceName);
    if (!dest)
        return count;
    for (int i = 0; i < dest->num_options; ++i) {
        const cups_option_t &option = dest->options[i];
        if (keepsLayout(option.name))
            count = cupsAddOption(option.name, option.value, count, options);
    }
    cupsFreeDests(1, dest);
    return count;
}

/// What a queue's driver says, and the printer information it was read from.
struct QueueDriver
{
    QPrinterInfo info;
    QList<QPageSize> sizes; // a queue without a driver takes the common papers
    bool hasDriver = false;
    bool color = false;
};

/// Every QPrinterInfo downloads the queue's driver file from the scheduler, and every job opens
/// its printer: a batch would fetch it several times a report. What the driver says is kept a
/// few seconds, long enough for a batch and short enough that a new driver is soon seen.
QueueDriver queueDriver(const QString &deviceName)
{
    constexpr qint64 kKeptMs = 10'000;
    struct Kept
    {
        QueueDriver driver;
        QElapsedTimer age;
    };
    static std::mutex mutex;
    static std::map<QString, Kept> kept;
    // Qt reads the driver lazily: a QPrinterInfo is read under the lock only, and handed out
    // once every answer is loaded.
    const std::lock_guard lock(mutex);
    Kept &entry = kept[deviceName];
    if (!entry.age.isValid() || entry.age.hasExpired(kKeptMs)) {
        QueueDriver &d = entry.driver;
        d.info = QPrinterInfo::printerInfo(deviceName);
        d.sizes = d.info.supportedPageSizes();
        d.hasDriver = !d.sizes.isEmpty();
        if (!d.hasDriver) {
            for (qint16 code : PaperCodes::common())
                d.sizes.append(PaperCodes::pageSize(code));
        }
        // Nothing says a queue without a driver is grey: its document keeps its colours.
        d.color = !d.hasDriver || d.info.supportedColorModes().contains(QPrinter::Color);
        // A queue that went away is asked again next time.
        if (!d.info.isNull())
            entry.age.start();
    }
    return entry.driver;
}

const char *sidesKeyword(PrinterSurface::Duplex duplex)
{
    switch (duplex) {
    case PrinterSurface::Duplex::LongEdge:
        return CUPS_SIDES_TWO_SIDED_PORTRAIT;
    case PrinterSurface::Duplex::ShortEdge:
        return CUPS_SIDES_TWO_SIDED_LANDSCAPE;
    case PrinterSurface::Duplex::None:
        break;
    }
    return CUPS_SIDES_ONE_SIDED;
}

/// What the queue does with a document besides printing it once: the copies and sides it
/// offers (from its driver and the scheduler), and the sides the user saved for it.
PrinterSurface::Features queueFeatures(const QString &deviceName)
{
    PrinterSurface::Features f;
    cups_dest_t *dest = namedDest(deviceName);
    if (!dest)
        return f;
    if (cups_dinfo_t *info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        if (ipp_attribute_t *copies
            = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, CUPS_COPIES)) {
            int upper = 1;
            ippGetRange(copies, 0, &upper);
            f.copies = std::max(1, upper);
        }
        f.collate = cupsCheckDestSupported(CUPS_HTTP_DEFAULT, dest, info,
                        "multiple-document-handling", "separate-documents-collated-copies")
            && cupsCheckDestSupported(CUPS_HTTP_DEFAULT, dest, info, "multiple-document-handling",
                "separate-documents-uncollated-copies");
        f.duplex = cupsCheckDestSupported(
            CUPS_HTTP_DEFAULT, dest, info, CUPS_SIDES, CUPS_SIDES_TWO_SIDED_PORTRAIT);
        const char *sides = cupsGetOption(CUPS_SIDES, dest->num_options, dest->options);
        if (!sides) {
            ipp_attribute_t *byDefault
                = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, CUPS_SIDES);
            sides = byDefault ? ippGetString(byDefault, 0, nullptr) : nullptr;
        }
        for (const auto duplex :
            { PrinterSurface::Duplex::LongEdge, PrinterSurface::Duplex::ShortEdge }) {
            if (f.duplex && sides && qstrcmp(sides, sidesKeyword(duplex)) == 0)
                f.sides = duplex;
        }
        cupsFreeDestInfo(info);
    }
    cupsFreeDests(1, dest);
    return f;
}

/// The printer object, built before the painter surface that measures on it.
struct PrinterDevice
{
    // Given the queue's information, the printer does not look up the default printer first.
    PrinterDevice(const QString &name, const QueueDriver &queue)
        : driver(queue)
        , printer(driver.info, QPrinter::HighResolution)
    {
        printer.setPrinterName(name);
        printer.setResolution(1440); // one device unit is one twip
        printer.setFullPage(false);
        printer.setDocName(QStringLiteral("Quillon"));
    }
    QueueDriver driver;
    QPrinter printer;
};

class QtPrinterSurface : private PrinterDevice, public PainterSurface, public PrinterSurface
{
public:
    QtPrinterSurface(const QString &name, const QueueDriver &queue)
        : PrinterDevice(name, queue)
        , PainterSurface(&printer)
    {
        m_paperCode = PaperCodes::code(printer.pageLayout().pageSize());
        m_colorMode = printer.colorMode() == QPrinter::Color ? 2 : 1;
        if (!driver.hasDriver)
            qCInfo(lcCups) << "queue" << name
                           << "has no driver: it takes the common papers and gets the document "
                              "as drawn";
    }

    double Width() const override { return printer.pageLayout().fullRectPoints().width() * 20.0; }
    double Height() const override { return printer.pageLayout().fullRectPoints().height() * 20.0; }
    double ScaleWidth() const override
    {
        return printer.pageLayout().paintRectPoints().width() * 20.0;
    }
    double ScaleHeight() const override
    {
        return printer.pageLayout().paintRectPoints().height() * 20.0;
    }
    QString DeviceName() const override { return printer.printerName(); }
    qint16 PaperSize() const override { return m_paperCode; }

    bool setPaperSize(qint16 code) override
    {
        // Every layout sets the paper again: a variant of it chosen before stays.
        if (code == m_paperCode
            && printer.pageLayout().pageSize().isEquivalentTo(PaperCodes::pageSize(code)))
            return true;
        return setPaper(code, QString());
    }

    QString PaperName() const override { return printer.pageLayout().pageSize().name(); }

    bool setPaper(qint16 code, const QString &name) override
    {
        const QPageSize size = PaperCodes::pageSize(code);
        if (!size.isValid())
            return false;
        // A driver may list a paper more than once (A4 and "A4 (Borderless)"): the one named,
        // else the variant the user's printer settings choose, else the plainest.
        QList<QPageSize> variants;
        for (const QPageSize &s : driver.sizes) {
            if (s.isEquivalentTo(size))
                variants.append(s);
        }
        if (variants.isEmpty())
            return false;
        const auto named = [&](const QString &wanted) {
            return std::find_if(variants.cbegin(), variants.cend(),
                [&](const QPageSize &s) { return s.name().trimmed() == wanted.trimmed(); });
        };
        auto chosen = name.isEmpty() ? variants.cend() : named(name);
        // Asked afresh: the user's settings may have changed a moment ago.
        if (chosen == variants.cend() && variants.size() > 1)
            chosen
                = named(QPrinterInfo::printerInfo(printer.printerName()).defaultPageSize().name());
        if (chosen == variants.cend()) {
            chosen = std::min_element(
                variants.cbegin(), variants.cend(), [](const QPageSize &a, const QPageSize &b) {
                    return a.name().trimmed().size() < b.name().trimmed().size();
                });
        }
        if (!printer.setPageSize(*chosen))
            return false;
        m_paperCode = code;
        return true;
    }

    qint16 Orientation() const override
    {
        return printer.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
    }
    void setOrientation(qint16 orientation) override
    {
        if (orientation == 1 || orientation == 2)
            printer.setPageOrientation(
                orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
    }
    qint16 ColorMode() const override { return hasColor() ? m_colorMode : 0; }
    void setColorMode(qint16 mode) override
    {
        m_colorMode = mode;
        // A document under way keeps its mode (Qt refuses, with a warning on standard error);
        // the next one starts in the new mode.
        if (!isActive())
            applyColorMode();
    }
    int BitsPerPixel() const override { return hasColor() ? 24 : 1; }
    int ColorPlanes() const override { return 1; }
    void setDocumentName(const QString &name) override { printer.setDocName(name); }
    Features features() const override { return queueFeatures(printer.printerName()); }
    void setDocumentOptions(const DocumentOptions &options) override { m_options = options; }
    void NewPage() override { newPage(); }
    bool failed() const override
    {
        return hasFailed() || printer.printerState() == QPrinter::Error || !m_failure.isEmpty()
            || queueRefuses();
    }
    void EndDoc() override
    {
        if (!isActive()) {
            end(); // nothing drawn: no document
            return;
        }
        end();
        if (printer.printerState() != QPrinter::Error && m_failure.isEmpty())
            submit();
        m_spool.reset();
        m_options = {};
    }
    void KillDoc() override
    {
        end();
        m_spool.reset(); // the document was never sent: removing it discards it
        m_options = {};
    }

protected:
    // Qt's CUPS engine sends the document when painting ends, even after abort() (which it
    // does not support), and ignores what CUPS answers. So the engine writes to a spool file
    // of ours (any suffix but .pdf keeps the CUPS engine and its page layout), and EndDoc sends
    // it.
    QPaintDevice *deviceForPainting() override
    {
        applyColorMode();
        m_failure.clear();
        m_queueChecked.invalidate();
        m_spool = std::make_unique<QTemporaryFile>(QDir::tempPath() + u"/quillon-XXXXXX.job"_qs);
        if (!m_spool->open()) {
            qCWarning(lcCups) << "no spool file:" << m_spool->errorString();
            return nullptr;
        }
        m_spool->close();
        printer.setOutputFileName(m_spool->fileName());
        return &printer;
    }

private:
    /// Hands the spool file to CUPS with the options Qt's own engine would send (nothing here
    /// sets Qt's extra CUPS options) and the document's copies and sides, over the user's saved
    /// options for the printer (lpoptions), as lp sends them. Copies the print loop drew are
    /// pages of the document.
    void submit()
    {
        const QPageLayout layout = printer.pageLayout();
        cups_option_t *options = nullptr;
        int count = addSavedOptions(printer.printerName(), 0, &options);
        count
            = cupsAddOption("media", layout.pageSize().key().toUtf8().constData(), count, &options);
        if (m_options.copies > 1) {
            count = cupsAddOption(
                CUPS_COPIES, QByteArray::number(m_options.copies).constData(), count, &options);
            count = cupsAddOption("multiple-document-handling",
                m_options.collate ? "separate-documents-collated-copies"
                                  : "separate-documents-uncollated-copies",
                count, &options);
            // A collation the user saved would contradict the attribute.
            count = cupsRemoveOption("Collate", count, &options);
            count = cupsRemoveOption("collate", count, &options);
        }
        // The document's sides, else those of the printer's settings; else nothing is sent and
        // the saved default, or the queue's, applies.
        std::optional<Duplex> duplex = m_options.duplex;
        switch (duplex ? QPrinter::DuplexNone : printer.duplex()) {
        case QPrinter::DuplexAuto:
            duplex = layout.orientation() == QPageLayout::Portrait ? Duplex::LongEdge
                                                                   : Duplex::ShortEdge;
            break;
        case QPrinter::DuplexLongSide:
            duplex = Duplex::LongEdge;
            break;
        case QPrinter::DuplexShortSide:
            duplex = Duplex::ShortEdge;
            break;
        case QPrinter::DuplexNone:
            break;
        }
        if (duplex)
            count = cupsAddOption(CUPS_SIDES, sidesKeyword(*duplex), count, &options);
        if (layout.orientation() == QPageLayout::Landscape)
            count = cupsAddOption("landscape", "", count, &options);
        // An instance ("queue/instance") prints on its queue.
        const QByteArray queue = printer.printerName().section(u'/', 0, 0).toUtf8();
        const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.constData(),
            QFile::encodeName(m_spool->fileName()).constData(),
            printer.docName().toUtf8().constData(), count, options);
        cupsFreeOptions(count, options);
        if (job == 0) {
            m_failure = QString::fromUtf8(cupsLastErrorString());
            qCWarning(lcCups) << "queue" << printer.printerName()
                              << "refused the document:" << m_failure;
        }
    }

    /// While a document is open: whether the queue has gone or stopped accepting jobs, so that
    /// a long job stops at the next sheet rather than failing at its end. Asked at most twice
    /// a second.
    bool queueRefuses() const
    {
        if (!isActive() || (m_queueChecked.isValid() && m_queueChecked.elapsed() < 500))
            return false;
        m_queueChecked.start();
        cups_dest_t *dest = namedDest(printer.printerName());
        const char *accepting = dest
            ? cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options)
            : nullptr;
        if (!dest)
            m_failure = QString::fromUtf8(cupsLastErrorString());
        else if (accepting && qstrcmp(accepting, "false") == 0)
            m_failure = QStringLiteral("not accepting jobs");
        cupsFreeDests(dest ? 1 : 0, dest);
        if (!m_failure.isEmpty())
            qCWarning(lcCups) << "queue" << printer.printerName() << "refuses jobs:" << m_failure;
        return !m_failure.isEmpty();
    }

private:
    bool hasColor() const { return driver.color; }
    void applyColorMode()
    {
        const auto wanted = m_colorMode == 2 && hasColor() ? QPrinter::Color : QPrinter::GrayScale;
        if (printer.colorMode() != wanted)
            printer.setColorMode(wanted);
    }

    DocumentOptions m_options;
    std::unique_ptr<QTemporaryFile> m_spool;
    mutable QString m_failure; // why the document cannot reach the queue
    mutable QElapsedTimer m_queueChecked;
    qint16 m_paperCode = PaperCodes::A4;
    qint16 m_colorMode = 2;
};

} // namespace

QList<PaperInfo> queuePapers(const QString &deviceName)
{
    QList<PaperInfo> list;
    for (const QPageSize &size : queueDriver(deviceName).sizes)
        list.append({ PaperCodes::code(size), size.name() });
    return list;
}

QtPrintingSystem::QtPrintingSystem() = default;
QtPrintingSystem::~QtPrintingSystem() = default;

QtPrintingSystem::Queues QtPrintingSystem::queues()
{
    // A job asks for the queues and the default several times, and the scheduler answers one
    // request at a time for every program: one answer serves for a moment, and for the server
    // it came from.
    constexpr qint64 kFreshMs = 2000;
    const QByteArray server(cupsServer());
    const std::lock_guard lock(m_queuesMutex);
    if (m_queuesAge.isValid() && !m_queuesAge.hasExpired(kFreshMs) && server == m_queuesServer)
        return m_queues;
    // One request for the list, named as Qt names the queues: a QPrinterInfo for each would
    // fetch each queue's driver file.
    cups_dest_t *dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    Queues found;
    for (int i = 0; i < count; ++i) {
        const cups_dest_t &dest = dests[i];
        QString name = QString::fromLocal8Bit(dest.name);
        if (dest.instance)
            name += u'/' + QString::fromLocal8Bit(dest.instance);
        const auto option = [&](const char *key) {
            return QString::fromUtf8(cupsGetOption(key, dest.num_options, dest.options));
        };
        // The device URI is the nearest thing CUPS has to a port.
        found.printers.append({ name, option("printer-make-and-model"), option("device-uri") });
        // Qt leaves out a queue the scheduler has not set up (a printer only discovered).
        if (dest.instance || cupsGetOption("printer-uri-supported", dest.num_options, dest.options))
            found.openable.append(name);
        if (dest.is_default)
            found.defaultName = name;
    }
    cupsFreeDests(count, dests);
    m_queues = found;
    m_queuesServer = server;
    m_queuesAge.start();
    return found;
}

bool QtPrintingSystem::canOpen(const QString &deviceName)
{
    return queues().openable.contains(deviceName);
}

QList<PrinterInfo> QtPrintingSystem::printers()
{
    return queues().printers;
}

QString QtPrintingSystem::defaultPrinterName()
{
    return queues().defaultName;
}

std::unique_ptr<PrinterSurface> QtPrintingSystem::openPrinter(const QString &deviceName)
{
    if (!canOpen(deviceName))
        return nullptr;
    // Without the queue's information Qt would quietly take the default printer instead.
    const QueueDriver driver = queueDriver(deviceName);
    if (driver.info.isNull())
        return nullptr;
    return std::make_unique<QtPrinterSurface>(deviceName, driver);
}

bool QtPrintingSystem::selectPrinter(const QString &deviceName)
{
    if (!canOpen(deviceName))
        return false;
    auto &surface = m_surfaces[deviceName];
    if (!surface)
        surface = openPrinter(deviceName);
    if (!surface) {
        m_surfaces.erase(deviceName);
        return false;
    }
    m_current = surface.get();
    return true;
}

PrinterSurface *QtPrintingSystem::currentPrinter()
{
    if (!m_current) {
        const QString name = defaultPrinterName();
        if (!name.isEmpty())
            selectPrinter(name);
    }
    return m_current;
}

QList<PaperInfo> QtPrintingSystem::papers(const QString &deviceName)
{
    return queuePapers(deviceName);
}

CombinedPrintingSystem::CombinedPrintingSystem(std::vector<std::unique_ptr<PrintingSystem>> systems)
    : m_systems(std::move(systems))
{
}

CombinedPrintingSystem::~CombinedPrintingSystem() = default;

QList<PrinterInfo> CombinedPrintingSystem::printers()
{
    QList<PrinterInfo> list;
    for (auto &system : m_systems)
        list += system->printers();
    return list;
}

QString CombinedPrintingSystem::defaultPrinterName()
{
    for (auto &system : m_systems) {
        const QString name = system->defaultPrinterName();
        if (!name.isEmpty())
            return name;
    }
    return QString();
}

PrintingSystem *CombinedPrintingSystem::systemOf(const QString &deviceName)
{
    for (auto &system : m_systems) {
        const QList<PrinterInfo> list = system->printers();
        if (std::any_of(list.cbegin(), list.cend(),
                [&](const PrinterInfo &p) { return p.deviceName == deviceName; }))
            return system.get();
    }
    return nullptr;
}

bool CombinedPrintingSystem::selectPrinter(const QString &deviceName)
{
    PrintingSystem *system = systemOf(deviceName);
    if (!system || !system->selectPrinter(deviceName))
        return false;
    m_current = system;
    return true;
}

PrinterSurface *CombinedPrintingSystem::currentPrinter()
{
    if (!m_current) {
        const QString name = defaultPrinterName();
        if (name.isEmpty() || !selectPrinter(name))
            return nullptr;
    }
    return m_current->currentPrinter();
}

std::unique_ptr<PrinterSurface> CombinedPrintingSystem::openPrinter(const QString &deviceName)
{
    PrintingSystem *system = systemOf(deviceName);
    return system ? system->openPrinter(deviceName) : nullptr;
}

QList<PaperInfo> CombinedPrintingSystem::papers(const QString &deviceName)
{
    PrintingSystem *system = systemOf(deviceName);
    return system ? system->papers(deviceName) : QList<PaperInfo>();
}

} // namespace quillon
