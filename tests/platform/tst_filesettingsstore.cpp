#include "testmain.h"

#include "platform/filesettingsstore.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <csignal>

using namespace quillon;

namespace {

const QString kKey =
    QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Velmora\\Orvane\\Quillon\\PGFMT\\DefaultFormat");

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QString writerPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/settings_writer");
}

} // namespace

class TestFileSettingsStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each test starts with an empty folder of its own.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void roundTrip_data();
    void roundTrip();
    void fileIsReadableByAPerson();
    void namesAndKeysIgnoreCase();
    void handEditedFileIsRead();
    void missingFileIsEmpty();
    void batchWritesOnceAtTheEnd();
    void seesOtherProcessesWrites();
    void damagedFileKeepsWhatCanBeRead();
    void damageIsReportedOnce();
    void killedWritersNeverTearTheFile();
    void concurrentWritersLoseNothing();
    void defaultPath();

private:
    QString file(const QString &name = QStringLiteral("settings.ini")) const
    {
        return m_dir->filePath(name);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFileSettingsStore::roundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("number") << u"10"_qs;
    QTest::newRow("empty") << QString();
    QTest::newRow("chinese") << u"楷体_GB2312"_qs;
    QTest::newRow("windows path") << u"C:\\报表\\logo.bmp"_qs;
    QTest::newRow("blanks at the ends") << u"  两端空格 "_qs;
    QTest::newRow("line breaks and tabs") << u"第一行\r\n第二行\t尾"_qs;
    QTest::newRow("quotes") << u"\"引号\" 和 \\反斜杠\\"_qs;
    QTest::newRow("equals and semicolon") << u"a=b;c # d"_qs;
    QTest::newRow("long") << QString(u"金额"_qs).repeated(500);
}

void TestFileSettingsStore::roundTrip()
{
    QFETCH(QString, value);
    {
        FileSettingsStore store(file());
        QVERIFY(store.createKey(kKey));
        QVERIFY(store.setValue(kKey, u"LogText"_qs, value));
    }
    FileSettingsStore again(file());
    QCOMPARE(again.value(kKey, u"LogText"_qs), std::optional<QString>(value));
    QVERIFY(FileSettingsStore::parse(readAll(file())).problems.isEmpty());
}

void TestFileSettingsStore::fileIsReadableByAPerson()
{
    FileSettingsStore store(file());
    QVERIFY(store.createKey(kKey));
    QVERIFY(store.setValue(kKey, u"Top"_qs, u"10"_qs));
    QVERIFY(store.setValue(kKey, u"FONT0_Name"_qs, u"宋体"_qs));
    const QString text = QString::fromUtf8(readAll(file()));
    QVERIFY(text.contains(u"\n[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Orvane\\Quillon\\PGFMT\\"
                          "DefaultFormat]\nTop=10\nFONT0_Name=宋体\n"_qs));
    QVERIFY(text.startsWith(u"; Quillon settings"_qs));
}

void TestFileSettingsStore::namesAndKeysIgnoreCase()
{
    FileSettingsStore store(file());
    QVERIFY(store.createKey(kKey + u"\\"_qs));
    QVERIFY(store.setValue(kKey, u"LogTextPrt"_qs, u"1"_qs));
    QVERIFY(store.setValue(kKey.toLower(), u"LOGTEXTPRT"_qs, u"0"_qs));
    QCOMPARE(store.value(kKey.toUpper(), u"LogtextPrt"_qs), std::optional<QString>(u"0"_qs));
    // One value, under its first spelling.
    const QString text = QString::fromUtf8(readAll(file()));
    QCOMPARE(text.count(u"=0"_qs), 1);
    QVERIFY(text.contains(u"LogTextPrt=0"_qs));
    QCOMPARE(store.keyHandle(u"HKEY_LOCAL_MACHINE\\Software"_qs), 0); // only whole keys
}

void TestFileSettingsStore::handEditedFileIsRead()
{
    writeAll(file(), QByteArray("\xEF\xBB\xBF; edited by hand\r\n"
                                "[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Orvane\\Quillon\\PGFMT\\"
                                "DefaultFormat]\r\n"
                                "  Top = 12 \r\n"
                                "# a comment\r\n"
                                "LogText = \"  spaced \"\r\n"));
    FileSettingsStore store(file());
    QCOMPARE(store.value(kKey, u"Top"_qs), std::optional<QString>(u" 12 "_qs));
    QCOMPARE(store.value(kKey, u"LogText"_qs), std::optional<QString>(u"  spaced "_qs));
    QVERIFY(FileSettingsStore::parse(readAll(file())).problems.isEmpty());
}

