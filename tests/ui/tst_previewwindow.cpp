#include "testmain.h"

#include "support/propertysheet.h"
#include "support/scripteddriver.h"
#include "support/testplatform.h"

#include "api/myprint_p.h"
#include "engine/state/previewsinks.h"
#include "engine/state/registry.h"
#include "platform/interfaces/surface.h"
#include "printer/papercodes.h"
#include "printer/virtualprintingsystem.h"
#include "ui/dialogs/printdialog.h"
#include "ui/preview/pagepicture.h"
#include "ui/preview/previewwidget.h"
#include "ui/preview/previewwindow.h"

#include <quillon/flexgrid.h>
#include <quillon/myprint.h>
#include <quillon/platform.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>

using namespace quillon;

// The preview window: placing the page, zoom, sheet navigation, the status bar, printing from
// the window, closing, and the jobs that open it.
class TestPreviewWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void paperResize_data();
    void paperResize();
    void zoomOutAfterScrollingCentresThePage();
    void draggingMovesThePageAndTheScrollValues();
    void minimumWindowSize();
    void keysPressedWhileDrawingDrawTheLatestSheet_data();
    void keysPressedWhileDrawingDrawTheLatestSheet();
    void keysPageAndRedrawOnlyWhenTheSheetChanges();
    void statusBarTexts();
    void paperNameAsTheUserKnowsIt();
    void aNewZoomShowsTheOldPictureUntilTheNewOneIsDrawn();
    void zoomCycle_data();
    void zoomCycle();
    void shortcutsOfTheHiddenMenus();
    void pageNumberEntry();
    void close_data();
    void close();
    void escapeClosesOnlyWhenNoMenuTakesIt_data();
    void escapeClosesOnlyWhenNoMenuTakesIt();
    void printCommandAndThisSheet();
    void printDialogLeftWithoutPrintingPutsThePrinterBack_data();
    void printDialogLeftWithoutPrintingPutsThePrinterBack();
    void printDialogPropertiesChangeThePage();
    void previewRefusals_data();
    void previewRefusals();
    void printDialogOpensThePreview();
    void pageSetupRedrawsAndAsksToSave_data();
    void pageSetupRedrawsAndAsksToSave();
    void printDialogOpensThePageSetup();
    void printSavesNoDeclinedPageSetup_data();
    void printSavesNoDeclinedPageSetup();
    void pageBox_data();
    void pageBox();
    void wheelAndArrowsScroll_data();
    void wheelAndArrowsScroll();
    void zoomSteps_data();
    void zoomSteps();
    void zoomMenuChecksTheZoom_data();
    void zoomMenuChecksTheZoom();
    void opensAtTheZoomItClosedAt_data();
    void opensAtTheZoomItClosedAt();

private:
    /// Opens the window, for a user who chose 100 % unless `storedZoom` is false.
    PreviewWindow *openWindow(bool storedZoom = true);
    QString panel(int n) const;
    QAction *action(const QString &text) const;
    /// The zoom entries of the toolbar's drop-down that are checked.
    QStringList checkedZoom() const;
    void wheel(
        QWidget *over, int angle, Qt::KeyboardModifiers modifiers = Qt::NoModifier, QPoint at = {});
    QScrollBar *scrollBar(const QString &name) const;

    VirtualPrintingSystem *m_system = nullptr;
    RecordingMessageSink *m_sink = nullptr;
    MemorySettingsStore *m_store = nullptr;
    FlexGrid m_grid;
    std::unique_ptr<MyPrint> m_print;
    std::unique_ptr<PreviewWindow> m_window;
};

void TestPreviewWindow::init()
{
    QList<VirtualPrinterSpec> printers(2);
    printers[0].deviceName = u"甲"_qs;
    printers[1].deviceName = u"乙"_qs;
    printers[1].color = false;
    for (VirtualPrinterSpec &printer : printers)
        printer.output = VirtualPrinterSpec::Output::Recording;
    auto system = std::make_unique<VirtualPrintingSystem>(printers, u"甲"_qs);
    m_system = system.get();
    const TestPlatform platform = TestPlatform::install(std::move(system));
    m_sink = platform.sink;
    m_store = platform.store;
    m_grid.setSize(26, 2);
    m_grid.setFixedRows(1);
    for (int r = 1; r <= 25; ++r)
        m_grid.setTextMatrix(r, 0, QString::number(r));
    m_print = std::make_unique<MyPrint>(); // installs the page pictures of the platform
    m_print->setCaption(u"报表"_qs);
    m_print->setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    m_print->setDatagrid(&m_grid);
    m_print->setLineCount(10); // 25 rows: 3 sheets
}

void TestPreviewWindow::cleanup()
{
    m_window.reset();
    m_print.reset();
    TestPlatform::uninstall();
}

PreviewWindow *TestPreviewWindow::openWindow(bool storedZoom)
{
    if (storedZoom) {
        const QString common = storePath(RootKey::LocalMachine, kCommonKey);
        m_store->createKey(common);
        m_store->setValue(common, u"ZoomRate"_qs, u"1"_qs);
        m_store->setValue(common, u"ZoomFit"_qs, u"0"_qs);
    }
    m_window.reset(); // its job first: two at once would share one
    m_window = std::make_unique<PreviewWindow>(MyPrintPrivate::get(*m_print));
    if (!m_window->load(false))
        return nullptr;
    m_window->resize(900, 700);
    m_window->show();
    // Activation draws the first sheet.
    if (!QTest::qWaitForWindowActive(m_window.get()))
        return nullptr;
    return m_window.get();
}

QString TestPreviewWindow::panel(int n) const
{
    return m_window->findChild<QLabel *>(u"panel%1"_qs.arg(n))->text();
}

QAction *TestPreviewWindow::action(const QString &text) const
{
    for (QAction *a : m_window->findChildren<QAction *>()) {
        if (a->text() == text)
            return a;
    }
    return nullptr;
}

QStringList TestPreviewWindow::checkedZoom() const
{
    QStringList names;
    for (QAction *a : m_window->findChild<QMenu *>(u"比例菜单"_qs)->actions()) {
        if (a->isChecked())
            names << a->objectName();
    }
    return names;
}

void TestPreviewWindow::wheel(QWidget *over, int angle, Qt::KeyboardModifiers modifiers, QPoint at)
{
    if (at.isNull())
        at = over->rect().center();
    QWheelEvent event(at, over->mapToGlobal(at), {}, { 0, angle }, Qt::NoButton, modifiers,
        Qt::NoScrollPhase, false);
    QApplication::sendEvent(over, &event);
}

QScrollBar *TestPreviewWindow::scrollBar(const QString &name) const
{
    return m_window->findChild<QScrollBar *>(name);
}

