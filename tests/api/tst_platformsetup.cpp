#include "testmain.h"

#include "api/myprint_p.h"
#include "engine/layout/sheetjob.h"
#include "engine/state/enginestate.h"
#include "engine/state/messagesink.h"
#include "engine/state/platformservices.h"
#include "engine/state/registry.h"
#include "platform/filesettingsstore.h"
#include "platform/interfaces/surface.h"
#include "platform/layeredsettingsstore.h"
#include "printer/printingsystem.h"

#include <quillon/flexgrid.h>
#include <quillon/myprint.h>
#include <quillon/platform.h>
#include <quillon/reportexport.h>

#include <QTemporaryDir>

using namespace quillon;

class TestPlatformSetup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void firstPrintObjectInstallsThePlatform();
    void hostChosenSettingsFile();
    void printersFromAFile();
    void brokenPrinterFileIsReported();
    void virtualPrinterCanBeSwitchedOff();
    void formatValuesReachTheJob_data();
    void formatValuesReachTheJob();

private:
    /// The user's file of the installed store.
    static QString userFile()
    {
        auto *store = dynamic_cast<LayeredSettingsStore *>(&settingsStore());
        auto *user = store ? dynamic_cast<FileSettingsStore *>(&store->userStore()) : nullptr;
        return user ? user->path() : QString();
    }
    RecordingMessageSink *m_sink = nullptr;
    QTemporaryDir m_dir;
};

void TestPlatformSetup::init()
{
    resetEngineState();
    resetPlatformServices();
    auto sink = std::make_unique<RecordingMessageSink>();
    m_sink = sink.get();
    setMessageSink(std::move(sink));
    qputenv("QUILLON_SETTINGS", m_dir.filePath(u"settings.ini"_qs).toUtf8());
    qputenv("QUILLON_PDF_DIR", m_dir.filePath(u"pdf"_qs).toUtf8());
}

void TestPlatformSetup::cleanup()
{
    qunsetenv("QUILLON_PRINTERS");
    setVirtualPdfPrinterEnabled(true);
    resetEngineState();
    resetPlatformServices();
}

void TestPlatformSetup::firstPrintObjectInstallsThePlatform()
{
    QVERIFY(!hasSettingsStore());
    QVERIFY(!hasPrintingSystem());
    MyPrint print;
    QVERIFY(hasSettingsStore());
    QVERIFY(hasPrintingSystem());
    QCOMPARE(userFile(), m_dir.filePath(u"settings.ini"_qs));
    QCOMPARE(settingsFile(), m_dir.filePath(u"settings.ini"_qs));
    // The embedded PDF printer is always there.
    const QList<PrinterInfo> printers = printingSystem().printers();
    QVERIFY(std::any_of(printers.cbegin(), printers.cend(),
        [](const PrinterInfo &p) { return p.deviceName == u"Quillon PDF"_qs; }));
    QVERIFY(printingSystem().currentPrinter());
}

void TestPlatformSetup::hostChosenSettingsFile()
{
    // The machine-wide file still supplies what the host's file lacks.
    const QString machine = m_dir.filePath(u"xdg/quillon/settings.ini"_qs);
    QVERIFY(QDir().mkpath(QFileInfo(machine).absolutePath()));
    QFile f(machine);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[HKEY_LOCAL_MACHINE\\Software\\Admin]\nTop=30\n");
    f.close();
    const QByteArray xdgDirs = qgetenv("XDG_CONFIG_DIRS");
    qputenv("XDG_CONFIG_DIRS", m_dir.filePath(u"xdg"_qs).toUtf8());
    MyPrint print;
    setSettingsFile(m_dir.filePath(u"host.ini"_qs));
    QCOMPARE(userFile(), m_dir.filePath(u"host.ini"_qs));
    QCOMPARE(machineSettingsFile(), machine);
    QCOMPARE(
        ReadSetting(RootKey::LocalMachine, u"Software\\Admin"_qs, u"Top"_qs, u"10"_qs), u"30"_qs);
    qputenv("XDG_CONFIG_DIRS", xdgDirs);
    setSettingsFile(QString());
    QCOMPARE(settingsFile(), m_dir.filePath(u"settings.ini"_qs));
}

