#include "support/scripteddriver.h"
#include "support/testplatform.h"
#include "testmain.h"

#include "engine/state/enginestate.h"
#include "printer/virtualprintingsystem.h"

#include <quillon/flexgrid.h>
#include <quillon/myprint.h>
#include <quillon/platform.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>

using namespace quillon;

// The print object's jobs: their refusals, the printer they print on, and what reaches it.
class TestPrintJobs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { TestPlatform::uninstall(); }

    void refusals_data();
    void refusals();
    void printDirectPrintsEveryPageOnce_data();
    void printDirectPrintsEveryPageOnce();
    void printoutPrintsWhatTheDialogChose();
    void printContRaisesPrintOverPerDataSet();
    void dialogMessagesShowEveryTime();
    void printoutPropertiesSetTheDefaults();

private:
    void installPrinters(const QStringList &names);
    VirtualPrintingSystem *m_system = nullptr;
    RecordingMessageSink *m_sink = nullptr;
    FlexGrid m_grid;
    std::unique_ptr<MyPrint> m_print;
};

void TestPrintJobs::installPrinters(const QStringList &names)
{
    auto system = TestPlatform::recordingPrinters(names, names.value(1));
    m_system = system.get();
    m_sink = TestPlatform::install(std::move(system)).sink;
}

void TestPrintJobs::init()
{
    installPrinters({ u"甲"_qs, u"乙"_qs });
    m_grid.setSize(26, 2);
    m_grid.setFixedRows(1);
    for (int r = 1; r <= 25; ++r)
        m_grid.setTextMatrix(r, 0, QString::number(r));
    m_print = std::make_unique<MyPrint>();
    m_print->setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    m_print->setDatagrid(&m_grid);
    m_print->setLineCount(10);
}

void TestPrintJobs::refusals_data()
{
    QTest::addColumn<QString>("job");
    QTest::addColumn<bool>("printers");
    QTest::addColumn<bool>("kind");
    QTest::addColumn<bool>("grid");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("icon");
    for (const char *job : { "Printout", "PrintDirect", "PrintCont" })
        QTest::addRow("%s without printers", job)
            << QString::fromLatin1(job) << false << true << true << u"请先安装打印机。"_qs << 48;
    // The grid kind is tested before the grid: with neither, only its message shows.
    for (const char *job : { "Printout", "PrintDirect" }) {
        QTest::addRow("%s without kind or grid", job)
            << QString::fromLatin1(job) << true << false << false
            << u"网格类型(gridtype)不能为空。"_qs << 0;
        QTest::addRow("%s without grid", job) << QString::fromLatin1(job) << true << true << false
                                              << u"网格数据（.datagrid）没有指定。"_qs << 0;
    }
}

void TestPrintJobs::refusals()
{
    QFETCH(QString, job);
    QFETCH(bool, printers);
    QFETCH(bool, kind);
    QFETCH(bool, grid);
    QFETCH(QString, message);
    QFETCH(int, icon);
    if (!printers)
        installPrinters({});
    if (!kind)
        m_print->setGridType(MyPrint::MnuGridType(0));
    if (!grid)
        m_print->setDatagrid(nullptr);
    QVERIFY(QMetaObject::invokeMethod(m_print.get(), job.toLatin1().constData()));
    QCOMPARE(m_sink->messages().size(), 1);
    QCOMPARE(m_sink->messages()[0].prompt, message);
    QCOMPARE(m_sink->messages()[0].buttons & 0xFF, icon);
    QVERIFY(m_system->documents().isEmpty());
}

void TestPrintJobs::printDirectPrintsEveryPageOnce_data()
{
    QTest::addColumn<QString>("designated");
    QTest::addColumn<QString>("printer");
    // The report's printer, else the system's default (乙) that the format load announced.
    QTest::newRow("designated") << u"甲"_qs << u"甲"_qs;
    QTest::newRow("designated, not installed") << u"丙"_qs << u"乙"_qs;
    QTest::newRow("none designated") << QString() << u"乙"_qs;
}