void TestPreviewWindow::paperResize_data()
{
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QSize>("area"); // pixels, 15 twips each
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<bool>("vertical");
    // A4 is 11900 × 16840 twips.
    QTest::newRow("fits: centred, no bars") << 0.25 << QSize(600, 400) << false << false;
    // 5950 twips wide in 5700; 8420 + 300 high in 8730: the horizontal bar then takes room the
    // page needed, but the vertical decision was taken first.
    QTest::newRow("wider only") << 0.5 << QSize(380, 582) << true << false;
    QTest::newRow("taller only") << 0.5 << QSize(800, 500) << false << true;
    QTest::newRow("both") << 1.0 << QSize(600, 400) << true << true;
}

void TestPreviewWindow::paperResize()
{
    QFETCH(double, zoom);
    QFETCH(QSize, area);
    QFETCH(bool, horizontal);
    QFETCH(bool, vertical);
    EngineState &s = engineState();
    s.PaperWidthTw = 11900;
    s.PaperHeightTw = 16840;
    s.ZoomRate = zoom;
    PreviewWidget view;
    view.resize(area);
    view.PaperResize();
    auto *h = view.findChild<QScrollBar *>(u"HScroll1"_qs);
    auto *v = view.findChild<QScrollBar *>(u"VScroll1"_qs);
    auto *background = view.findChild<QWidget *>(u"PicBackGround"_qs);
    const int barW = v->sizeHint().width() * 15;
    const int barH = h->sizeHint().height() * 15;
    QCOMPARE(!h->isHidden(), horizontal);
    QCOMPARE(!v->isHidden(), vertical);
    QCOMPARE(!view.findChild<QWidget *>(u"Picture1"_qs)->isHidden(), horizontal && vertical);
    QCOMPARE(h->value(), 0);
    QCOMPARE(v->value(), 0);

    const int pageW = qRound(zoom * 11900), pageH = qRound(zoom * 16840);
    const int areaW = area.width() * 15, areaH = area.height() * 15;
    const int viewW = areaW - (vertical ? barW : 0);
    const int viewH = areaH - (horizontal ? barH : 0);
    QCOMPARE(background->size(), QSize(viewW / 15, viewH / 15));
    QCOMPARE(view.pagePosition().x(), horizontal ? 150 : (viewW - pageW) / 2);
    QCOMPARE(view.pagePosition().y(), vertical ? 150 : (viewH - pageH) / 2);
    QCOMPARE(view.pagePicture()->size(), QSize(qRound(pageW / 15.0), qRound(pageH / 15.0)));
    if (horizontal) {
        QCOMPARE(view.OriginX, 150);
        QCOMPARE(view.StepX, qRound((pageW + 300 - viewW) / 100.0));
        QCOMPARE(h->pageStep(), qRound(100.0 / (pageW / viewW + 1)));
        QCOMPARE(h->width() * 15, viewW);
    }
    if (vertical) {
        QCOMPARE(view.OriginY, 150);
        QCOMPARE(view.StepY, qRound((pageH + 300 - viewH) / 100.0));
        QCOMPARE(v->height() * 15, viewH);
    }
}

void TestPreviewWindow::zoomOutAfterScrollingCentresThePage()
{
    EngineState &s = engineState();
    s.PaperWidthTw = 11900;
    s.PaperHeightTw = 16840;
    s.ZoomRate = 1;
    PreviewWidget view;
    view.resize(600, 400);
    view.PaperResize();
    auto *h = view.findChild<QScrollBar *>(u"HScroll1"_qs);
    auto *v = view.findChild<QScrollBar *>(u"VScroll1"_qs);
    h->setValue(100);
    v->setValue(40);
    QCOMPARE(view.pagePosition(), QPoint(150 - 100 * view.StepX, 150 - 40 * view.StepY));
    view.setZoom(0.25); // without a job nothing is drawn, the page is placed
    QVERIFY(h->isHidden() && v->isHidden());
    QCOMPARE(h->value(), 0);
    QCOMPARE(v->value(), 0);
    QCOMPARE(view.pagePosition(), QPoint((9000 - 2975) / 2, (6000 - 4210) / 2));
}

void TestPreviewWindow::draggingMovesThePageAndTheScrollValues()
{
    EngineState &s = engineState();
    s.PaperWidthTw = 11900;
    s.PaperHeightTw = 16840;
    s.ZoomRate = 1;
    PreviewWidget view;
    view.resize(600, 400);
    view.PaperResize();
    QWidget *page = view.pagePicture();
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, page->mapToGlobal(at),
            type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(page, &event);
    };
    send(QEvent::MouseButtonPress, QPoint(100, 100), Qt::LeftButton);
    QCOMPARE(page->cursor().shape(), Qt::SizeAllCursor);
    send(QEvent::MouseMove, QPoint(60, 70), Qt::LeftButton); // 40 left, 30 up
    QVERIFY(!view.ScrollFollows);
    QCOMPARE(view.pagePosition(), QPoint(150 - 600, 150 - 450));
    auto *h = view.findChild<QScrollBar *>(u"HScroll1"_qs);
    auto *v = view.findChild<QScrollBar *>(u"VScroll1"_qs);
    QCOMPARE(h->value(), qRound(600.0 / view.StepX));
    QCOMPARE(v->value(), qRound(450.0 / view.StepY));
    send(QEvent::MouseButtonRelease, QPoint(60, 70), Qt::NoButton);
    QVERIFY(view.ScrollFollows);
    QCOMPARE(page->cursor().shape(), Qt::ArrowCursor);
    // Dragged past the end, the page goes on; the scroll value stops at 100.
    send(QEvent::MouseButtonPress, QPoint(500, 300), Qt::LeftButton);
    send(QEvent::MouseMove, QPoint(0, 300), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, QPoint(0, 300), Qt::NoButton);
    QCOMPARE(view.pagePosition().x(), 150 - 600 - 7500);
    QCOMPARE(h->value(), 100);
}

void TestPreviewWindow::minimumWindowSize()
{
    QVERIFY(openWindow());
    m_window->resize(100, 100);
    QCOMPARE(m_window->size(), QSize(467, 267)); // 7000 × 4000 twips
}

void TestPreviewWindow::keysPressedWhileDrawingDrawTheLatestSheet_data()
{
    QTest::addColumn<QList<int>>("keys"); // the first is pressed, the others come while it draws
    QTest::addColumn<int>("sheet");
    QTest::newRow("page down held") << QList<int>(10, Qt::Key_PageDown) << 11;
    QTest::newRow("past the last sheet") << QList<int>(30, Qt::Key_PageDown) << 25;
    QTest::newRow("down, down, home")
        << QList<int> { Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_Home } << 1;
    QTest::newRow("end, then up twice")
        << QList<int> { Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageUp } << 23;
}

