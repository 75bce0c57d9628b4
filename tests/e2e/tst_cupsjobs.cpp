#include "api/myprint_p.h"
#include "support/files.h"
#include "support/privatecupsmain.h"
#include "support/testplatform.h"

#include "engine/layout/printrange.h"
#include "engine/layout/sheetjob.h"
#include "engine/state/enginestate.h"
#include "platform/interfaces/surface.h"
#include "printer/qtprintingsystem.h"

#include <quillon/flexgrid.h>
#include <quillon/myprint.h>
#include <quillon/platform.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <cstdio>
#include <functional>

using namespace quillon;

namespace {

PrivateCups *g_cups = nullptr;
const QString kQueue = QString::fromLatin1(PrivateCups::kQueue);

/// The page numbers of a PDF's pages, read from each page's page-info line ("第 n 页").
QStringList pageNumbers(const QString &pdf)
{
    static const QRegularExpression number(u"第\\s*(\\d+)\\s*页"_qs);
    QStringList pages
        = programOutput(u"pdftotext"_qs, { u"-layout"_qs, pdf, u"-"_qs }).split(u'\f');
    pages.removeLast(); // after the last page's form feed
    QStringList numbers;
    for (const QString &page : pages)
        numbers << number.match(page).captured(1);
    return numbers;
}

int pdfPageCount(const QString &pdf)
{
    static const QRegularExpression pages(
        u"^Pages:\\s+(\\d+)"_qs, QRegularExpression::MultilineOption);
    return pages.match(programOutput(u"pdfinfo"_qs, { pdf })).captured(1).toInt();
}

/// Every job the scheduler knows, pending or done, by id.
QList<int> jobIds()
{
    QString out;
    g_cups->run(u"lpstat"_qs, { u"-W"_qs, u"all"_qs, u"-o"_qs }, &out);
    static const QRegularExpression id(u"^\\S+-(\\d+)\\s"_qs, QRegularExpression::MultilineOption);
    QList<int> ids;
    for (auto it = id.globalMatch(out); it.hasNext();)
        ids << it.next().captured(1).toInt();
    std::sort(ids.begin(), ids.end());
    return ids;
}

/// The document as it reached the queue (the scheduler keeps job files).
QString jobFile(int id)
{
    return g_cups->dir() + u"/spool/d%1-001"_qs.arg(id, 5, 10, QLatin1Char('0'));
}

/// The progress window without a window; `check` runs at each cancel check (between sheets)
/// and says whether the user cancelled.
struct ScriptedView : PrintLoopView
{
    void setCopies(const QString &) override { }
    void setPosition(const QString &) override { }
    void setPageCount(const QString &) override { }
    void setPrompt(const QString &text) override { prompt = text; }
    bool cancelled() override { return check && check(++checks); }

    std::function<bool(int)> check;
    QString prompt;
    int checks = 0;
};

struct ScriptedWindow : PrintProgressWindow
{
    bool run(
        const PrintRequest &request, SheetJob &job, const QString &, const QString &, bool) override
    {
        return RunPrintLoop(request, view, job);
    }
    ScriptedView view;
};

} // namespace

// The print object's jobs end to end, through Qt and a CUPS queue of a scheduler of the test's
// own (support/privatecups.h): what reaches the queue, in which order, and what does not.
class TestCupsJobs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void printDirectSendsEveryPage();
    void rangeReachesTheQueueInOrder_data();
    void rangeReachesTheQueueInOrder();
    void dialogChoicesReachTheQueue_data();
    void dialogChoicesReachTheQueue();
    void printContSendsOneJobPerSheet();
    void cancelSendsNothing();
    void documentOnAQueueThatChanged_data();
    void documentOnAQueueThatChanged();
    void printerGoneBetweenSheets_data();
    void printerGoneBetweenSheets();
    void printContStopsWhenThePrinterFails();

private:
    void fillGrid(int bodyRows, const QString &prefix);
    QList<int> newJobs() const;
    QStringList spoolLeftovers() const;

    RecordingMessageSink *m_sink = nullptr;
    FlexGrid m_grid;
    std::unique_ptr<MyPrint> m_print;
    int m_lastJob = 0;
};

