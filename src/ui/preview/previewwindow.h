#pragma once

#include "engine/layout/sheetjob.h"

#include <QDialog>

#include <memory>

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QStatusBar;
class QToolBar;
class QToolButton;

namespace quillon {

class PreviewWidget;
class PrintProperties;

/// The preview window `frmpreview`: the current sheet in a PreviewWidget, with the toolbar
/// `Toolbar1`, the status bar `StatusBar1` (sheet, paper, zoom) and the progress bar `pgbPage`
/// laid over it while a sheet takes long to draw. The toolbar's page box `txtPage` (Ctrl+G)
/// goes to a sheet by its number; the moves that do not apply on the sheet shown are greyed.
/// Its menus are not shown: they carry the shortcuts, the actions the toolbar calls and the
/// popup menu of the page. The window runs its own job, which puts the engine back as it was
/// when the window goes. It opens at the zoom stored when it last closed, or at "整页" when
/// nobody chose one.
class PreviewWindow : public QDialog
{
    Q_OBJECT

public:
    explicit PreviewWindow(PrintProperties &print, QWidget *parent = nullptr);
    ~PreviewWindow() override;

    /// Opens the preview of this print object modally, after the job's checks (a printer,
    /// the grid, the grid kind): a refusal is shown as a message. With `throwLoad`, an error of
    /// the format load reaches the caller as quillon::Error; otherwise it is shown.
    static void open(PrintProperties &print, QWidget *parent, bool throwLoad);

    /// Checks, loads the report's format and lays it out for the page picture. False, with
    /// the refusal in error(), when the preview cannot open.
    bool load(bool throwLoad);
    QString error() const { return m_job.error(); }
    int errorIcon() const { return m_job.errorIcon(); }

    PreviewWidget *preview() const { return m_preview; }
    SheetJob &job() { return m_job; }

    /// The commands of the window, as its toolbar and menus run them.
    void printCommand();
    void pageSetup();
    void printThisSheet();
    void saveFormat();
    void zoomCycle();
    void fullScreen();
    void zoomEntry();
    void pageNumberEntry();
    /// The page box's number: that sheet, a number past the last one the last sheet.
    void goToEnteredSheet();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    class StatusPanels;
    class ProgressOverlay;

    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    QAction *addCommand(QMenu *menu, const QString &caption, void (PreviewWindow::*command)(),
        const QKeySequence &shortcut = {});
    /// The close question and the zoom written back; false when the user cancels.
    bool queryClose();
    void restoreCursor();
    /// Lays the job out again for a changed format and draws the current sheet.
    void showFormatChanges();
    /// The page box, the greyed moves and the checked zoom, for the sheet shown.
    void showNavigation();

    SheetJob m_job;
    PreviewWidget *m_preview = nullptr;
    QToolBar *Toolbar1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QProgressBar *pgbPage = nullptr;
    std::unique_ptr<StatusPanels> m_statusSink;
    std::unique_ptr<ProgressOverlay> m_progressSink;
    QMenu *m_popup = nullptr;
    QLineEdit *m_pageBox = nullptr;
    QLabel *m_pageCount = nullptr;
    QList<QAction *> m_backMoves; ///< first and previous sheet, in the menus
    QList<QAction *> m_forwardMoves; ///< next and last sheet
    QList<QActionGroup *> m_zoomGroups; ///< the zoom menu's and the toolbar's zoom entries
    QHash<QString, QAction *> m_actions; ///< menu actions by caption
    bool m_waitCursor = false;
    /// Esc was pressed on the window itself, not to close a menu: its release closes it.
    bool m_escapePressed = false;
};

} // namespace quillon
