#include "cupsprinterdriver.h"

#include "printer/papercodes.h"
#include "printer/printingsystem.h"
#include "printer/qtprintingsystem.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <cups/cups.h>
// Per-printer driver options exist only in the PPD: the replacement API (cupsCopyDestInfo)
// has no option list nor defaults of a PPD queue's driver. Qt's own CUPS support does the same.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/ppd.h>

#include <cmath>

namespace quillon {

namespace {

Q_LOGGING_CATEGORY(lcDriver, "quillon.printer.driver")

constexpr qint16 kSpecVersion = 1;
// The device name's 32-byte slot and the record's 17 16-bit fields.
constexpr qint16 kFixedSize = 32 + 17 * 2;
// Document options of IPP that the settings carry besides the driver's PPD options.
const char *const kIppOptions[] = { "copies", "orientation-requested", "print-quality", "sides",
    "print-color-mode", "collate" };

QString text(const char *s)
{
    return QString::fromUtf8(s ? s : "");
}

// A PPD's texts are UTF-8 or, in older files, Latin-1.
QString ppdText(const char *s)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8.decode(QByteArrayView(s ? s : ""));
    return utf8.hasError() ? QString::fromLatin1(s) : decoded;
}

/// The PPD's page size names as the file writes them: libcups keeps only their first 80 bytes,
/// fewer than 30 Chinese characters.
QMap<QByteArray, QString> pageSizeTexts(const QString &ppdFile)
{
    QMap<QByteArray, QString> texts;
    QFile file(ppdFile);
    if (!file.open(QIODevice::ReadOnly))
        return texts;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (!line.startsWith("*PageSize "))
            continue;
        const qsizetype colon = line.indexOf(':');
        const qsizetype slash = line.indexOf('/');
        if (colon < 0 || slash < 0 || slash > colon)
            continue;
        QByteArray raw;
        // A translation string may hold bytes in hexadecimal between < and >.
        const QByteArray written = line.mid(slash + 1, colon - slash - 1);
        for (qsizetype i = 0; i < written.size(); ++i) {
            const qsizetype close = written.at(i) == '<' ? written.indexOf('>', i) : -1;
            if (close < 0) {
                raw += written.at(i);
                continue;
            }
            raw += QByteArray::fromHex(written.mid(i + 1, close - i - 1));
            i = close;
        }
        texts.insert(line.mid(10, slash - 10).trimmed(), ppdText(raw.constData()));
    }
    return texts;
}

bool isIppOption(const QString &keyword)
{
    for (const char *o : kIppOptions)
        if (keyword == QLatin1String(o))
            return true;
    return false;
}

qint16 tenthsOfMm(float points)
{
    return qint16(std::lround(points * 254.0 / 72.0));
}

/// One open CUPS queue: its destination (with the user's saved options) and its PPD.
class CupsConnection : public PrinterConnection
{
public:
    CupsConnection(const QString &deviceName, cups_dest_t *dest)
        : m_name(deviceName)
        , m_dest(dest)
    {
        const char *file = cupsGetPPD2(CUPS_HTTP_DEFAULT, dest->name);
        if (file) {
            m_ppdFile = QString::fromLocal8Bit(file);
            m_ppd = ppdOpenFile(file);
            m_sizeTexts = pageSizeTexts(m_ppdFile);
        }
    }
    ~CupsConnection() override
    {
        if (m_ppd)
            ppdClose(m_ppd);
        // libcups hands out a temporary copy, or a temporary link to a local scheduler's own
        // file: only ever remove something in the temporary folder, and never follow a link.
        if (!m_ppdFile.isEmpty()
            && QFileInfo(m_ppdFile).absolutePath().startsWith(QDir::tempPath()))
            QFile::remove(m_ppdFile);
        cupsFreeDests(1, m_dest);
    }

    int settingsLength() override { return kFixedSize + driverExtra(); }

