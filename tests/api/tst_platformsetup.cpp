#include "testmain.h"

#include "engine/draw/surface.h"
#include "engine/state/enginestate.h"
#include "engine/state/messagesink.h"
#include "engine/state/platformservices.h"
#include "engine/state/registry.h"
#include "platform/filesettingsstore.h"
#include "platform/layeredsettingsstore.h"
#include "printer/printingsystem.h"

#include <quillon/myprint.h>
#include <quillon/platform.h>

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

QUILLON_TEST_MAIN(TestPlatformSetup)
#include "tst_platformsetup.moc"
