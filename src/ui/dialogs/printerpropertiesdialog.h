#pragma once

#include "printer/printerdriver.h"

#include <QDialog>

class QComboBox;

namespace quillon {

/// The "属性" dialog: a printer's own settings as its driver lists them (paper, orientation,
/// duplex, colour, resolution, quality and the driver's other options), the common ones in
/// Chinese, the others in the driver's words. It changes nothing itself: the caller reads
/// values() after OK. Its lists are named "cboOption(<keyword>)".
class PrinterPropertiesDialog : public QDialog
{
    Q_OBJECT

public:
    PrinterPropertiesDialog(
        const QString &deviceName, const QList<DriverOption> &options, QWidget *parent = nullptr);

    /// Every option's value as the dialog shows it, by keyword.
    QMap<QString, QString> values() const;

    /// What the dialog calls an option: the Chinese name of a common one, else the driver's.
    static QString optionCaption(const DriverOption &option);
    /// What the dialog calls a choice of an option.
    static QString choiceCaption(const DriverOption &option, const DriverChoice &choice);

private:
    QList<std::pair<QString, QComboBox *>> m_lists;
};

/// The property sheet window of a widget application: the dialog, modal over the active
/// window; the values confirmed with OK. Nothing when cancelled, or without widgets.
std::optional<QMap<QString, QString>> showPrinterPropertiesDialog(
    const QString &deviceName, const QList<DriverOption> &options);

} // namespace quillon