    bool readSettings(DeviceSettings *settings) override
    {
        DeviceSettings s;
        s.deviceName = m_name;
        s.specVersion = kSpecVersion;
        s.driverVersion = driverVersion();
        s.size = kFixedSize;
        s.driverExtra = driverExtra();
        if (m_ppd) {
            ppdMarkDefaults(m_ppd);
            cupsMarkOptions(m_ppd, m_dest->num_options, m_dest->options);
            for (ppd_option_t *o = ppdFirstOption(m_ppd); o; o = ppdNextOption(m_ppd)) {
                if (const ppd_choice_t *c = ppdFindMarkedChoice(m_ppd, o->keyword))
                    s.options.insert(text(o->keyword), text(c->choice));
            }
        }
        for (const char *o : kIppOptions) {
            if (const char *v = cupsGetOption(o, m_dest->num_options, m_dest->options))
                s.options.insert(QLatin1String(o), text(v));
        }
        deriveFields(&s);
        *settings = s;
        return true;
    }

    bool showPropertySheet(const DeviceSettings &input, const PropertySheetWindow &window,
        DeviceSettings *output) override;
    QList<DriverOption> sheetOptions(const DeviceSettings &s) const;
    /// The options the paper and orientation fields name, where they differ.
    void takeFields(DeviceSettings *s) const;

    bool writeDefaults(const DeviceSettings &settings) override
    {
        cups_dest_t *dests = nullptr;
        int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
        cups_dest_t *dest = cupsGetDest(m_dest->name, m_dest->instance, count, dests);
        if (!dest) {
            cupsFreeDests(count, dests);
            return false;
        }
        // Document options the settings do not carry are not the user's defaults either.
        for (const char *o : kIppOptions) {
            if (!settings.options.contains(QLatin1String(o)))
                dest->num_options = cupsRemoveOption(o, dest->num_options, &dest->options);
        }
        for (auto it = settings.options.cbegin(); it != settings.options.cend(); ++it) {
            const QByteArray key = it.key().toUtf8();
            const QByteArray value = it.value().toUtf8();
            // The user's file keeps only what differs from the driver's own defaults, so that a
            // later driver default still reaches the user.
            if (isDriverDefault(key, value))
                dest->num_options
                    = cupsRemoveOption(key.constData(), dest->num_options, &dest->options);
            else
                dest->num_options = cupsAddOption(
                    key.constData(), value.constData(), dest->num_options, &dest->options);
        }
        const bool ok = cupsSetDests2(CUPS_HTTP_DEFAULT, count, dests) == 0;
        if (!ok)
            qCWarning(lcDriver) << "cannot save the options of" << m_name << cupsLastErrorString();
        cupsFreeDests(count, dests);
        if (ok) {
            // What the connection reads from now on.
            cups_dest_t *fresh
                = cupsGetNamedDest(CUPS_HTTP_DEFAULT, m_dest->name, m_dest->instance);
            if (fresh) {
                cupsFreeDests(1, m_dest);
                m_dest = fresh;
            }
        }
        return ok;
    }

    bool mergeSettings(const DeviceSettings &saved, DeviceSettings *output) override
    {
        DeviceSettings merged;
        if (!readSettings(&merged))
            return false;
        for (auto it = saved.options.cbegin(); it != saved.options.cend(); ++it) {
            // Options this driver does not know, or choices it does not offer, are dropped.
            if (isIppOption(it.key()) || hasChoice(it.key().toUtf8(), it.value().toUtf8()))
                merged.options.insert(it.key(), it.value());
        }
        deriveFields(&merged);
        *output = merged;
        return true;
    }