void TestPreviewWindow::keysPressedWhileDrawingDrawTheLatestSheet()
{
    QFETCH(QList<int>, keys);
    QFETCH(int, sheet);
    m_print->setLineCount(1); // 25 sheets
    QVERIFY(openWindow());
    PagePicture *page = m_window->preview()->pagePicture();
    // Posted together, as auto-repeat delivers them: all but the first arrive while the sheet
    // of the first is drawn, which lets events through.
    for (const int key : keys)
        QCoreApplication::postEvent(page, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
    QCoreApplication::processEvents();
    QVERIFY(m_sink->messages().isEmpty());
    QCOMPARE(panel(1), u"第 %1 页 共 25 页"_qs.arg(sheet));
    // The picture is the sheet the status bar names.
    const QImage shown = page->picture().copy();
    m_window->preview()->renderCurrentSheet();
    QCOMPARE(page->picture(), shown);
    QCOMPARE(engineState().CurRowPage, sheet);
}

void TestPreviewWindow::keysPageAndRedrawOnlyWhenTheSheetChanges()
{
    QVERIFY(openWindow());
    QWidget *page = m_window->findChild<QWidget *>(u"picPageView"_qs);
    QSignalSpy drawn(m_window->preview(), &PreviewWidget::previewChanged);
    const auto press = [&](Qt::Key key) {
        drawn.clear();
        QTest::keyClick(page, key);
        return drawn.count() > 0;
    };
    const auto greyed = [this] {
        QStringList names;
        for (const QString &name : { u"首页"_qs, u"前页"_qs, u"次页"_qs, u"尾页"_qs }) {
            if (!m_window->findChild<QWidget *>(name)->isEnabled())
                names << name;
        }
        return names.join(QLatin1Char(' '));
    };
    QCOMPARE(greyed(), u"首页 前页"_qs);
    QVERIFY(!action(u"首页       Home"_qs)->isEnabled());
    QVERIFY(press(Qt::Key_PageDown));
    QCOMPARE(panel(1), u"第 2 页 共 3 页"_qs);
    QCOMPARE(greyed(), QString());
    QVERIFY(press(Qt::Key_End));
    QCOMPARE(panel(1), u"第 3 页 共 3 页"_qs);
    QCOMPARE(greyed(), u"次页 尾页"_qs);
    // The popup menu's moves are greyed alike.
    for (QAction *a : m_window->findChild<QMenu *>(u"popup"_qs)->actions()) {
        const bool forward = a->text().startsWith(u"次页"_qs) || a->text().startsWith(u"末页"_qs);
        QVERIFY2(a->isEnabled() != forward, qPrintable(a->text()));
    }
    QVERIFY(!press(Qt::Key_PageDown));
    QVERIFY(!press(Qt::Key_End));
    QVERIFY(press(Qt::Key_PageUp));
    QCOMPARE(panel(1), u"第 2 页 共 3 页"_qs);
    QVERIFY(press(Qt::Key_Home));
    QCOMPARE(panel(1), u"第 1 页 共 3 页"_qs);
    QVERIFY(!press(Qt::Key_Home));
    QVERIFY(!press(Qt::Key_PageUp));
    // The toolbar's keys run the same moves.
    m_window->findChild<QAction *>(u"尾页"_qs)->trigger();
    QCOMPARE(panel(1), u"第 3 页 共 3 页"_qs);
    m_window->findChild<QAction *>(u"首页"_qs)->trigger();
    QCOMPARE(panel(1), u"第 1 页 共 3 页"_qs);
    m_window->findChild<QAction *>(u"次页"_qs)->trigger();
    QCOMPARE(panel(1), u"第 2 页 共 3 页"_qs);
    m_window->findChild<QAction *>(u"前页"_qs)->trigger();
    QCOMPARE(panel(1), u"第 1 页 共 3 页"_qs);
}

void TestPreviewWindow::paperNameAsTheUserKnowsIt()
{
    m_print->setPaperSize(5);
    QVERIFY(openWindow());
    QCOMPARE(panel(2), u"纸张:法律专用纸"_qs); // the printer lists Legal
}

void TestPreviewWindow::statusBarTexts()
{
    QVERIFY(openWindow());
    QCOMPARE(m_window->windowTitle(), u"报表"_qs);
    QCOMPARE(panel(1), u"第 1 页 共 3 页"_qs);
    QCOMPARE(panel(2), u"纸张:"_qs + PaperCodes::name(9));
    QCOMPARE(panel(3), u"显示比例:100%"_qs);
    // The progress bar shows only once a sheet has taken half a second: it never flashes.
    auto *bar = m_window->findChild<QProgressBar *>(u"pgbPage"_qs);
    PreviewProgressSink *progress = engineState().PreviewProgressBar;
    progress->setVisible(true);
    progress->setValue(10);
    QVERIFY(bar->isHidden());
    QTest::qSleep(520);
    progress->setValue(20);
    QVERIFY(bar->isVisible());
    progress->setVisible(false);
    QVERIFY(bar->isHidden());
    m_window->preview()->setZoom(0.75);
    QCOMPARE(panel(3), u"显示比例:75%"_qs);
    // The sheet was drawn: its picture is not blank and is as large as the page on screen.
    const QImage &picture = m_window->preview()->pagePicture()->picture();
    const qreal ratio = m_window->devicePixelRatioF();
    QCOMPARE(picture.size(), m_window->preview()->pagePicture()->size() * ratio);
    QCOMPARE(picture.size(), QSize(qRound(11900 * 0.75 / 15), qRound(16840 * 0.75 / 15)));
    bool inked = false;
    for (int y = 0; y < picture.height() && !inked; ++y) {
        for (int x = 0; x < picture.width() && !inked; ++x)
            inked = qGray(picture.pixel(x, y)) < 128;
    }
    QVERIFY(inked);
}

void TestPreviewWindow::aNewZoomShowsTheOldPictureUntilTheNewOneIsDrawn()
{
    QVERIFY(openWindow());
    PagePicture *page = m_window->preview()->pagePicture();
    const auto inked = [](const QImage &image) {
        for (int y = 0; y < image.height(); y += 2) {
            for (int x = 0; x < image.width(); x += 2) {
                if (qGray(image.pixel(x, y)) < 128)
                    return true;
            }
        }
        return false;
    };
    // As a zoom does: the picture takes its new size, then a new drawing starts on it.
    page->resize(page->size() * 2);
    page->surfaceForDrawing()->Cls();
    QVERIFY(inked(page->grab().toImage()));
}

void TestPreviewWindow::zoomCycle_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::newRow("0.25") << 0.25 << 0.5;
    QTest::newRow("0.5") << 0.5 << 1.0;
    QTest::newRow("1") << 1.0 << 1.5;
    QTest::newRow("1.5") << 1.5 << 2.0;
    QTest::newRow("2") << 2.0 << 0.25;
    QTest::newRow("0.8, not in the cycle") << 0.8 << 1.0;
}

