#pragma once

// A printing system with one recording printer whose sheet and printable area a test sets to
// the twip.

#include "platform/interfaces/recordingsurface.h"
#include "printer/printingsystem.h"

class SinglePrinterSystem : public quillon::PrintingSystem
{
public:
    SinglePrinterSystem(double width, double height, double scaleWidth, double scaleHeight)
        : printer(width, height)
    {
        printer.setPrintableArea(scaleWidth, scaleHeight);
        printer.setDeviceName(QStringLiteral("Test Printer"));
    }

    QList<quillon::PrinterInfo> printers() override
    {
        return { { printer.DeviceName(), QStringLiteral("recorder"), QStringLiteral("none") } };
    }
    QString defaultPrinterName() override { return printer.DeviceName(); }
    bool selectPrinter(const QString &name) override { return name == printer.DeviceName(); }
    quillon::PrinterSurface *currentPrinter() override { return &printer; }
    QList<quillon::PaperInfo> papers(const QString &) override
    {
        return { { 9, QStringLiteral("A4") } };
    }

    quillon::RecordingSurface printer;
};