    ppd_file_t *ppd() const { return m_ppd; }
    /// A page size's name as the PPD writes it, whole.
    QString sizeText(const char *keyword) const
    {
        const ppd_option_t *pageSize = m_ppd ? ppdFindOption(m_ppd, "PageSize") : nullptr;
        const ppd_choice_t *choice
            = pageSize ? ppdFindChoice(const_cast<ppd_option_t *>(pageSize), keyword) : nullptr;
        const QString name
            = m_sizeTexts.value(QByteArray(keyword), choice ? ppdText(choice->text) : QString());
        return name.isEmpty() ? text(keyword) : name;
    }
    const ppd_size_t *sizeOf(const QString &keyword) const
    {
        return m_ppd ? ppdPageSize(m_ppd, keyword.toUtf8().constData()) : nullptr;
    }
    /// Puts the printer's paper and orientation into the settings: on a dialog's printer they
    /// are what the user chose.
    void takePage(const QPrinter &printer, DeviceSettings *s) const
    {
        const QSizeF chosen = printer.pageLayout().pageSize().size(QPageSize::Point);
        // The driver's paper of the chosen size, by its dimensions.
        for (int i = 0; m_ppd && i < m_ppd->num_sizes; ++i) {
            const ppd_size_t &size = m_ppd->sizes[i];
            if (std::abs(size.width - chosen.width()) < 1
                && std::abs(size.length - chosen.height()) < 1) {
                s->options.insert(u"PageSize"_qs, text(size.name));
                break;
            }
        }
        s->options.insert(u"orientation-requested"_qs,
            printer.pageLayout().orientation() == QPageLayout::Landscape ? u"4"_qs : u"3"_qs);
        deriveFields(s);
    }
    /// Sets a printer up from settings: paper and orientation.
    void givePage(const DeviceSettings &s, QPrinter *printer) const
    {
        if (const ppd_size_t *size = sizeOf(s.options.value(u"PageSize"_qs))) {
            const ppd_choice_t *choice
                = ppdFindChoice(ppdFindOption(m_ppd, "PageSize"), size->name);
            printer->setPageSize(QPageSize(QSizeF(size->width, size->length), QPageSize::Point,
                ppdText(choice ? choice->text : size->name)));
        }
        printer->setPageOrientation(
            s.orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
    }

private:
    qint16 driverExtra() const
    {
        int bytes = 0;
        if (m_ppd) {
            for (ppd_option_t *o = ppdFirstOption(m_ppd); o; o = ppdNextOption(m_ppd))
                bytes += int(qstrlen(o->keyword)) + 1;
        }
        for (const char *o : kIppOptions)
            bytes += int(qstrlen(o)) + 1;
        return qint16(qMin(bytes, 32767));
    }

    qint16 driverVersion() const
    {
        const ppd_attr_t *attr = m_ppd ? ppdFindAttr(m_ppd, "FileVersion", nullptr) : nullptr;
        if (!attr || !attr->value)
            return 0;
        const QStringList parts = text(attr->value).split(u'.');
        const int major = parts.value(0).toInt();
        const int minor = parts.value(1).toInt();
        return qint16(((major & 0xff) << 8) | (minor & 0xff));
    }

    bool isDriverDefault(const QByteArray &key, const QByteArray &value) const
    {
        if (key == "copies")
            return value == "1";
        const ppd_option_t *o = m_ppd ? ppdFindOption(m_ppd, key.constData()) : nullptr;
        return o && value == o->defchoice;
    }

    bool hasChoice(const QByteArray &key, const QByteArray &value) const
    {
        return m_ppd && ppdFindChoice(ppdFindOption(m_ppd, key.constData()), value.constData());
    }

    void deriveFields(DeviceSettings *s) const
    {
        const auto opt = [&](const char *key) { return s->options.value(QLatin1String(key)); };
        s->orientation = opt("orientation-requested") == u"4"_qs ? 2 : 1;
        s->paperSize = 0;
        s->paperLength = s->paperWidth = 0;
        s->formName.clear();
        if (const ppd_size_t *size = sizeOf(opt("PageSize"))) {
            s->paperSize
                = PaperCodes::code(QPageSize(QSizeF(size->width, size->length), QPageSize::Point));
            s->paperLength = tenthsOfMm(size->length);
            s->paperWidth = tenthsOfMm(size->width);
            s->formName = sizeText(size->name);
        }
        s->scale = qint16(opt("scaling").isEmpty() ? 100 : opt("scaling").toInt());
        s->copies = qint16(qMax(1, opt("copies").toInt()));
        s->defaultSource = 0;
        if (ppd_option_t *slot = m_ppd ? ppdFindOption(m_ppd, "InputSlot") : nullptr) {
            for (int i = 0; i < slot->num_choices; ++i)
                if (opt("InputSlot") == text(slot->choices[i].choice))
                    s->defaultSource = qint16(i + 1);
        }
        // Resolution "600dpi" or "600x300dpi".
        static const QRegularExpression dpi(u"^(\\d+)(?:x(\\d+))?dpi$"_qs);
        const QRegularExpressionMatch m = dpi.match(opt("Resolution"));
        const int x = m.hasMatch() ? m.captured(1).toInt() : 0;
        s->yResolution = qint16(m.hasMatch() && m.hasCaptured(2) ? m.captured(2).toInt() : x);
        // IPP's print-quality 3, 4, 5 are the draft, medium and high quality codes.
        const QString quality = opt("print-quality");
        s->printQuality = quality == u"3"_qs ? -1
            : quality == u"4"_qs             ? -3
            : quality == u"5"_qs             ? -4
                                             : qint16(x);
        const QString model = opt("ColorModel").toLower();
        const QString mode = opt("print-color-mode");
        // The driver's own colour option decides what it prints; the scheduler's
        // print-color-mode default is derived from it, not always rightly.
        if (!model.isEmpty())
            s->color = model.contains(u"gray"_qs) || model.contains(u"mono"_qs)
                    || model.contains(u"black"_qs)
                ? 1
                : 2;
        else if (!mode.isEmpty())
            s->color = mode == u"monochrome"_qs ? 1 : 2;
        else
            s->color = m_ppd && m_ppd->color_device ? 2 : 1;
        const QString sides = opt("sides");
        const QString duplex = opt("Duplex");
        s->duplex = sides == u"two-sided-long-edge"_qs || duplex == u"DuplexNoTumble"_qs ? 2
            : sides == u"two-sided-short-edge"_qs || duplex == u"DuplexTumble"_qs        ? 3
                                                                                         : 1;
        // Fonts always travel inside the document Qt sends: the download option.
        s->ttOption = 2;
        const QString collate = opt("collate").isEmpty() ? opt("Collate") : opt("collate");
        s->collate = collate.compare(u"true"_qs, Qt::CaseInsensitive) == 0 ? 1 : 0;
    }

    QString m_name;
    cups_dest_t *m_dest = nullptr;
    QString m_ppdFile;
    ppd_file_t *m_ppd = nullptr;
    QMap<QByteArray, QString> m_sizeTexts;
};

/// The options of the driver's property sheet: the PPD's options (not the printer's installable
/// hardware, nor PageRegion, which follows PageSize) and the IPP document options the library
/// does not lay out itself, each at the value `s` holds.
QList<DriverOption> CupsConnection::sheetOptions(const DeviceSettings &s) const
{
    QList<DriverOption> options;
    const auto ipp = [&](const char *keyword, const char *caption, const QString &value,
                         std::initializer_list<std::pair<const char *, const char *>> choices) {
        DriverOption o { QLatin1String(keyword), QLatin1String(caption), {}, value };
        for (const auto &[v, t] : choices)
            o.choices.append({ QLatin1String(v), QLatin1String(t) });
        options.append(o);
    };
    ipp("orientation-requested", "Orientation", s.orientation == 2 ? u"4"_qs : u"3"_qs,
        { { "3", "Portrait" }, { "4", "Landscape" } });
    for (int g = 0; m_ppd && g < m_ppd->num_groups; ++g) {
        const ppd_group_t &group = m_ppd->groups[g];
        if (qstrcmp(group.name, "InstallableOptions") == 0)
            continue;
        const auto add = [&](const ppd_option_t &o) {
            if (qstrcmp(o.keyword, "PageRegion") == 0 || o.num_choices < 1)
                return;
            const bool paper = qstrcmp(o.keyword, "PageSize") == 0;
            DriverOption option { text(o.keyword), ppdText(o.text), {}, QString() };
            for (int c = 0; c < o.num_choices; ++c) {
                const ppd_choice_t &choice = o.choices[c];
                if (qstrcmp(choice.choice, "Custom") == 0)
                    continue; // a size typed in: the page setup's own page size does that
                option.choices.append({ text(choice.choice),
                    paper ? sizeText(choice.choice) : ppdText(choice.text) });
            }
            option.value = s.options.value(option.keyword, text(o.defchoice));
            options.append(option);
        };
        for (int i = 0; i < group.num_options; ++i)
            add(group.options[i]);
        for (int sub = 0; sub < group.num_subgroups; ++sub) {
            for (int i = 0; i < group.subgroups[sub].num_options; ++i)
                add(group.subgroups[sub].options[i]);
        }
    }
    // A driver with a quality option of its own takes IPP's quality through it.
    if (!m_ppd || !ppdFindOption(m_ppd, "cupsPrintQuality"))
        ipp("print-quality", "Print Quality", s.options.value(u"print-quality"_qs, u"4"_qs),
            { { "3", "Draft" }, { "4", "Normal" }, { "5", "High" } });
    if (!m_ppd) {
        ipp("sides", "2-Sided Printing", s.options.value(u"sides"_qs, u"one-sided"_qs),
            { { "one-sided", "Off" }, { "two-sided-long-edge", "Long-Edge (Portrait)" },
                { "two-sided-short-edge", "Short-Edge (Landscape)" } });
        ipp("print-color-mode", "Color Mode",
            s.options.value(u"print-color-mode"_qs, s.color == 1 ? u"monochrome"_qs : u"color"_qs),
            { { "color", "Color" }, { "monochrome", "Monochrome" } });
    }
    return options;
}

void CupsConnection::takeFields(DeviceSettings *s) const
{
    if (s->orientation == 1 || s->orientation == 2)
        s->options.insert(u"orientation-requested"_qs, s->orientation == 2 ? u"4"_qs : u"3"_qs);
    const ppd_size_t *now = sizeOf(s->options.value(u"PageSize"_qs));
    const auto codeOf = [](const ppd_size_t &size) {
        return PaperCodes::code(QPageSize(QSizeF(size.width, size.length), QPageSize::Point));
    };
    if (!m_ppd || s->paperSize == 0
        || (now && codeOf(*now) == s->paperSize
            && (s->formName.isEmpty() || sizeText(now->name) == s->formName)))
        return;
    QList<PaperInfo> papers;
    for (int i = 0; i < m_ppd->num_sizes; ++i)
        papers.append({ codeOf(m_ppd->sizes[i]), sizeText(m_ppd->sizes[i].name) });
    const qsizetype entry = paperEntry(papers, s->paperSize, s->formName);
    if (entry >= 0)
        s->options.insert(u"PageSize"_qs, text(m_ppd->sizes[entry].name));
}

bool CupsConnection::showPropertySheet(
    const DeviceSettings &given, const PropertySheetWindow &window, DeviceSettings *output)
{
    DeviceSettings input = given;
    takeFields(&input);
    const QList<DriverOption> options = sheetOptions(input);
    const std::optional<QMap<QString, QString>> chosen
        = window ? window(m_name, options) : std::nullopt;
    if (!chosen)
        return false;
    DeviceSettings edited = input;
    for (const DriverOption &o : options) {
        const QString value = chosen->value(o.keyword);
        const bool offered = std::any_of(o.choices.cbegin(), o.choices.cend(),
            [&](const DriverChoice &c) { return c.value == value; });
        if (offered)
            edited.options.insert(o.keyword, value);
    }
    // The driver takes the region a page is drawn in from the paper.
    if (m_ppd && ppdFindOption(m_ppd, "PageRegion") && edited.options.contains(u"PageSize"_qs))
        edited.options.insert(u"PageRegion"_qs, edited.options.value(u"PageSize"_qs));
    deriveFields(&edited);
    *output = edited;
    return true;
}

cups_dest_t *namedDest(const QString &deviceName)
{
    // An instance is "queue/instance".
    const QByteArray queue = deviceName.section(u'/', 0, 0).toUtf8();
    const QByteArray instance = deviceName.section(u'/', 1).toUtf8();
    if (queue.isEmpty())
        return nullptr;
    return cupsGetNamedDest(
        CUPS_HTTP_DEFAULT, queue.constData(), instance.isEmpty() ? nullptr : instance.constData());
}

QString destName(const cups_dest_t *dest)
{
    return dest->instance ? text(dest->name) + u'/' + text(dest->instance) : text(dest->name);
}

} // namespace

