#include "testmain.h"

#include "support/testplatform.h"

#include "api/myprint_p.h"
#include "engine/layout/sheetjob.h"
#include "platform/interfaces/imagepicture.h"
#include "printer/virtualprintingsystem.h"
#include "ui/dialogs/inputdialog.h"
#include "ui/dialogs/pagesetupdialog.h"
#include "ui/dialogs/printdialog.h"
#include "ui/dialogs/printerpropertiesdialog.h"
#include "ui/dialogs/progresswindow.h"
#include "ui/messageboxsink.h"
#include "ui/preview/fullscreenview.h"
#include "ui/preview/previewwindow.h"

#include "api/myprint_p.h"

#include <quillon/flexgrid.h>
#include <quillon/gridfile.h>
#include <quillon/myprint.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFontDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTabWidget>
#include <QThread>
#include <QTranslator>

using namespace quillon;

// Each window once, filled as in use: nothing clipped, nothing overlapping, and a screenshot
// in QUILLON_ARTEFACTS_DIR named after the window and the screen's dots per inch, for a person
// to look at (scripts/dialog-screenshots.sh takes them at 96 and 144 dpi).
class TestDialogLooks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { TestPlatform::uninstall(); }
    void printDialog();
    void pageSetupDialog();
    void printerPropertiesDialog();
    void progressWindow();
    void inputDialog();
    void previewWindow();
    void fullScreenView();
    void messageBox();
};

namespace {

/// Empty when every visible control of the window shows all of its text inside its parent
/// and no two visible controls of one parent overlap; else what is wrong.
QStringList layoutFaults(QWidget &window)
{
    QStringList faults;
    const auto name = [](const QWidget *w) {
        return w->objectName().isEmpty()
            ? QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(':')
                + (qobject_cast<const QLabel *>(w) ? qobject_cast<const QLabel *>(w)->text()
                                                   : QString())
            : w->objectName();
    };
    const QList<QWidget *> widgets = window.findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        if (!w->isVisible() || w->isWindow())
            continue;
        if (!w->parentWidget()->rect().contains(w->geometry()))
            faults << name(w) + u" lies outside its parent"_qs;
        // The printer's type and location shorten long names on purpose.
        const bool elides
            = w->objectName() == u"lblType"_qs || w->objectName() == u"lblLocation"_qs;
        const bool hasText = qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w)
            || qobject_cast<QComboBox *>(w);
        const QSize needed = w->minimumSizeHint();
        if (hasText && !elides && (w->width() < needed.width() || w->height() < needed.height()))
            faults << name(w) + u" is cut off"_qs;
        for (QWidget *other : widgets) {
            if (other != w && other->parentWidget() == w->parentWidget() && other->isVisible()
                && !other->isWindow() && w < other && w->geometry().intersects(other->geometry()))
                faults << name(w) + u" overlaps "_qs + name(other);
        }
    }
    return faults;
}

/// A small dialog's frame: a title and a close box, no minimise or maximise button.
bool hasDialogFrame(const QWidget &dialog)
{
    const Qt::WindowFlags flags = dialog.windowFlags();
    return dialog.windowType() == Qt::Dialog
        && flags.testFlags(Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
        && !(flags & Qt::WindowMinMaxButtonsHint);
}

void saveScreenshot(QWidget &window, const QString &part = QString())
{
    const QDir folder(QStringLiteral(QUILLON_ARTEFACTS_DIR));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    const int dpi = qRound(window.logicalDpiY() * window.devicePixelRatioF());
    const QString path
        = folder.filePath(u"%1%2-%3dpi.png"_qs.arg(window.objectName(), part).arg(dpi));
    QVERIFY2(window.grab().save(path), qPrintable(path));
    qInfo("%s", qPrintable(path));
}

} // namespace