void TestFileSettingsStore::missingFileIsEmpty()
{
    FileSettingsStore store(file(u"sub/dir/none.ini"_qs));
    QCOMPARE(store.keyHandle(kKey), 0);
    QCOMPARE(store.value(kKey, u"Top"_qs), std::nullopt);
    QVERIFY(!store.setValue(kKey, u"Top"_qs, u"1"_qs)); // no key yet
    QVERIFY(store.createKey(kKey));                    // creates the folders too
    QVERIFY(QFile::exists(file(u"sub/dir/none.ini"_qs)));
}

void TestFileSettingsStore::batchWritesOnceAtTheEnd()
{
    FileSettingsStore store(file());
    store.beginBatch();
    QVERIFY(store.createKey(kKey));
    for (int i = 0; i < 80; ++i)
        QVERIFY(store.setValue(kKey, QStringLiteral("V%1").arg(i), QString::number(i)));
    QCOMPARE(store.value(kKey, u"V79"_qs), std::optional<QString>(u"79"_qs));
    QVERIFY(!QFile::exists(file()));
    QVERIFY(store.endBatch());
    FileSettingsStore other(file());
    QCOMPARE(other.value(kKey, u"V79"_qs), std::optional<QString>(u"79"_qs));
}

void TestFileSettingsStore::seesOtherProcessesWrites()
{
    FileSettingsStore first(file());
    QVERIFY(first.createKey(kKey));
    QVERIFY(first.setValue(kKey, u"Top"_qs, u"10"_qs));
    FileSettingsStore second(file());
    QVERIFY(second.setValue(kKey, u"Top"_qs, u"20 and longer"_qs));
    QCOMPARE(first.value(kKey, u"Top"_qs), std::optional<QString>(u"20 and longer"_qs));
    // A write of the first store keeps the second's other values.
    QVERIFY(second.setValue(kKey, u"Left"_qs, u"7"_qs));
    QVERIFY(first.setValue(kKey, u"Right"_qs, u"8"_qs));
    FileSettingsStore third(file());
    QCOMPARE(third.value(kKey, u"Left"_qs), std::optional<QString>(u"7"_qs));
    QCOMPARE(third.value(kKey, u"Right"_qs), std::optional<QString>(u"8"_qs));
}

void TestFileSettingsStore::damagedFileKeepsWhatCanBeRead()
{
    static const char raw[] = "[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Orvane\\Quillon\\PGFMT\\"
                             "DefaultFormat]\n"
                             "Top=12\n"
                             "this line has no equals sign\n"
                             "Left=\"unterminated\n"
                             "Bottom=\xff\xfe broken utf8\n"
                             "Right=9\n"
                             "=no name\n"
                             "[]\n"
                             "Orphan=1\n"
                             "[HKEY_LOCAL_MACHINE\\Other]\n"
                             "Zoom=2\n"
                             "Torn=ab\0cd\n";
    const QByteArray damaged(raw, sizeof raw - 1);
    writeAll(file(), damaged);
    QStringList messages;
    FileSettingsStore store(file());
    store.setProblemHandler([&](const QString &m) { messages << m; });

    QCOMPARE(store.value(kKey, u"Top"_qs), std::optional<QString>(u"12"_qs));
    QCOMPARE(store.value(kKey, u"Right"_qs), std::optional<QString>(u"9"_qs));
    QCOMPARE(store.value(kKey, u"Left"_qs), std::nullopt);
    QCOMPARE(store.value(u"HKEY_LOCAL_MACHINE\\Other"_qs, u"Zoom"_qs),
             std::optional<QString>(u"2"_qs));
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].contains(file()));
    QVERIFY(!store.lastBackup().isEmpty());
    QVERIFY(messages[0].contains(store.lastBackup()));
    QCOMPARE(readAll(store.lastBackup()), damaged); // the backup is the file as it was

    // Rewriting keeps every value that could be read.
    QVERIFY(store.setValue(kKey, u"Top"_qs, u"15"_qs));
    const FileSettingsStore::Document doc = FileSettingsStore::parse(readAll(file()));
    QVERIFY(doc.problems.isEmpty());
    FileSettingsStore after(file());
    QCOMPARE(after.value(kKey, u"Top"_qs), std::optional<QString>(u"15"_qs));
    QCOMPARE(after.value(kKey, u"Right"_qs), std::optional<QString>(u"9"_qs));
    QCOMPARE(after.value(u"HKEY_LOCAL_MACHINE\\Other"_qs, u"Zoom"_qs),
             std::optional<QString>(u"2"_qs));
    QCOMPARE(messages.size(), 1);
}

