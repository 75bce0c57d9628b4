#include "testmain.h"

#include "support/testplatform.h"

#include "api/myprint_p.h"
#include "engine/layout/sheetjob.h"
#include "engine/state/previewsinks.h"
#include "platform/interfaces/recordingsurface.h"
#include "printer/virtualprintingsystem.h"
#include "ui/preview/fullscreenview.h"

#include <quillon/flexgrid.h>
#include <quillon/myprint.h>

#include <QMenu>
#include <QRegularExpression>

using namespace quillon;

namespace {

struct StatusBar : PreviewStatusSink
{
    void setPanelText(int panel, const QString &text) override
    {
        texts << u"%1:%2"_qs.arg(panel).arg(text);
    }
    QStringList texts;
};

struct ProgressBar : PreviewProgressSink
{
    double value() const override { return 0; }
    void setValue(double) override { ++calls; }
    void setVisible(bool) override { ++calls; }
    int calls = 0;
};

/// The row bands a document printed, from the page numbers on its pages.
QStringList printedRowBands(const VirtualDocument &doc)
{
    static const QRegularExpression number(u"Print \"第 (\\d+) "_qs);
    QStringList bands;
    for (const QString &page : doc.pages)
        bands << number.match(page).captured(1);
    return bands;
}

bool blank(const QImage &image)
{
    const QImage white = [&] {
        QImage w(image.size(), image.format());
        w.fill(Qt::white);
        return w;
    }();
    return image == white;
}

QAction *item(FullScreenView &view, const char *name)
{
    auto *action = view.popupMenu()->findChild<QAction *>(QLatin1String(name));
    if (!action)
        qFatal("no popup item %s", name);
    return action;
}

void sendMouse(QWidget *widget, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at),
        type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

// The full-screen view over a preview at 75 % showing row band 2 of a report of 5 row bands
// (one logical page a sheet), drawn on a recording page.
class TestFullScreenView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void drawsTheSheetOnItsOwnPicture();
    void restoresThePreviewAfterPaging();
    void zoomSteps_data();
    void zoomSteps();
    void placementAndDragging();
    void printLeavesTheViewOpen();
    void escapeCloses_data();
    void escapeCloses();

private:
    VirtualPrintingSystem *m_system = nullptr;
    FlexGrid m_grid;
    std::unique_ptr<MyPrint> m_print;
    std::unique_ptr<SheetJob> m_job;
    RecordingSurface m_preview;
    StatusBar m_status;
    ProgressBar m_progress;
};

void TestFullScreenView::init()
{
    auto system = TestPlatform::recordingPrinters({ u"Rec"_qs });
    m_system = system.get();
    TestPlatform::install(std::move(system));
    m_print = std::make_unique<MyPrint>();
    m_print->setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    m_print->setDatagrid(&m_grid);
    m_print->setLineCount(10);
    m_grid.setSize(51, 2);
    QList<QStringList> rows;
    for (int r = 0; r <= 50; ++r)
        rows << QStringList { u"行%1"_qs.arg(r), u"%1"_qs.arg(r * 10) };
    m_grid.setTexts(rows);
    m_grid.setFixedRows(1);

    m_job = std::make_unique<SheetJob>(MyPrintPrivate::get(*m_print));
    QVERIFY2(
        m_job->prepare(2, &m_preview, SheetJob::Checks::GridFirst), qPrintable(m_job->error()));
    QVERIFY(m_job->layOut(&m_preview, 0.75));
    EngineState &s = engineState();
    QCOMPARE(s.RowPageCount, 5);
    s.PreviewUiActive = true;
    s.PreviewStatusBar = &m_status;
    s.PreviewProgressBar = &m_progress;
    QVERIFY(m_job->renderSheet(2, m_preview));
    m_preview.clear();
    m_status.texts.clear();
    m_progress.calls = 0;
}

void TestFullScreenView::cleanup()
{
    m_job.reset();
    m_print.reset();
    TestPlatform::uninstall();
}