void TestDialogLooks::init()
{
    VirtualPrinterSpec office;
    office.deviceName = u"Office Colour"_qs;
    office.output = VirtualPrinterSpec::Output::Recording;
    office.port = u"/srv/reports/finance/quarterly/year-end/printed-statements"_qs;
    office.duplex = true;
    VirtualPrinterSpec pdf = VirtualPrintingSystem::pdfPrinterSpec(u"/tmp"_qs);
    TestPlatform::install(
        std::make_unique<VirtualPrintingSystem>(QList<VirtualPrinterSpec> { office, pdf }));
    engineState().RowPageCount = 12;
    engineState().ColPageCount = 3;
}

void TestDialogLooks::printDialog()
{
    PrintDialog dialog;
    dialog.setPageSetupHook([] {});
    dialog.setPreviewHook([] {});
    dialog.setPropertiesHook([](const QString &) { return false; });
    // Every control enabled: a list of pages, several copies, a printer with duplex.
    dialog.findChild<QLineEdit *>(u"txtCopys"_qs)->setText(u"120"_qs);
    dialog.findChild<QLineEdit *>(u"txtPageList"_qs)->setText(u"1-3,5,8"_qs);
    dialog.findChild<QComboBox *>(u"cboDuplex"_qs)->setCurrentIndex(1);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(layoutFaults(dialog), QStringList());
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize()); // a fixed border
    saveScreenshot(dialog);

    // As a print job shows it for a report of one column band.
    dialog.hideCurrentPage();
    dialog.hideColumnBands();
    QCoreApplication::processEvents();
    QCOMPARE(layoutFaults(dialog), QStringList());
}

