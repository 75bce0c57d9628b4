#include "support/files.h"
#include "testmain.h"

#include "platform/filesettingsstore.h"
#include "support/filesizelimit.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <csignal>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quillon;

namespace {

const QString kKey = QStringLiteral(
    "HKEY_LOCAL_MACHINE\\Software\\Velmora\\Orvane\\Quillon\\PGFMT\\DefaultFormat");

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
    void defaultsNeverReplaceValuesStoredMeanwhile();
    void defaultPath();
    void anyTextRoundTrips_data();
    void anyTextRoundTrips();
    void quotedLookingOldLinesReadAsBefore();
    void untouchedKeysAreSavedAsTheyWere();
    void unsavableChangesStayForTheRun_data();
    void unsavableChangesStayForTheRun();
    void symlinkIsFollowed();
    void lockFileOfNobodyHoldsNothingUp_data();
    void lockFileOfNobodyHoldsNothingUp();
    void damageIsBackedUpOncePerContent();
    void unreadableFileIsNotWrittenOver();

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
    writeAll(file(),
        QByteArray("\xEF\xBB\xBF; edited by hand\r\n"
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
    QVERIFY(store.createKey(kKey)); // creates the folders too
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
    QCOMPARE(
        store.value(u"HKEY_LOCAL_MACHINE\\Other"_qs, u"Zoom"_qs), std::optional<QString>(u"2"_qs));
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
    QCOMPARE(
        after.value(u"HKEY_LOCAL_MACHINE\\Other"_qs, u"Zoom"_qs), std::optional<QString>(u"2"_qs));
    QCOMPARE(messages.size(), 1);
}

void TestFileSettingsStore::damageIsReportedOnce()
{
    writeAll(file(), "[HKEY_LOCAL_MACHINE\\A]\nnonsense\nX=1\n");
    int reports = 0;
    FileSettingsStore store(file());
    store.setProblemHandler([&](const QString &) { ++reports; });
    for (int i = 0; i < 5; ++i)
        QCOMPARE(
            store.value(u"HKEY_LOCAL_MACHINE\\A"_qs, u"X"_qs), std::optional<QString>(u"1"_qs));
    QCOMPARE(reports, 1);
    const QStringList backups
        = QDir(m_dir->path()).entryList({ u"settings.ini.damaged-*"_qs }, QDir::Files);
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
    // The next save removes what the killed ones left beside the file (a slow build may have
    // killed every writer before its first save, so the key may still be missing).
    FileSettingsStore next(path);
    QVERIFY(next.createKey(kKey) && next.setValue(kKey, u"Value0"_qs, u"last"_qs));
    QCOMPARE(QDir(m_dir->path()).entryList({ u"killed.ini.*"_qs }, QDir::Files), QStringList());
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

// A load stores the defaults of a new report; another run stores a value of it meanwhile.
void TestFileSettingsStore::defaultsNeverReplaceValuesStoredMeanwhile()
{
    if (!QFile::exists(writerPath()))
        QSKIP("the settings_writer helper was not built");
    QProcess loader;
    loader.start(
        writerPath(), { file(), kKey, u"defaults"_qs, u"FONT3_Size"_qs, u"FONT4_Size"_qs });
    QVERIFY(loader.waitForReadyRead(30000));
    QCOMPARE(loader.readLine().trimmed(), QByteArray("read"));
    FileSettingsStore other(file());
    QVERIFY(other.createKey(kKey) && other.setValue(kKey, u"FONT3_Size"_qs, u"33"_qs));
    loader.write("\n");
    QVERIFY(loader.waitForFinished(30000));
    QCOMPARE(loader.readAll().trimmed(), QByteArray("done"));
    FileSettingsStore after(file());
    QCOMPARE(after.value(kKey, u"FONT3_Size"_qs), std::optional<QString>(u"33"_qs));
    QCOMPARE(after.value(kKey, u"FONT4_Size"_qs), std::optional<QString>(u"default"_qs));
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

// Keys, names and values of any text read back as they were written, and leave the file sound.
void TestFileSettingsStore::anyTextRoundTrips_data()
{
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::newRow("blank after the report") << u"报表 "_qs << u"Top"_qs << u"1"_qs;
    QTest::newRow("blank before the report") << u" 报表"_qs << u"Top"_qs << u"1"_qs;
    QTest::newRow("line break in the report") << u"报\n表"_qs << u"Top"_qs << u"1"_qs;
    QTest::newRow("brackets in the report") << u"[报表]"_qs << u"Top"_qs << u"1"_qs;
    QTest::newRow("quote starts the report") << u"\"报表"_qs << u"Top"_qs << u"1"_qs;
    QTest::newRow("= in a name") << u"报表"_qs << u"a=b"_qs << u"c=d"_qs;
    QTest::newRow("; starts a name") << u"报表"_qs << u";注释"_qs << u"1"_qs;
    QTest::newRow("# starts a name") << u"报表"_qs << u"#注释"_qs << u"1"_qs;
    QTest::newRow("[ starts a name") << u"报表"_qs << u"[键]"_qs << u"1"_qs;
    QTest::newRow("quotes in a name") << u"报表"_qs << u"\"名\""_qs << u"\"值\""_qs;
    QTest::newRow("blanks around a name") << u"报表"_qs << u" 名 "_qs << u" 值 "_qs;
    QTest::newRow("line break in a name") << u"报表"_qs << u"名\r\n称"_qs << u"值\n"_qs;
    QTest::newRow("] = ; in a value") << u"报表"_qs << u"LogText"_qs << u"a]b=c;d[e"_qs;
    QTest::newRow("control characters")
        << u"报\x01表"_qs << u"名\x7f"_qs << QString(u"\x02\0\x1b"_qs);
    QTest::newRow("broken surrogate pair")
        << u"报表"_qs << u"名"_qs << QString(QChar(0xd800)) + u"尾"_qs;
    QTest::newRow("whole surrogate pair") << u"报表😀"_qs << u"😀"_qs << u"😀"_qs;
    QTest::newRow("escape-like text") << u"报表\\u0041"_qs << u"\\n"_qs << u"\\u0041 "_qs;
    // Found by the fuzzer: a byte-order mark that starts a line was dropped on reading.
    QTest::newRow("byte-order marks") << u"\uFEFF报表"_qs << u"\uFEFF"_qs << u"\uFEFF值"_qs;
}

void TestFileSettingsStore::anyTextRoundTrips()
{
    QFETCH(QString, report);
    QFETCH(QString, name);
    QFETCH(QString, value);
    const QString key = kKey + u"\\"_qs + report;
    {
        FileSettingsStore store(file());
        QVERIFY(store.createKey(key));
        QVERIFY(store.setValue(key, name, value));
        QVERIFY(store.setValue(key, u"Other"_qs, u"2"_qs));
    }
    FileSettingsStore again(file());
    QCOMPARE(again.value(key, name), std::optional<QString>(value));
    QCOMPARE(again.value(key, u"Other"_qs), std::optional<QString>(u"2"_qs));
    if (report != report.trimmed())
        QCOMPARE(again.keyHandle(kKey + u"\\"_qs + report.trimmed()), 0);
    const FileSettingsStore::Document doc = FileSettingsStore::parse(readAll(file()));
    QVERIFY2(doc.problems.isEmpty(), qPrintable(doc.problems.join(u'\n')));
    // A second run that writes again finds the file sound.
    QStringList messages;
    again.setProblemHandler([&](const QString &m) { messages << m; });
    QVERIFY(again.setValue(key, u"Other"_qs, u"3"_qs));
    QCOMPARE(messages, QStringList());
    QCOMPARE(QDir(m_dir->path()).entryList({ u"*.damaged-*"_qs }), QStringList());
}

// Files of earlier versions never quote a name or a key: what looks half-quoted is literal.
void TestFileSettingsStore::quotedLookingOldLinesReadAsBefore()
{
    writeAll(
        file(), "[HKEY_LOCAL_MACHINE\\\"Odd]\n\"Half=1\n\"Two\" words\"=2\n  \"Quoted\" = 3 \n");
    FileSettingsStore store(file());
    const QString key = u"HKEY_LOCAL_MACHINE\\\"Odd"_qs;
    QCOMPARE(store.value(key, u"\"Half"_qs), std::optional<QString>(u"1"_qs));
    QCOMPARE(store.value(key, u"\"Two\" words\""_qs), std::optional<QString>(u"2"_qs));
    QCOMPARE(store.value(key, u"Quoted"_qs), std::optional<QString>(u" 3 "_qs));
    QVERIFY(FileSettingsStore::parse(readAll(file())).problems.isEmpty());
}

void TestFileSettingsStore::untouchedKeysAreSavedAsTheyWere()
{
    const QByteArray other = "; the administrator's note\r\nTop=  7 \r\n# kept\r\nLeft=8\r\n";
    writeAll(file(),
        "[HKEY_LOCAL_MACHINE\\Other]\r\n" + other + "\r\n" + "[" + kKey.toUtf8() + "]\nTop=1\n");
    FileSettingsStore store(file());
    QCOMPARE(store.value(u"HKEY_LOCAL_MACHINE\\Other"_qs, u"Top"_qs),
        std::optional<QString>(u"  7 "_qs));
    QVERIFY(store.setValue(kKey, u"Top"_qs, u"2"_qs));
    const QByteArray saved = readAll(file());
    QVERIFY(saved.contains("[HKEY_LOCAL_MACHINE\\Other]\n" + other + "\n["));
    FileSettingsStore again(file());
    QCOMPARE(again.value(kKey, u"Top"_qs), std::optional<QString>(u"2"_qs));
    QCOMPARE(
        again.value(u"HKEY_LOCAL_MACHINE\\Other"_qs, u"Left"_qs), std::optional<QString>(u"8"_qs));
}

// A file that cannot be written keeps the run's values in memory, and says so once.
void TestFileSettingsStore::unsavableChangesStayForTheRun_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only file") << u"readonly"_qs << u"只读"_qs;
    QTest::newRow("pipe") << u"fifo"_qs << u"不是普通文件"_qs;
    QTest::newRow("device") << u"device"_qs << u"不是普通文件"_qs;
    QTest::newRow("full disk") << u"full"_qs << u"超出了系统允许的大小"_qs;
    QTest::newRow("full disk, lock file too") << u"full-lock"_qs << u"超出了系统允许的大小"_qs;
}

void TestFileSettingsStore::unsavableChangesStayForTheRun()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString path = file();
    const QByteArray before = "[" + kKey.toUtf8() + "]\nTop=1\n";
    const bool full = kind.startsWith(u"full"_qs);
    if (kind == u"readonly"_qs || full)
        writeAll(path, before);
    if (kind == u"readonly"_qs)
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    if (kind == u"fifo"_qs)
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
    if (kind == u"device"_qs
        && ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        QSKIP("cannot make a device node here");
    std::optional<FileSizeLimit> limit;
    if (full)
        limit.emplace(kind == u"full"_qs ? 64 * 1024 : 1);

    QStringList messages;
    FileSettingsStore store(path);
    store.setProblemHandler([&](const QString &m) { messages << m; });
    QVERIFY(store.createKey(kKey));
    QVERIFY(store.setValue(kKey, u"LogText"_qs, QString(100000, u'长')));
    QVERIFY(store.setValue(kKey, u"Top"_qs, u"500"_qs));
    {
        SettingsBatch batch(store);
        QVERIFY(store.setValue(kKey, u"Left"_qs, u"9"_qs));
        QVERIFY(batch.commit());
    }
    QCOMPARE(store.value(kKey, u"Top"_qs), std::optional<QString>(u"500"_qs));
    QCOMPARE(store.value(kKey, u"Left"_qs), std::optional<QString>(u"9"_qs));
    QVERIFY(store.hasUnsavedChanges());
    limit.reset();

    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(reason) && messages[0].contains(path)
            && messages[0].contains(u"没有保存"_qs),
        qPrintable(messages[0]));
    const QFileInfo after(path);
    QCOMPARE(after.isFile(), kind == u"readonly"_qs || full);
    if (after.isFile())
        QCOMPARE(readAll(path), before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::System | QDir::Hidden),
        QStringList({ u"settings.ini"_qs }));
}

void TestFileSettingsStore::symlinkIsFollowed()
{
    const QString target = file(u"real/settings.ini"_qs);
    QVERIFY(QDir().mkpath(file(u"real"_qs)));
    writeAll(target, "[" + kKey.toUtf8() + "]\nTop=1\n");
    QVERIFY(QFile::link(target, file()));
    FileSettingsStore store(file());
    QCOMPARE(store.value(kKey, u"Top"_qs), std::optional<QString>(u"1"_qs));
    QVERIFY(store.setValue(kKey, u"Top"_qs, u"2"_qs));
    QVERIFY(!store.hasUnsavedChanges());
    QVERIFY(QFileInfo(file()).isSymLink());
    QCOMPARE(FileSettingsStore(target).value(kKey, u"Top"_qs), std::optional<QString>(u"2"_qs));
}

// A lock file that no live process holds, whatever it contains, is taken at once.
void TestFileSettingsStore::lockFileOfNobodyHoldsNothingUp_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("garbage") << QByteArray("\xff\xfe not a lock\n");
}

