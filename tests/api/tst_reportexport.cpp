#include "support/files.h"
#include "support/filesizelimit.h"
#include "support/testplatform.h"
#include "testmain.h"

#include "engine/state/enginestate.h"
#include "platform/interfaces/recordingsurface.h"
#include "printer/virtualprintingsystem.h"

#include <quillon/flexgrid.h>
#include <quillon/myprint.h>
#include <quillon/reportexport.h>

#include <cmath>

#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace quillon;

// Where an export may write and what it leaves behind when it cannot or is cancelled.
class TestReportExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { TestPlatform::uninstall(); }

    void pdfTargets_data();
    void pdfTargets();
    void pngPagesAllOrNothing_data();
    void pngPagesAllOrNothing();
    void pngZoomRange_data();
    void pngZoomRange();
    void engineLeftAsFound_data();
    void engineLeftAsFound();
    void layoutMessageShownOncePerJob_data();
    void layoutMessageShownOncePerJob();

private:
    QString file(const QString &name) const { return m_dir->filePath(name); }
    QStringList partFiles() const
    {
        QStringList found;
        for (const QString &folder : { m_dir->path(), file(u"png"_qs) })
            found += QDir(folder).entryList({ u"*.part"_qs }, QDir::Files | QDir::Hidden);
        return found;
    }
    /// Sets up a kind of existing path: file, readonly, link, fifo, device.
    void prepare(const QString &path, const QString &kind);

    std::unique_ptr<QTemporaryDir> m_dir;
    FlexGrid m_grid;
    std::unique_ptr<MyPrint> m_print;
    RecordingMessageSink *m_sink = nullptr;
};

void TestReportExport::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_sink = TestPlatform::install(
        VirtualPrintingSystem::withPdfPrinter(m_dir->filePath(u"printer"_qs)))
                 .sink;
    QList<QStringList> rows { { u"日期"_qs, u"客户"_qs, u"金额"_qs } };
    for (int r = 1; r <= 150; ++r)
        rows.append({ u"2026-12-07"_qs, u"客户%1"_qs.arg(r), QString::number(r * 10) });
    m_grid.setTexts(rows);
    m_grid.setFixedRows(1);
    m_print = std::make_unique<MyPrint>();
    m_print->setDatagrid(&m_grid);
    m_print->setGridType(MyPrint::MnuGridType::ssMsflexGrid);
}

void TestReportExport::prepare(const QString &path, const QString &kind)
{
    if (kind == u"file"_qs || kind == u"readonly"_qs)
        writeAll(path, "old");
    if (kind == u"readonly"_qs)
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    if (kind == u"link"_qs) {
        writeAll(file(u"target"_qs), "old");
        QVERIFY(QFile::link(file(u"target"_qs), path));
    }
    if (kind == u"fifo"_qs)
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
    // A null device of the test's own, never the system's.
    if (kind == u"device"_qs
        && ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        QSKIP("cannot make a device node here");
}

void TestReportExport::pdfTargets_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("failure"); // empty: the export succeeds
    QTest::newRow("new file") << u"none"_qs << QString();
    QTest::newRow("older file") << u"file"_qs << QString();
    QTest::newRow("symlink") << u"link"_qs << QString();
    QTest::newRow("character device") << u"device"_qs << QString();
    QTest::newRow("read-only file") << u"readonly"_qs << u"只读"_qs;
    QTest::newRow("pipe") << u"fifo"_qs << u"不是普通文件"_qs;
    QTest::newRow("cancelled") << u"file"_qs << u"已取消"_qs;
    QTest::newRow("full disk") << u"file"_qs << u"超出了系统允许的大小"_qs;
}

void TestReportExport::pdfTargets()
{
    QFETCH(QString, kind);
    QFETCH(QString, failure);
    const QString path = file(u"report.pdf"_qs);
    prepare(path, kind);
    ReportExport report(*m_print);
    if (QByteArray(QTest::currentDataTag()) == "cancelled")
        report.setProgressHandler([](int done, int) { return done < 2; });
    std::optional<FileSizeLimit> limit;
    if (QByteArray(QTest::currentDataTag()) == "full disk")
        limit.emplace(8 * 1024);
    const bool done = report.toPdf(path);
    limit.reset();

    QCOMPARE(done, failure.isEmpty());
    if (!done) {
        QVERIFY2(report.errorString().contains(failure), qPrintable(report.errorString()));
        if (failure != u"已取消"_qs)
            QVERIFY(report.errorString().contains(path));
        QVERIFY(report.writtenFiles().isEmpty());
    }
    if (kind == u"device"_qs)
        QVERIFY(isCharDevice(path));
    if (kind == u"fifo"_qs)
        QVERIFY(QFileInfo(path).exists() && !QFileInfo(path).isFile());
    if (kind == u"link"_qs) {
        QVERIFY(QFileInfo(path).isSymLink());
        QVERIFY(readAll(file(u"target"_qs)).startsWith("%PDF"));
    }
    if (kind == u"file"_qs || kind == u"readonly"_qs || kind == u"none"_qs)
        QCOMPARE(readAll(path).left(4), done ? QByteArray("%PDF") : QByteArray("old"));
    QCOMPARE(partFiles(), QStringList());
}

void TestReportExport::pngZoomRange_data()
{
    QTest::addColumn<double>("zoom");
    QTest::addColumn<bool>("accepted");
    // The range the message and the command line give, both ends included.
    QTest::newRow("0.05") << 0.05 << true;
    QTest::newRow("20") << 20.0 << true;
    QTest::newRow("0.049") << 0.049 << false;
    QTest::newRow("20.5") << 20.5 << false;
    QTest::newRow("NaN") << std::nan("") << false;
}

