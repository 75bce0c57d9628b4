#pragma once

#include "printer/printerdriver.h"

namespace quillon {

/// The printer driver of CUPS: a printer's settings are its PPD options and the IPP document
/// options, its defaults for the user are the user's saved options (lpoptions), its property
/// sheet is Qt's page setup dialog and its print dialog is Qt's.
class CupsPrinterDriver : public PrinterDriver
{
public:
    std::unique_ptr<PrinterConnection> open(const QString &deviceName) override;
    std::optional<std::pair<DeviceSettings, DeviceNames>> defaultPrinter() override;
    std::optional<DeviceNames> deviceNames(const QString &deviceName) override;
    QList<qint16> paperCodes(const QString &deviceName, const QString &port) override;
    QStringList paperNames(const QString &deviceName, const QString &port) override;
    std::optional<PrintDialogResult> runPrintDialog(const PrintDialogRequest &request) override;
};

} // namespace quillon
