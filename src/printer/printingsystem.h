#pragma once

#include "platform/interfaces/surface.h"

#include <memory>

#include <QList>
#include <QString>

namespace quillon {

class PrinterSurface;

struct PrinterInfo
{
    QString deviceName;
    QString driverName;
    QString port;
};

struct PaperInfo
{
    qint16 code = 0; ///< the platform's paper code (256: user-defined)
    QString name;
};

/// The entry of a printer's paper list that stands for paper code `code`: the one named
/// `preferred` when it has that code, else the plainest of the entries with that code (a driver
/// lists a paper again under the same code as "A4 (Borderless)" and the like: the shortest name,
/// the first listed of equal ones); -1 when no entry has the code.
qsizetype paperEntry(const QList<PaperInfo> &papers, qint16 code, const QString &preferred = {});

/// The installed printers and the current one. The current printer is a PrinterSurface: its
/// paper, orientation and colour mode are set on it, and drawing on it prints.
class PrintingSystem
{
public:
    virtual ~PrintingSystem() = default;

    virtual QList<PrinterInfo> printers() = 0;
    /// The system's default printer; empty when there is none.
    virtual QString defaultPrinterName() = 0;
    /// Makes the printer with exactly this device name current; false when there is none.
    virtual bool selectPrinter(const QString &deviceName) = 0;
    /// The current printer (at first the default one); nullptr when there is no printer.
    virtual PrinterSurface *currentPrinter() = 0;
    /// The papers the printer takes.
    virtual QList<PaperInfo> papers(const QString &deviceName) = 0;
    /// A surface of this printer that is the caller's alone: a job that runs beside others
    /// sets its paper and draws on it without touching the current printer. nullptr when the
    /// printer does not exist or the system cannot make one.
    virtual std::unique_ptr<PrinterSurface> openPrinter(const QString &deviceName)
    {
        Q_UNUSED(deviceName);
        return nullptr;
    }

    bool hasPrinter() { return !printers().isEmpty(); }
};

/// The printing system the engine uses when none is installed: one virtual PDF printer, so a
/// report prints with no printer at all.
std::unique_ptr<PrintingSystem> fallbackPrintingSystem();

} // namespace quillon