void TestPreviewWindow::zoomCycle()
{
    QFETCH(double, from);
    QFETCH(double, to);
    QVERIFY(openWindow());
    engineState().ZoomRate = double(float(from));
    m_window->findChild<QAction *>(u"比例"_qs)->trigger();
    QCOMPARE(engineState().ZoomRate, to);
    QCOMPARE(panel(3), u"显示比例:%1%"_qs.arg(to * 100));
    // The drop-down's items set a zoom of their own.
    m_window->findChild<QAction *>(u"z150"_qs)->trigger();
    QCOMPARE(engineState().ZoomRate, 1.5);
}

void TestPreviewWindow::shortcutsOfTheHiddenMenus()
{
    QVERIFY(openWindow());
    // Ctrl+Z: the zoom entry, with the zoom as the status bar shows it, and takes it so.
    QString shownText;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog && dialog->objectName() == u"Dialog"_qs);
        auto *text = dialog->findChild<QLineEdit *>(u"txtInput"_qs);
        shownText = text->text();
        text->setText(u"125%"_qs);
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"OKButton"_qs), Qt::LeftButton);
    });
    QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(shownText, u"100%"_qs);
    QCOMPARE(engineState().ZoomRate, 1.25);
    QCOMPARE(panel(3), u"显示比例:125%"_qs);
    // Ctrl+P: the print dialog, cancelled. (The offscreen platform does not give the focus
    // back to the window when a dialog closes.)
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    bool printDialog = false;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        printDialog = dialog && dialog->objectName() == u"frmPrint"_qs;
        if (dialog)
            QTest::mouseClick(dialog->findChild<QPushButton *>(u"cmdcance"_qs), Qt::LeftButton);
    });
    QTest::keyClick(m_window.get(), Qt::Key_P, Qt::ControlModifier);
    QVERIFY(printDialog);
    QVERIFY(m_system->documents().isEmpty());
    // Commands that have no window behind them yet, and the send and export items.
    for (const QString &text :
        { u"邮件收件人(&M)..."_qs, u"传送收件人(&R)..."_qs, u"传真收件人(&F)..."_qs,
            u"HTML(HTM) 格式..."_qs, u"Excel(xls) 格式..."_qs, u"文本(TXT)   格式..."_qs })
        QVERIFY2(action(text) && !action(text)->isEnabled(), qPrintable(text));
    QVERIFY(action(u"页面设置(&U)..."_qs)->isEnabled());
    QVERIFY(m_window->findChild<QAction *>(u"页面设置"_qs)->isEnabled());
    // The full-screen view opens on the sheet shown and gives it back as it was.
    const qint32 sheet = engineState().CurSheet;
    QString opened;
    QTimer poll; // the view shows after its first sheet is drawn
    connect(&poll, &QTimer::timeout, this, [&] {
        QWidget *view = QApplication::activeModalWidget();
        if (!view || view->objectName() != u"frmfullscreen"_qs)
            return;
        poll.stop();
        opened = view->objectName();
        QWidget *page = view->findChild<QWidget *>(u"picPage"_qs);
        QTest::keyClick(page ? page : view, Qt::Key_Escape);
        if (view->isVisible())
            view->close(); // never hang the test on a key the view missed
    });
    poll.start(20);
    m_window->findChild<QAction *>(u"全屏"_qs)->trigger();
    QCOMPARE(opened, u"frmfullscreen"_qs);
    QCOMPARE(engineState().CurSheet, sheet);
}

void TestPreviewWindow::pageNumberEntry()
{
    QVERIFY(openWindow());
    QString prompt;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        prompt = dialog->findChild<QLabel *>(u"lblPrompt"_qs)->text();
        dialog->findChild<QLineEdit *>(u"txtInput"_qs)->setText(u"3"_qs);
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"OKButton"_qs), Qt::LeftButton);
    });
    action(u"指定页码(&G)"_qs)->trigger();
    QCOMPARE(prompt, u"请输入页码号："_qs);
    QCOMPARE(engineState().CurRowPage, 3);
    QCOMPARE(panel(1), u"第 3 页 共 3 页"_qs);
    QVERIFY(engineState().SheetNav[1]);
}

void TestPreviewWindow::close_data()
{
    QTest::addColumn<int>("dirty");
    QTest::addColumn<QList<int>>("answers"); // to the save question, in turn
    QTest::addColumn<bool>("saved");
    QTest::newRow("unchanged: no question") << 0 << QList<int> {} << false;
    QTest::newRow("changed, Yes saves") << 1 << QList<int> { 6 } << true;
    QTest::newRow("changed, No") << 1 << QList<int> { 7 } << false;
    // Cancel keeps the window open; the next close asks again.
    QTest::newRow("changed, Cancel, then Yes") << 1 << QList<int> { 2, 6 } << true;
    QTest::newRow("changed, Cancel, then No") << 1 << QList<int> { 2, 7 } << false;
}

void TestPreviewWindow::close()
{
    QFETCH(int, dirty);
    QFETCH(QList<int>, answers);
    QFETCH(bool, saved);
    QVERIFY(openWindow());
    EngineState &s = engineState();
    m_window->preview()->setZoom(1.5);
    s.Format.Left = 33;
    s.FormatDirty = qint16(dirty);
    m_sink->clear();
    const QString common = storePath(RootKey::LocalMachine, kCommonKey);
    m_store->setValue(common, u"ZoomRate"_qs, u"1"_qs);
    for (int i = 0; i < answers.size(); ++i) {
        m_sink->scriptAnswer(answers[i]);
        m_window->close();
        const bool last = i == answers.size() - 1;
        QCOMPARE(m_window->isVisible(), !last);
        QCOMPARE(m_sink->messages().size(), i + 1);
        const auto &question = m_sink->messages()[i];
        QCOMPARE(question.prompt, u"页面设置已改变，是否保存。"_qs);
        QCOMPARE(question.title, u"提示"_qs);
        QCOMPARE(question.buttons & 0xFF, 3 + 32);
        QCOMPARE(m_store->value(common, u"ZoomRate"_qs), last ? u"1.5"_qs : u"1"_qs);
    }
    if (answers.isEmpty()) {
        m_window->close();
        QVERIFY(m_sink->messages().isEmpty());
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_store->value(common, u"ZoomRate"_qs), u"1.5"_qs);
    }
    QCOMPARE(s.FormatDirty, 0);
    QCOMPARE(formatValue(m_print->PrintKeyName(), u"Left"_qs) == u"33"_qs, saved);
}

void TestPreviewWindow::escapeClosesOnlyWhenNoMenuTakesIt_data()
{
    QTest::addColumn<bool>("menuOpen");
    QTest::addColumn<bool>("press"); // else only the release reaches the window
    QTest::addColumn<bool>("closes");
    QTest::newRow("Esc") << false << true << true;
    QTest::newRow("Esc while the popup menu is open") << true << true << false;
    QTest::newRow("the release of the Esc a menu took") << false << false << false;
}