void TestFullScreenView::drawsTheSheetOnItsOwnPicture()
{
    FullScreenView view(*m_job);
    const EngineState &s = engineState();
    QCOMPARE(view.objectName(), u"frmfullscreen"_qs);
    QVERIFY(view.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(s.DrawTarget && s.DrawTarget != &m_preview);
    QCOMPARE(s.PreviewUiActive, false);
    QVERIFY(!blank(view.pageImage()));
    auto *picPage = view.findChild<QWidget *>(u"picPage"_qs);
    QVERIFY(picPage);
    QCOMPARE(picPage->size(),
        QSize(qRound(0.75 * s.PaperWidthTw * view.logicalDpiX() / 1440),
            qRound(0.75 * s.PaperHeightTw * view.logicalDpiY() / 1440)));
    QCOMPARE(QList<int>({ s.CurRowPage, s.CurColPage }), QList<int>({ 2, 1 }));
    QVERIFY(m_preview.ops().isEmpty());
    QVERIFY(m_status.texts.isEmpty());
    QCOMPARE(m_progress.calls, 0);
}

void TestFullScreenView::restoresThePreviewAfterPaging()
{
    EngineState &s = engineState();
    const auto nav = s.SheetNav;
    const qint32 sheet = s.CurSheet;
    FullScreenView view(*m_job);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto *picPage = view.findChild<QWidget *>(u"picPage"_qs);
    const QImage second = view.pageImage();
    QTest::keyClick(picPage, Qt::Key_PageDown);
    QCOMPARE(s.CurRowPage, 3);
    QVERIFY(view.pageImage() != second);
    QTest::keyClick(picPage, Qt::Key_End);
    QCOMPARE(s.CurRowPage, 5);
    QCOMPARE(s.SheetNav[1], true);
    QTest::keyClick(picPage, Qt::Key_Minus, Qt::KeypadModifier);
    // The main keyboard's keys zoom too; = is + without Shift.
    const double out = s.ZoomRate;
    QTest::keyClick(picPage, Qt::Key_Equal);
    QVERIFY(s.ZoomRate > out);
    QTest::keyClick(picPage, Qt::Key_Minus);
    QCOMPARE(s.ZoomRate, out);
    item(view, "mnuPrevious")->trigger();
    QCOMPARE(s.CurRowPage, 4);
    QTest::keyClick(picPage, Qt::Key_Home);
    QCOMPARE(s.CurRowPage, 1);

    QTest::keyClick(picPage, Qt::Key_Escape);
    QVERIFY(!view.isVisible());
    QCOMPARE(s.DrawTarget, &m_preview);
    QCOMPARE(s.ZoomRate, 0.75);
    QCOMPARE(QList<int>({ s.CurRowPage, s.CurColPage, s.CurSheet }), QList<int>({ 2, 1, sheet }));
    QCOMPARE(s.SheetNav, nav);
    QCOMPARE(s.PreviewUiActive, true);
    QCOMPARE(s.PreviewStatusBar, &m_status);
    QCOMPARE(s.PreviewProgressBar, &m_progress);
    // The preview is not drawn again: its picture still holds row band 2.
    QVERIFY(m_preview.ops().isEmpty());
    QVERIFY(m_status.texts.isEmpty());
    QCOMPARE(m_progress.calls, 0);
}

void TestFullScreenView::zoomSteps_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<bool>("in");
    QTest::addColumn<QList<double>>("zooms"); // after each step; a repeat: nothing happened

    QTest::newRow("out from 1 stops at about 0.4")
        << 1.0 << false
        << QList<double> { 0.800000011920929, 0.6000000238418579, 0.40000003576278687,
               0.40000003576278687 };
    QTest::newRow("out at 0.5 does nothing") << 0.5 << false << QList<double> { 0.5 };
    QTest::newRow("in at 4 does nothing") << 4.0 << true << QList<double> { 4.0 };
    QTest::newRow("in from 1 passes 4 once, at the 15th step")
        << 3.8000006675720215 << true << QList<double> { 4.000000476837158, 4.000000476837158 };
    QTest::newRow("in from a single 3.8 lands on 4")
        << double(3.8f) << true << QList<double> { 4.0, 4.0 };
    QTest::newRow("back up from about 0.4 reaches 1")
        << 0.40000003576278687 << true
        << QList<double> { 0.6000000238418579, 0.800000011920929, 1.0 };
}

void TestFullScreenView::zoomSteps()
{
    QFETCH(double, start);
    QFETCH(bool, in);
    QFETCH(QList<double>, zooms);
    EngineState &s = engineState();
    s.ZoomRate = start;
    FullScreenView view(*m_job);
    auto *picPage = view.findChild<QWidget *>(u"picPage"_qs);
    picPage->move(7, 9);
    double before = start;
    for (const double expected : zooms) {
        const bool changed = in ? view.zoomIn() : view.zoomOut();
        QCOMPARE(changed, expected != before);
        QCOMPARE(s.ZoomRate, expected);
        QCOMPARE(picPage->width(), qRound(expected * s.PaperWidthTw * view.logicalDpiX() / 1440));
        QCOMPARE(picPage->pos(), QPoint(7, 9)); // a zoom step keeps the top-left
        QCOMPARE(view.pageImage().size(), picPage->size() * view.devicePixelRatio());
        before = expected;
    }
    view.reject();
    QCOMPARE(s.ZoomRate, start);
}