void TestFileSettingsStore::damageIsReportedOnce()
{
    writeAll(file(), "[HKEY_LOCAL_MACHINE\\A]\nnonsense\nX=1\n");
    int reports = 0;
    FileSettingsStore store(file());
    store.setProblemHandler([&](const QString &) { ++reports; });
    for (int i = 0; i < 5; ++i)
        QCOMPARE(store.value(u"HKEY_LOCAL_MACHINE\\A"_qs, u"X"_qs), std::optional<QString>(u"1"_qs));
    QCOMPARE(reports, 1);
    const QStringList backups =
        QDir(m_dir->path()).entryList({ u"settings.ini.damaged-*"_qs }, QDir::Files);
    QCOMPARE(backups.size(), 1);
}

// A writer killed at a random moment leaves the old file or the new one, never a torn one.
void TestFileSettingsStore::killedWritersNeverTearTheFile()
{
    if (!QFile::exists(writerPath()))
        QSKIP("the settings_writer helper was not built");
    const QString path = file(u"killed.ini"_qs);
    QRandomGenerator random(20261207);
    int killedMidWork = 0;
    for (int round = 0; round < 300; ++round) {
        QProcess writer;
        writer.start(writerPath(), { path, kKey, u"1000000"_qs, u"40"_qs });
        QVERIFY(writer.waitForStarted());
        QThread::usleep(random.bounded(2000, 25000));
        ::kill(pid_t(writer.processId()), SIGKILL);
        writer.waitForFinished();
        killedMidWork += writer.exitStatus() == QProcess::CrashExit;

        const QByteArray bytes = readAll(path);
        if (bytes.isEmpty() && !QFile::exists(path))
            continue; // killed before its first save
        const FileSettingsStore::Document doc = FileSettingsStore::parse(bytes);
        QVERIFY2(doc.problems.isEmpty(), qPrintable(doc.problems.join(u'\n')));
        QCOMPARE(doc.keys.size(), 1);
        const auto &entries = doc.keys[0].entries;
        QCOMPARE(entries.size(), 40);
        for (const auto &entry : entries)
            QCOMPARE(entry.value, entries[0].value); // one generation, whole
    }
    QVERIFY(killedMidWork > 250);
}

void TestFileSettingsStore::concurrentWritersLoseNothing()
{
    if (!QFile::exists(writerPath()))
        QSKIP("the settings_writer helper was not built");
    const QString path = file(u"shared.ini"_qs);
    const QStringList keys = { kKey + u"1"_qs, kKey + u"2"_qs, kKey + u"3"_qs };
    QList<QProcess *> writers;
    for (const QString &key : keys) {
        auto *p = new QProcess(this);
        p->start(writerPath(), { path, key, u"40"_qs, u"30"_qs });
        writers << p;
    }
    for (QProcess *p : writers) {
        QVERIFY(p->waitForFinished(120000));
        QCOMPARE(p->exitCode(), 0);
        QCOMPARE(p->readAllStandardOutput().trimmed(), QByteArray("done"));
    }
    qDeleteAll(writers);
    FileSettingsStore store(path);
    for (const QString &key : keys) {
        for (int v = 0; v < 30; ++v)
            QCOMPARE(store.value(key, QStringLiteral("Value%1").arg(v)),
                     std::optional<QString>(u"40"_qs));
    }
}

void TestFileSettingsStore::defaultPath()
{
    qputenv("QUILLON_SETTINGS", file(u"from-env.ini"_qs).toUtf8());
    QCOMPARE(FileSettingsStore::defaultPath(), file(u"from-env.ini"_qs));
    FileSettingsStore::setDefaultPath(file(u"from-api.ini"_qs));
    QCOMPARE(FileSettingsStore::defaultPath(), file(u"from-api.ini"_qs));
    FileSettingsStore::setDefaultPath(QString());
    qunsetenv("QUILLON_SETTINGS");
    qputenv("XDG_CONFIG_HOME", m_dir->path().toUtf8());
    QCOMPARE(FileSettingsStore::defaultPath(), file(u"quillon/settings.ini"_qs));
}

QUILLON_TEST_MAIN(TestFileSettingsStore)
#include "tst_filesettingsstore.moc"
