#include "support/files.h"
#include "support/testplatform.h"
#include "testmain.h"

#include "platform/interfaces/recordingsurface.h"

#include <quillon/gridfile.h>
#include <quillon/myprint.h>
#include <quillon/platform.h>
#include <quillon/reportexport.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <thread>

using namespace quillon;

namespace {

/// One export of an example report, as a host thread does it: its own grid file, print object
/// and export.
struct ExportRun
{
    QString error;
    QStringList messages;
    bool done = false;
};

ExportRun exportReport(const QString &example, const QString &pdf, bool collectMessages)
{
    ExportRun run;
    QString error;
    const auto file = GridFile::load(
        QDir(QStringLiteral(QUILLON_SOURCE_DIR "/examples")).filePath(example), &error);
    MyPrint print;
    if (!file || !file->applyTo(print, &error)) {
        run.error = error;
        return run;
    }
    ReportExport report(print);
    if (collectMessages) {
        report.setMessageHandler([&run](const QString &text, int) {
            run.messages << text;
            return 1;
        });
    }
    run.done = report.toPdf(pdf);
    run.error = report.errorString();
    return run;
}

/// A PDF's bytes without what differs from one run to the next: its dates and document ID.
QByteArray stableBytes(const QString &path)
{
    QByteArray data = readAll(path);
    static const QRegularExpression moving(
        QStringLiteral("/(CreationDate|ModDate) *\\([^)]*\\)|/ID *\\[[^\\]]*\\]"));
    QString text = QString::fromLatin1(data);
    text.replace(moving, QStringLiteral("MASKED"));
    return text.toLatin1();
}

const QStringList kReports { QStringLiteral("sales.csv"), QStringLiteral("voucher.json"),
    QStringLiteral("spread.json"), QStringLiteral("income.json") };

} // namespace

// Reports exported side by side, each from a thread of its own.
class TestParallelExports : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_sink = TestPlatform::install(
            VirtualPrintingSystem::withPdfPrinter(m_dir->filePath(QStringLiteral("printer"))))
                     .sink;
    }
    void cleanup() { TestPlatform::uninstall(); }

    void fourKindsAtOnceAsAlone();
    void workerMessagesNeverReachTheWindows_data();
    void workerMessagesNeverReachTheWindows();
    void oneReportWithFormatsOfTheirOwn();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    RecordingMessageSink *m_sink = nullptr;
};

void TestParallelExports::fourKindsAtOnceAsAlone()
{
    for (const QString &report : kReports) {
        const ExportRun alone
            = exportReport(report, m_dir->filePath(report + u".alone.pdf"_qs), false);
        QVERIFY2(alone.done, qPrintable(report + u": "_qs + alone.error));
    }
    std::vector<ExportRun> runs(kReports.size());
    {
        std::vector<std::jthread> threads;
        for (qsizetype i = 0; i < kReports.size(); ++i) {
            threads.emplace_back([&, i] {
                runs[i] = exportReport(
                    kReports[i], m_dir->filePath(kReports[i] + u".together.pdf"_qs), false);
            });
        }
    }
    for (qsizetype i = 0; i < kReports.size(); ++i) {
        QVERIFY2(runs[i].done, qPrintable(kReports[i] + u": "_qs + runs[i].error));
        const QByteArray alone = stableBytes(m_dir->filePath(kReports[i] + u".alone.pdf"_qs));
        QVERIFY(alone.startsWith("%PDF"));
        QVERIFY2(stableBytes(m_dir->filePath(kReports[i] + u".together.pdf"_qs)) == alone,
            qPrintable(kReports[i]));
    }
    QVERIFY(m_sink->messages().isEmpty());
}

void TestParallelExports::workerMessagesNeverReachTheWindows_data()
{
    QTest::addColumn<bool>("handler");
    QTest::newRow("the export's handler") << true;
    QTest::newRow("the thread's log") << false;
}

void TestParallelExports::workerMessagesNeverReachTheWindows()
{
    QFETCH(bool, handler);
    // A logo that is not there: the layout says so, and the export goes on without it.
    setFormatValue(u"示例-预算执行"_qs, u"LogPicPrt"_qs, u"1"_qs);
    setFormatValue(u"示例-预算执行"_qs, u"LogPic"_qs, u"/nonexistent/logo.png"_qs);
    ExportRun run;
    std::jthread([&] {
        run = exportReport(u"spread.json"_qs, m_dir->filePath(u"logo.pdf"_qs), handler);
    }).join();
    QVERIFY2(run.done, qPrintable(run.error));
    QVERIFY(m_sink->messages().isEmpty());
    if (handler) {
        QCOMPARE(run.messages.size(), 1);
        QVERIFY(run.messages.first().contains(u"/nonexistent/logo.png"_qs));
    }
}

// Two threads print the same report, each with a format of its own that no one else sees.
void TestParallelExports::oneReportWithFormatsOfTheirOwn()
{
    setFormatValue(u"DefaultFormat"_qs, u"LineCount"_qs, u"10"_qs);
    std::vector<int> sheets(2);
    {
        std::vector<std::jthread> threads;
        for (int rows : { 20, 0 }) {
            threads.emplace_back([&, rows] {
                useThreadTemporarySettings();
                if (rows)
                    setFormatValue(u"DefaultFormat"_qs, u"LineCount"_qs, QString::number(rows));
                QString error;
                const auto file = GridFile::load(
                    QStringLiteral(QUILLON_SOURCE_DIR "/examples/sales.csv"), &error);
                MyPrint print;
                if (!file || !file->applyTo(print, &error))
                    return;
                ReportExport report(print);
                if (report.toPdf(m_dir->filePath(u"own-%1.pdf"_qs.arg(rows))))
                    sheets[rows ? 0 : 1] = report.sheetCount();
            });
        }
    }
    QCOMPARE(sheets,
        (std::vector<int> { 12, 5 })); // 236 rows at 20 a page; as many as fit, not the shared 10
    QCOMPARE(formatValue(u"DefaultFormat"_qs, u"LineCount"_qs), u"10"_qs);
}

QUILLON_TEST_MAIN(TestParallelExports)
#include "tst_parallelexports.moc"
