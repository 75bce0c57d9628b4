#include "previewwindow.h"

#include "fullscreenview.h"

#include "pagepicture.h"
#include "previewwidget.h"
#include "toolbaricons.h"

#include "engine/convert.h"
#include "engine/device/clsprinter.h"
#include "engine/layout/printrange.h"
#include "engine/state/enginestate.h"
#include "engine/state/formatio.h"
#include "engine/state/previewsinks.h"
#include "engine/state/printproperties.h"
#include "engine/state/registry.h"
#include "platform/interfaces/surface.h"
#include "ui/dialogs/inputdialog.h"
#include "ui/dialogs/pagesetupdialog.h"
#include "ui/dialogs/printdialog.h"
#include "ui/dialogs/progresswindow.h"
#include "ui/dialogs/slotguard_p.h"

#include <QActionGroup>
#include <QApplication>
#include <QBoxLayout>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QRegularExpressionValidator>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <cmath>

namespace quillon {

namespace {

const QString kZoomKey = QStringLiteral("ZoomRate");
/// The zoom's fit when the window closed (PreviewWidget::ZoomFit as a number); empty until
/// the window first closes.
const QString kZoomFitKey = QStringLiteral("ZoomFit");

/// The zoom as the status bar shows it, in the single precision it is kept in.
QString zoomText(double zoom)
{
    return QString::number(double(float(zoom)) * 100, 'g', 7) + QLatin1Char('%');
}

} // namespace

class PreviewWindow::StatusPanels : public PreviewStatusSink
{
public:
    explicit StatusPanels(const std::array<QLabel *, 3> &panels)
        : m_panels(panels)
    {
    }
    void setPanelText(int panel, const QString &text) override
    {
        if (panel >= 1 && panel <= int(m_panels.size()))
            m_panels[panel - 1]->setText(text);
    }

private:
    std::array<QLabel *, 3> m_panels;
};

class PreviewWindow::ProgressOverlay : public PreviewProgressSink
{
public:
    explicit ProgressOverlay(QProgressBar *bar)
        : m_bar(bar)
    {
    }
    double value() const override { return m_bar->value(); }
    void setValue(double value) override
    {
        const int percent = int(std::lround(std::clamp(value, 0.0, 100.0)));
        const bool moved = percent != m_bar->value();
        m_bar->setValue(percent);
        // A sheet drawn in less than half a second shows no bar: it would only flash.
        if (m_bar->isHidden() && m_work.isValid() && m_work.elapsed() >= kDelayMs) {
            m_bar->show();
            m_bar->raise();
        } else if (!moved || m_bar->isHidden()) {
            return;
        }
        // Drawing lets no events through until it is done: the bar paints itself.
        m_bar->repaint();
    }
    void setVisible(bool visible) override
    {
        if (visible) {
            m_work.start();
        } else {
            m_work.invalidate();
            m_bar->hide();
        }
    }

private:
    static constexpr qint64 kDelayMs = 500;
    QProgressBar *m_bar;
    QElapsedTimer m_work;
};

PreviewWindow::PreviewWindow(PrintProperties &print, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
    , m_job(print)
{
    setObjectName(QStringLiteral("frmpreview"));
    setSizeGripEnabled(false);
    // 7000 × 4000 twips.
    setMinimumSize(467, 267);

    m_preview = new PreviewWidget(this);
    m_preview->setObjectName(QStringLiteral("preview"));
    m_preview->setJob(&m_job);
    buildMenus();
    buildToolbar();
    buildStatusBar();
    m_preview->setPopupMenu(m_popup);
    connect(m_preview, &PreviewWidget::previewChanged, this, &PreviewWindow::showNavigation);

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);
    page->addWidget(Toolbar1);
    page->addWidget(m_preview, 1);
    page->addWidget(StatusBar1);
    resize(900, 700);
}

PreviewWindow::~PreviewWindow()
{
    // The children go after the job: the page box losing the focus must not read it then.
    disconnect(m_pageBox, nullptr, this, nullptr);
    disconnect(m_preview, nullptr, this, nullptr);
    restoreCursor();
    EngineState &s = m_job.state();
    if (s.PreviewStatusBar == m_statusSink.get())
        s.PreviewStatusBar = nullptr;
    if (s.PreviewProgressBar == m_progressSink.get())
        s.PreviewProgressBar = nullptr;
}

QAction *PreviewWindow::addCommand(QMenu *menu, const QString &caption,
    void (PreviewWindow::*command)(), const QKeySequence &shortcut)
{
    QAction *action = menu->addAction(caption);
    m_actions.insert(caption, action);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        // The menus are never shown: the window carries the shortcuts.
        addAction(action);
    }
    // A command that comes in while a sheet is drawn (its shortcut, say) waits for it.
    if (command)
        connect(action, &QAction::triggered, this, [this, command] {
            m_preview->whenIdle([this, command] { runGuarded([&] { (this->*command)(); }); });
        });
    return action;
}

