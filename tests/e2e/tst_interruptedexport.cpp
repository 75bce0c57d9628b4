#include "support/files.h"
#include "testmain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

/// quillon-print stopped by Ctrl+C or a kill in the middle of an export: the file of an
/// earlier run stays as it was and nothing half-written is left beside it.
class TestInterruptedExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oldOutputSurvives_data();
    void oldOutputSurvives();
};

void TestInterruptedExport::oldOutputSurvives_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("output");
    QTest::newRow("Ctrl+C, PDF") << int(SIGINT) << u"report.pdf"_qs;
    QTest::newRow("kill, PDF") << int(SIGTERM) << u"report.pdf"_qs;
    QTest::newRow("Ctrl+C, PNG pages") << int(SIGINT) << u"pages"_qs;
}

void TestInterruptedExport::oldOutputSurvives()
{
    QFETCH(int, signal);
    QFETCH(QString, output);
    QTemporaryDir dir;
    // Enough rows that the export is still drawing when the signal comes.
    QByteArray csv = "编号,名称,金额\n";
    for (int r = 0; r < 60000; ++r)
        csv += QByteArray::number(r) + ",华东区第" + QByteArray::number(r % 97)
            + "号仓库,1280.00\n";
    const QString input = dir.filePath(u"big.csv"_qs);
    writeAll(input, csv);
    const bool png = !output.endsWith(u".pdf"_qs);
    const QString target = dir.filePath(png ? output + u"/page-001.png"_qs : output);
    QDir().mkpath(QFileInfo(target).absolutePath());
    const QByteArray old = "an earlier run's output";
    writeAll(target, old);

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"CUPS_SERVER"_qs, dir.filePath(u"no-cups.sock"_qs));
    env.insert(u"XDG_CONFIG_HOME"_qs, dir.filePath(u"config"_qs));
    env.remove(u"QUILLON_SETTINGS"_qs);
    p.setProcessEnvironment(env);
    // As from a terminal: a test run in the background of a script would pass on an ignored
    // Ctrl+C, which the program keeps ignoring.
    p.setChildProcessModifier([] {
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
    });
    p.start(QStringLiteral(QUILLON_PRINT_EXE),
        { png ? u"--png"_qs : u"--pdf"_qs, dir.filePath(output), input });
    QVERIFY(p.waitForStarted());
    // The export has begun once its first page is written beside the target.
    const QDir folder(QFileInfo(target).absolutePath());
    const QStringList partial { u"*.part"_qs };
    QElapsedTimer waited;
    waited.start();
    while (folder.entryList(partial, QDir::Files).isEmpty()) {
        QVERIFY2(p.state() == QProcess::Running, p.readAllStandardError().constData());
        QVERIFY2(waited.elapsed() < 120000, "the export never began");
        QTest::qWait(20);
    }
    QCOMPARE(::kill(pid_t(p.processId()), signal), 0);
    QVERIFY(p.waitForFinished(120000));

    const QString err = QString::fromUtf8(p.readAllStandardError());
    // Ended by the signal, as a shell expects of a program it interrupted.
    QCOMPARE(p.exitStatus(), QProcess::CrashExit);
    QVERIFY2(err.contains(u"已中断：没有写出文件，原有的同名文件未改动"_qs), qPrintable(err));
    QCOMPARE(readAll(target), old);
    QCOMPARE(folder.entryList(partial, QDir::Files), QStringList());
}

QUILLON_TEST_MAIN(TestInterruptedExport)
#include "tst_interruptedexport.moc"
