#pragma once

#include "printer/printerdriver.h"

#include <memory>
#include <mutex>

namespace quillon {

class MessageSink;
class PrintingSystem;
class SettingsStore;

/// The platform the engine runs on: settings store, printing system and message boxes. The
/// library installs the real ones when the first print object is created; tests install their
/// own. Whatever is missing when the engine needs it falls back to a headless stand-in (an
/// in-memory store, a virtual PDF printer, messages on standard error).
SettingsStore &settingsStore();
PrintingSystem &printingSystem();
MessageSink &messageSink();

void setSettingsStore(std::unique_ptr<SettingsStore> store);
/// Gives the calling thread a store of its own until it ends (nullptr: the shared one again):
/// settingsStore() and lockSettings() then answer with that store and a lock of its own.
void setThreadSettingsStore(std::unique_ptr<SettingsStore> store);
void setPrintingSystem(std::unique_ptr<PrintingSystem> system);
void setMessageSink(std::unique_ptr<MessageSink> sink);

/// The printers' driver settings; nullptr when none is installed (the virtual printers have
/// no driver settings), and then no printer can be opened for its settings.
PrinterDriver *printerDriver();
void setPrinterDriver(std::unique_ptr<PrinterDriver> driver);

/// The window printer property sheets are shown in (the user interface layer's dialog); empty
/// when none is installed, and then no sheet can be shown.
const PropertySheetWindow &propertySheetWindow();
void setPropertySheetWindow(PropertySheetWindow window);

bool hasSettingsStore();
bool hasPrintingSystem();
bool hasMessageSink();
bool hasPrinterDriver();

/// The settings store and the printing system are shared by the jobs of every thread: a job
/// holds the lock while it reads or writes the store (a batch of writes included), or asks the
/// printing system for printers, papers or a printer of its own.
std::unique_lock<std::recursive_mutex> lockSettings();
std::unique_lock<std::recursive_mutex> lockPrinting();

/// Drops every installed service. For tests.
void resetPlatformServices();

} // namespace quillon