void PreviewWindow::buildMenus()
{
    auto *file = new QMenu(QStringLiteral("打印(&F)"), this);
    addCommand(file, QStringLiteral("页面设置(&U)..."), &PreviewWindow::pageSetup,
        QKeySequence(Qt::CTRL | Qt::Key_U));
    addCommand(file, QStringLiteral("打印(&P)..."), &PreviewWindow::printCommand,
        QKeySequence(Qt::CTRL | Qt::Key_P));
    file->addSeparator();
    addCommand(file, QStringLiteral("保存页面(&S)"), &PreviewWindow::saveFormat);
    file->addSeparator();
    QMenu *send = file->addMenu(QStringLiteral("发送(&D)"));
    QMenu *exportMenu = file->addMenu(QStringLiteral("导出(&I)"));
    for (const QString &caption : { QStringLiteral("邮件收件人(&M)..."),
             QStringLiteral("传送收件人(&R)..."), QStringLiteral("传真收件人(&F)...") })
        addCommand(send, caption, nullptr)->setEnabled(false);
    for (const QString &caption : { QStringLiteral("HTML(HTM) 格式..."),
             QStringLiteral("Excel(xls) 格式..."), QStringLiteral("文本(TXT)   格式...") })
        addCommand(exportMenu, caption, nullptr)->setEnabled(false);
    file->addSeparator();
    QAction *exit = addCommand(file, QStringLiteral("退出(&X)"), nullptr);
    connect(exit, &QAction::triggered, this, &QWidget::close);

    auto *pages = new QMenu(QStringLiteral("页面(&S)"), this);
    // The moves travel as plain functions: a member-function pointer captured in these nested
    // lambdas was read past its closure (found by the address sanitizer).
    using Move = void (*)(PreviewWidget &);
    PreviewWidget *const preview = m_preview;
    const auto navigation = [this, preview](QMenu *menu, const QString &lastCaption) {
        const auto add = [this, preview, menu](const QString &caption, Move step) {
            QAction *action = menu->addAction(caption);
            connect(action, &QAction::triggered, this,
                [preview, step] { runGuarded([preview, step] { step(*preview); }); });
            return action;
        };
        m_backMoves << add(
            QStringLiteral("首页       Home"), [](PreviewWidget &p) { p.firstSheet(); });
        m_backMoves << add(
            QStringLiteral("前页       PageUp"), [](PreviewWidget &p) { p.previousSheet(); });
        m_forwardMoves << add(
            QStringLiteral("次页       PageDown"), [](PreviewWidget &p) { p.nextSheet(); });
        m_forwardMoves << add(lastCaption, [](PreviewWidget &p) { p.lastSheet(); });
        return m_forwardMoves.last();
    };
    navigation(pages, QStringLiteral("尾页       End"));
    for (QAction *action : pages->actions())
        m_actions.insert(action->text(), action);
    pages->addSeparator();
    addCommand(pages, QStringLiteral("指定页码(&G)"), &PreviewWindow::pageNumberEntry);
    // Ctrl+G: the toolbar's page box, ready for a number.
    auto *pageBox = new QAction(QStringLiteral("转到页"), this);
    pageBox->setObjectName(QStringLiteral("转到页"));
    pageBox->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    connect(pageBox, &QAction::triggered, this, [this] {
        m_pageBox->setFocus(Qt::ShortcutFocusReason);
        m_pageBox->selectAll();
    });
    addAction(pageBox);

    auto *zoom = new QMenu(QStringLiteral("显示比例(&Z)"), this);
    auto *zoomEntries = new QActionGroup(this);
    // None is checked at a zoom of no entry's (a zoom typed in, a step).
    zoomEntries->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const int percent : { 200, 150, 100, 50, 25 }) {
        QAction *action = addCommand(zoom, QStringLiteral("%1%").arg(percent), nullptr);
        action->setData(percent);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this,
            [this, percent] { runGuarded([&] { m_preview->setZoom(percent / 100.0); }); });
        zoomEntries->addAction(action);
    }
    // The fits are told from the percentages by their data: minus the fit.
    for (const auto &[caption, fit] :
        { std::pair { QStringLiteral("整页"), PreviewWidget::ZoomFit::WholePage },
            std::pair { QStringLiteral("页宽"), PreviewWidget::ZoomFit::PageWidth } }) {
        QAction *action = addCommand(zoom, caption, nullptr);
        action->setData(-int(fit));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this,
            [this, fit = fit] { runGuarded([&] { m_preview->setZoomFit(fit); }); });
        zoomEntries->addAction(action);
    }
    m_zoomGroups << zoomEntries;
    zoom->addSeparator();
    addCommand(zoom, QStringLiteral("全屏显示(&V)"), &PreviewWindow::fullScreen,
        QKeySequence(Qt::CTRL | Qt::Key_V));
    addCommand(zoom, QStringLiteral("指定比例(&Z) ..."), &PreviewWindow::zoomEntry,
        QKeySequence(Qt::CTRL | Qt::Key_Z));

    auto *tools = new QMenu(QStringLiteral("工具(&T)"), this);
    // The steps add up while a sheet is drawn: they bypass addCommand's single waiting command.
    for (const auto &[caption, notch] : { std::pair { QStringLiteral("放大(&O)"), 1 },
             std::pair { QStringLiteral("缩小(&I)"), -1 } }) {
        QAction *action = addCommand(tools, caption, nullptr);
        connect(action, &QAction::triggered, this,
            [this, notch = notch] { runGuarded([&] { m_preview->zoomBy(notch); }); });
        // + (or =, where + needs Shift) and -, on the main keyboard and the keypad.
        action->setShortcuts(notch > 0
                ? QList<QKeySequence> { Qt::Key_Plus, Qt::Key_Equal,
                    Qt::KeypadModifier | Qt::Key_Plus }
                : QList<QKeySequence> { Qt::Key_Minus, Qt::KeypadModifier | Qt::Key_Minus });
        addAction(action);
    }
    // A menu whose items have no action of their own.
    auto *options = new QMenu(QStringLiteral("选项(&O)"), this);
    options->addAction(QStringLiteral("工具栏"));
    options->addSeparator();
    options->addAction(QStringLiteral("纸张颜色(&C)"));

    m_popup = new QMenu(QStringLiteral("弹出"), this);
    m_popup->setObjectName(QStringLiteral("popup"));
    QAction *home = m_popup->addAction(QStringLiteral("起始位置"));
    connect(home, &QAction::triggered, this, [this] {
        m_preview->whenIdle([this] { runGuarded([this] { m_preview->PaperResize(); }); });
    });
    m_popup->addSeparator();
    navigation(m_popup, QStringLiteral("末页       End"));
    m_popup->addSeparator();
    QAction *printSheet = m_popup->addAction(QStringLiteral("打印本页"));
    connect(printSheet, &QAction::triggered, this,
        [this] { m_preview->whenIdle([this] { runGuarded([this] { printThisSheet(); }); }); });

    for (QMenu *menu : { file, pages, zoom, tools, options, m_popup })
        menu->menuAction()->setObjectName(menu->title());
}