std::unique_ptr<PrinterConnection> CupsPrinterDriver::open(const QString &deviceName)
{
    cups_dest_t *dest = namedDest(deviceName);
    if (!dest)
        return nullptr;
    // cupsGetNamedDest also answers a name by a case-insensitive match: a device name is exact.
    if (destName(dest) != deviceName) {
        cupsFreeDests(1, dest);
        return nullptr;
    }
    return std::make_unique<CupsConnection>(deviceName, dest);
}

std::optional<std::pair<DeviceSettings, DeviceNames>> CupsPrinterDriver::defaultPrinter()
{
    cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (!dest)
        return std::nullopt;
    const QString name = destName(dest);
    cupsFreeDests(1, dest);
    std::unique_ptr<PrinterConnection> printer = open(name);
    std::optional<DeviceNames> names = deviceNames(name);
    DeviceSettings settings;
    if (!printer || !names || !printer->readSettings(&settings))
        return std::nullopt;
    return std::pair { settings, *names };
}

std::optional<DeviceNames> CupsPrinterDriver::deviceNames(const QString &deviceName)
{
    cups_dest_t *dest = namedDest(deviceName);
    if (!dest)
        return std::nullopt;
    DeviceNames names;
    names.device = destName(dest);
    names.driver = text(cupsGetOption("printer-make-and-model", dest->num_options, dest->options));
    names.output = text(cupsGetOption("device-uri", dest->num_options, dest->options));
    cupsFreeDests(1, dest);
    // A destination asked for by name does not say whether it is the default one.
    if (cups_dest_t *byDefault = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr)) {
        names.isDefault = destName(byDefault) == names.device;
        cupsFreeDests(1, byDefault);
    }
    if (names.device != deviceName)
        return std::nullopt;
    return names;
}

