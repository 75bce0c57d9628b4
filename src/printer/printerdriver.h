#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace quillon {

/// One printer's document settings as its driver keeps them: the fields the library reads
/// and checks, and the driver's own options (on CUPS the PPD and IPP document options).
struct DeviceSettings
{
    QString deviceName;
    qint16 specVersion = 0;
    qint16 driverVersion = 0;
    /// The size of the fixed part; with driverExtra, the length the driver reports.
    qint16 size = 0;
    /// The size of the driver's own part: it changes when the printer gets another driver.
    qint16 driverExtra = 0;
    qint16 orientation = 0;
    qint16 paperSize = 0;
    qint16 paperLength = 0; ///< tenths of a millimetre
    qint16 paperWidth = 0; ///< tenths of a millimetre
    qint16 scale = 0;
    qint16 copies = 0;
    qint16 defaultSource = 0;
    qint16 printQuality = 0; ///< dots per inch, or a negative quality code (-1 draft .. -4 high)
    qint16 color = 0; ///< 1 monochrome, 2 colour
    qint16 duplex = 0; ///< 1 simplex, 2 long edge, 3 short edge
    qint16 yResolution = 0;
    qint16 ttOption = 0;
    qint16 collate = 0;
    /// dmFormName: the paper's name as the driver lists it, which tells apart the papers a driver
    /// lists under one code (A4 and "A4 (Borderless)").
    QString formName;
    /// The driver's options by keyword, each with its chosen value.
    QMap<QString, QString> options;

    int length() const { return int(size) + int(driverExtra); }
    bool isEmpty() const { return length() == 0; }
};

/// One choice of a driver option: the value the settings keep and the driver's text for it.
struct DriverChoice
{
    QString value;
    QString text;
};

/// One option a driver's property sheet offers: its keyword, the driver's text for it, its
/// choices, and the value the settings being edited hold.
struct DriverOption
{
    QString keyword;
    QString text;
    QList<DriverChoice> choices;
    QString value;
};

/// The window a driver shows its property sheet in, for the named printer: the values the user
/// confirmed, by keyword; nothing when the user cancelled or no window can be shown. The library
/// gives one (the "属性" dialog of its user interface layer) through its platform services.
using PropertySheetWindow = std::function<std::optional<QMap<QString, QString>>(
    const QString &deviceName, const QList<DriverOption> &options)>;

/// The names of a printer as a print dialog returns them with its settings.
struct DeviceNames
{
    QString driver;
    QString device;
    QString output; ///< the port
    bool isDefault = false;
};

/// What a print dialog starts from: the printer and its settings, the options the flags allow,
/// the page range and the copies.
struct PrintDialogRequest
{
    QString deviceName; ///< empty: the system's default printer
    DeviceSettings settings;
    quint32 flags = 0; ///< the print dialog flags (PrintDialogFlag)
    int fromPage = 0;
    int toPage = 0;
    int copies = 1;
    QObject *owner = nullptr; ///< the window the dialog is modal for
};

/// The print dialog flags a caller may give.
enum PrintDialogFlag : quint32 {
    PD_SELECTION = 0x1,
    PD_PAGENUMS = 0x2,
    PD_NOSELECTION = 0x4,
    PD_NOPAGENUMS = 0x8,
    PD_COLLATE = 0x10,
    PD_PRINTTOFILE = 0x20,
    PD_RETURNDEFAULT = 0x400,
    PD_DISABLEPRINTTOFILE = 0x80000,
    PD_HIDEPRINTTOFILE = 0x100000,
    PD_CURRENTPAGE = 0x400000,
    PD_NOCURRENTPAGE = 0x800000,
    /// The hook and template bits, which a dialog of this platform has no use for.
    PD_HOOKSANDTEMPLATES = 0xF000,
};

/// What the user confirmed in a print dialog.
struct PrintDialogResult
{
    DeviceSettings settings;
    DeviceNames names;
    int fromPage = 0;
    int toPage = 0;
};

/// An open printer. Dropping it closes the printer.
class PrinterConnection
{
public:
    virtual ~PrinterConnection() = default;

    /// The length of the driver's settings; 0 when the driver cannot tell.
    virtual int settingsLength() = 0;
    /// The printer's current settings (its defaults for the user); false on failure.
    virtual bool readSettings(DeviceSettings *settings) = 0;
    /// The driver's property sheet in `window`, starting from `input` (its paper as dmPaperSize
    /// and dmFormName name it, and its orientation); true when the user confirmed it, with the
    /// edited settings in `output`.
    virtual bool showPropertySheet(
        const DeviceSettings &input, const PropertySheetWindow &window, DeviceSettings *output)
        = 0;
    /// Makes the settings the printer's defaults for the user; false when they were not stored.
    virtual bool writeDefaults(const DeviceSettings &settings) = 0;
    /// The printer's current settings with the saved ones merged in; false on failure.
    virtual bool mergeSettings(const DeviceSettings &saved, DeviceSettings *output) = 0;
};

/// The printer driver calls behind the printer settings class: open a printer, read, show,
/// merge and store its settings, list its papers.
class PrinterDriver
{
public:
    virtual ~PrinterDriver() = default;

    /// The printer with exactly this device name; nullptr when it cannot be opened.
    virtual std::unique_ptr<PrinterConnection> open(const QString &deviceName) = 0;
    /// The system's default printer with its settings and names, as a print dialog asked for
    /// its defaults returns them; nothing when there is no default printer.
    virtual std::optional<std::pair<DeviceSettings, DeviceNames>> defaultPrinter() = 0;
    /// The names of a printer (driver, device, port); nothing when it is not installed.
    virtual std::optional<DeviceNames> deviceNames(const QString &deviceName) = 0;
    /// The paper codes the printer takes, in the driver's order.
    virtual QList<qint16> paperCodes(const QString &deviceName, const QString &port) = 0;
    /// The papers' names, in the order of paperCodes().
    virtual QStringList paperNames(const QString &deviceName, const QString &port) = 0;
    /// The platform's print dialog; nothing when the user cancelled it or no dialog can be
    /// shown.
    virtual std::optional<PrintDialogResult> runPrintDialog(const PrintDialogRequest &request) = 0;
};

} // namespace quillon
