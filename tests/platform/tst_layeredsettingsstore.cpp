#include "testmain.h"

#include "engine/state/messagesink.h"
#include "engine/state/platformservices.h"
#include "engine/state/registry.h"
#include "platform/layeredsettingsstore.h"

#include <QTemporaryDir>

using namespace quillon;

namespace {

const QString kReport = kFormatKeyBase + u"Sales"_qs;
const QString kKey = storePath(RootKey::LocalMachine, kReport);
const QString kNone = u"<none>"_qs; // not stored at all

void writeFile(const QString &path, const QString &text)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Spelled in other cases than the engine asks for.
QString machineText(const QString &top)
{
    return u"["_qs + kKey.toUpper() + u"]\ntOP="_qs + top + u"\nLeft=7\n"_qs;
}

} // namespace

class TestLayeredSettingsStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void readFallsBackToTheMachine_data();
    void readFallsBackToTheMachine();
    void machineFileFromXdgConfigDirs_data();
    void machineFileFromXdgConfigDirs();
    void etcXdgIsTheDefault();
    void writesNeverTouchTheMachineFile();
    void damagedMachineFileIsReadAndLeftAlone();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    /// The engine's store: the user file over the machine file in folder "etc".
    LayeredSettingsStore *install()
    {
        auto store = std::make_unique<LayeredSettingsStore>(
            std::make_unique<FileSettingsStore>(path(u"user.ini"_qs)), QStringList { m_machine });
        LayeredSettingsStore *raw = store.get();
        setSettingsStore(std::move(store));
        return raw;
    }
    QString read() { return ReadSetting(RootKey::LocalMachine, kReport, u"Top"_qs, u"10"_qs); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_machine;
    QByteArray m_xdgDirs = qgetenv("XDG_CONFIG_DIRS");
    RecordingMessageSink *m_sink = nullptr;
};

void TestLayeredSettingsStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_machine = path(u"etc/quillon/settings.ini"_qs);
    auto sink = std::make_unique<RecordingMessageSink>();
    m_sink = sink.get();
    setMessageSink(std::move(sink));
}

void TestLayeredSettingsStore::cleanup()
{
    QFile::setPermissions(QFileInfo(m_machine).absolutePath(),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_CONFIG_DIRS", m_xdgDirs);
    resetPlatformServices();
}

void TestLayeredSettingsStore::readFallsBackToTheMachine_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("machine");
    QTest::addColumn<QString>("read");
    QTest::addColumn<QString>("storedForUser");
    QTest::addColumn<QString>("readAfterAdminChange");
    QTest::newRow("user value wins") << u"12"_qs << u"30"_qs << u"12"_qs << u"12"_qs << u"12"_qs;
    QTest::newRow("empty user value wins") << u""_qs << u"30"_qs << u""_qs << u""_qs << u""_qs;
    QTest::newRow("machine value, not copied")
        << kNone << u"30"_qs << u"30"_qs << kNone << u"301"_qs;
    QTest::newRow("default stored for the user")
        << kNone << kNone << u"10"_qs << u"10"_qs << u"10"_qs;
}

void TestLayeredSettingsStore::readFallsBackToTheMachine()
{
    QFETCH(QString, user);
    QFETCH(QString, machine);
    writeFile(path(u"user.ini"_qs),
        u"["_qs + kKey + u"]\nOther=1\n"_qs + (user == kNone ? QString() : u"Top="_qs + user));
    if (machine != kNone)
        writeFile(m_machine, machineText(machine));
    install();
    QTEST(read(), "read");
    QTEST(FileSettingsStore(path(u"user.ini"_qs)).value(kKey, u"Top"_qs).value_or(kNone),
        "storedForUser");
    if (machine != kNone)
        writeFile(m_machine, machineText(u"301"_qs));
    QTEST(read(), "readAfterAdminChange");
    QVERIFY(m_sink->messages().isEmpty());
}

void TestLayeredSettingsStore::machineFileFromXdgConfigDirs_data()
{
    QTest::addColumn<QString>("dirs"); // %1 is the test's folder; b and c have a machine file
    QTest::addColumn<QString>("used");
    QTest::newRow("first with the file wins") << u"%1/b:%1/c"_qs << u"b"_qs;
    QTest::newRow("folder without it skipped") << u"%1/a:%1/c:%1/b"_qs << u"c"_qs;
    QTest::newRow("empty and relative ignored") << u"::b:%1/c"_qs << u"c"_qs;
    QTest::newRow("none has it") << u"%1/a"_qs << QString();
}