namespace {

// The driver's papers: its PPD's page sizes, or the queue's papers (queuePapers) without a PPD.
QList<PaperInfo> driverPapers(CupsPrinterDriver &driver, const QString &deviceName)
{
    QList<PaperInfo> list;
    std::unique_ptr<PrinterConnection> printer = driver.open(deviceName);
    auto *cups = static_cast<CupsConnection *>(printer.get());
    if (!cups)
        return list;
    if (ppd_file_t *ppd = cups->ppd()) {
        for (int i = 0; i < ppd->num_sizes; ++i) {
            const ppd_size_t &s = ppd->sizes[i];
            list.append({ PaperCodes::code(QPageSize(QSizeF(s.width, s.length), QPageSize::Point)),
                cups->sizeText(s.name) });
        }
        return list;
    }
    return queuePapers(deviceName);
}

} // namespace

// The port names the printer on platforms where a printer is reached by name and port; a CUPS
// queue is reached by its name alone.
QList<qint16> CupsPrinterDriver::paperCodes(const QString &deviceName, const QString &)
{
    QList<qint16> codes;
    for (const PaperInfo &p : driverPapers(*this, deviceName))
        codes.append(p.code);
    return codes;
}

QStringList CupsPrinterDriver::paperNames(const QString &deviceName, const QString &)
{
    QStringList names;
    for (const PaperInfo &p : driverPapers(*this, deviceName))
        names.append(p.name);
    return names;
}

