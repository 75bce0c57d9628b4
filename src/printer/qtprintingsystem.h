#pragma once

#include "printer/printingsystem.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <map>
#include <memory>
#include <mutex>

namespace quillon {

class PrinterSurface;

/// The papers of a CUPS queue: its driver's page sizes, or the common papers for a queue without
/// a driver (a raw queue, or a class of them), which gets the document as it is drawn.
QList<PaperInfo> queuePapers(const QString &deviceName);

/// The printers of the operating system's printing system (CUPS on Linux), through Qt
/// PrintSupport. Paper codes are the Windows identifiers of QPageSize.
class QtPrintingSystem : public PrintingSystem
{
public:
    QtPrintingSystem();
    ~QtPrintingSystem() override;

    QList<PrinterInfo> printers() override;
    QString defaultPrinterName() override;
    bool selectPrinter(const QString &deviceName) override;
    PrinterSurface *currentPrinter() override;
    QList<PaperInfo> papers(const QString &deviceName) override;
    std::unique_ptr<PrinterSurface> openPrinter(const QString &deviceName) override;

private:
    /// The scheduler's queues and its default, as one request answered a moment ago.
    struct Queues
    {
        QList<PrinterInfo> printers;
        QStringList openable; // the ones Qt prints on
        QString defaultName;
    };
    Queues queues();
    bool canOpen(const QString &deviceName);

    // A printer's surface lives as long as the system: the engine may still point at it after
    // another printer became current.
    std::map<QString, std::unique_ptr<PrinterSurface>> m_surfaces;
    PrinterSurface *m_current = nullptr;
    std::mutex m_queuesMutex;
    Queues m_queues;
    QByteArray m_queuesServer;
    QElapsedTimer m_queuesAge;
};

/// Several printing systems seen as one: their printers in order, the first system's default
/// printer as the default (or the next system's when a system has none).
class CombinedPrintingSystem : public PrintingSystem
{
public:
    explicit CombinedPrintingSystem(std::vector<std::unique_ptr<PrintingSystem>> systems);
    ~CombinedPrintingSystem() override;

    QList<PrinterInfo> printers() override;
    QString defaultPrinterName() override;
    bool selectPrinter(const QString &deviceName) override;
    PrinterSurface *currentPrinter() override;
    QList<PaperInfo> papers(const QString &deviceName) override;
    std::unique_ptr<PrinterSurface> openPrinter(const QString &deviceName) override;

    PrintingSystem &system(std::size_t index) { return *m_systems.at(index); }

private:
    PrintingSystem *systemOf(const QString &deviceName);

    std::vector<std::unique_ptr<PrintingSystem>> m_systems;
    PrintingSystem *m_current = nullptr;
};

} // namespace quillon