void PreviewWindow::buildToolbar()
{
    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    Toolbar1->setMovable(false);
    // Small icons: the captions carry the meaning, and all keys fit a window of 900 pixels.
    Toolbar1->setIconSize(QSize(16, 16));
    const auto key = [this](const QString &caption, QAction *target, const QString &icon) {
        QAction *button = Toolbar1->addAction(toolbarIcon(icon), caption);
        button->setObjectName(caption);
        Toolbar1->widgetForAction(button)->setObjectName(caption);
        if (target) {
            connect(button, &QAction::triggered, target, &QAction::trigger);
            button->setEnabled(target->isEnabled());
            connect(target, &QAction::enabledChanged, button, &QAction::setEnabled);
        }
        return button;
    };
    key(QStringLiteral("打印"), m_actions.value(QStringLiteral("打印(&P)...")),
        QStringLiteral("document-print"));
    key(QStringLiteral("页面设置"), m_actions.value(QStringLiteral("页面设置(&U)...")),
        QStringLiteral("document-page-setup"));
    key(QStringLiteral("保存页面"), m_actions.value(QStringLiteral("保存页面(&S)")),
        QStringLiteral("document-save"));
    Toolbar1->addSeparator();
    key(QStringLiteral("首页"), m_actions.value(QStringLiteral("首页       Home")),
        QStringLiteral("go-first"));
    key(QStringLiteral("前页"), m_actions.value(QStringLiteral("前页       PageUp")),
        QStringLiteral("go-previous"));

    m_pageBox = new QLineEdit(Toolbar1);
    m_pageBox->setObjectName(QStringLiteral("txtPage"));
    m_pageBox->setToolTip(QStringLiteral("转到页 (Ctrl+G)"));
    m_pageBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_pageBox->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,9}")), m_pageBox));
    m_pageBox->setFixedWidth(m_pageBox->fontMetrics().horizontalAdvance(QStringLiteral("000000"))
        + 2 * m_pageBox->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8);
    m_pageBox->installEventFilter(this);
    connect(m_pageBox, &QLineEdit::returnPressed, this,
        [this] { runGuarded([this] { goToEnteredSheet(); }); });
    // Left without Enter, the box shows the sheet on screen again.
    connect(m_pageBox, &QLineEdit::editingFinished, this, [this] {
        if (m_pageBox->isModified()) {
            m_pageBox->setModified(false);
            showNavigation();
        }
    });
    m_pageCount = new QLabel(Toolbar1);
    m_pageCount->setObjectName(QStringLiteral("lblPageCount"));
    m_pageCount->setContentsMargins(4, 0, 4, 0);
    Toolbar1->addWidget(m_pageBox);
    Toolbar1->addWidget(m_pageCount);

    key(QStringLiteral("次页"), m_actions.value(QStringLiteral("次页       PageDown")),
        QStringLiteral("go-next"));
    key(QStringLiteral("尾页"), m_actions.value(QStringLiteral("尾页       End")),
        QStringLiteral("go-last"));
    Toolbar1->addSeparator();

    auto *zoomMenu = new QMenu(this);
    zoomMenu->setObjectName(QStringLiteral("比例菜单"));
    auto *zoomEntries = new QActionGroup(this);
    zoomEntries->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const auto entry = [&](const QString &name, const QString &caption, const QString &target) {
        QAction *item = zoomMenu->addAction(caption);
        item->setObjectName(name);
        item->setCheckable(true);
        item->setData(m_actions.value(target)->data());
        zoomEntries->addAction(item);
        connect(item, &QAction::triggered, m_actions.value(target), &QAction::trigger);
    };
    for (const int percent : { 25, 50, 100, 150, 200 }) {
        const QString caption = QStringLiteral("%1%").arg(percent);
        entry(QStringLiteral("z%1").arg(percent), caption, caption);
    }
    zoomMenu->addSeparator();
    entry(QStringLiteral("整页"), QStringLiteral("整页"), QStringLiteral("整页"));
    entry(QStringLiteral("页宽"), QStringLiteral("页宽"), QStringLiteral("页宽"));
    m_zoomGroups << zoomEntries;
    zoomMenu->addSeparator();
    QAction *zoomEntry = zoomMenu->addAction(QStringLiteral("指定比例..."));
    zoomEntry->setObjectName(QStringLiteral("指定比例"));
    connect(zoomEntry, &QAction::triggered, m_actions.value(QStringLiteral("指定比例(&Z) ...")),
        &QAction::trigger);
    QAction *zoom = key(QStringLiteral("比例"), nullptr, QStringLiteral("zoom-original"));
    zoom->setMenu(zoomMenu);
    connect(zoom, &QAction::triggered, this,
        [this] { m_preview->whenIdle([this] { runGuarded([this] { zoomCycle(); }); }); });
    if (auto *button = qobject_cast<QToolButton *>(Toolbar1->widgetForAction(zoom)))
        button->setPopupMode(QToolButton::MenuButtonPopup);
    // Icons alone: the two steps sit beside the zoom they change.
    for (const auto &[caption, target, icon] :
        { std::tuple {
              QStringLiteral("放大"), QStringLiteral("放大(&O)"), QStringLiteral("zoom-in") },
            std::tuple { QStringLiteral("缩小"), QStringLiteral("缩小(&I)"),
                QStringLiteral("zoom-out") } }) {
        QAction *step = key(caption, m_actions.value(target), icon);
        step->setToolTip(caption + QStringLiteral(" (")
            + m_actions.value(target)->shortcut().toString(QKeySequence::NativeText)
            + QLatin1Char(')'));
        if (auto *button = qobject_cast<QToolButton *>(Toolbar1->widgetForAction(step)))
            button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }

    key(QStringLiteral("全屏"), m_actions.value(QStringLiteral("全屏显示(&V)")),
        QStringLiteral("view-fullscreen"));
    Toolbar1->addSeparator();
    key(QStringLiteral("退出"), m_actions.value(QStringLiteral("退出(&X)")),
        QStringLiteral("window-close"));
}

