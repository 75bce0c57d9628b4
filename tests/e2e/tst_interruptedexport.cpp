#include "support/files.h"
#include "testmain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

#include <sys/stat.h>

/// quillon-print stopped by Ctrl+C, a kill or a hang-up in the middle of an export: the file of
/// an earlier run stays as it was and nothing half-written is left beside it.
class TestInterruptedExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(m_dir.emplace().isValid()); }
    void oldOutputSurvives_data();
    void oldOutputSurvives();
    void pageThatNeverEndsIsStopped_data();
    void pageThatNeverEndsIsStopped();
    void killedRunLeavesNothingToTheNext();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    /// A CSV file of enough rows that an export is still drawing when a signal comes.
    QString bigCsv();
    QString smallCsv()
    {
        writeAll(path(u"small.csv"_qs), "编号,名称\n1,甲\n");
        return path(u"small.csv"_qs);
    }
    void launch(QProcess &p, const QStringList &args);
    /// Returns once the program writes a file beside its target in folder.
    void waitForPart(QProcess &p, const QString &folder);
    void start(QProcess &p, const QStringList &args, const QString &folder)
    {
        launch(p, args);
        waitForPart(p, folder);
    }
    static QStringList partial(const QString &folder)
    {
        return QDir(folder).entryList({ u"*.part"_qs }, QDir::Files);
    }

    std::optional<QTemporaryDir> m_dir;
};

QString TestInterruptedExport::bigCsv()
{
    QByteArray csv = "编号,名称,金额\n";
    for (int r = 0; r < 60000; ++r)
        csv += QByteArray::number(r) + ",华东区第" + QByteArray::number(r % 97)
            + "号仓库,1280.00\n";
    writeAll(path(u"big.csv"_qs), csv);
    return path(u"big.csv"_qs);
}

void TestInterruptedExport::launch(QProcess &p, const QStringList &args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"CUPS_SERVER"_qs, path(u"no-cups.sock"_qs));
    env.insert(u"XDG_CONFIG_HOME"_qs, path(u"config"_qs));
    env.remove(u"QUILLON_SETTINGS"_qs);
    p.setProcessEnvironment(env);
    // As from a terminal: a test run in the background of a script would pass on ignored
    // signals, which the program keeps ignoring.
    p.setChildProcessModifier([] {
        for (int signal : { SIGINT, SIGTERM, SIGHUP })
            std::signal(signal, SIG_DFL);
    });
    p.start(QStringLiteral(QUILLON_PRINT_EXE), args);
    QVERIFY(p.waitForStarted());
}

void TestInterruptedExport::waitForPart(QProcess &p, const QString &folder)
{
    QElapsedTimer waited;
    waited.start();
    while (partial(folder).isEmpty()) {
        QVERIFY2(p.state() == QProcess::Running, p.readAllStandardError().constData());
        QVERIFY2(waited.elapsed() < 120000, "the export never began");
        QTest::qWait(20);
    }
}

void TestInterruptedExport::oldOutputSurvives_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("output");
    QTest::newRow("Ctrl+C, PDF") << int(SIGINT) << u"report.pdf"_qs;
    QTest::newRow("kill, PDF") << int(SIGTERM) << u"report.pdf"_qs;
    QTest::newRow("hang-up, PDF") << int(SIGHUP) << u"report.pdf"_qs;
    QTest::newRow("Ctrl+C, PNG pages") << int(SIGINT) << u"pages"_qs;
    QTest::newRow("hang-up, PNG pages") << int(SIGHUP) << u"pages"_qs;
}

void TestInterruptedExport::oldOutputSurvives()
{
    QFETCH(int, signal);
    QFETCH(QString, output);
    const bool png = !output.endsWith(u".pdf"_qs);
    const QString target = path(png ? output + u"/page-001.png"_qs : output);
    const QString folder = QFileInfo(target).absolutePath();
    QDir().mkpath(folder);
    const QByteArray old = "an earlier run's output";
    writeAll(target, old);

    QProcess p;
    start(p, { png ? u"--png"_qs : u"--pdf"_qs, path(output), bigCsv() }, folder);
    QCOMPARE(::kill(pid_t(p.processId()), signal), 0);
    QVERIFY(p.waitForFinished(120000));

    const QString err = QString::fromUtf8(p.readAllStandardError());
    // Ended by the signal, as a shell expects of a program it interrupted.
    QCOMPARE(p.exitStatus(), QProcess::CrashExit);
    QVERIFY2(err.contains(u"已中断：没有写出文件，原有的同名文件未改动"_qs), qPrintable(err));
    QCOMPARE(readAll(target), old);
    QCOMPARE(partial(folder), QStringList());
}

// A page that never ends (its logo is a pipe nobody writes to): a stop ends the program anyway,
// after two seconds or at a second signal.
void TestInterruptedExport::pageThatNeverEndsIsStopped_data()
{
    QTest::addColumn<int>("second");
    QTest::newRow("kill") << 0;
    QTest::newRow("kill, then Ctrl+C") << int(SIGINT);
}

void TestInterruptedExport::pageThatNeverEndsIsStopped()
{
    QFETCH(int, second);
    // A page that takes far longer than the two seconds a stop waits for it: a million cells
    // of a thousand columns, all on one page.
    QByteArray csv;
    for (int r = 0; r <= 1000; ++r) {
        for (int c = 0; c < 1000; ++c)
            csv += (c ? "," : "") + QByteArray::number(r * 1000 + c);
        csv += '\n';
    }
    writeAll(path(u"page.csv"_qs), csv);
    QProcess p;
    launch(p,
        { u"--pdf"_qs, path(u"report.pdf"_qs), u"--format"_qs, u"LineCount=1000"_qs, u"--format"_qs,
            u"HoriCutPage=0"_qs, path(u"page.csv"_qs) });
    waitForPart(p, m_dir->path());
    QCOMPARE(::kill(pid_t(p.processId()), SIGTERM), 0);
    if (second) {
        QTest::qWait(100); // one signal at a time: a second of a kind still pending is lost
        QCOMPARE(::kill(pid_t(p.processId()), second), 0);
    }
    // Well before the page could have ended.
    QElapsedTimer stopping;
    stopping.start();
    QVERIFY(p.waitForFinished(30000));
    QVERIFY2(stopping.elapsed() < 8000, qPrintable(QString::number(stopping.elapsed())));
    QCOMPARE(p.exitStatus(), QProcess::CrashExit);
    QCOMPARE(partial(m_dir->path()), QStringList());
}

void TestInterruptedExport::killedRunLeavesNothingToTheNext()
{
    QProcess p;
    start(p, { u"--pdf"_qs, path(u"report.pdf"_qs), bigCsv() }, m_dir->path());
    QCOMPARE(::kill(pid_t(p.processId()), SIGKILL), 0);
    QVERIFY(p.waitForFinished());
    QCOMPARE(partial(m_dir->path()).size(), 1);

    QProcess next;
    launch(next, { u"--pdf"_qs, path(u"report.pdf"_qs), smallCsv() });
    QVERIFY(next.waitForFinished(120000));
    QCOMPARE(next.exitCode(), 0);
    QCOMPARE(partial(m_dir->path()), QStringList());
}

QUILLON_TEST_MAIN(TestInterruptedExport)
#include "tst_interruptedexport.moc"