void TestPlatformSetup::printersFromAFile()
{
    QFile f(m_dir.filePath(u"printers.ini"_qs));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[Desk Recorder]\noutput=recording\npapers=9\n");
    f.close();
    qputenv("QUILLON_PRINTERS", f.fileName().toUtf8());
    MyPrint print;
    QVERIFY(printingSystem().selectPrinter(u"Desk Recorder"_qs));
    QCOMPARE(printingSystem().currentPrinter()->DeviceName(), u"Desk Recorder"_qs);
    QVERIFY(m_sink->messages().isEmpty());
}

void TestPlatformSetup::brokenPrinterFileIsReported()
{
    QFile f(m_dir.filePath(u"broken.ini"_qs));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[P]\nwhat=ever\n");
    f.close();
    qputenv("QUILLON_PRINTERS", f.fileName().toUtf8());
    MyPrint print;
    QCOMPARE(m_sink->messages().size(), 1);
    QVERIFY(m_sink->messages()[0].prompt.contains(u"broken.ini"_qs));
    QVERIFY(printingSystem().hasPrinter()); // the PDF printer still works
}

void TestPlatformSetup::virtualPrinterCanBeSwitchedOff()
{
    MyPrint print;
    setVirtualPdfPrinterEnabled(false);
    QVERIFY(!virtualPdfPrinterEnabled());
    const QList<PrinterInfo> printers = printingSystem().printers();
    QVERIFY(std::none_of(printers.cbegin(), printers.cend(),
        [](const PrinterInfo &p) { return p.deviceName == u"Quillon PDF"_qs; }));
}

// A value given for a report's key is the one its job uses, whatever the key's blanks, and even
// when the settings file cannot keep it.
void TestPlatformSetup::formatValuesReachTheJob_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("plain key") << u"报表"_qs << false;
    QTest::newRow("blank after the key") << u"报表 "_qs << false;
    QTest::newRow("blank before the key") << u" 报表"_qs << false;
    QTest::newRow("line break in the key") << u"报\n表"_qs << false;
    QTest::newRow("read-only settings file") << u"报表"_qs << true;
    QTest::newRow("read-only, blank after the key") << u"报表 "_qs << true;
}

void TestPlatformSetup::formatValuesReachTheJob()
{
    QFETCH(QString, key);
    QFETCH(bool, readOnly);
    const QString path = m_dir.filePath(u"formats.ini"_qs);
    QFile::remove(path);
    if (readOnly) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    }
    FlexGrid grid;
    grid.setTexts({ { u"客户"_qs, u"金额"_qs }, { u"华东"_qs, u"1"_qs } });
    grid.setFixedRows(1);
    MyPrint print;
    print.setDatagrid(&grid);
    print.setGridType(MyPrint::MnuGridType::ssMsflexGrid);
    print.setPrintKeyName(key);
    setSettingsFile(path);
    setFormatValue(key, u"Top"_qs, u"33"_qs);
    setFormatValue(key, u"Left"_qs, u"21"_qs);
    if (!readOnly)
        setSettingsFile(path); // read back from the file, as the next run does

    ReportExport report(print);
    QVERIFY2(report.toPdf(m_dir.filePath(u"formats.pdf"_qs)), qPrintable(report.errorString()));
    SheetJob job(MyPrintPrivate::get(print));
    QVERIFY(job.prepare(1));
    QCOMPARE(job.state().Format.Top, qint16(33));
    QCOMPARE(job.state().Format.Left, qint16(21));
    QCOMPARE(QFileInfo(path).size() == 0, readOnly);
    QStringList prompts;
    for (const auto &m : m_sink->messages())
        prompts << m.prompt + u" / "_qs + m.title;
    // Told once that the values were not saved, and where; never in registry words.
    QCOMPARE(prompts.size(), readOnly ? 1 : 0);
    if (readOnly)
        QVERIFY2(prompts[0].contains(path) && prompts[0].contains(u"没有保存"_qs),
            qPrintable(prompts[0]));
    QVERIFY(!prompts.join(QString()).contains(u"Reg"_qs));
}

QUILLON_TEST_MAIN(TestPlatformSetup)
#include "tst_platformsetup.moc"