void PreviewWindow::buildStatusBar()
{
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    // Room around the panels' text: the bar's own layout gives them no more than a line.
    StatusBar1->setContentsMargins(4, 0, 4, 0);
    StatusBar1->setMinimumHeight(StatusBar1->fontMetrics().height() + 12);
    std::array<QLabel *, 3> panels {};
    for (int n = 0; n < 3; ++n) {
        panels[n] = new QLabel(StatusBar1);
        panels[n]->setObjectName(QStringLiteral("panel%1").arg(n + 1));
        panels[n]->setContentsMargins(6, 0, 6, 0);
        StatusBar1->addWidget(panels[n], n == 1 ? 2 : 1);
    }
    m_statusSink = std::make_unique<StatusPanels>(panels);

    pgbPage = new QProgressBar(StatusBar1);
    pgbPage->setObjectName(QStringLiteral("pgbPage"));
    pgbPage->setRange(0, 100);
    pgbPage->setTextVisible(false);
    pgbPage->hide();
    m_progressSink = std::make_unique<ProgressOverlay>(pgbPage);
    StatusBar1->installEventFilter(this);
}

bool PreviewWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_pageBox && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        // Esc in the page box drops the number typed, not the window.
        m_pageBox->setModified(false);
        showNavigation();
        m_preview->pagePicture()->setFocus();
        return true;
    }
    if (watched == StatusBar1 && event->type() == QEvent::Resize) {
        // 20 twips right of the status bar's left edge and 50 below its top.
        const int left = roundHalfEven(20 / 15.0);
        const int top = roundHalfEven(50 / 15.0);
        pgbPage->setGeometry(left, top, std::max(1, StatusBar1->width() / 3 - left),
            std::max(1, StatusBar1->height() - 2 * top));
    }
    return QDialog::eventFilter(watched, event);
}

void PreviewWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier) {
        QDialog::keyPressEvent(event);
        return;
    }
    // The Esc that closes a menu of the window must not close the window as well, whichever
    // of the two the window system gives it to: the window closes when an Esc pressed on it,
    // with no menu open, is released.
    if (QWidget *popup = QApplication::activePopupWidget()) {
        popup->close();
        m_escapePressed = false;
    } else {
        m_escapePressed = !event->isAutoRepeat();
    }
    event->accept();
}

void PreviewWindow::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && !event->isAutoRepeat()) {
        if (std::exchange(m_escapePressed, false))
            reject();
        event->accept();
        return;
    }
    QDialog::keyReleaseEvent(event);
}

void PreviewWindow::restoreCursor()
{
    if (m_waitCursor) {
        QGuiApplication::restoreOverrideCursor();
        m_waitCursor = false;
    }
}

bool PreviewWindow::load(bool throwLoad)
{
    EngineState &s = m_job.state();
    setWindowTitle(m_job.properties().Caption);
    Surface *page = m_preview->pagePicture()->surface();
    if (!m_job.prepare(2, page, SheetJob::Checks::GridFirst, throwLoad))
        return false;
    PageSetupDialog::setPageChanged(true);
    m_preview->ScrollFollows = true;
    s.OutputMode = 2;
    s.PreviewUiActive = true;
    s.PreviewStatusBar = m_statusSink.get();
    s.PreviewProgressBar = m_progressSink.get();
    s.DrawTarget = page;
    // "整页" unless a zoom was chosen: stored with its fit when the window last closed, stored
    // alone by a version without fits, or set by the host (ZoomRatio).
    const QString storedFit = ReadSetting(RootKey::LocalMachine, kCommonKey, kZoomFitKey, {});
    auto fit = PreviewWidget::ZoomFit::None;
    if (storedFit.isEmpty()) {
        if (float(s.ZoomRate) == 1.0f && m_job.properties().ZoomRatio == 1)
            fit = PreviewWidget::ZoomFit::WholePage;
    } else {
        fit = PreviewWidget::ZoomFit(std::clamp(storedFit.toInt(), 0, 2));
    }
    if (fit != PreviewWidget::ZoomFit::None)
        m_preview->setZoomFit(fit);
    return true;
}