void TestFileSettingsStore::lockFileOfNobodyHoldsNothingUp()
{
    QFETCH(QByteArray, content);
    writeAll(file(u"settings.ini.lock"_qs), content);
    QStringList messages;
    FileSettingsStore store(file());
    store.setProblemHandler([&](const QString &m) { messages << m; });
    QVERIFY(store.createKey(kKey) && store.setValue(kKey, u"Top"_qs, u"12"_qs));
    QCOMPARE(messages, QStringList());
    QCOMPARE(FileSettingsStore(file()).value(kKey, u"Top"_qs), std::optional<QString>(u"12"_qs));
}

// Every run that finds the same damage keeps the one backup; new damage gets one more.
void TestFileSettingsStore::damageIsBackedUpOncePerContent()
{
    const auto backups = [&] {
        return QDir(m_dir->path()).entryList({ u"settings.ini.damaged-*"_qs }, QDir::Files);
    };
    writeAll(file(), "[HKEY_LOCAL_MACHINE\\A]\nnonsense\nX=1\n");
    QString firstBackup;
    for (int run = 0; run < 3; ++run) {
        QStringList messages;
        FileSettingsStore store(file());
        store.setProblemHandler([&](const QString &m) { messages << m; });
        QCOMPARE(
            store.value(u"HKEY_LOCAL_MACHINE\\A"_qs, u"X"_qs), std::optional<QString>(u"1"_qs));
        QCOMPARE(backups().size(), 1);
        if (run == 0)
            firstBackup = store.lastBackup();
        QCOMPARE(store.lastBackup(), firstBackup);
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].contains(firstBackup));
    }
    writeAll(file(), "[HKEY_LOCAL_MACHINE\\A]\nother nonsense\nX=1\n");
    FileSettingsStore store(file());
    QCOMPARE(store.value(u"HKEY_LOCAL_MACHINE\\A"_qs, u"X"_qs), std::optional<QString>(u"1"_qs));
    QCOMPARE(backups().size(), 2);
}