void TestCupsJobs::init()
{
    // Every test starts with the queue there, enabled, accepting, and nothing pending.
    QString out;
    QVERIFY2(g_cups->run(u"lpadmin"_qs,
                 { u"-p"_qs, kQueue, u"-E"_qs, u"-v"_qs, u"file://"_qs + g_cups->outputFile(),
                     u"-P"_qs, PrivateCups::ppd() },
                 &out),
        qPrintable(out));
    QVERIFY(g_cups->run(u"lpadmin"_qs, { u"-d"_qs, kQueue }));
    QVERIFY(g_cups->run(u"cupsenable"_qs, { kQueue }));
    QVERIFY(g_cups->run(u"cupsaccept"_qs, { kQueue }));
    g_cups->run(u"cancel"_qs, { u"-a"_qs, kQueue });
    QVERIFY(g_cups->waitForJobs());
    const QList<int> ids = jobIds();
    m_lastJob = ids.isEmpty() ? 0 : ids.last();
    QFile::remove(g_cups->outputFile());

    m_sink = TestPlatform::install(std::make_unique<QtPrintingSystem>()).sink;
    m_print = std::make_unique<MyPrint>();
    m_print->setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    m_print->setDatagrid(&m_grid);
    m_print->setLineCount(10);
    setFormatValue(m_print->PrintKeyName(), u"PrinterName"_qs, kQueue);
    fillGrid(47, u"甲"_qs); // five pages
}

void TestCupsJobs::cleanup()
{
    m_print.reset();
    TestPlatform::uninstall();
    QCOMPARE(spoolLeftovers(), QStringList());
}

void TestCupsJobs::fillGrid(int bodyRows, const QString &prefix)
{
    QList<QStringList> rows { { u"编号"_qs, u"客户名称"_qs } };
    for (int r = 1; r <= bodyRows; ++r)
        rows << QStringList { u"%1%2"_qs.arg(prefix).arg(r, 4, 10, QLatin1Char('0')),
            u"恒达商贸"_qs };
    m_grid.setSize(bodyRows + 1, 2);
    m_grid.setTexts(rows);
    m_grid.setFixedRows(1);
    m_grid.setColWidth(0, 2000);
    m_grid.setColWidth(1, 3000);
}

QList<int> TestCupsJobs::newJobs() const
{
    QList<int> ids = jobIds();
    ids.removeIf([&](int id) { return id <= m_lastJob; });
    return ids;
}

QStringList TestCupsJobs::spoolLeftovers() const
{
    return QDir(QDir::tempPath()).entryList({ u"quillon-*.job"_qs }, QDir::Files);
}

void TestCupsJobs::printDirectSendsEveryPage()
{
    m_print->PrintDirect();
    QCOMPARE(m_sink->messages().size(), 0);
    QVERIFY(g_cups->waitForJobs());
    QCOMPARE(newJobs().size(), 1);
    QCOMPARE(pdfPageCount(g_cups->outputFile()), 5);
    const QString text
        = programOutput(u"pdftotext"_qs, { u"-layout"_qs, g_cups->outputFile(), u"-"_qs });
    const QStringList pages = text.split(u'\f');
    QVERIFY2(
        pages[0].contains(u"甲0001"_qs) && pages[0].contains(u"甲0010"_qs), qPrintable(pages[0]));
    QVERIFY(pages[0].contains(u"恒达商贸"_qs) && pages[0].contains(u"编号"_qs));
    QVERIFY(!pages[0].contains(u"甲0011"_qs));
    QVERIFY(pages[4].contains(u"甲0041"_qs) && pages[4].contains(u"甲0047"_qs));
    QCOMPARE(pageNumbers(g_cups->outputFile()),
        (QStringList { u"1"_qs, u"2"_qs, u"3"_qs, u"4"_qs, u"5"_qs }));
}