void TestDialogLooks::pageSetupDialog()
{
    FlexGrid grid;
    grid.setSize(26, 2);
    grid.setFixedRows(1);
    MyPrint print;
    print.setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    print.setDatagrid(&grid);
    SheetJob job(MyPrintPrivate::get(print));
    QVERIFY(job.prepare(1, nullptr, SheetJob::Checks::GridKindFirst, false));
    EngineState &s = engineState();
    s.Format.FullPage = 0;
    s.Format.AutoArrange = 1;
    s.Format.PageWidth = 90;
    s.Format.PageHeight = 120;
    s.Format.LogText = u"财务部 内部资料"_qs;
    s.Format.PaperSize = 1; // not offered: the old paper is shown
    s.FontTable[0] = FontSpec { u"楷体"_qs, 22, true, false, false, false, 0x0000C0 };
    // Qt's font and colour dialogs in Chinese, as a host that loads Qt's translations has them.
    QTranslator qtChinese;
    if (qtChinese.load(u"qtbase_zh_CN"_qs, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtChinese);
    const auto screenshotOfModal = [](const QString &name) {
        QTimer::singleShot(0, [name] {
            QDialog *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY(modal && QTest::qWaitForWindowExposed(modal));
            modal->setObjectName(name);
            saveScreenshot(*modal);
            modal->reject();
        });
    };
    for (int tab = 0; tab < 4; ++tab) {
        // The last tab as a voucher shows it: with every colour control.
        s.printObject()->GridType = tab == 3 ? GridKind::Voucher : GridKind::Flex;
        PageSetupDialog::setOpeningTab(tab);
        PageSetupDialog dialog(s);
        dialog.setPropertiesHook([](const QString &) { return std::optional<PrinterPage>(); });
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *tabs = dialog.findChild<QTabWidget *>(u"SSTab1"_qs);
        tabs->setCurrentIndex(tab);
        QCoreApplication::processEvents();
        saveScreenshot(dialog, u"-tab%1"_qs.arg(tab));
        QCOMPARE(layoutFaults(dialog), QStringList());
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        QVERIFY(hasDialogFrame(dialog));
        if (tab == 0) { // the printer's papers as the user knows them, Qt's names in Chinese
            auto *papers = dialog.findChild<QComboBox *>(u"cboPaperSize"_qs);
            QVERIFY(papers->findText(u"信纸"_qs) >= 0);
            papers->showPopup();
            QWidget *list = papers->view()->window();
            QVERIFY(QTest::qWaitForWindowExposed(list)
                && list->width() >= papers->view()->sizeHintForColumn(0));
            list->setObjectName(u"frmpagesetup-papers"_qs);
            saveScreenshot(*list);
            papers->hidePopup();
        }
        if (tab == 2) { // the title's font and colour, in Qt's own dialogs
            screenshotOfModal(u"frmpagesetup-font"_qs);
            dialog.findChild<QAbstractButton *>(u"cmdfontset"_qs)->click();
            screenshotOfModal(u"frmpagesetup-colour"_qs);
            dialog.findChild<QAbstractButton *>(u"cmdfontcolor"_qs)->click();
        }
    }
    QCoreApplication::removeTranslator(&qtChinese);
}

void TestDialogLooks::printerPropertiesDialog()
{
    // As a laser printer's driver lists its options.
    const auto option = [](const char *keyword, const char *text, const QStringList &choices,
                            const char *value) {
        DriverOption o { QLatin1String(keyword), QLatin1String(text), {}, QLatin1String(value) };
        for (const QString &c : choices)
            o.choices.append({ c.section(u'/', 0, 0), c.section(u'/', -1) });
        return o;
    };
    const QList<DriverOption> options {
        option(
            "orientation-requested", "Orientation", { u"3/Portrait"_qs, u"4/Landscape"_qs }, "3"),
        option("PageSize", "Media Size",
            { u"A4/A4"_qs, u"A4.Fullbleed/A4 (Borderless)"_qs, u"A5/A5"_qs,
                u"Env10/Envelope #10 (4.12 x 9.5 inches)"_qs },
            "A4"),
        option("InputSlot", "Media Source",
            { u"Auto/Automatic"_qs, u"Tray1/Tray 1"_qs, u"Manual/Manual Feed"_qs }, "Auto"),
        option("Duplex", "Double-Sided Printing",
            { u"None/Off"_qs, u"DuplexNoTumble/Long-Edge binding"_qs,
                u"DuplexTumble/Short-Edge binding"_qs },
            "None"),
        option(
            "ColorModel", "Color", { u"color/Color"_qs, u"grayscale/Black and White"_qs }, "color"),
        option(
            "Resolution", "Resolution", { u"600dpi/600 dpi"_qs, u"1200dpi/1200 dpi"_qs }, "600dpi"),
        option(
            "MediaType", "Media Type", { u"Plain/Plain Paper"_qs, u"Labels/Labels"_qs }, "Plain"),
        option(
            "print-quality", "Print Quality", { u"3/Draft"_qs, u"4/Normal"_qs, u"5/High"_qs }, "4"),
        option(
            "ret", "Resolution Enhancement", { u"notset/Not Set"_qs, u"dark/Dark"_qs }, "notset"),
        option("joboffset", "Job Offset", { u"on/On"_qs, u"off/Off"_qs }, "on"),
        option("lowsupplies", "On low supplies", { u"continue/Continue"_qs, u"stop/Stop"_qs },
            "continue"),
    };
    PrinterPropertiesDialog dialog(u"财务部 HP LaserJet"_qs, options);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(layoutFaults(dialog), QStringList());
    QVERIFY(hasDialogFrame(dialog));
    saveScreenshot(dialog);
}

void TestDialogLooks::progressWindow()
{
    PrintProgressDialog window;
    window.runLoop(
        [&window](PrintLoopView &view) {
            view.setCopies(u"2/3"_qs);
            view.setPosition(u"12(2/3)"_qs);
            view.setProgress(0, 36);
            QThread::msleep(50);
            view.setProgress(1, 36);
            const bool exposed = QTest::qWaitForWindowExposed(&window);
            [&] {
                QVERIFY(exposed);
                QCOMPARE(layoutFaults(window), QStringList());
            }();
            saveScreenshot(window);
            return true;
        },
        u"1"_qs, u"12"_qs, true);
    QVERIFY(window.isHidden());
}

void TestDialogLooks::inputDialog()
{
    InputDialog dialog;
    dialog.setText(u"0.75"_qs);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(layoutFaults(dialog), QStringList());
    QVERIFY(hasDialogFrame(dialog));
    saveScreenshot(dialog);
}

void TestDialogLooks::previewWindow()
{
    QString error;
    const auto grid
        = GridFile::load(QStringLiteral(QUILLON_SOURCE_DIR "/examples/sales.csv"), &error);
    QVERIFY2(grid, qPrintable(error));
    MyPrint print;
    QVERIFY2(grid->applyTo(print, &error), qPrintable(error));
    print.setCaption(u"销售报表"_qs);
    PreviewWindow window(MyPrintPrivate::get(print));
    QVERIFY(window.load(false));
    window.showMaximized();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // As it opens: the whole first sheet, the moves back greyed.
    saveScreenshot(window, u"-first"_qs);
    QCOMPARE(layoutFaults(window), QStringList());
    // Paged as a user would: to the last sheet and one back.
    QWidget *page = window.findChild<QWidget *>(u"picPageView"_qs);
    for (const Qt::Key key : { Qt::Key_PageDown, Qt::Key_End, Qt::Key_PageUp })
        QTest::keyClick(page, key);
    QVERIFY(window.findChild<QLabel *>(u"panel1"_qs)->text().startsWith(u"第 "_qs));
    window.findChild<QAction *>(u"z150"_qs)->trigger();
    // The page picture is as large as the zoom makes it: the view shows a part of it.
    const auto faults = [&window] {
        QStringList found = layoutFaults(window);
        found.removeIf([](const QString &fault) { return fault.startsWith(u"picPageView"_qs); });
        return found;
    };
    QCOMPARE(faults(), QStringList());
    saveScreenshot(window);
    // The last sheet's width, the moves forward greyed, the page box taking a number.
    QTest::keyClick(page, Qt::Key_End);
    window.findChild<QAction *>(u"页宽"_qs)->trigger();
    QTest::keyClick(&window, Qt::Key_G, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), u"12"_qs);
    QCOMPARE(faults(), QStringList());
    saveScreenshot(window, u"-last"_qs);
}