void PreviewWindow::open(PrintProperties &print, QWidget *parent, bool throwLoad)
{
    PreviewWindow window(print, parent);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    window.m_waitCursor = true;
    if (!window.load(throwLoad)) {
        window.restoreCursor();
        ShowMessage(window.error(), window.errorIcon());
        return;
    }
    window.setWindowState(window.windowState() | Qt::WindowMaximized);
    window.exec();
}

void PreviewWindow::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()
        && PageSetupDialog::pageChanged()) {
        // Cleared first: drawing lets events through, and one may activate the window again.
        PageSetupDialog::setPageChanged(false);
        runGuarded([this] { m_preview->renderCurrentSheet(); });
        restoreCursor();
    }
}

void PreviewWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The first sheet is drawn when the window becomes active; without a window manager
    // nothing else would make it so.
    activateWindow();
}

void PreviewWindow::reject()
{
    // Closed after the sheet being drawn: the job it draws through ends with the window.
    m_preview->whenIdle([this] {
        bool closing = false;
        runGuarded([&] { closing = queryClose(); });
        if (closing)
            QDialog::reject();
    });
}

bool PreviewWindow::queryClose()
{
    EngineState &s = m_job.state();
    if (s.FormatDirty > 0) {
        int answer = 0;
        {
            answer = ShowMessage(
                QStringLiteral("页面设置已改变，是否保存。"), 3 + 32, QStringLiteral("提示"));
        }
        if (answer == 6)
            SaveFormat(m_job.state());
        else if (answer == 7) {
            s.FormatDirty = 0;
            s.FormatDeclined = true;
        } else
            return false;
    }
    WriteSetting(RootKey::LocalMachine, kCommonKey, kZoomKey, singleToText(float(s.ZoomRate)));
    WriteSetting(
        RootKey::LocalMachine, kCommonKey, kZoomFitKey, QString::number(int(m_preview->zoomFit())));
    return true;
}

void PreviewWindow::printCommand()
{
    PrintDialog dialog(this);
    // No page setup or preview from the preview's own print: their hooks stay unset, which
    // keeps cmdpgset and cmdPreview hidden.
    if (m_job.state().ColPageCount == 1)
        dialog.hideColumnBands();
    // The paper and orientation chosen in the printer's settings are the report's from now on:
    // the page shows them, and the pages counted for the dialog's range are theirs.
    bool pageChanged = false;
    dialog.setPropertiesHook(
        [this, &pageChanged](const QString &deviceName) {
            const std::optional<PrinterPage> page = showPrinterProperties(deviceName);
            if (!page)
                return false;
            usePrinterPage(*page);
            showFormatChanges();
            pageChanged = true;
            return true;
        },
        hasPrinterProperties);
    {
        dialog.exec();
    }
    if (!dialog.blnOk) {
        // Cancel put the printer back: the page is drawn for it again.
        if (pageChanged)
            showFormatChanges();
        return;
    }
    const auto window = makePrintProgressWindow(this);
    PrintRange(dialog.request(), m_job, *window);
}

void PreviewWindow::showFormatChanges()
{
    // The job counts its sheets again and the page is placed for the new paper before the
    // sheet is drawn.
    if (!m_job.layOut(m_preview->pagePicture()->surface(), m_job.state().ZoomRate)) {
        ShowMessage(m_job.error(), m_job.errorIcon());
        return;
    }
    m_preview->PaperResize();
    m_preview->renderCurrentSheet();
}