void TestPreviewWindow::escapeClosesOnlyWhenNoMenuTakesIt()
{
    QFETCH(bool, menuOpen);
    QFETCH(bool, press);
    QFETCH(bool, closes);
    QVERIFY(openWindow());
    QWidget *page = m_window->preview()->pagePicture();
    auto *popup = m_window->findChild<QMenu *>(u"popup"_qs);
    if (menuOpen) {
        QTest::mouseClick(page, Qt::RightButton);
        QTRY_VERIFY(popup->isVisible());
    }
    if (press)
        QTest::keyPress(page, Qt::Key_Escape);
    QTest::keyRelease(page, Qt::Key_Escape);
    QCOMPARE(m_window->isVisible(), !closes);
    QVERIFY(!popup->isVisible());
}

void TestPreviewWindow::printCommandAndThisSheet()
{
    QVERIFY(openWindow());
    QTest::keyClick(m_window->findChild<QWidget *>(u"picPageView"_qs), Qt::Key_PageDown);
    bool controls = false;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog && dialog->objectName() == u"frmPrint"_qs);
        // No page setup or preview from here; the current page is offered.
        controls = dialog->findChild<QWidget *>(u"cmdpgset"_qs)->isHidden()
            && dialog->findChild<QWidget *>(u"cmdPreview"_qs)->isHidden()
            && !dialog->findChild<QWidget *>(u"OptCrtPage"_qs)->isHidden()
            && dialog->findChild<QWidget *>(u"txtMPB"_qs)->isHidden();
        dialog->findChild<QRadioButton *>(u"OptCrtPage"_qs)->setChecked(true);
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"cmdprint"_qs), Qt::LeftButton);
    });
    m_window->findChild<QAction *>(u"打印"_qs)->trigger();
    QVERIFY(controls);
    QCOMPARE(m_system->documents().size(), 1);
    QCOMPARE(m_system->documents()[0].pageCount, 1);
    QVERIFY(m_system->documents()[0].pages[0].contains(u"\"11\""_qs));
    // The preview goes on as it was, on its own page picture.
    EngineState &s = engineState();
    QCOMPARE(s.DrawTarget, static_cast<Surface *>(m_window->preview()->pagePicture()->surface()));
    QCOMPARE(s.OutputMode, 2);
    QCOMPARE(s.CurRowPage, 2);
    QCOMPARE(s.ZoomRate, 1.0);

    // "打印本页" from the page's popup menu: the sheet on screen, at once.
    QTest::keyClick(m_window->findChild<QWidget *>(u"picPageView"_qs), Qt::Key_End);
    QMenu *popup = m_window->findChild<QMenu *>(u"popup"_qs);
    QAction *printSheet = nullptr;
    for (QAction *a : popup->actions())
        printSheet = a->text() == u"打印本页"_qs ? a : printSheet;
    QVERIFY(printSheet);
    printSheet->trigger();
    QCOMPARE(m_system->documents().size(), 2);
    QCOMPARE(m_system->documents()[1].pageCount, 1);
    QVERIFY(m_system->documents()[1].pages[0].contains(u"\"25\""_qs));
    QCOMPARE(s.DrawTarget, static_cast<Surface *>(m_window->preview()->pagePicture()->surface()));
    QCOMPARE(s.CurRowPage, 3);
    QCOMPARE(panel(1), u"第 3 页 共 3 页"_qs);
}

void TestPreviewWindow::printDialogLeftWithoutPrintingPutsThePrinterBack_data()
{
    QTest::addColumn<bool>("escape"); // else the Cancel button
    QTest::newRow("Esc") << true;
    QTest::newRow("取消") << false;
}

void TestPreviewWindow::printDialogLeftWithoutPrintingPutsThePrinterBack()
{
    QFETCH(bool, escape);
    QVERIFY(openWindow());
    engineState().Format.ColorPrint = 1; // red lines, on a colour printer only
    engineState().Format.GridColor = 0x0000FF;
    m_window->preview()->renderCurrentSheet();
    const QImage before = m_window->preview()->pagePicture()->picture().copy();
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        dialog->findChild<QComboBox *>(u"CboPrinter"_qs)->setCurrentText(u"乙"_qs);
        if (escape)
            QTest::keyClick(dialog, Qt::Key_Escape);
        else
            QTest::mouseClick(dialog->findChild<QPushButton *>(u"cmdcance"_qs), Qt::LeftButton);
    });
    m_window->findChild<QAction *>(u"打印"_qs)->trigger();
    m_window->preview()->renderCurrentSheet();
    QCOMPARE(m_window->preview()->pagePicture()->picture(), before);
    for (QAction *a : m_window->findChild<QMenu *>(u"popup"_qs)->actions()) {
        if (a->text() == u"打印本页"_qs)
            a->trigger();
    }
    QCOMPARE(m_system->documents().size(), 1);
    QCOMPARE(m_system->documents()[0].printer, u"甲"_qs);
}

void TestPreviewWindow::printDialogPropertiesChangeThePage()
{
    auto owned = std::make_unique<ScriptedPrinterDriver>();
    auto &printer = owned->add(u"甲"_qs);
    printer.codes = { 9, 11 };
    printer.paperNames = { u"A4"_qs, u"A5"_qs };
    printer.pageCodes = { { u"A4"_qs, 9 }, { u"A5"_qs, 11 } };
    printer.sheetOptions = { { u"PageSize"_qs, u"Media Size"_qs,
                                 { { u"A4"_qs, u"A4"_qs }, { u"A5"_qs, u"A5"_qs } }, u"A4"_qs },
        { u"orientation-requested"_qs, u"Orientation"_qs,
            { { u"3"_qs, u"Portrait"_qs }, { u"4"_qs, u"Landscape"_qs } }, u"3"_qs } };
    setPrinterDriver(std::move(owned));
    QVERIFY(openWindow());
    QCOMPARE(panel(2), u"纸张:A4"_qs);
    bool offered = false;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog && dialog->objectName() == u"frmPrint"_qs);
        auto *properties = dialog->findChild<QPushButton *>(u"command1"_qs);
        offered = properties->isVisible() && properties->isEnabled();
        answerNextPropertySheet(
            { { u"PageSize"_qs, u"A5"_qs }, { u"orientation-requested"_qs, u"4"_qs } });
        properties->click();
        dialog->findChild<QPushButton *>(u"cmdcance"_qs)->click();
    });
    m_window->findChild<QAction *>(u"打印"_qs)->trigger();
    QVERIFY(offered);
    // The page shows the paper and orientation chosen there; closing offers to save them.
    QCOMPARE(panel(2), u"纸张:A5"_qs);
    const QImage &picture = m_window->preview()->pagePicture()->picture();
    QVERIFY(picture.width() > picture.height());
    QCOMPARE(engineState().Format.PaperSize, 11);
    QCOMPARE(engineState().Format.PaperOriention, 2);
    QCOMPARE(engineState().FormatDirty, 1);
    QVERIFY(m_sink->messages().isEmpty());
}