void TestDialogLooks::fullScreenView()
{
    // A sample report as the preview hands it over at 75 %, measured on a page picture.
    QString error;
    const auto file
        = GridFile::load(QStringLiteral(QUILLON_SOURCE_DIR "/examples/wide.json"), &error);
    QVERIFY2(file, qPrintable(error));
    MyPrint print;
    QVERIFY2(file->applyTo(print, &error), qPrintable(error));
    const auto preview = makeImagePicture(QSize(1, 1), 96);
    SheetJob job(MyPrintPrivate::get(print));
    QVERIFY2(job.prepare(2, preview.get(), SheetJob::Checks::GridFirst), qPrintable(job.error()));
    QVERIFY(job.layOut(preview.get(), 0.75));
    FullScreenView view(job);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.size(), view.screen()->geometry().size());
    saveScreenshot(view);
    // The screen as a user sees it: no frame, nothing else showing.
    if (QGuiApplication::platformName() == u"xcb"_qs) {
        const QString path = QDir(QStringLiteral(QUILLON_ARTEFACTS_DIR))
                                 .filePath(u"frmfullscreen-screen-%1dpi.png"_qs.arg(
                                     qRound(view.logicalDpiY() * view.devicePixelRatioF())));
        QVERIFY(view.screen()->grabWindow(0).save(path));
        qInfo("%s", qPrintable(path));
    }
}

void TestDialogLooks::messageBox()
{
    // As a Chinese user sees it: the library loads Qt's texts for the standard buttons.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QTimer::singleShot(0, [] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box && QTest::qWaitForWindowExposed(box));
        QCOMPARE(layoutFaults(*box), QStringList());
        saveScreenshot(*box);
        box->button(QMessageBox::Cancel)->click();
    });
    MessageBoxSink sink;
    QCOMPARE(sink.show(u"页面设置已改变，是否保存。"_qs, 3 | 32, u"销售报表"_qs), 2);
}

QUILLON_TEST_MAIN(TestDialogLooks)
#include "tst_dialoglooks.moc"