void TestReportExport::pngZoomRange()
{
    QFETCH(double, zoom);
    QFETCH(bool, accepted);
    m_grid.setTexts({ { u"日期"_qs }, { u"2026-12-07"_qs } });
    ReportExport report(*m_print);
    QCOMPARE(report.toPng(file(u"png"_qs), zoom), accepted);
    QCOMPARE(QDir(file(u"png"_qs)).exists(), accepted);
    if (!accepted)
        QVERIFY2(report.errorString().contains(u"0.05 到 20"_qs), qPrintable(report.errorString()));
}

void TestReportExport::pngPagesAllOrNothing_data()
{
    QTest::addColumn<QString>("kind"); // what page 2 is before the export
    QTest::addColumn<int>("cancelAfter"); // 0: never
    QTest::addColumn<QString>("failure");
    QTest::newRow("older pages") << u"file"_qs << 0 << QString();
    QTest::newRow("symlinked page") << u"link"_qs << 0 << QString();
    QTest::newRow("cancelled after page 2") << u"file"_qs << 2 << u"已取消"_qs;
    QTest::newRow("read-only page") << u"readonly"_qs << 0 << u"只读"_qs;
    QTest::newRow("pipe for a page") << u"fifo"_qs << 0 << u"不是普通文件"_qs;
}

void TestReportExport::pngPagesAllOrNothing()
{
    QFETCH(QString, kind);
    QFETCH(int, cancelAfter);
    QFETCH(QString, failure);
    const QString folder = file(u"png"_qs);
    QVERIFY(QDir().mkpath(folder));
    const QString first = QDir(folder).filePath(u"page-001.png"_qs);
    const QString second = QDir(folder).filePath(u"page-002.png"_qs);
    writeAll(first, "old");
    prepare(second, kind);
    ReportExport report(*m_print);
    if (cancelAfter)
        report.setProgressHandler([&](int done, int) { return done < cancelAfter; });
    const bool done = report.toPng(folder, 0.5);
    QCOMPARE(done, failure.isEmpty());
    QVERIFY(report.sheetCount() >= 3);
    if (done) {
        QCOMPARE(report.writtenFiles().size(), report.sheetCount());
        QVERIFY(readAll(first).startsWith("\x89PNG"));
        QVERIFY(readAll(kind == u"link"_qs ? file(u"target"_qs) : second).startsWith("\x89PNG"));
        QCOMPARE(QFileInfo(second).isSymLink(), kind == u"link"_qs);
    } else {
        QVERIFY2(report.errorString().contains(failure), qPrintable(report.errorString()));
        QCOMPARE(
            readAll(first), QByteArray("old")); // pages of the earlier export stay as they were
        QVERIFY(!QFile::exists(QDir(folder).filePath(u"page-003.png"_qs)));
    }
    QCOMPARE(partFiles(), QStringList());
}

void TestReportExport::engineLeftAsFound_data()
{
    QTest::addColumn<bool>("pdf");
    QTest::addColumn<bool>("cancel");
    QTest::newRow("pages") << false << false;
    QTest::newRow("pages, cancelled") << false << true;
    QTest::newRow("pdf") << true << false;
    QTest::newRow("pdf, cancelled") << true << true;
}

void TestReportExport::engineLeftAsFound()
{
    // An export in the middle of a preview puts back its zoom, page, output and surface.
    QFETCH(bool, pdf);
    QFETCH(bool, cancel);
    RecordingSurface preview;
    EngineState &s = engineState();
    s.DrawTarget = &preview;
    s.ZoomRate = 0.75;
    s.OutputMode = 2;
    s.CurSheet = s.CurRowPage = 2;
    ReportExport report(*m_print);
    if (cancel)
        report.setProgressHandler([](int done, int) { return done < 2; });
    const bool done = pdf ? report.toPdf(file(u"r.pdf"_qs)) : report.toPng(file(u"png"_qs), 2);
    QCOMPARE(done, !cancel);
    QCOMPARE(s.DrawTarget, &preview);
    QCOMPARE(s.ZoomRate, 0.75);
    QCOMPARE(s.OutputMode, qint16(2));
    QCOMPARE(s.CurSheet, 2);
    QCOMPARE(s.CurRowPage, 2);
}

void TestReportExport::layoutMessageShownOncePerJob_data()
{
    QTest::addColumn<bool>("pdf");
    QTest::newRow("pdf") << true;
    QTest::newRow("pages") << false;
}

void TestReportExport::layoutMessageShownOncePerJob()
{
    // A job lays out while its format loads and again on its output; rows taller than the
    // page give their message once, not once per layout. The next job shows it again. Such
    // pages would carry their rows off the paper: nothing is written.
    QFETCH(bool, pdf);
    m_grid.setTexts({ { u"日期"_qs }, { u"2026-12-07"_qs } });
    m_print->setLineHeight(400); // mm
    for (int job = 1; job <= 2; ++job) {
        ReportExport report(*m_print);
        QVERIFY(!(pdf ? report.toPdf(file(u"r.pdf"_qs)) : report.toPng(file(u"png"_qs), 1)));
        QVERIFY2(report.errorString().contains(u"放不下表格"_qs), qPrintable(report.errorString()));
        QVERIFY(!QFile::exists(file(u"r.pdf"_qs)) && !QFile::exists(file(u"png/page-001.png"_qs)));
        QCOMPARE(m_sink->messages().size(), job);
        QVERIFY(m_sink->messages().last().prompt.startsWith(u"行的高度小于网格高度"_qs));
    }
}

QUILLON_TEST_MAIN(TestReportExport)
#include "tst_reportexport.moc"
