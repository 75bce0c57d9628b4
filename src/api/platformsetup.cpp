#include <quillon/platform.h>

#include "engine/draw/picturefilereader.h"
#include "engine/state/enginestate.h"
#include "engine/state/messagesink.h"
#include "engine/state/platformservices.h"
#include "engine/state/printproperties.h"
#include "engine/state/registry.h"
#include "platform/filesettingsstore.h"
#include "platform/interfaces/memorysettingsstore.h"
#include "platform/layeredsettingsstore.h"
#include "platform/outputfile.h"
#include "platform/vectorpictures.h"
#include "printer/cupsprinterdriver.h"
#include "printer/qtprintingsystem.h"
#include "printer/virtualprintingsystem.h"
#include "ui/dialogs/printerpropertiesdialog.h"
#include "ui/dialogs/progresswindow.h"
#include "ui/messageboxsink.h"

#include <mutex>

namespace quillon {

namespace {

struct Options
{
    bool virtualPrinter = qEnvironmentVariable("QUILLON_VIRTUAL_PRINTER") != QLatin1String("0");
    QString pdfFolder;
    bool temporarySettings = false;
};

Options &options()
{
    static Options o;
    return o;
}

// The user's file over the machine-wide one. The machine file applies to a file the host or
// $QUILLON_SETTINGS names too: an administrator's formats are meant for every program.
std::unique_ptr<SettingsStore> makeFileStore()
{
    const auto report = [](const QString &message) { ShowMessage(message, 48); };
    auto user = std::make_unique<FileSettingsStore>(FileSettingsStore::defaultPath());
    user->setProblemHandler(report);
    auto store = std::make_unique<LayeredSettingsStore>(
        std::move(user), LayeredSettingsStore::defaultMachinePaths());
    store->setProblemHandler(report);
    return store;
}

// Virtual printers of the file named by $QUILLON_PRINTERS, if any.
std::unique_ptr<PrintingSystem> printersFromFile()
{
    const QString path = qEnvironmentVariable("QUILLON_PRINTERS");
    if (path.isEmpty())
        return nullptr;
    QString error, defaultPrinter;
    auto specs = VirtualPrintingSystem::readPrinterFile(path, &error, &defaultPrinter);
    if (!specs) {
        ShowMessage(error, 48);
        return nullptr;
    }
    return std::make_unique<VirtualPrintingSystem>(std::move(*specs), defaultPrinter);
}

std::unique_ptr<PrintingSystem> makePrintingSystem()
{
    std::vector<std::unique_ptr<PrintingSystem>> systems;
    systems.push_back(std::make_unique<QtPrintingSystem>());
    if (auto fromFile = printersFromFile())
        systems.push_back(std::move(fromFile));
    if (options().virtualPrinter)
        systems.push_back(VirtualPrintingSystem::withPdfPrinter(options().pdfFolder));
    return std::make_unique<CombinedPrintingSystem>(std::move(systems));
}

std::unique_ptr<ConsoleMessageSink> makeConsoleSink()
{
    auto sink = std::make_unique<ConsoleMessageSink>();
    sink->setSettingsName([] {
        return options().temporarySettings ? QStringLiteral("临时设置（不保存）") : settingsFile();
    });
    return sink;
}

/// Outside a job, the messages of reading or writing a report's stored format name that report,
/// not the default print object's.
class MessagesAboutReport
{
public:
    explicit MessagesAboutReport(const QString &printKeyName)
    {
        EngineState &s = engineState();
        m_before = s.hasPrintObject() ? s.printObject() : nullptr;
        if (m_before)
            m_report.Caption = m_before->Caption;
        m_report.PrintKeyName = printKeyName;
        s.setPrintObject(&m_report);
    }
    ~MessagesAboutReport() { engineState().setPrintObject(m_before); }
    MessagesAboutReport(const MessagesAboutReport &) = delete;
    MessagesAboutReport &operator=(const MessagesAboutReport &) = delete;

private:
    PrintProperties m_report;
    PrintProperties *m_before;
};

} // namespace

QString settingsFile()
{
    return FileSettingsStore::defaultPath();
}

QString machineSettingsFile()
{
    return LayeredSettingsStore::defaultMachinePath();
}

void setSettingsFile(const QString &path)
{
    FileSettingsStore::setDefaultPath(path);
    options().temporarySettings = false;
    setSettingsStore(makeFileStore());
}

bool virtualPdfPrinterEnabled()
{
    return options().virtualPrinter;
}

void setVirtualPdfPrinterEnabled(bool enabled)
{
    options().virtualPrinter = enabled;
    setPrintingSystem(makePrintingSystem());
}

void setVirtualPdfFolder(const QString &folder)
{
    options().pdfFolder = folder;
    setPrintingSystem(makePrintingSystem());
}

void useTemporarySettings()
{
    options().temporarySettings = true;
    setSettingsStore(std::make_unique<MemorySettingsStore>());
}

void setFormatValue(const QString &printKeyName, const QString &name, const QString &value)
{
    const MessagesAboutReport report(printKeyName);
    WriteSetting(RootKey::LocalMachine, kFormatKeyBase + printKeyName, name, value);
}

QString formatValue(const QString &printKeyName, const QString &name)
{
    const QString key = storePath(RootKey::LocalMachine, kFormatKeyBase + printKeyName);
    const MessagesAboutReport report(printKeyName);
    return settingsStore().value(key, name).value_or(QString());
}

void useThreadTemporarySettings()
{
    setThreadSettingsStore(std::make_unique<MemorySettingsStore>());
}

void useConsoleMessages()
{
    setMessageSink(makeConsoleSink());
}

std::function<int(const QString &, int)> consoleMessageHandler(const QString &source)
{
    std::shared_ptr<ConsoleMessageSink> sink = makeConsoleSink();
    sink->setSource(source);
    return [sink](const QString &text, int buttons) { return sink->show(text, buttons, {}); };
}

void setConsoleProgressHandler(std::function<void(const QString &line)> handler)
{
    setConsoleProgressWriter(std::move(handler));
}

QStringList printerNames()
{
    ensureDefaultPlatform();
    QStringList names;
    for (const PrinterInfo &printer : printingSystem().printers())
        names << printer.deviceName;
    return names;
}

bool sameFile(const QString &a, const QString &b)
{
    return OutputFile::sameFile(a, b);
}

int removeTemporaryFiles()
{
    return OutputFile::removeAllTemporary();
}

void ensureDefaultPlatform()
{
    // Print objects of several threads may be the first at once. Setting up may show a
    // message, which may create the default print object, which sets up the platform: once
    // is enough.
    static std::recursive_mutex mutex;
    const std::lock_guard lock(mutex);
    static bool installing = false;
    if (installing)
        return;
    installing = true;
    PictureFileReader::setVectorDecoder(decodeVectorPicture);
    if (!hasMessageSink())
        setMessageSink(std::make_unique<MessageBoxSink>());
    if (!hasSettingsStore())
        setSettingsStore(makeFileStore());
    if (!hasPrintingSystem())
        setPrintingSystem(makePrintingSystem());
    if (!hasPrinterDriver())
        setPrinterDriver(std::make_unique<CupsPrinterDriver>());
    if (!propertySheetWindow())
        setPropertySheetWindow(showPrinterPropertiesDialog);
    installing = false;
}

} // namespace quillon
