#pragma once

#include <quillon/quillon_global.h>

#include <QString>
#include <QStringList>

#include <functional>

namespace quillon {

// The set-up functions below (setSettingsFile, setVirtualPdfPrinterEnabled, setVirtualPdfFolder,
// useTemporarySettings, useConsoleMessages, setConsoleProgressHandler) change what every thread
// uses: call them before jobs start, never while a job runs on another thread.

/// The user's file that holds every report's page format. By default $QUILLON_SETTINGS, else
/// ~/.config/quillon/settings.ini (under $XDG_CONFIG_HOME when set). Every write goes here.
QUILLON_EXPORT QString settingsFile();
/// Uses another settings file from now on (an empty path returns to the default). The
/// machine-wide file still supplies the values this one lacks.
QUILLON_EXPORT void setSettingsFile(const QString &path);
/// The machine-wide settings file, read only, that supplies every value the user's file lacks:
/// quillon/settings.ini in the first folder of $XDG_CONFIG_DIRS (default /etc/xdg) that has
/// one. Empty when there is none.
QUILLON_EXPORT QString machineSettingsFile();

/// Whether the embedded "Quillon PDF" printer is offered beside the system's printers. It is on
/// unless $QUILLON_VIRTUAL_PRINTER is 0; when the system has no default printer it is the
/// default printer, so a report prints (to PDF files) with no printer installed. Setting it
/// reads the system's printers again.
///@{
QUILLON_EXPORT bool virtualPdfPrinterEnabled();
QUILLON_EXPORT void setVirtualPdfPrinterEnabled(bool enabled);
///@}
/// Where the embedded PDF printer writes each print document: this folder, else
/// $QUILLON_PDF_DIR, else ~/Documents/Quillon (an empty folder returns to those).
QUILLON_EXPORT void setVirtualPdfFolder(const QString &folder);

/// Keeps page formats in memory for this process only: a one-off job then changes nobody's
/// saved formats.
QUILLON_EXPORT void useTemporarySettings();
/// The same for the calling thread alone, until it ends: its jobs read and store page formats
/// in memory of their own, empty at first, and a new call starts afresh. For one-off jobs run
/// side by side, each of which must see only what it stores itself, as if it ran alone.
QUILLON_EXPORT void useThreadTemporarySettings();
/// Stores one page-format value of a report (under its PrintKeyName), as the page setup would.
QUILLON_EXPORT void setFormatValue(
    const QString &printKeyName, const QString &name, const QString &value);
/// The stored text of one page-format value of a report (from the user's file, else the
/// machine's), or a null string when none is stored.
QUILLON_EXPORT QString formatValue(const QString &printKeyName, const QString &name);
/// Sends every message to standard error and answers it with its default button at once: for
/// batch jobs, which must never wait for a click. A line names the program and the report, and
/// the settings file where a message names a stored format; a repeated message is written once.
QUILLON_EXPORT void useConsoleMessages();
/// A handler for ReportExport::setMessageHandler that writes an export's messages as
/// useConsoleMessages() does, on any thread: each once, on standard error, after the program's
/// name and `source` (the grid file, say), answered with its default button.
QUILLON_EXPORT std::function<int(const QString &text, int buttons)> consoleMessageHandler(
    const QString &source);
/// Where a print job's progress goes when it shows no progress window (no widget application,
/// or messages on the console after useConsoleMessages()): a line at a time to the handler
/// ("第 3 页 共（5）页，份数：1/1", and "完成" or "取消" at the end); with no handler (the
/// default) to standard error after the program's name.
QUILLON_EXPORT void setConsoleProgressHandler(std::function<void(const QString &line)> handler);
/// The names of the installed printers, the embedded PDF printer included while it is on.
QUILLON_EXPORT QStringList printerNames();

/// Whether two paths name the same existing file (same device and inode, links followed): a
/// program can refuse to write its output over its input.
QUILLON_EXPORT bool sameFile(const QString &a, const QString &b);

/// Removes the files the library is writing beside their names (a PDF, PNG pages, a settings
/// file being saved), for a program that must end at once: nothing is written or saved after
/// it, and no earlier file of those names is touched. Safe to call from any thread. Returns how
/// many files it removed.
QUILLON_EXPORT int removeTemporaryFiles();

/// Installs the platform services that are not installed yet: the settings file, the printing
/// system and the message boxes. Creating a print object does this.
QUILLON_EXPORT void ensureDefaultPlatform();

} // namespace quillon
