#pragma once

#include "engine/layout/printrange.h"
#include "printer/printingsystem.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quillon {

class ElidedLabel;

/// The print dialog "打印" (frmPrint): printer, colour, page range or list, copies, collation,
/// parity and duplex (offered when the printer prints on both sides). It prints
/// nothing: Print validates the entries, sets blnOk and hides the dialog, and the caller then
/// reads request() from the same instance. Controls are found by their object names.
class PrintDialog : public QDialog
{
    Q_OBJECT

public:
    /// Loads the dialog: lists the printers (the report's PrinterName selected when installed)
    /// and takes the colour choice of the page format.
    explicit PrintDialog(QWidget *parent = nullptr);
    ~PrintDialog() override;

    /// True after a successful Print; false after Cancel or the close box.
    bool blnOk = false;

    /// The chosen pages, copies, collation, parity and duplex, as PrintRange takes them.
    PrintRequest request() const;

    /// For a report of one column band: hides the column band boxes and their labels.
    void hideColumnBands();
    /// Hides the current-page option (a print job has no current page).
    void hideCurrentPage();

    /// The windows the dialog opens. A button whose hook is empty is hidden, so the dialog never
    /// shows a button that does nothing (the preview's own print command sets neither of the
    /// first two). The page setup hook shows the page setup dialog modally; the dialog saves
    /// the format before it and lists the printers again after it.
    void setPageSetupHook(std::function<void()> hook);
    /// Shows the preview modally; the dialog saves the format and sets the zoom before it.
    void setPreviewHook(std::function<void()> hook);
    /// Shows the driver's properties of the named printer; true when the user accepted them
    /// (the hook then makes them the printer's defaults). The dialog reads the printer again.
    void setPropertiesHook(std::function<bool(const QString &deviceName)> hook,
        std::function<bool(const QString &deviceName)> available = {});

    /// Cancel, Escape and the close box: the printer current before the dialog opened is
    /// current again, in its colour mode.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void fillPrinters();
    void selectPrinter(int index);
    void makeSelectedPrinterCurrent();
    void takeColourChoice();
    void saveWithColourChoice();
    void readColourState();
    void pageSetup();
    void preview();
    void properties();
    void print();
    void cancel();
    bool checkRange();
    bool checkPageList();
    void enableCollate();

    QList<PrinterInfo> m_printers;
    QString m_printerBefore;
    qint16 m_colorModeBefore = 0;
    std::function<void()> m_pageSetupHook;
    std::function<void()> m_previewHook;
    std::function<bool(const QString &)> m_propertiesHook;
    /// Whether a printer has settings the hook can show; unset, every printer has.
    std::function<bool(const QString &)> m_propertiesAvailable;
    void enableProperties();

    QComboBox *CboPrinter = nullptr;
    QPushButton *command1 = nullptr;
    QLabel *lblState = nullptr;
    ElidedLabel *lblType = nullptr;
    ElidedLabel *lblLocation = nullptr;
    QCheckBox *chkColor = nullptr;
    QRadioButton *OptAllPage = nullptr;
    QRadioButton *OptCrtPage = nullptr;
    QRadioButton *optSpcPage = nullptr;
    QRadioButton *optPageList = nullptr;
    QLineEdit *txtPageList = nullptr;
    QLineEdit *txtPB = nullptr;
    QLineEdit *txtMPB = nullptr;
    QLineEdit *txtPE = nullptr;
    QLineEdit *txtMPE = nullptr;
    QLabel *lblmb = nullptr;
    QLabel *lblme = nullptr;
    QLineEdit *txtCopys = nullptr;
    QCheckBox *chkCollate = nullptr;
    QComboBox *cbopage = nullptr;
    QComboBox *cboDuplex = nullptr;
    QPushButton *cmdpgset = nullptr;
    QPushButton *cmdPreview = nullptr;
    QPushButton *cmdprint = nullptr;
    QPushButton *cmdcance = nullptr;
};

} // namespace quillon