void TestPrintJobs::printDirectPrintsEveryPageOnce()
{
    QFETCH(QString, designated);
    QFETCH(QString, printer);
    setFormatValue(m_print->PrintKeyName(), u"PrinterName"_qs, designated);
    m_print->PrintDirect();
    // Without its designated printer the format load says which one it takes instead.
    QCOMPARE(m_sink->messages().size(), designated == printer ? 0 : 1);
    QCOMPARE(m_system->documents().size(), 1);
    QCOMPARE(m_system->documents()[0].printer, printer);
    QCOMPARE(m_system->documents()[0].pageCount, 3);
    QVERIFY(m_system->documents()[0].pages[2].contains(u"\"25\""_qs));
}

void TestPrintJobs::printoutPrintsWhatTheDialogChose()
{
    // The user asks for pages 2 to 3, two copies, in the dialog.
    QTimer::singleShot(0, [] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog && dialog->objectName() == u"frmPrint"_qs);
        dialog->findChild<QLineEdit *>(u"txtPB"_qs)->setText(u"2"_qs);
        dialog->findChild<QLineEdit *>(u"txtPE"_qs)->setText(u"3"_qs);
        dialog->findChild<QLineEdit *>(u"txtCopys"_qs)->setText(u"2"_qs);
        QMetaObject::invokeMethod(dialog->findChild<QObject *>(u"optSpcPage"_qs), "click");
        dialog->findChild<QPushButton *>(u"cmdprint"_qs)->click();
    });
    m_print->Printout();
    QVERIFY(m_sink->messages().isEmpty());
    QCOMPARE(m_system->documents().size(), 1);
    const QStringList pages = m_system->documents()[0].pages;
    QCOMPARE(pages.size(), 4);
    QVERIFY(pages[0].contains(u"\"11\""_qs) && pages[1].contains(u"\"21\""_qs));
    const auto printed = [](const QString &page) {
        return page.split(u'\n').filter(QRegularExpression(u"^Print "_qs));
    };
    QCOMPARE(printed(pages[2]), printed(pages[0])); // the second copy
}

void TestPrintJobs::printContRaisesPrintOverPerDataSet()
{
    QSignalSpy over(m_print.get(), &MyPrint::PrintOver);
    connect(m_print.get(), &MyPrint::PrintOver, this, [&] {
        if (over.size() % 2 == 0)
            m_print->setPrintEnd(true);
    });
    // The second job runs as long as the first: the end of one is not the end of the next.
    for (int job = 1; job <= 2; ++job) {
        m_print->PrintCont();
        QCOMPARE(over.size(), 2 * job);
        QCOMPARE(m_system->documents().size(), 6 * job); // 3 pages per data set, a document each
    }
}

void TestPrintJobs::dialogMessagesShowEveryTime()
{
    // A job keeps its layouts' messages from repeating, not the messages of its dialog.
    QTimer::singleShot(0, [] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        dialog->findChild<QLineEdit *>(u"txtCopys"_qs)->setText(u"0"_qs);
        dialog->findChild<QPushButton *>(u"cmdprint"_qs)->click();
        dialog->findChild<QPushButton *>(u"cmdprint"_qs)->click();
        dialog->findChild<QPushButton *>(u"cmdcance"_qs)->click();
    });
    m_print->Printout();
    QCOMPARE(m_sink->messages().size(), 2);
    QVERIFY(m_sink->messages()[1].prompt.startsWith(u"打印份数无效。"_qs));
    QVERIFY(m_system->documents().isEmpty());
}

void TestPrintJobs::printoutPropertiesSetTheDefaults()
{
    // The dialog's properties button: the driver's sheet, then its settings as the defaults.
    auto owned = std::make_unique<ScriptedPrinterDriver>();
    ScriptedPrinterDriver *driver = owned.get();
    setPrinterDriver(std::move(owned));
    auto &printer = driver->add(u"乙"_qs);
    DeviceSettings edited = printer.defaults;
    edited.paperSize = 11;
    printer.sheetAnswer = edited;
    QTimer::singleShot(0, [] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        auto *properties = dialog->findChild<QPushButton *>(u"command1"_qs);
        QVERIFY(properties->isVisible());
        properties->click();
        dialog->findChild<QPushButton *>(u"cmdcance"_qs)->click();
    });
    m_print->Printout();
    QCOMPARE(driver->printers[u"乙"_qs].defaults.paperSize, 11);
    QVERIFY(driver->calls.contains(u"write"_qs));
    QVERIFY(m_sink->messages().isEmpty());
}

QUILLON_TEST_MAIN(TestPrintJobs)
#include "tst_printjobs.moc"