void TestPreviewWindow::previewRefusals_data()
{
    QTest::addColumn<bool>("printers");
    QTest::addColumn<bool>("kind");
    QTest::addColumn<bool>("grid");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("icon");
    QTest::newRow("no printer") << false << true << true << u"请先安装打印机。"_qs << 48;
    // The grid is tested before its kind: with neither, only the grid's message shows.
    QTest::newRow("no kind, no grid")
        << true << false << false << u"网格数据（.datagrid）没有指定。"_qs << 0;
    QTest::newRow("no kind") << true << false << true << u"网格类型(.gridtype)不能为空。"_qs << 0;
}

void TestPreviewWindow::previewRefusals()
{
    QFETCH(bool, printers);
    QFETCH(bool, kind);
    QFETCH(bool, grid);
    QFETCH(QString, message);
    QFETCH(int, icon);
    if (!printers)
        setPrintingSystem(std::make_unique<VirtualPrintingSystem>(QList<VirtualPrinterSpec> {}));
    if (!kind)
        m_print->setGridType(MyPrint::MnuGridType(0));
    if (!grid)
        m_print->setDatagrid(nullptr);
    QVERIFY(QMetaObject::invokeMethod(m_print.get(), "preview"));
    QCOMPARE(m_sink->messages().size(), 1);
    QCOMPARE(m_sink->messages()[0].prompt, message);
    QCOMPARE(m_sink->messages()[0].buttons & 0xFF, icon);
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(engineState().PreviewStatusBar, nullptr);
}

void TestPreviewWindow::printDialogOpensThePreview()
{
    QString previewStatus;
    bool printerAgain = false;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog && dialog->objectName() == u"frmPrint"_qs);
        auto *previewButton = dialog->findChild<QPushButton *>(u"cmdPreview"_qs);
        QVERIFY(!previewButton->isHidden());
        QTimer::singleShot(0, [&] {
            QWidget *window = QApplication::activeModalWidget();
            QVERIFY(window && window->objectName() == u"frmpreview"_qs);
            QVERIFY(QTest::qWaitForWindowActive(window));
            previewStatus = window->findChild<QLabel *>(u"panel1"_qs)->text();
            window->close();
        });
        QTest::mouseClick(previewButton, Qt::LeftButton);
        // Back in the dialog, the job is on the printer again.
        const EngineState &s = engineState();
        printerAgain = s.OutputMode == 1 && s.DrawTarget == printingSystem().currentPrinter()
            && s.PreviewStatusBar == nullptr && s.RowPageCount == 3;
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"cmdprint"_qs), Qt::LeftButton);
    });
    m_print->Printout();
    QCOMPARE(previewStatus, u"第 1 页 共 3 页"_qs);
    QVERIFY(printerAgain);
    QCOMPARE(m_system->documents().size(), 1);
    QCOMPARE(m_system->documents()[0].pageCount, 3);
    QVERIFY(m_print->documentSent());
    // The host learns that a cancelled dialog printed nothing.
    QTimer::singleShot(
        0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
    m_print->Printout();
    QVERIFY(!m_print->documentSent());
}

void TestPreviewWindow::pageSetupRedrawsAndAsksToSave_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("dirty");
    QTest::newRow("OK") << u"command1(0)"_qs << u"第 1 页 共 5 页"_qs << 1;
    QTest::newRow("Cancel") << u"command1(1)"_qs << u"第 1 页 共 3 页"_qs << 0;
    // Apply draws the sheet at once and saves; the dialog stays until it is closed.
    QTest::newRow("Apply") << u"command1(2)"_qs << u"第 1 页 共 5 页"_qs << 0;
}

void TestPreviewWindow::pageSetupRedrawsAndAsksToSave()
{
    QFETCH(QString, button);
    QFETCH(QString, status);
    QFETCH(int, dirty);
    QVERIFY(openWindow());
    QCOMPARE(panel(1), u"第 1 页 共 3 页"_qs);
    QString applied;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog && dialog->objectName() == u"frmpagesetup"_qs);
        QCOMPARE(dialog->findChild<QPushButton *>(u"command1(2)"_qs)->text(), u"应用(&A)"_qs);
        dialog->findChild<QLineEdit *>(u"txtLineCount"_qs)->setText(u"5"_qs); // 25 rows: 5 sheets
        QTest::mouseClick(dialog->findChild<QPushButton *>(button), Qt::LeftButton);
        applied = panel(1);
        if (dialog->isVisible())
            dialog->close();
    });
    QTest::keyClick(m_window.get(), Qt::Key_U, Qt::ControlModifier);
    if (button == u"command1(2)"_qs)
        QCOMPARE(applied, status);
    QCOMPARE(panel(1), status);
    QCOMPARE(engineState().FormatDirty, dirty);
    QCOMPARE(formatValue(m_print->PrintKeyName(), u"LineCount"_qs) == u"5"_qs,
        button == u"command1(2)"_qs);
    m_sink->clear();
    m_sink->scriptAnswer(6);
    m_window->close();
    QCOMPARE(m_sink->messages().size(), dirty);
    if (dirty)
        QCOMPARE(formatValue(m_print->PrintKeyName(), u"LineCount"_qs), u"5"_qs);
}

void TestPreviewWindow::printDialogOpensThePageSetup()
{
    QString caption;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog && dialog->objectName() == u"frmPrint"_qs);
        QTimer::singleShot(0, [&] {
            QWidget *setup = QApplication::activeModalWidget();
            QVERIFY(setup && setup->objectName() == u"frmpagesetup"_qs);
            caption = setup->findChild<QPushButton *>(u"command1(2)"_qs)->text();
            setup->findChild<QLineEdit *>(u"txtLineCount"_qs)->setText(u"5"_qs);
            QTest::mouseClick(setup->findChild<QPushButton *>(u"command1(0)"_qs), Qt::LeftButton);
        });
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"cmdpgset"_qs), Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"cmdprint"_qs), Qt::LeftButton);
    });
    m_print->Printout();
    QCOMPARE(caption, u"保存(&S)"_qs);
    // Printed as the page setup left it: 5 rows a page.
    QCOMPARE(m_system->documents().size(), 1);
    QCOMPARE(m_system->documents()[0].pageCount, 5);
}

void TestPreviewWindow::printSavesNoDeclinedPageSetup_data()
{
    QTest::addColumn<int>("answer"); // to "页面设置已改变，是否保存。"
    QTest::addColumn<QString>("top");
    QTest::addColumn<QString>("lines");
    QTest::newRow("No keeps the stored format") << 7 << u"10"_qs << u"10"_qs;
    QTest::newRow("Yes saves the new one") << 6 << u"33"_qs << u"5"_qs;
}