void TestFileSettingsStore::unreadableFileIsNotWrittenOver()
{
    // A file its user may write but not read: saving must not replace it with one that holds
    // the new values only. root reads every file, so the store runs as nobody then.
    const QString path = file();
    const QByteArray before = "[" + kKey.toUtf8() + "]\nTop=150\n";
    writeAll(path, before);
    const QByteArray native = QFile::encodeName(path);
    const uid_t nobody = 65534;
    if (::geteuid() == 0)
        QVERIFY(::chmod(QFile::encodeName(m_dir->path()).constData(), 0777) == 0
            && ::chown(native.constData(), nobody, nobody) == 0);
    QVERIFY(::chmod(native.constData(), 0200) == 0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(nobody) != 0 || ::setuid(nobody) != 0))
            ::_exit(2);
        QStringList messages;
        FileSettingsStore store(path);
        store.setProblemHandler([&](const QString &m) { messages << m; });
        store.createKey(kKey);
        store.setValue(kKey, u"Left"_qs, u"20"_qs);
        ::_exit(messages.join(u'\n').contains(u"没有读取权限"_qs) ? 0 : 1);
    }
    int status = -1;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QCOMPARE(WEXITSTATUS(status), 0);
    QVERIFY(::chmod(native.constData(), 0600) == 0);
    QCOMPARE(readAll(path), before);
}

QUILLON_TEST_MAIN(TestFileSettingsStore)
#include "tst_filesettingsstore.moc"