void TestCupsJobs::rangeReachesTheQueueInOrder_data()
{
    QTest::addColumn<PrintRequest>("request");
    QTest::addColumn<QStringList>("queued");
    QTest::addColumn<QStringList>("printed");
    const QStringList twoFour { u"2"_qs, u"4"_qs };
    QTest::newRow("2 to 5, even pages, 2 copies")
        << PrintRequest { 2, 5, 1, 1, 2, u"偶数页"_qs, 3 } << twoFour << twoFour + twoFour;
    const QStringList odd { u"1"_qs, u"3"_qs, u"5"_qs };
    QTest::newRow("all pages, odd pages")
        << PrintRequest { 1, 5, 1, 1, 1, u"奇数页"_qs, 1 } << odd << odd;
    QTest::newRow("current page, 3 copies") << PrintRequest { 3, 3, 1, 1, 3, u"所有页"_qs,
        2 } << QStringList { u"3"_qs } << QStringList { u"3"_qs, u"3"_qs, u"3"_qs };
}

void TestCupsJobs::rangeReachesTheQueueInOrder()
{
    QFETCH(PrintRequest, request);
    QFETCH(QStringList, queued);
    QFETCH(QStringList, printed);
    SheetJob job(MyPrintPrivate::get(*m_print));
    QVERIFY2(job.prepare(1), qPrintable(job.error()));
    ScriptedWindow window;
    QVERIFY(PrintRange(request, job, window));
    QCOMPARE(window.view.prompt, u"完成"_qs);
    QVERIFY(g_cups->waitForJobs());
    const QList<int> jobs = newJobs();
    QCOMPARE(jobs.size(), 1);
    // The queue makes the copies of one set.
    QCOMPARE(pageNumbers(jobFile(jobs[0])), queued);
    QCOMPARE(PrivateCups::newestJobAttribute("copies"),
        request.copies > 1 ? QString::number(request.copies) : QString());
    QCOMPARE(pageNumbers(g_cups->outputFile()), printed);
}

void TestCupsJobs::dialogChoicesReachTheQueue_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("copies");
    QTest::addColumn<bool>("collate");
    QTest::addColumn<int>("duplex"); // 关, 长边, 短边
    QTest::addColumn<QStringList>("attributes"); // job-name, multiple-document-handling, sides
    QTest::addColumn<QStringList>("queued");
    QTest::addColumn<QStringList>("printed");
    QTest::newRow("titled, 2 copies collated, long edge")
        << u"销售日报"_qs << u"4,1-2"_qs << u"2"_qs << true << 1
        << QStringList { u"销售日报"_qs, u"separate-documents-collated-copies"_qs,
               u"two-sided-long-edge"_qs }
        << QStringList { u"4"_qs, u"1"_qs, u"2"_qs }
        << QStringList { u"4"_qs, u"1"_qs, u"2"_qs, u""_qs, u"4"_qs, u"1"_qs, u"2"_qs, u""_qs };
    QTest::newRow("no title: the key; 3 copies not collated, one side")
        << QString() << u"5,2"_qs << u"3"_qs << false << 0
        << QStringList { u"DefaultFormat"_qs, u"separate-documents-uncollated-copies"_qs,
               u"one-sided"_qs }
        << QStringList { u"5"_qs, u"2"_qs }
        << QStringList { u"5"_qs, u"5"_qs, u"5"_qs, u"2"_qs, u"2"_qs, u"2"_qs };
}

