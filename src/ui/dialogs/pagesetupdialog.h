#pragma once

#include "engine/device/clsprinter.h"
#include "engine/state/enginestate.h"
#include "printer/printingsystem.h"

#include <QDialog>
#include <QImage>

#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QFrame;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTabWidget;

namespace quillon {

struct FormatField;
class SheetJob;

/// The page setup dialog "页面设置" (frmpagesetup): printer and paper, margins and page size,
/// fonts, and the printed extras of a job's page format. It edits a copy of the format and
/// fonts (values()) and never the job's: the caller takes them into its job once the dialog
/// accepts (SheetJob::usePageSetup). Controls are found by their object names; control arrays
/// are named like "txtMargin(0)".
class PageSetupDialog : public QDialog
{
    Q_OBJECT

public:
    /// Loads the dialog from the job's page format and fonts; the format must be loaded. The
    /// job's grid and lines give the miniature its pages; the job is only read.
    explicit PageSetupDialog(const EngineState &job, QWidget *parent = nullptr);
    ~PageSetupDialog() override;

    /// Checks the entries, asks where they exceed the printer, then takes them into values().
    /// False when a check stopped it (the dialog then shows the offending entry).
    bool ApplyPageSetup();
    /// The format and fonts the entries gave at the last ApplyPageSetup (the job's until then).
    const PageSetupValues &values() const { return m_values; }

    /// The print dialog's use: the third button saves, captioned "保存(&S)".
    void setSaveCaption();
    /// What the third button does with the checked values while the dialog stays open: take
    /// them into the job, draw again and save the format. Unset, the button only checks.
    void setSaveHook(std::function<void(const PageSetupValues &)> hook);
    /// How the windows open it on a job: OK takes the values into the job, the third button
    /// takes and saves them, then runs `redraw` (the preview's page).
    void applyTo(SheetJob &job, std::function<void()> redraw = {});
    /// Shows the driver's properties of the named printer; the page the user accepted there
    /// (the hook makes the settings the printer's defaults), which the paper list and the
    /// orientation then show. The button is hidden while unset.
    void setPropertiesHook(
        std::function<std::optional<PrinterPage>(const QString &deviceName)> hook,
        std::function<bool(const QString &deviceName)> available = {});

    /// Escape and the close box cancel, so the printer is put back as Cancel does.
    void reject() override;

    /// The file dialog filter of the logo button, in Qt's form.
    static QString logoFileFilter();

    /// Whether the last page setup closed with OK, until a window that shows the page takes
    /// note (the preview draws again, the print dialog forgets it). The windows' own memory,
    /// kept on the GUI thread.
    static bool pageChanged();
    static void setPageChanged(bool changed);
    /// The tab the dialog opens on: the one it showed last (the page tab gives way to the first).
    static int openingTab();
    static void setOpeningTab(int tab);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void done(int result) override;

private:
    void buildControls();
    QWidget *buildPrinterTab();
    QWidget *buildPageTab();
    QWidget *buildFontTab();
    QWidget *buildMiscTab();
    void load();
    void selectPrinter(int index);
    void fillPapers();
    void selectPaper(int index);
    void restorePrinter();
    void updateEnabling();
    bool checkLeaving(QLineEdit *box);
    const FormatField &fieldOf(const QLineEdit *box) const;
    QString refusalOf(const QLineEdit *box, std::optional<int> value) const;
    void refuse(QLineEdit *box, const QString &message);
    void chooseColour(int which);
    void chooseLogo();
    bool loadLogo(const QString &path);
    void chooseFont();
    void chooseFontColour();
    void showFontSample();
    void properties();
    void ok();
    void cancel();
    void applyAndSave();
    void showSwatch(QLabel *swatch, qint32 colour, bool automatic);
    void readControls(PageFormat &f, const PrinterSurface *printer) const;
    void scaleMiniature();
    void redrawMiniature();

    QList<PrinterInfo> m_printers;
    const EngineState &m_job;
    PageSetupValues m_values;
    QString m_logoPath;
    QImage m_logo;
    QString m_loadedPrinterName;
    qint16 m_loadedPaper = 0;
    QString m_loadedPaperName;
    qint16 m_loadedOrientation = 1;
    bool m_loading = false;
    bool m_checking = false;
    qint32 m_gridColor = 0;
    qint32 m_jeLineColor = -1;
    qint32 m_dotLineColor = -1;
    std::function<void(const PageSetupValues &)> m_saveHook;
    std::function<std::optional<PrinterPage>(const QString &)> m_propertiesHook;
    /// Whether a printer has settings the hook can show; unset, every printer has.
    std::function<bool(const QString &)> m_propertiesAvailable;
    void enableProperties();

    QTabWidget *SSTab1 = nullptr;
    QComboBox *CboPrinter = nullptr;
    QPushButton *command2 = nullptr;
    QCheckBox *cbxcolorprint = nullptr;
    QLabel *lblprintmode = nullptr;
    QLabel *lblprintlocat = nullptr;
    QComboBox *cboPaperSize = nullptr;
    std::array<QRadioButton *, 2> OpnOrient {};
    QLabel *lblOldpaper = nullptr;
    std::array<QLineEdit *, 4> txtMargin {};
    std::array<QScrollBar *, 4> vsbMargin {};
    QCheckBox *chkHcenter = nullptr;
    QCheckBox *chkVcenter = nullptr;
    QCheckBox *chkPrintPage = nullptr;
    QLineEdit *txtPgWidth = nullptr;
    QLineEdit *txtPgHeight = nullptr;
    QCheckBox *chkHoriCutPage = nullptr;
    QCheckBox *chkAutoArrange = nullptr;
    QLineEdit *txtLineCount = nullptr;
    QLineEdit *txtLineHeight = nullptr;
    QCheckBox *chkaddblank = nullptr;
    QCheckBox *chkFixCol = nullptr;
    QListWidget *lstText = nullptr;
    QPushButton *cmdfontset = nullptr;
    QPushButton *cmdfontcolor = nullptr;
    QLabel *picFontColor = nullptr;
    QLabel *PicOut = nullptr;
    QCheckBox *chkRdcFnt = nullptr;
    QCheckBox *chkCyline = nullptr;
    QCheckBox *chkCutline = nullptr;
    QCheckBox *chkOperator = nullptr;
    QCheckBox *chkprintdata = nullptr;
    QCheckBox *chkpageno = nullptr;
    QCheckBox *chklogo = nullptr;
    QPushButton *cmdlogo = nullptr;
    QLabel *Image1 = nullptr;
    QComboBox *cbologo = nullptr;
    QCheckBox *chklogotxt = nullptr;
    QLineEdit *txtLogTxt = nullptr;
    QComboBox *cbologotxt = nullptr;
    QPushButton *cmdcolor = nullptr;
    QLabel *picColor = nullptr;
    QPushButton *cmdJeLine = nullptr;
    QLabel *lblJeLine = nullptr;
    QLabel *lblJeLineColor = nullptr;
    QPushButton *cmdDotLine = nullptr;
    QLabel *lblDotLine = nullptr;
    QLabel *lblDotLineColor = nullptr;
    std::array<QPushButton *, 3> command1 {};
    QFrame *picviewb = nullptr;
    QFrame *shpPaper = nullptr;
    QFrame *picPage = nullptr;
    QList<QFrame *> Shppage;
    QLabel *lblzoom = nullptr;
    int m_scale = 6; ///< the miniature shows lengths divided by this
    QList<QLineF> m_pageLines; ///< the lines between arranged pages, in picPage's pixels
};

} // namespace quillon