void TestFullScreenView::placementAndDragging()
{
    engineState().ZoomRate = 0.25; // smaller than any screen
    FullScreenView view(*m_job);
    view.show();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    auto *picPage = view.findChild<QWidget *>(u"picPage"_qs);
    const QPoint centred(
        (view.width() - picPage->width()) / 2, (view.height() - picPage->height()) / 2);
    QCOMPARE(picPage->pos(), centred);

    sendMouse(picPage, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton);
    QCOMPARE(picPage->cursor().shape(), Qt::SizeAllCursor);
    sendMouse(picPage, QEvent::MouseMove, QPoint(40, 30), Qt::LeftButton);
    QCOMPARE(picPage->pos(), centred + QPoint(30, 20));
    sendMouse(picPage, QEvent::MouseButtonRelease, QPoint(40, 30), Qt::NoButton);
    QCOMPARE(picPage->cursor().shape(), Qt::ArrowCursor);
    sendMouse(picPage, QEvent::MouseMove, QPoint(90, 90), Qt::NoButton);
    QCOMPARE(picPage->pos(), centred + QPoint(30, 20)); // no button, no drag

    item(view, "mnuStart")->trigger();
    QCOMPARE(picPage->pos(), centred);

    // Larger than the window: zooming keeps the corner, placing puts it at the window's.
    while (view.zoomIn()) { }
    QCOMPARE(picPage->pos(), centred);
    view.placePage();
    QCOMPARE(picPage->pos(), QPoint(0, 0));
    view.reject();
}

void TestFullScreenView::printLeavesTheViewOpen()
{
    const EngineState &s = engineState();
    FullScreenView view(*m_job);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(view.nextSheet()); // row band 3
    const QImage shown = view.pageImage();
    Surface *const picture = s.DrawTarget;

    item(view, "mnuPrint")->trigger();
    QVERIFY(view.isVisible());
    QCOMPARE(m_system->documents().size(), 1);
    QCOMPARE(printedRowBands(m_system->documents().first()), QStringList { u"3"_qs });
    QCOMPARE(s.DrawTarget, picture);
    QCOMPARE(s.ZoomRate, 0.75);
    QCOMPARE(QList<int>({ s.CurRowPage, s.CurColPage }), QList<int>({ 3, 1 }));
    QCOMPARE(view.pageImage(), shown);

    // Ctrl+P prints on its release, with neither Shift nor Alt.
    auto *picPage = view.findChild<QWidget *>(u"picPage"_qs);
    QTest::keyClick(picPage, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_system->documents().size(), 1);
    QTest::keyClick(picPage, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(m_system->documents().size(), 2);
    QVERIFY(view.isVisible());

    view.reject();
    QCOMPARE(s.DrawTarget, &m_preview);
    QCOMPARE(s.RowPageCount, 5); // laid out for the preview again
    QCOMPARE(s.CurRowPage, 2);
    QVERIFY(m_preview.ops(u"Print"_qs).isEmpty());
}

void TestFullScreenView::escapeCloses_data()
{
    QTest::addColumn<bool>("byMenu");
    QTest::newRow("Esc") << false;
    QTest::newRow("popup item") << true;
}

void TestFullScreenView::escapeCloses()
{
    QFETCH(bool, byMenu);
    bool closedByUs = false;
    // Waits for the view to be on screen (drawing the first sheet lets events through before).
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *view = qobject_cast<FullScreenView *>(QApplication::activeModalWidget());
        if (!view || !view->isVisible())
            return;
        poll.stop();
        closedByUs = true;
        if (byMenu)
            item(*view, "mnuExit")->trigger();
        else
            QTest::keyClick(view->findChild<QWidget *>(u"picPage"_qs), Qt::Key_Escape);
    });
    poll.start(10);
    FullScreenView::showModal(*m_job);
    QVERIFY(closedByUs);
    QCOMPARE(engineState().DrawTarget, &m_preview);
    QCOMPARE(engineState().CurRowPage, 2);
}

QUILLON_TEST_MAIN(TestFullScreenView)
#include "tst_fullscreenview.moc"
