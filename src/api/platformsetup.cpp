#include <quillon/platform.h>

#include "engine/state/memorysettingsstore.h"
#include "engine/state/messagesink.h"
#include "engine/state/platformservices.h"
#include "engine/state/registry.h"
#include "platform/filesettingsstore.h"
#include "platform/qtprintingsystem.h"
#include "printer/virtualprintingsystem.h"
#include "ui/messageboxsink.h"

namespace quillon {

namespace {

struct Options
{
    bool virtualPrinter = qEnvironmentVariable("QUILLON_VIRTUAL_PRINTER") != QLatin1String("0");
    QString pdfFolder;
};

Options &options()
{
    static Options o;
    return o;
}

std::unique_ptr<SettingsStore> makeFileStore()
{
    auto store = std::make_unique<FileSettingsStore>(FileSettingsStore::defaultPath());
    store->setProblemHandler([](const QString &message) { ShowMessage(message, 48); });
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

} // namespace

QString settingsFile()
{
    return FileSettingsStore::defaultPath();
}

void setSettingsFile(const QString &path)
{
    FileSettingsStore::setDefaultPath(path);
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
    setSettingsStore(std::make_unique<MemorySettingsStore>());
}

void setFormatValue(const QString &printKeyName, const QString &name, const QString &value)
{
    WriteSetting(RootKey::LocalMachine, kFormatKeyBase + printKeyName, name, value);
}

void useConsoleMessages()
{
    setMessageSink(std::make_unique<ConsoleMessageSink>());
}

void ensureDefaultPlatform()
{
    // Setting up may show a message, which may create the default print object, which sets
    // up the platform: once is enough.
    static bool installing = false;
    if (installing)
        return;
    installing = true;
    if (!hasMessageSink())
        setMessageSink(std::make_unique<MessageBoxSink>());
    if (!hasSettingsStore())
        setSettingsStore(makeFileStore());
    if (!hasPrintingSystem())
        setPrintingSystem(makePrintingSystem());
    installing = false;
}

} // namespace quillon
