#include "clsprinter.h"

#include "engine/state/enginestate.h"
#include "engine/state/platformservices.h"
#include "engine/state/registry.h"
#include "platform/interfaces/surface.h"
#include "printer/papercodes.h"

namespace quillon {

clsPrinter::clsPrinter()
    : clsPrinter(printerDriver())
{
}

clsPrinter::clsPrinter(PrinterDriver *driver)
    : m_driver(driver)
{
}

void clsPrinter::setDeviceName(const QString &name)
{
    if (!name.isEmpty())
        GetDEVMODE(name);
    else
        GetDefault();
    m_deviceName = name;
}

bool clsPrinter::GetDEVMODE(const QString &vDeviceName)
{
    std::unique_ptr<PrinterConnection> printer = m_driver ? m_driver->open(vDeviceName) : nullptr;
    if (!printer) {
        ShowMessage(QStringLiteral("OpenPrinter Fialed!"));
        return false;
    }
    if (printer->settingsLength() == 0) {
        ShowMessage(QStringLiteral("Get DEVMODE length Fialed!"));
        return false;
    }
    DeviceSettings current;
    if (!printer->readSettings(&current)) {
        ShowMessage(QStringLiteral("Get DEVMODE  Fialed!"));
        return false;
    }
    printer.reset();
    m_settings = current;
    // The names come from the driver: without them the port stayed empty and the call failed
    // even though the settings were read.
    const std::optional<DeviceNames> names = m_driver->deviceNames(vDeviceName);
    if (!names)
        return false;
    takeNames(*names);
    return true;
}

bool clsPrinter::GetDefault()
{
    const auto found = m_driver ? m_driver->defaultPrinter() : std::nullopt;
    if (!found)
        return false;
    m_settings = found->first;
    m_settingsValid = true;
    takeNames(found->second);
    return true;
}

void clsPrinter::takeNames(const DeviceNames &names)
{
    m_names = names;
    m_namesValid = true;
    m_port = names.output;
}

QString clsPrinter::printerName() const
{
    return m_deviceName.isEmpty() && m_namesValid ? m_names.device : m_deviceName;
}

std::unique_ptr<PrinterConnection> clsPrinter::openChecked(
    const DeviceSettings &stored, Mismatch versions, DeviceSettings *current)
{
    std::unique_ptr<PrinterConnection> printer = m_driver ? m_driver->open(printerName()) : nullptr;
    if (!printer || printer->settingsLength() != stored.length() || stored.isEmpty())
        return nullptr;
    if (!printer->readSettings(current) || current->deviceName != stored.deviceName)
        return nullptr;
    const struct
    {
        const char *name;
        qint16 now, then;
    } fields[] = { { "dmSpecVersion", current->specVersion, stored.specVersion },
        { "dmDriverVersion", current->driverVersion, stored.driverVersion },
        { "dmSize", current->size, stored.size } };
    for (const auto &field : fields) {
        if (field.now != field.then) {
            if (versions == Mismatch::Shown)
                ShowMessage(QLatin1String(field.name) + u" mismatch!"_qs);
            return nullptr;
        }
    }
    return printer;
}

bool clsPrinter::ShowPropertiesDlg()
{
    DeviceSettings current;
    std::unique_ptr<PrinterConnection> printer = openChecked(m_settings, Mismatch::Shown, &current);
    DeviceSettings edited;
    if (!printer || !printer->showPropertySheet(m_settings, propertySheetWindow(), &edited))
        return false;
    m_settings = edited;
    return true;
}

bool clsPrinter::ShowAdvPropertiesDlg()
{
    std::unique_ptr<PrinterConnection> printer = m_driver ? m_driver->open(printerName()) : nullptr;
    DeviceSettings edited;
    if (!printer || !printer->showPropertySheet(m_settings, propertySheetWindow(), &edited))
        return false;
    m_settings = edited;
    return true;
}

bool clsPrinter::SetDevModeAsDefault()
{
    DeviceSettings current;
    std::unique_ptr<PrinterConnection> printer = openChecked(m_settings, Mismatch::Quiet, &current);
    if (!printer || !printer->writeDefaults(m_settings))
        return false;
    m_backup = current;
    return true;
}

bool clsPrinter::SetDevModeBack()
{
    DeviceSettings current;
    std::unique_ptr<PrinterConnection> printer = openChecked(m_backup, Mismatch::Shown, &current);
    return printer && printer->writeDefaults(m_backup);
}

bool clsPrinter::ShowPrintDlg(quint32 Flags, int &FromPage, int &ToPage, int Copies, QObject *Owner)
{
    if (!m_driver)
        return false;
    // A dialog asked for its defaults shows no window.
    if (Flags & PD_RETURNDEFAULT)
        return GetDefault();
    PrintDialogRequest request;
    request.deviceName = printerName();
    request.settings = m_settings;
    request.flags = Flags & ~quint32(PD_HOOKSANDTEMPLATES);
    request.fromPage = FromPage;
    request.toPage = ToPage;
    request.copies = Copies;
    request.owner = Owner;
    const std::optional<PrintDialogResult> chosen = m_driver->runPrintDialog(request);
    if (!chosen)
        return false;
    FromPage = chosen->fromPage;
    ToPage = chosen->toPage;
    m_settings = chosen->settings;
    m_settingsValid = true;
    takeNames(chosen->names);
    return true;
}

bool clsPrinter::RestoreDEVMODE(const QString &vDeviceName, const DeviceSettings &bDEVMODE)
{
    std::unique_ptr<PrinterConnection> printer = m_driver ? m_driver->open(vDeviceName) : nullptr;
    if (!printer) {
        ShowMessage(u"找不到打印机:"_qs + vDeviceName + u"\n\n请使用“打印设置”重新设置打印机"_qs);
        return false;
    }
    const int length = printer->settingsLength();
    if (length == 0) {
        ShowMessage(QStringLiteral("Get DEVMODE length Fialed!"));
        return false;
    }
    if (length != bDEVMODE.length()) {
        ShowMessage(QStringLiteral("The saved DEVMODE length mismatch!"));
        return false;
    }
    DeviceSettings current;
    if (!printer->readSettings(&current)) {
        ShowMessage(QStringLiteral("Get DEVMODE  Fialed!"));
        return false;
    }
    DeviceSettings merged;
    if (!printer->mergeSettings(bDEVMODE, &merged)) {
        ShowMessage(QStringLiteral("Set DEVMODE  Fialed!"));
        return false;
    }
    m_settings = merged;
    return true;
}

void clsPrinter::setPage(const PrinterPage &page)
{
    if (page.paperSize != 0) {
        m_settings.paperSize = page.paperSize;
        m_settings.formName = page.paperName;
    }
    if (page.orientation == 1 || page.orientation == 2)
        m_settings.orientation = page.orientation;
}

QList<qint16> clsPrinter::PaperIndexArr()
{
    return m_driver ? m_driver->paperCodes(printerName(), m_port) : QList<qint16>();
}

QStringList clsPrinter::PaperNamesArr()
{
    return m_driver ? m_driver->paperNames(printerName(), m_port) : QStringList();
}

QString clsPrinter::PaperName()
{
    const qsizetype at = PaperIndexArr().indexOf(m_settings.paperSize);
    const QStringList names = PaperNamesArr();
    // A driver may list fewer names than codes.
    return at >= 0 && at < names.size() ? names[at] : u"未知"_qs;
}

QString clsPrinter::PaperNameA(int Index)
{
    const QStringList names = PaperNamesArr();
    return Index >= 1 && Index <= names.size() ? names[Index - 1] : u"未知"_qs;
}

bool hasPrinterProperties(const QString &deviceName)
{
    PrinterDriver *driver = printerDriver();
    return driver && driver->open(deviceName) != nullptr;
}

QList<PaperInfo> printerPapers(const QString &deviceName)
{
    PrinterDriver *driver = printerDriver();
    const std::optional<DeviceNames> names
        = driver ? driver->deviceNames(deviceName) : std::nullopt;
    if (!names)
        return printingSystem().papers(deviceName);
    const QList<qint16> codes = driver->paperCodes(deviceName, names->output);
    const QStringList texts = driver->paperNames(deviceName, names->output);
    QList<PaperInfo> papers;
    for (qsizetype i = 0; i < std::min(codes.size(), texts.size()); ++i)
        papers.append({ codes[i], texts[i] });
    return papers;
}

std::optional<PrinterPage> showPrinterProperties(const QString &deviceName)
{
    clsPrinter printer;
    printer.setDeviceName(deviceName);
    // The sheet starts on the report's page, not on the one the printer was left with.
    const PrinterSurface *current = printingSystem().currentPrinter();
    if (current && current->DeviceName() == deviceName)
        printer.setPage({ current->PaperSize(), current->PaperName(), current->Orientation() });
    if (!printer.ShowPropertiesDlg())
        return std::nullopt;
    printer.SetDevModeAsDefault();
    const DeviceSettings &chosen = printer.settings();
    return PrinterPage { chosen.paperSize,
        chosen.formName.isEmpty() ? printer.PaperName() : chosen.formName, chosen.orientation };
}

void usePrinterPage(const PrinterPage &page)
{
    EngineState &s = engineState();
    PrinterSurface *printer = printingSystem().currentPrinter();
    // A paper the printer does not take leaves the format's.
    if (printer && page.paperSize != 0 && printer->setPaper(page.paperSize, page.paperName))
        s.Format.PaperSize = page.paperSize == PaperCodes::UserDefined ? 42 : page.paperSize;
    if (page.orientation == 1 || page.orientation == 2) {
        s.Format.PaperOriention = page.orientation;
        if (printer)
            printer->setOrientation(page.orientation);
    }
    s.FormatDirty = 1;
}

} // namespace quillon
