#include "testmain.h"

#include "support/testplatform.h"

#include "api/myprint_p.h"
#include "engine/layout/sheetjob.h"
#include "printer/virtualprintingsystem.h"
#include "ui/dialogs/progresswindow.h"

#include <quillon/flexgrid.h>
#include <quillon/myprint.h>

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

using namespace quillon;

class TestProgressWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_platform = TestPlatform::install(); }
    void cleanup() { TestPlatform::uninstall(); }
    void showsProgressWhileTheLoopRuns();
    void timeLeft_data();
    void timeLeft();
    void cancelAsksFirst_data();
    void cancelAsksFirst();
    void consoleWritesProgressAndNeverCancels();
    void batchJobsGetConsoleProgress_data();
    void batchJobsGetConsoleProgress();
    void printsARangeThroughTheWindow_data();
    void printsARangeThroughTheWindow();
    void saysWhereAPdfPrinterWroteTo();

private:
    TestPlatform m_platform;
};

namespace {

QString labelText(QWidget &window, const char *name)
{
    auto *label = window.findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<none>");
}

/// A print loop of `sheets` sheets that asks `between` after the first one and stops when the
/// view says cancelled, as the real loop does.
struct FakeLoop
{
    int sheets = 3;
    std::function<void(PrintProgressDialog &)> between;
    int drawn = 0;

    bool operator()(PrintLoopView &view)
    {
        for (int sheet = 1; sheet <= sheets; ++sheet) {
            view.setCopies(QStringLiteral("1/1"));
            view.setPosition(QString::number(sheet));
            ++drawn;
            if (sheet == 1 && between)
                between(dynamic_cast<PrintProgressDialog &>(view));
            if (view.cancelled()) {
                view.setPrompt(QStringLiteral("取消"));
                return false;
            }
        }
        view.setPrompt(QStringLiteral("完成"));
        return true;
    }
};

/// A report of 30 rows, three sheets at 10 rows a sheet.
struct ThirtyRows
{
    ThirtyRows()
    {
        grid.setSize(31, 1);
        grid.setFixedRows(1);
        print.setGridType(MyPrint::MnuGridType::ssMsflexGrid);
        print.setDatagrid(&grid);
        print.setLineCount(10);
    }
    FlexGrid grid;
    MyPrint print;
};

} // namespace

void TestProgressWindow::showsProgressWhileTheLoopRuns()
{
    PrintProgressDialog window;
    QCOMPARE(window.objectName(), u"frmcreatprint"_qs);
    QCOMPARE(labelText(window, "lblprompt"), u"正在生成打印页面..."_qs);
    QCOMPARE(labelText(window, "lblVersion"), u"第     页 共（    ）页"_qs);
    QCOMPARE(labelText(window, "lblpgno"), u"1"_qs);
    QCOMPARE(labelText(window, "lblpgcnt"), u"1"_qs);
    QCOMPARE(labelText(window, "lblCps"), u"1/1"_qs);
    QCOMPARE(window.findChild<QPushButton *>(u"cmdCance"_qs)->text(), u"取消(&C) "_qs);
    QVERIFY(!window.findChild<QLabel *>(u"imgLogo"_qs)->pixmap().isNull());

    QVERIFY(!(window.windowFlags() & Qt::WindowMinMaxButtonsHint));
    auto *bar = window.findChild<QProgressBar *>(u"prgPrint"_qs);
    QStringList seen, timeLeft;
    const bool printed = window.runLoop(
        [&](PrintLoopView &view) {
            seen << (window.isVisible() ? u"shown"_qs : u"hidden"_qs)
                 << labelText(window, "lblpgno") << labelText(window, "lblpgcnt")
                 << QString::number(window.findChild<QLabel *>(u"lblpgno"_qs)->font().pointSize());
            view.setCopies(u"2/3"_qs);
            view.setPosition(u"4(2/3)"_qs);
            seen << labelText(window, "lblCps") << labelText(window, "lblpgno");
            // The time left shows once a page is done, at the pace so far, until the last.
            for (int done : { 0, 1, 4 }) {
                view.setProgress(done, 4);
                seen << labelText(window, "lblDone") << QString::number(bar->value());
                timeLeft << labelText(window, "lblTimeLeft");
                QThread::msleep(600);
            }
            view.setPrompt(u"完成"_qs);
            return !view.cancelled();
        },
        u"3"_qs, u"5"_qs, true);
    QVERIFY(printed);
    QCOMPARE(seen.join(u'|'),
        u"shown|3|5|9|2/3|4(2/3)|已打印 0 页，共 4 页|0|已打印 1 页，共 4 页|1|"
        "已打印 4 页，共 4 页|4"_qs);
    // One page in 0.6 s: three more take about 2 s.
    QCOMPARE(timeLeft.size(), 3);
    QVERIFY2(timeLeft[0].isEmpty() && timeLeft[2].isEmpty(), qPrintable(timeLeft.join(u'|')));
    const auto seconds = QRegularExpression(u"^剩余约 (\\d) 秒$"_qs).match(timeLeft[1]);
    QVERIFY2(
        seconds.hasMatch() && seconds.captured(1).toInt() >= 2 && seconds.captured(1).toInt() <= 4,
        qPrintable(timeLeft[1]));
    QCOMPARE(labelText(window, "lblprompt"), u"完成"_qs);
    QVERIFY(window.isHidden());
    QVERIFY(m_platform.sink->messages().isEmpty());
}