void TestCupsJobs::dialogChoicesReachTheQueue()
{
    QFETCH(QString, title);
    QFETCH(QString, list);
    QFETCH(QString, copies);
    QFETCH(bool, collate);
    QFETCH(int, duplex);
    QFETCH(QStringList, attributes);
    QFETCH(QStringList, queued);
    QFETCH(QStringList, printed);
    m_print->setMainTitle(title);
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog && dialog->objectName() == u"frmPrint"_qs);
        auto *sides = dialog->findChild<QComboBox *>(u"cboDuplex"_qs);
        QVERIFY(sides->isEnabled()); // the queue's driver prints on both sides
        sides->setCurrentIndex(duplex);
        QMetaObject::invokeMethod(dialog->findChild<QObject *>(u"optPageList"_qs), "click");
        dialog->findChild<QLineEdit *>(u"txtPageList"_qs)->setText(list);
        dialog->findChild<QLineEdit *>(u"txtCopys"_qs)->setText(copies);
        dialog->findChild<QCheckBox *>(u"chkCollate"_qs)->setChecked(collate);
        dialog->findChild<QPushButton *>(u"cmdprint"_qs)->click();
    });
    m_print->Printout();
    QVERIFY(m_print->documentSent());
    QCOMPARE(m_sink->messages().size(), 0);
    QVERIFY(g_cups->waitForJobs());
    QCOMPARE(newJobs().size(), 1);
    QCOMPARE(pageNumbers(jobFile(newJobs()[0])), queued); // one set: the queue makes the copies
    QCOMPARE((QStringList { PrivateCups::newestJobAttribute("job-name"),
                 PrivateCups::newestJobAttribute("multiple-document-handling"),
                 PrivateCups::newestJobAttribute("sides") }),
        attributes);
    QCOMPARE(PrivateCups::newestJobAttribute("copies"), copies);
    QCOMPARE(pageNumbers(g_cups->outputFile()), printed);
}

void TestCupsJobs::printContSendsOneJobPerSheet()
{
    // 25 rows at 10 a page, then a second data set of 12 rows: 3 + 2 sheets, a job each.
    fillGrid(25, u"甲"_qs);
    QSignalSpy over(m_print.get(), &MyPrint::PrintOver);
    connect(m_print.get(), &MyPrint::PrintOver, this, [&] {
        if (over.size() == 1)
            fillGrid(12, u"乙"_qs);
        else
            m_print->setPrintEnd(true);
    });
    m_print->PrintCont();
    QCOMPARE(over.size(), 2);
    QCOMPARE(m_sink->messages().size(), 0);
    QVERIFY(g_cups->waitForJobs());
    const QList<int> jobs = newJobs();
    QCOMPARE(jobs.size(), 5);
    QStringList pages, firstRows;
    for (int id : jobs) {
        pages += pageNumbers(jobFile(id));
        const QString text = programOutput(u"pdftotext"_qs, { jobFile(id), u"-"_qs });
        firstRows << QRegularExpression(u"[甲乙]\\d{4}"_qs).match(text).captured();
    }
    QCOMPARE(pages, (QStringList { u"1"_qs, u"2"_qs, u"3"_qs, u"1"_qs, u"2"_qs }));
    QCOMPARE(firstRows,
        (QStringList { u"甲0001"_qs, u"甲0011"_qs, u"甲0021"_qs, u"乙0001"_qs, u"乙0011"_qs }));
}

void TestCupsJobs::cancelSendsNothing()
{
    SheetJob job(MyPrintPrivate::get(*m_print));
    QVERIFY(job.prepare(1));
    ScriptedWindow window;
    window.view.check = [](int check) { return check == 2; }; // after the second sheet
    QVERIFY(!PrintRange({ 1, 5, 1, 1, 1, u"所有页"_qs, 1 }, job, window));
    QCOMPARE(window.view.prompt, u"取消"_qs);
    QCOMPARE(window.view.checks, 2);
    QCOMPARE(m_sink->messages().size(), 0);
    QVERIFY(g_cups->waitForJobs());
    QCOMPARE(newJobs(), QList<int>());
    QVERIFY(!QFile::exists(g_cups->outputFile()));
}

void TestCupsJobs::documentOnAQueueThatChanged_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<bool>("fails");
    // A stopped queue keeps the job until it is enabled again: that is no failure.
    QTest::newRow("deleted") << u"lpadmin -x"_qs << true;
    QTest::newRow("rejecting jobs") << u"cupsreject"_qs << true;
    QTest::newRow("stopped") << u"cupsdisable"_qs << false;
}

