#pragma once

#include "printer/printerdriver.h"
#include "printer/printingsystem.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace quillon {

/// A page as the property sheet starts from it or chose it: paper code, the paper's name as the
/// driver lists it, orientation (1 portrait, 2 landscape).
struct PrinterPage
{
    qint16 paperSize = 0;
    QString paperName;
    qint16 orientation = 1;
};

/// One printer's driver settings, and the printer operations the printing system's printer
/// object lacks: the driver's property sheet, making the edited settings the user's defaults
/// for the printer (and putting the former ones back), and the printer's papers with their
/// names. Create one, set DeviceName, call what is needed, drop it. Messages go through
/// ShowMessage; no call throws.
class clsPrinter
{
public:
    /// Works with the installed printer driver (platformservices.h).
    clsPrinter();
    /// Works with this driver; nullptr opens no printer.
    explicit clsPrinter(PrinterDriver *driver);

    QString DeviceName() const { return m_deviceName; }
    /// Reads the printer's settings (the default printer's for an empty name), then keeps the
    /// name even when they could not be read.
    void setDeviceName(const QString &name);

    /// Reads the printer's current settings and names; false, with a message, on failure.
    bool GetDEVMODE(const QString &vDeviceName);
    /// Reads the default printer's settings and names, as a print dialog asked for its
    /// defaults returns them; false when there is no default printer.
    bool GetDefault();
    /// The driver's property sheet on the working settings; true when the user confirmed it.
    bool ShowPropertiesDlg();
    /// The driver's sheet on the working settings without the checks; true when confirmed.
    bool ShowAdvPropertiesDlg();
    /// Makes the working settings the printer's defaults for the user, keeping the former
    /// defaults for SetDevModeBack.
    bool SetDevModeAsDefault();
    /// Puts back the defaults that the last successful SetDevModeAsDefault replaced.
    bool SetDevModeBack();
    /// The platform's print dialog on the working settings, for the owner window. On
    /// confirmation the chosen page range is written back and the chosen printer's settings,
    /// names and port are taken; false when the user cancelled.
    bool ShowPrintDlg(quint32 Flags, int &FromPage, int &ToPage, int Copies, QObject *Owner);
    /// Merges saved settings into the printer's current ones and works on the result.
    bool RestoreDEVMODE(const QString &vDeviceName, const DeviceSettings &bDEVMODE);
    /// Puts a page into the working settings (dmPaperSize, dmFormName, dmOrientation): the
    /// property sheet then starts on it.
    void setPage(const PrinterPage &page);

    /// The paper codes the printer takes (the dmPaperSize values), in the driver's order.
    QList<qint16> PaperIndexArr();
    /// The papers' names, in the order of PaperIndexArr.
    QStringList PaperNamesArr();
    /// The name of the working settings' paper; "未知" when the printer does not list it.
    QString PaperName();
    /// The Index-th paper name, counting from 1; "未知" outside the list.
    QString PaperNameA(int Index);

    /// True when the printer named by the device names is the system's default printer.
    bool Default() const { return m_namesValid && m_names.isDefault; }
    QString Port() const { return m_port; }

    qint16 PaperSize() const { return m_settings.paperSize; }
    qint16 PaperLength() const { return m_settings.paperLength; }
    qint16 PaperWidth() const { return m_settings.paperWidth; }
    qint16 dmScale() const { return m_settings.scale; }
    qint16 Copies() const { return m_settings.copies; }
    qint16 DefaultSource() const { return m_settings.defaultSource; }
    qint16 PaperBin() const { return m_settings.defaultSource; }
    qint16 PrintQuality() const { return m_settings.printQuality; }
    qint16 ColorMode() const { return m_settings.color; }
    qint16 Duplex() const { return m_settings.duplex; }
    qint16 YResolution() const { return m_settings.yResolution; }
    qint16 TTOption() const { return m_settings.ttOption; }
    qint16 Collate() const { return m_settings.collate; }

    /// The working settings.
    const DeviceSettings &settings() const { return m_settings; }
    /// The former defaults kept by SetDevModeAsDefault.
    const DeviceSettings &backupSettings() const { return m_backup; }
    /// True after the settings came from the default printer's print dialog result.
    bool settingsValid() const { return m_settingsValid; }

private:
    enum class Mismatch { Quiet, Shown };
    /// Opens the printer and checks that its current settings match `stored`; the current
    /// settings are in `current` when it returns the open printer.
    std::unique_ptr<PrinterConnection> openChecked(
        const DeviceSettings &stored, Mismatch versions, DeviceSettings *current);
    /// The printer the calls go to: DeviceName, or the default printer's when it is empty.
    QString printerName() const;
    void takeNames(const DeviceNames &names);

    PrinterDriver *m_driver = nullptr;
    QString m_deviceName;
    DeviceSettings m_settings;
    DeviceSettings m_backup;
    bool m_settingsValid = false;
    DeviceNames m_names;
    bool m_namesValid = false;
    QString m_port;
};

/// Whether the printer has driver settings a property sheet can edit: the system's printers
/// do, the virtual printers do not.
bool hasPrinterProperties(const QString &deviceName);

/// The papers a printer offers, codes paired with names by position: the driver's lists for a
/// printer with driver settings, the printing system's papers for any other.
QList<PaperInfo> printerPapers(const QString &deviceName);

/// The "属性" buttons: shows the printer's property sheet and keeps what the user confirmed
/// as that printer's defaults, which the next document sent to it carries. The page chosen
/// there; nothing when the user cancelled.
std::optional<PrinterPage> showPrinterProperties(const QString &deviceName);

/// The report takes a page from the property sheet: the format's paper and orientation, and
/// the current printer's, so that the layout and the printed document follow it.
void usePrinterPage(const PrinterPage &page);

} // namespace quillon