void PreviewWindow::pageSetup()
{
    bool changed = false;
    {
        PageSetupDialog dialog(m_job.state(), this);
        dialog.setPropertiesHook(showPrinterProperties, hasPrinterProperties);
        dialog.applyTo(m_job, [this] { showFormatChanges(); });
        dialog.exec();
        changed = PageSetupDialog::pageChanged();
    }
    if (changed) {
        // Drawn here rather than when the window is active again: without a window manager it
        // may never be.
        PageSetupDialog::setPageChanged(false);
        showFormatChanges();
    }
}

void PreviewWindow::printThisSheet()
{
    EngineState &s = m_job.state();
    const PrintRequest request { s.CurRowPage, s.CurRowPage, s.CurColPage, s.CurColPage, 1,
        QStringLiteral("所有页"), 2 };
    const auto window = makePrintProgressWindow(this);
    PrintRange(request, m_job, *window);
    s.DrawTarget = m_preview->pagePicture()->surface();
}

void PreviewWindow::saveFormat()
{
    SaveFormat(m_job.state());
}

void PreviewWindow::zoomCycle()
{
    const float zoom = float(m_job.state().ZoomRate);
    double next = 1;
    if (zoom == 0.25f)
        next = 0.5;
    else if (zoom == 0.5f)
        next = 1;
    else if (zoom == 1.0f)
        next = 1.5;
    else if (zoom == 1.5f)
        next = 2;
    else if (zoom == 2.0f)
        next = 0.25;
    m_preview->setZoom(next);
}

void PreviewWindow::fullScreen()
{
    // The view puts the preview's state back itself; the picture here still shows that sheet.
    FullScreenView::showModal(m_job, this);
}

void PreviewWindow::zoomEntry()
{
    EngineState &s = m_job.state();
    InputDialog dialog(this);
    dialog.setText(zoomText(s.ZoomRate));
    dialog.exec();
    if (!dialog.blnOk)
        return;
    if (const std::optional<double> zoom = InputDialog::zoomOf(dialog.text()))
        m_preview->setZoom(*zoom);
}

void PreviewWindow::pageNumberEntry()
{
    EngineState &s = m_job.state();
    InputDialog dialog(this);
    dialog.setPrompt(QStringLiteral("请输入页码号："));
    dialog.setText(QString::number(s.CurRowPage));
    {
        dialog.exec();
    }
    if (!dialog.blnOk)
        return;
    const std::optional<double> page = parseNumber(dialog.text());
    if (!page || *page == s.CurRowPage)
        return;
    s.CurRowPage = roundHalfEven(*page);
    // Drawing counts CurSheet from the logical page the sheet starts at: the row band is the
    // sheet number only with one logical page per sheet and one column band.
    m_preview->renderCurrentSheet();
}

void PreviewWindow::goToEnteredSheet()
{
    const EngineState &s = m_job.state();
    bool number = false;
    const qint64 typed = m_pageBox->text().toLongLong(&number);
    m_pageBox->setModified(false);
    if (!number) {
        showNavigation();
    } else {
        const qint32 sheet = qint32(std::clamp<qint64>(typed, 1, std::max(1, s.SheetCount)));
        // Shown at once: while a sheet is drawn the move waits for it.
        m_pageBox->setText(QString::number(sheet));
        m_preview->goToSheet(sheet);
    }
    m_preview->pagePicture()->setFocus();
}

void PreviewWindow::showNavigation()
{
    const EngineState &s = m_job.state();
    if (!m_pageBox->isModified())
        m_pageBox->setText(QString::number(s.CurSheet));
    m_pageCount->setText(QStringLiteral("/ %1").arg(s.SheetCount));
    // As the keys have it: a move is greyed where it would do nothing.
    for (QAction *move : std::as_const(m_backMoves))
        move->setEnabled(!s.SheetNav[0]);
    for (QAction *move : std::as_const(m_forwardMoves))
        move->setEnabled(!s.SheetNav[1]);
    const int fit = -int(m_preview->zoomFit());
    for (QActionGroup *group : std::as_const(m_zoomGroups)) {
        for (QAction *entry : group->actions()) {
            const int value = entry->data().toInt();
            entry->setChecked(
                fit != 0 ? value == fit : value > 0 && float(value / 100.0) == float(s.ZoomRate));
        }
    }
}

} // namespace quillon
