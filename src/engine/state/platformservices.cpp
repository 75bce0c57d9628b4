#include "platformservices.h"

#include "messagesink.h"
#include "platform/interfaces/memorysettingsstore.h"
#include "printer/printerdriver.h"
#include "printer/printingsystem.h"

namespace quillon {

namespace {

struct Services
{
    std::recursive_mutex settingsMutex;
    std::recursive_mutex printingMutex;
    std::recursive_mutex messagesMutex;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<PrintingSystem> printing;
    std::unique_ptr<MessageSink> messages;
    std::unique_ptr<PrinterDriver> driver;
    PropertySheetWindow sheetWindow;
};

Services &services()
{
    static Services s;
    return s;
}

/// A thread's own store, when it has one, and the lock of its jobs.
struct ThreadSettings
{
    std::recursive_mutex mutex;
    std::unique_ptr<SettingsStore> store;
};

thread_local ThreadSettings threadSettings;

} // namespace

SettingsStore &settingsStore()
{
    if (threadSettings.store)
        return *threadSettings.store;
    const auto lock = lockSettings();
    auto &s = services().settings;
    if (!s)
        s = std::make_unique<MemorySettingsStore>();
    return *s;
}

PrintingSystem &printingSystem()
{
    const auto lock = lockPrinting();
    auto &p = services().printing;
    if (!p)
        p = fallbackPrintingSystem();
    return *p;
}

MessageSink &messageSink()
{
    const std::lock_guard lock(services().messagesMutex);
    auto &m = services().messages;
    if (!m)
        m = std::make_unique<ConsoleMessageSink>();
    return *m;
}

void setSettingsStore(std::unique_ptr<SettingsStore> store)
{
    services().settings = std::move(store);
}

void setThreadSettingsStore(std::unique_ptr<SettingsStore> store)
{
    threadSettings.store = std::move(store);
}

void setPrintingSystem(std::unique_ptr<PrintingSystem> system)
{
    services().printing = std::move(system);
}

void setMessageSink(std::unique_ptr<MessageSink> sink)
{
    services().messages = std::move(sink);
}

PrinterDriver *printerDriver()
{
    return services().driver.get();
}

void setPrinterDriver(std::unique_ptr<PrinterDriver> driver)
{
    services().driver = std::move(driver);
}

const PropertySheetWindow &propertySheetWindow()
{
    return services().sheetWindow;
}

void setPropertySheetWindow(PropertySheetWindow window)
{
    services().sheetWindow = std::move(window);
}

bool hasPrinterDriver()
{
    return bool(services().driver);
}

bool hasSettingsStore()
{
    return services().settings != nullptr;
}

bool hasPrintingSystem()
{
    return services().printing != nullptr;
}

bool hasMessageSink()
{
    return services().messages != nullptr;
}

std::unique_lock<std::recursive_mutex> lockSettings()
{
    // A store of the thread's own is no other thread's business: its jobs never wait for theirs.
    if (threadSettings.store)
        return std::unique_lock(threadSettings.mutex);
    return std::unique_lock(services().settingsMutex);
}

std::unique_lock<std::recursive_mutex> lockPrinting()
{
    return std::unique_lock(services().printingMutex);
}

void resetPlatformServices()
{
    Services &s = services();
    s.settings.reset();
    s.printing.reset();
    s.messages.reset();
    s.driver.reset();
    s.sheetWindow = {};
}

} // namespace quillon