void TestPreviewWindow::printSavesNoDeclinedPageSetup()
{
    QFETCH(int, answer);
    QFETCH(QString, top);
    QFETCH(QString, lines);
    // Print dialog, its preview, the preview's page setup with a new margin and 5 rows a page,
    // the preview closed with the answer, then Print without colour.
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog && dialog->objectName() == u"frmPrint"_qs);
        QTimer::singleShot(0, [&] {
            QWidget *window = QApplication::activeModalWidget();
            QVERIFY(window && window->objectName() == u"frmpreview"_qs);
            QVERIFY(QTest::qWaitForWindowActive(window));
            QTimer::singleShot(0, [&] {
                QWidget *setup = QApplication::activeModalWidget();
                QVERIFY(setup && setup->objectName() == u"frmpagesetup"_qs);
                setup->findChild<QLineEdit *>(u"txtMargin(0)"_qs)->setText(u"33"_qs);
                setup->findChild<QLineEdit *>(u"txtLineCount"_qs)->setText(u"5"_qs);
                QTest::mouseClick(
                    setup->findChild<QPushButton *>(u"command1(0)"_qs), Qt::LeftButton);
            });
            QTest::keyClick(window, Qt::Key_U, Qt::ControlModifier);
            m_sink->scriptAnswer(answer);
            window->close();
        });
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"cmdPreview"_qs), Qt::LeftButton);
        dialog->findChild<QCheckBox *>(u"chkColor"_qs)->setChecked(false);
        QTest::mouseClick(dialog->findChild<QPushButton *>(u"cmdprint"_qs), Qt::LeftButton);
    });
    m_print->Printout();
    const QString key = m_print->PrintKeyName();
    QCOMPARE(formatValue(key, u"Top"_qs), top);
    QCOMPARE(formatValue(key, u"LineCount"_qs), lines);
    QCOMPARE(formatValue(key, u"ColorPrint"_qs), u"0"_qs); // the print dialog's own choice
    // Printed as the preview last showed it: 5 rows a page.
    QCOMPARE(m_system->documents().size(), 1);
    QCOMPARE(m_system->documents()[0].pageCount, 5);
}

void TestPreviewWindow::pageBox_data()
{
    QTest::addColumn<QString>("typed"); // after Ctrl+G on sheet 5 of 25
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<int>("sheet");
    QTest::newRow("a sheet") << u"10"_qs << Qt::Key_Return << 10;
    QTest::newRow("past the last: the last") << u"99"_qs << Qt::Key_Enter << 25;
    QTest::newRow("0: the first") << u"0"_qs << Qt::Key_Return << 1;
    QTest::newRow("Esc drops the number") << u"12"_qs << Qt::Key_Escape << 5;
}

void TestPreviewWindow::pageBox()
{
    QFETCH(QString, typed);
    QFETCH(Qt::Key, key);
    QFETCH(int, sheet);
    m_print->setLineCount(1);
    QVERIFY(openWindow());
    auto *box = m_window->findChild<QLineEdit *>(u"txtPage"_qs);
    QCOMPARE(m_window->findChild<QLabel *>(u"lblPageCount"_qs)->text(), u"/ 25"_qs);
    m_window->preview()->goToSheet(5);
    QCOMPARE(box->text(), u"5"_qs);
    QTest::keyClick(m_window.get(), Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(box->selectedText(), u"5"_qs);
    QTest::keyClicks(box, typed);
    QTest::keyClick(box, key);
    QCOMPARE(panel(1), u"第 %1 页 共 25 页"_qs.arg(sheet));
    QCOMPARE(box->text(), QString::number(sheet));
    QVERIFY(m_window->isVisible());
    QVERIFY(m_window->preview()->pagePicture()->hasFocus()); // the keys page again
    // Gone while a number is typed: the box losing the focus reads no job that went before it.
    QTest::keyClick(m_window.get(), Qt::Key_G, Qt::ControlModifier);
    QTest::keyClicks(box, u"3"_qs);
    m_window.reset();
}

void TestPreviewWindow::wheelAndArrowsScroll_data()
{
    QTest::addColumn<double>("zoom"); // 0: "整页"
    QTest::addColumn<QList<int>>("from"); // sheet of 3, vertical scroll value
    QTest::addColumn<QString>("over");
    QTest::addColumn<int>("input"); // a wheel's angle, 120 a notch up; else a key
    QTest::addColumn<QList<int>>("to"); // sheet, vertical scroll value (-1: not checked)
    QTest::addColumn<QPointF>("tenths"); // how far the page moved, in tenths of its size
    const QString page = u"picPageView"_qs;
    const QList<int> top { 1, 0 };
    QTest::newRow("wheel down") << 2.0 << top << page << -120 << QList<int> { 1, -1 }
                                << QPointF(0, -1);
    QTest::newRow("over the vertical bar")
        << 2.0 << top << u"VScroll1"_qs << -120 << QList<int> { 1, -1 } << QPointF(0, -1);
    QTest::newRow("over the horizontal bar: across")
        << 2.0 << top << u"HScroll1"_qs << -120 << QList<int> { 1, 0 } << QPointF(-1, 0);
    QTest::newRow("arrow down") << 2.0 << top << page << int(Qt::Key_Down) << QList<int> { 1, -1 }
                                << QPointF(0, -0.5);
    QTest::newRow("past the bottom: the next sheet's top")
        << 2.0 << QList<int> { 1, 100 } << page << -120 << QList<int> { 2, 0 } << QPointF();
    QTest::newRow("past the top: the previous sheet's bottom")
        << 2.0 << QList<int> { 2, 0 } << page << 120 << QList<int> { 1, 100 } << QPointF();
    QTest::newRow("whole page: a notch, a sheet")
        << 0.0 << QList<int> { 2, 0 } << page << 120 << QList<int> { 1, 0 } << QPointF();
}

void TestPreviewWindow::wheelAndArrowsScroll()
{
    QFETCH(double, zoom);
    QFETCH(QList<int>, from);
    QFETCH(QString, over);
    QFETCH(int, input);
    QFETCH(QList<int>, to);
    QFETCH(QPointF, tenths);
    QVERIFY(openWindow());
    PreviewWidget *view = m_window->preview();
    if (zoom > 0)
        view->setZoom(zoom);
    else
        m_window->findChild<QAction *>(u"整页"_qs)->trigger();
    view->goToSheet(from[0]);
    QScrollBar *bar = scrollBar(u"VScroll1"_qs);
    bar->setValue(from[1]);
    const QPoint before = view->pagePosition();
    QWidget *target = m_window->findChild<QWidget *>(over);
    if (std::abs(input) <= 120)
        wheel(target, input);
    else
        QTest::keyClick(target, Qt::Key(input));
    QCOMPARE(panel(1), u"第 %1 页 共 3 页"_qs.arg(to[0]));
    if (to[1] >= 0)
        QCOMPARE(bar->value(), to[1]);
    if (to[0] != from[0]) {
        // The new sheet shows where its bar says, or without one where the page was.
        QCOMPARE(view->pagePosition().y(),
            bar->isVisible() ? view->OriginY - bar->value() * view->StepY : before.y());
        return;
    }
    // The bars count steps of StepX and StepY twips: the page moves to the nearest.
    const QPoint moved = view->pagePosition() - before;
    const QSize size = view->pagePicture()->size() * 15;
    QVERIFY2(std::abs(moved.x() - tenths.x() * size.width() / 10) <= std::max(view->StepX, 0)
            && std::abs(moved.y() - tenths.y() * size.height() / 10) <= std::max(view->StepY, 0),
        qPrintable(u"moved %1, %2"_qs.arg(moved.x()).arg(moved.y())));
}

void TestPreviewWindow::zoomSteps_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<int>("angle"); // of Ctrl+wheel, 120 a notch up; 0: the key
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<double>("zoom");
    const QKeyCombination none;
    QTest::newRow("Ctrl+wheel up") << 2.0 << 120 << none << 2.1;
    QTest::newRow("Ctrl+wheel down") << 2.0 << -120 << none << 1.9;
    QTest::newRow("53 % up to 60 %") << 0.53 << 120 << none << 0.6;
    QTest::newRow("no further than 400 %") << 4.0 << 120 << none << 4.0;
    QTest::newRow("+") << 1.0 << 0 << QKeyCombination(Qt::Key_Plus) << 1.1;
    QTest::newRow("= (+ without Shift)") << 1.0 << 0 << QKeyCombination(Qt::Key_Equal) << 1.1;
    QTest::newRow("-") << 1.0 << 0 << QKeyCombination(Qt::Key_Minus) << 0.9;
    QTest::newRow("keypad -") << 1.0 << 0 << (Qt::KeypadModifier | Qt::Key_Minus) << 0.9;
}