void TestCupsJobs::documentOnAQueueThatChanged()
{
    // On the printer itself: the queue changes while the document is drawn, the queue is not
    // asked before the document ends; ending it must say what CUPS answered.
    QFETCH(QString, tool);
    QFETCH(bool, fails);
    PrinterSurface *printer = printingSystem().currentPrinter();
    QVERIFY(printer);
    printer->setCurrentX(1440);
    printer->setCurrentY(1440);
    printer->Print(u"第一张"_qs);
    QStringList args = tool.split(u' ');
    const QString program = args.takeFirst();
    QVERIFY(g_cups->run(program, args << kQueue));
    printer->EndDoc();
    QCOMPARE(printer->failed(), fails);
    QCOMPARE(newJobs().size(), fails ? 0 : 1);
    if (!fails) {
        QVERIFY(g_cups->run(u"cupsenable"_qs, { kQueue }));
        QVERIFY(g_cups->waitForJobs());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(g_cups->outputFile()).size() > 0, 30000);
    }

    // The next document on the restored queue goes through.
    init();
    printer = printingSystem().currentPrinter();
    printer->Print(u"第二张"_qs);
    printer->EndDoc();
    QVERIFY(!printer->failed());
    QCOMPARE(newJobs().size(), 1);
}

void TestCupsJobs::printerGoneBetweenSheets_data()
{
    QTest::addColumn<QString>("tool");
    QTest::newRow("deleted") << u"lpadmin -x"_qs;
    QTest::newRow("rejecting jobs") << u"cupsreject"_qs;
}

void TestCupsJobs::printerGoneBetweenSheets()
{
    QFETCH(QString, tool);
    SheetJob job(MyPrintPrivate::get(*m_print));
    QVERIFY(job.prepare(1));
    ScriptedWindow window;
    QStringList args = tool.split(u' ');
    const QString program = args.takeFirst();
    args << kQueue;
    window.view.check = [&](int check) {
        if (check == 2) {
            g_cups->run(program, args);
            QThread::msleep(600); // the queue is asked at most twice a second
        }
        return false;
    };
    QVERIFY(!PrintRange({ 1, 5, 1, 1, 2, u"所有页"_qs, 1 }, job, window));
    QCOMPARE(window.view.prompt, u"取消"_qs);
    QCOMPARE(window.view.checks, 2); // stopped at the sheet after the change
    QCOMPARE(m_sink->messages().size(), 1);
    QCOMPARE(m_sink->messages()[0].prompt, u"打印机“TestFilePdf”出错，打印已取消。"_qs);
    QCOMPARE(newJobs(), QList<int>());
}

void TestCupsJobs::printContStopsWhenThePrinterFails()
{
    // The queue goes when the first data set ends. The host never ends the job (it would stop
    // at the fifth data set): the failing sheet must end it.
    fillGrid(25, u"甲"_qs);
    QSignalSpy over(m_print.get(), &MyPrint::PrintOver);
    connect(m_print.get(), &MyPrint::PrintOver, this, [&] {
        if (over.size() == 1)
            g_cups->run(u"lpadmin"_qs, { u"-x"_qs, kQueue });
        m_print->setPrintEnd(over.size() == 5);
    });
    m_print->PrintCont();
    QCOMPARE(over.size(), 1);
    QCOMPARE(m_sink->messages().size(), 1);
    QCOMPARE(m_sink->messages()[0].prompt, u"打印机“TestFilePdf”出错，文档没有送出。"_qs);
    QVERIFY(!engineState().hasPrintObject()
        || engineState().printObject() != &MyPrintPrivate::get(*m_print));
}

int main(int argc, char **argv)
{
    return runWithPrivateCups<TestCupsJobs>(argc, argv, &g_cups, [](PrivateCups &cups) {
        // Spool files go to a folder of this test's own, where leftovers can be counted.
        QDir(cups.dir()).mkpath(u"client-tmp"_qs);
        qputenv("TMPDIR", QFile::encodeName(cups.dir() + u"/client-tmp"_qs));
    });
}

#include "tst_cupsjobs.moc"