std::optional<PrintDialogResult> CupsPrinterDriver::runPrintDialog(
    const PrintDialogRequest &request)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return std::nullopt;
    QPrinter printer(QPrinter::HighResolution);
    if (!request.deviceName.isEmpty())
        printer.setPrinterName(request.deviceName);
    if (std::unique_ptr<PrinterConnection> start = open(printer.printerName()))
        static_cast<CupsConnection *>(start.get())->givePage(request.settings, &printer);
    printer.setCopyCount(qMax(1, request.copies));
    printer.setCollateCopies(request.flags & PD_COLLATE);
    const quint32 flags = request.flags & ~quint32(PD_HOOKSANDTEMPLATES);
    QPrintDialog dialog(&printer, qobject_cast<QWidget *>(request.owner));
    QAbstractPrintDialog::PrintDialogOptions options
        = QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintShowPageSize;
    if (!(flags & PD_NOPAGENUMS))
        options |= QAbstractPrintDialog::PrintPageRange;
    if (!(flags & PD_NOSELECTION))
        options |= QAbstractPrintDialog::PrintSelection;
    if (!(flags & PD_NOCURRENTPAGE))
        options |= QAbstractPrintDialog::PrintCurrentPage;
    if (!(flags & (PD_DISABLEPRINTTOFILE | PD_HIDEPRINTTOFILE)))
        options |= QAbstractPrintDialog::PrintToFile;
    dialog.setOptions(options);
    if (request.fromPage > 0 && request.toPage >= request.fromPage) {
        dialog.setMinMax(1, qMax(request.toPage, 9999));
        dialog.setFromTo(request.fromPage, request.toPage);
    }
    if (flags & PD_PAGENUMS)
        dialog.setPrintRange(QAbstractPrintDialog::PageRange);
    else if (flags & PD_SELECTION)
        dialog.setPrintRange(QAbstractPrintDialog::Selection);
    else if (flags & PD_CURRENTPAGE)
        dialog.setPrintRange(QAbstractPrintDialog::CurrentPage);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;

    PrintDialogResult result;
    // Printing to a file in the dialog leaves the queue it started from.
    const QString chosen
        = printer.printerName().isEmpty() ? request.deviceName : printer.printerName();
    std::unique_ptr<PrinterConnection> connection = open(chosen);
    const std::optional<DeviceNames> names = deviceNames(chosen);
    if (!connection || !names || !connection->readSettings(&result.settings))
        return std::nullopt;
    DeviceSettings &s = result.settings;
    s.options.insert(u"copies"_qs, QString::number(printer.copyCount()));
    s.options.insert(u"collate"_qs, printer.collateCopies() ? u"true"_qs : u"false"_qs);
    const char *sides = printer.duplex() == QPrinter::DuplexLongSide ? "two-sided-long-edge"
        : printer.duplex() == QPrinter::DuplexShortSide              ? "two-sided-short-edge"
        : printer.duplex() == QPrinter::DuplexAuto                   ? "two-sided-long-edge"
                                                                     : "one-sided";
    s.options.insert(u"sides"_qs, QLatin1String(sides));
    s.options.insert(u"print-color-mode"_qs,
        printer.colorMode() == QPrinter::GrayScale ? u"monochrome"_qs : u"color"_qs);
    // The driver's colour model would outweigh the grey the user chose.
    if (printer.colorMode() == QPrinter::GrayScale)
        s.options.remove(u"ColorModel"_qs);
    static_cast<CupsConnection *>(connection.get())->takePage(printer, &s);
    result.names = *names;
    const bool range = dialog.printRange() == QAbstractPrintDialog::PageRange;
    result.fromPage = range ? printer.fromPage() : request.fromPage;
    result.toPage = range ? printer.toPage() : request.toPage;
    return result;
}

} // namespace quillon

#pragma GCC diagnostic pop