void TestLayeredSettingsStore::machineFileFromXdgConfigDirs()
{
    QFETCH(QString, dirs);
    QFETCH(QString, used);
    for (const QString &folder : { u"b"_qs, u"c"_qs })
        writeFile(path(folder + u"/quillon/settings.ini"_qs), machineText(folder));
    qputenv("XDG_CONFIG_DIRS", dirs.arg(m_dir->path()).toUtf8());
    LayeredSettingsStore store(std::make_unique<FileSettingsStore>(path(u"user.ini"_qs)),
        LayeredSettingsStore::defaultMachinePaths());
    QCOMPARE(store.value(kKey, u"Top"_qs), used.isNull() ? std::nullopt : std::optional(used));
    QCOMPARE(store.machinePath(), used.isNull() ? used : path(used + u"/quillon/settings.ini"_qs));
    QCOMPARE(LayeredSettingsStore::defaultMachinePath(), store.machinePath());
}

void TestLayeredSettingsStore::etcXdgIsTheDefault()
{
    const QStringList etc { u"/etc/xdg/quillon/settings.ini"_qs };
    qunsetenv("XDG_CONFIG_DIRS");
    QCOMPARE(LayeredSettingsStore::defaultMachinePaths(), etc);
    qputenv("XDG_CONFIG_DIRS", "");
    QCOMPARE(LayeredSettingsStore::defaultMachinePaths(), etc);
}

void TestLayeredSettingsStore::writesNeverTouchTheMachineFile()
{
    writeFile(m_machine, machineText(u"30"_qs));
    const QString folder = QFileInfo(m_machine).absolutePath();
    QVERIFY(QFile::setPermissions(m_machine, QFile::ReadOwner | QFile::ReadOther));
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther));
    const QByteArray bytes = readFile(m_machine);
    const QDateTime mtime = QFileInfo(m_machine).lastModified();
    const QStringList listing = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden);
    LayeredSettingsStore *store = install();

    // A key only the machine file has exists for reading, and writing to it creates the user's.
    QVERIFY(store->keyHandle(kKey) != 0);
    QCOMPARE(store->userStore().keyHandle(kKey), 0);
    WriteSetting(RootKey::LocalMachine, kReport, u"Top"_qs, u"5"_qs);
    QCOMPARE(ReadSetting(RootKey::LocalMachine, kReport + u"2"_qs, u"Top"_qs, u"10"_qs), u"10"_qs);
    SettingsBatch batch(*store);
    QVERIFY(store->setValue(kKey, u"Right"_qs, u"8"_qs));
    QVERIFY(batch.commit());
    QVERIFY(m_sink->messages().isEmpty());
    QCOMPARE(read(), u"5"_qs);
    FileSettingsStore user(path(u"user.ini"_qs));
    QCOMPARE(user.value(kKey, u"Right"_qs), std::optional(u"8"_qs));
    QCOMPARE(user.value(kKey, u"Left"_qs), std::nullopt);

    QCOMPARE(readFile(m_machine), bytes);
    QCOMPARE(QFileInfo(m_machine).lastModified(), mtime);
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden), listing);
}

void TestLayeredSettingsStore::damagedMachineFileIsReadAndLeftAlone()
{
    writeFile(m_machine, machineText(u"30"_qs) + u"not a value\n"_qs);
    const QByteArray bytes = readFile(m_machine);
    QStringList messages;
    install()->setProblemHandler([&](const QString &m) { messages << m; });
    for (int i = 0; i < 3; ++i)
        QCOMPARE(read(), u"30"_qs);
    WriteSetting(RootKey::LocalMachine, kReport, u"Top"_qs, u"5"_qs);
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].contains(m_machine));
    QCOMPARE(readFile(m_machine), bytes);
    QCOMPARE(QDir(path(u"etc/quillon"_qs)).entryList(QDir::Files | QDir::Hidden),
        QStringList { u"settings.ini"_qs }); // no backup beside it
}

QUILLON_TEST_MAIN(TestLayeredSettingsStore)
#include "tst_layeredsettingsstore.moc"