void TestProgressWindow::timeLeft_data()
{
    QTest::addColumn<qint64>("msecs");
    QTest::addColumn<QString>("text");
    QTest::newRow("under a second") << qint64(300) << "剩余约 1 秒";
    QTest::newRow("seconds, rounded up") << qint64(58'001) << "剩余约 59 秒";
    QTest::newRow("minutes and seconds") << qint64(80'000) << "剩余约 1 分 20 秒";
    QTest::newRow("whole minutes") << qint64(120'000) << "剩余约 2 分";
    QTest::newRow("an hour") << qint64(3'600'000) << "剩余约 1 小时";
    QTest::newRow("hours and minutes, rounded up") << qint64(5'430'000) << "剩余约 1 小时 31 分";
}

void TestProgressWindow::timeLeft()
{
    QFETCH(qint64, msecs);
    QFETCH(QString, text);
    QCOMPARE(timeLeftText(msecs), text);
}

void TestProgressWindow::cancelAsksFirst_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("drawn");
    QTest::addColumn<QString>("prompt");
    QTest::newRow("cancel button, yes") << "button" << 6 << 1 << "取消";
    QTest::newRow("cancel button, no") << "button" << 7 << 3 << "完成";
    QTest::newRow("escape, yes") << "escape" << 6 << 1 << "取消";
    QTest::newRow("close box, no") << "close" << 7 << 3 << "完成";
    QTest::newRow("escape before the loop starts, yes") << "early" << 6 << 1 << "取消";
}

void TestProgressWindow::cancelAsksFirst()
{
    QFETCH(QString, how);
    QFETCH(int, answer);
    QFETCH(int, drawn);
    QFETCH(QString, prompt);
    m_platform.sink->scriptAnswer(answer);
    PrintProgressDialog window;
    FakeLoop loop;
    // The press is queued: the loop sees it only because cancelled() lets events through.
    loop.between = [&how](PrintProgressDialog &w) {
        if (how == u"button"_qs)
            QMetaObject::invokeMethod(
                w.findChild<QPushButton *>(u"cmdCance"_qs), "click", Qt::QueuedConnection);
        else if (how == u"escape"_qs)
            QMetaObject::invokeMethod(&w, "reject", Qt::QueuedConnection);
        else
            QMetaObject::invokeMethod(&w, "close", Qt::QueuedConnection);
    };
    if (how == u"early"_qs) {
        loop.between = nullptr;
        QMetaObject::invokeMethod(&window, "reject", Qt::QueuedConnection);
    }
    const bool printed = window.runLoop(std::ref(loop), u"1"_qs, u"3"_qs, false);
    QCOMPARE(printed, answer == 7);
    QCOMPARE(loop.drawn, drawn);
    QCOMPARE(labelText(window, "lblprompt"), prompt);
    QCOMPARE(window.cancelTag(), answer == 6 ? u"1"_qs : QString());
    QVERIFY(window.isHidden());
    QCOMPARE(m_platform.sink->messages().size(), 1);
    const auto asked = m_platform.sink->messages().constFirst();
    QCOMPARE(asked.prompt, u"是否取消打印？"_qs);
    QCOMPARE(asked.buttons & 0xFFFF, 4 + 32);
    QCOMPARE(asked.title, u"提示"_qs);
}

void TestProgressWindow::consoleWritesProgressAndNeverCancels()
{
    QStringList lines;
    ConsolePrintProgress console([&lines](const QString &line) { lines << line; });
    console.setPageCount(u"5"_qs);
    console.setCopies(u"2/2"_qs);
    console.setPosition(u"3(1/2)"_qs);
    console.setPosition(u"3(1/2)"_qs); // named again as the loop prints it: one line
    console.setPrompt(u"完成"_qs);
    QVERIFY(!console.cancelled());
    QCOMPARE(lines, (QStringList { u"第 3(1/2) 页 共（5）页，份数：2/2"_qs, u"完成"_qs }));
    QVERIFY(dynamic_cast<PrintProgressDialog *>(makePrintProgressWindow().get()));
}

// A job whose messages answer by default has no one to watch a window: its progress goes to
// the console writer, whatever the application.
void TestProgressWindow::batchJobsGetConsoleProgress_data()
{
    QTest::addColumn<bool>("console");
    QTest::newRow("messages answered by someone") << false;
    QTest::newRow("console messages") << true;
}

void TestProgressWindow::batchJobsGetConsoleProgress()
{
    QFETCH(bool, console);
    if (console)
        setMessageSink(std::make_unique<ConsoleMessageSink>());
    QStringList lines;
    setConsoleProgressWriter([&lines](const QString &line) { lines << line; });
    const auto window = makePrintProgressWindow();
    setConsoleProgressWriter({});
    QCOMPARE(dynamic_cast<PrintProgressDialog *>(window.get()) == nullptr, console);
    if (!console)
        return;
    auto *view = dynamic_cast<PrintLoopView *>(window.get());
    QVERIFY(view);
    view->setPrompt(u"完成"_qs);
    QCOMPARE(lines, QStringList { u"完成"_qs });
}

void TestProgressWindow::printsARangeThroughTheWindow_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("documents");
    QTest::addColumn<QString>("prompt");
    QTest::newRow("cancel confirmed: discarded") << 6 << 0 << "取消";
    QTest::newRow("cancel declined: printed") << 7 << 1 << "完成";
}

void TestProgressWindow::printsARangeThroughTheWindow()
{
    QFETCH(int, answer);
    QFETCH(int, documents);
    QFETCH(QString, prompt);
    auto system = TestPlatform::recordingPrinters({ u"Rec"_qs });
    VirtualPrintingSystem *printers = system.get();
    m_platform = TestPlatform::install(std::move(system));
    m_platform.sink->scriptAnswer(answer);
    ThirtyRows report;
    {
        SheetJob job(MyPrintPrivate::get(report.print));
        QVERIFY(job.prepare(1));
        PrintProgressDialog window;
        // Pressed before the loop starts: the loop sees the answer after the first sheet.
        QMetaObject::invokeMethod(
            window.findChild<QPushButton *>(u"cmdCance"_qs), "click", Qt::QueuedConnection);
        const bool printed = PrintRange({ 1, 3, 1, 1, 1, u"所有页"_qs, 1 }, job, window);
        QCOMPARE(printed, documents == 1);
        QCOMPARE(labelText(window, "lblprompt"), prompt);
        QVERIFY(window.isHidden());
    }
    QCOMPARE(printers->documents().size(), documents);
    if (documents)
        QCOMPARE(printers->documents().constFirst().pageCount, 3);
}

void TestProgressWindow::saysWhereAPdfPrinterWroteTo()
{
    QTemporaryDir folder;
    m_platform = TestPlatform::install(VirtualPrintingSystem::withPdfPrinter(folder.path()));
    ThirtyRows report;
    report.print.setMainTitle(u"销售/日报"_qs);
    SheetJob job(MyPrintPrivate::get(report.print));
    QVERIFY(job.prepare(1));
    PrintProgressDialog window;
    QVERIFY(PrintRange({ 1, 1, 1, 1, 1, u"所有页"_qs, 1 }, job, window));
    const QStringList files = QDir(folder.path()).entryList({ u"*.pdf"_qs });
    QCOMPARE(files.size(), 1);
    QVERIFY2(files[0].startsWith(u"销售_日报-"_qs), qPrintable(files[0])); // named after the title
    QCOMPARE(m_platform.sink->messages().size(), 1);
    QCOMPARE(m_platform.sink->messages()[0].prompt,
        u"已打印到文件：%1"_qs.arg(QDir(folder.path()).filePath(files[0])));
    QCOMPARE(m_platform.sink->messages()[0].buttons & 0xFF, 64);
}

QUILLON_TEST_MAIN(TestProgressWindow)
#include "tst_progresswindow.moc"