void TestPreviewWindow::zoomSteps()
{
    QFETCH(double, from);
    QFETCH(int, angle);
    QFETCH(QKeyCombination, key);
    QFETCH(double, zoom);
    QVERIFY(openWindow());
    PreviewWidget *view = m_window->preview();
    view->setZoom(from);
    scrollBar(u"VScroll1"_qs)->setValue(30);
    scrollBar(u"HScroll1"_qs)->setValue(40);
    QWidget *page = view->pagePicture();
    const QPoint at(300, 200); // on the page picture
    const QPointF pointer = page->mapTo(view, at) * 15;
    // The point of the sheet under the pointer, in twips of the sheet at zoom 1.
    const auto underPointer
        = [&] { return (pointer - QPointF(view->pagePosition())) / engineState().ZoomRate; };
    const QPointF before = underPointer();
    if (angle != 0)
        wheel(page, angle, Qt::ControlModifier, at);
    else
        QTest::keyClick(page, key.key(), key.keyboardModifiers());
    QCOMPARE(panel(3), u"显示比例:%1%"_qs.arg(qRound(zoom * 100)));
    QCOMPARE(checkedZoom(), QStringList());
    if (angle == 0)
        return;
    // The wheel keeps that point under the pointer, to a scroll step, where a bar lets it.
    const QPointF after = underPointer();
    const auto stays = [&](double a, double b, qint32 step, const QString &bar) {
        return !scrollBar(bar)->isVisible() || std::abs(a - b) <= step / engineState().ZoomRate;
    };
    QVERIFY(stays(before.x(), after.x(), view->StepX, u"HScroll1"_qs)
        && stays(before.y(), after.y(), view->StepY, u"VScroll1"_qs));
}

void TestPreviewWindow::zoomMenuChecksTheZoom_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QList<bool>>("bars"); // horizontal, vertical
    QTest::newRow("150%") << u"z150"_qs << QList<bool> { true, true };
    QTest::newRow("整页") << u"整页"_qs << QList<bool> { false, false };
    QTest::newRow("页宽") << u"页宽"_qs << QList<bool> { false, true };
}

void TestPreviewWindow::zoomMenuChecksTheZoom()
{
    QFETCH(QString, entry);
    QFETCH(QList<bool>, bars);
    QVERIFY(openWindow());
    QCOMPARE(checkedZoom(), QStringList { u"z100"_qs });
    QAction *item = m_window->findChild<QAction *>(entry);
    item->trigger();
    QCOMPARE(checkedZoom(), QStringList { entry });
    QCOMPARE(QApplication::focusWidget(), m_window->preview()->pagePicture()); // the keys page
    // The fits follow the window's size.
    const double zoom = engineState().ZoomRate;
    m_window->resize(700, 900);
    QCOMPARE(engineState().ZoomRate != zoom, entry != u"z150"_qs);
    QCOMPARE(panel(3), u"显示比例:%1%"_qs.arg(engineState().ZoomRate * 100));
    QCOMPARE(scrollBar(u"HScroll1"_qs)->isVisible(), bars[0]);
    QCOMPARE(scrollBar(u"VScroll1"_qs)->isVisible(), bars[1]);
    // The width fills the view beside the bar.
    const int room = m_window->preview()->width() - scrollBar(u"VScroll1"_qs)->width();
    QVERIFY(entry != u"页宽"_qs || m_window->preview()->pagePicture()->width() > room * 0.95);
}

void TestPreviewWindow::opensAtTheZoomItClosedAt_data()
{
    QTest::addColumn<QString>("fit"); // ZoomFit as stored; null: none
    QTest::addColumn<QString>("zoom"); // ZoomRate as stored; null: none
    QTest::addColumn<int>("hostZoom"); // the print object's ZoomRatio
    QTest::addColumn<QString>("entry"); // checked when the window opens
    QTest::newRow("nothing stored") << QString() << QString() << 1 << u"整页"_qs;
    QTest::newRow("a zoom stored without a fit") << QString() << u"1.5"_qs << 1 << u"z150"_qs;
    QTest::newRow("the host's zoom") << QString() << QString() << 2 << u"z200"_qs;
    QTest::newRow("closed at 页宽") << u"2"_qs << u"0.9"_qs << 1 << u"页宽"_qs;
}

void TestPreviewWindow::opensAtTheZoomItClosedAt()
{
    QFETCH(QString, fit);
    QFETCH(QString, zoom);
    QFETCH(int, hostZoom);
    QFETCH(QString, entry);
    const QString common = storePath(RootKey::LocalMachine, kCommonKey);
    m_store->createKey(common);
    for (const auto &[name, value] :
        { std::pair { u"ZoomFit"_qs, fit }, { u"ZoomRate"_qs, zoom } }) {
        if (value.isNull())
            m_store->removeValue(common, name);
        else
            m_store->setValue(common, name, value);
    }
    m_print->setZoomRatio(qint16(hostZoom));
    QVERIFY(openWindow(false));
    QCOMPARE(checkedZoom(), QStringList { entry });
    // What the window closes at, it opens at next time.
    m_window->close();
    QVERIFY(openWindow(false));
    QCOMPARE(checkedZoom(), QStringList { entry });
}

QUILLON_TEST_MAIN(TestPreviewWindow)
#include "tst_previewwindow.moc"
