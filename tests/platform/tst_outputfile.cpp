#include "support/files.h"
#include "testmain.h"

#include "platform/outputfile.h"
#include "support/filesizelimit.h"

#include <QTemporaryDir>

#include <cerrno>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace quillon;

class TestOutputFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void targets_data();
    void targets();
    void unfinishedWritesLeaveTheOldFile_data();
    void unfinishedWritesLeaveTheOldFile();
    void keepsTheFilesPermissions();
    void fullDiskNamesTheFile();
    void writeErrors_data();
    void writeErrors();
    void sameFile();

private:
    QString file(const QString &name) const { return m_dir->filePath(name); }
    /// Files in the folder other than the ones a case made.
    QStringList leftovers() const
    {
        return QDir(m_dir->path())
            .entryList({ u"*.part"_qs }, QDir::Files | QDir::Hidden | QDir::System);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

// How each kind of existing path is written: "new" when written, "old" when left alone.
void TestOutputFile::targets_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("writeThrough");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("refusal"); // part of the message when refused

    QTest::newRow("new file") << u"none"_qs << false << true << QString();
    QTest::newRow("regular file") << u"file"_qs << false << true << QString();
    QTest::newRow("symlink to a file") << u"link"_qs << false << true << QString();
    QTest::newRow("symlink to a symlink") << u"link2"_qs << false << true << QString();
    QTest::newRow("dangling symlink") << u"dangling"_qs << false << true << QString();
    QTest::newRow("read-only file") << u"readonly"_qs << false << false << u"只读"_qs;
    QTest::newRow("symlink to a read-only file")
        << u"readonlylink"_qs << false << false << u"只读"_qs;
    QTest::newRow("folder") << u"folder"_qs << true << false << u"文件夹"_qs;
    QTest::newRow("fifo") << u"fifo"_qs << true << false << u"不是普通文件"_qs;
    QTest::newRow("device refused") << u"device"_qs << false << false << u"不是普通文件"_qs;
    QTest::newRow("device written through") << u"device"_qs << true << true << QString();
    QTest::newRow("symlink to a device") << u"devicelink"_qs << true << true << QString();
    QTest::newRow("symlink loop") << u"loop"_qs << true << false << u"循环"_qs;
}

void TestOutputFile::targets()
{
    QFETCH(QString, kind);
    QFETCH(bool, writeThrough);
    QFETCH(bool, written);
    QFETCH(QString, refusal);

    const QString path = file(u"out"_qs);
    const QString target = file(u"target"_qs);
    const QByteArray device = QFile::encodeName(file(u"null"_qs));
    const auto makeDevice = [&] {
        // A null device of our own, never the system's.
        if (::mknod(device.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("cannot make a device node here");
    };
    if (kind == u"file"_qs)
        writeAll(path, "old");
    if (kind == u"link"_qs || kind == u"readonlylink"_qs || kind == u"link2"_qs) {
        writeAll(target, "old");
        QVERIFY(QFile::link(target, kind == u"link2"_qs ? file(u"middle"_qs) : path));
        if (kind == u"link2"_qs)
            QVERIFY(QFile::link(file(u"middle"_qs), path));
    }
    if (kind == u"readonly"_qs)
        writeAll(path, "old");
    if (kind == u"readonly"_qs || kind == u"readonlylink"_qs)
        QVERIFY(QFile::setPermissions(kind == u"readonly"_qs ? path : target,
            QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    if (kind == u"dangling"_qs)
        QVERIFY(QFile::link(target, path));
    if (kind == u"folder"_qs)
        QVERIFY(QDir().mkpath(path));
    if (kind == u"fifo"_qs)
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
    if (kind == u"device"_qs) {
        makeDevice();
        QVERIFY(QFile::rename(file(u"null"_qs), path));
    }
    if (kind == u"devicelink"_qs) {
        makeDevice();
        QVERIFY(QFile::link(file(u"null"_qs), path));
    }
    if (kind == u"loop"_qs)
        QVERIFY(QFile::link(path, path));

    const auto devices
        = writeThrough ? OutputFile::Devices::WriteThrough : OutputFile::Devices::Refuse;
    QCOMPARE(OutputFile::refusal(path, devices).isEmpty(), written);
    OutputFile out(path, devices);
    const bool done = out.begin() && out.write("new") == 3 && out.commit();
    QCOMPARE(done, written);
    if (!written) {
        QVERIFY2(out.errorString().contains(refusal), qPrintable(out.errorString()));
        QVERIFY(out.errorString().contains(path));
    }

    // Whatever was there is still there, of the same kind.
    const QFileInfo info(path);
    if (kind.contains(u"link"_qs) || kind == u"dangling"_qs)
        QVERIFY(info.isSymLink());
    if (kind == u"device"_qs)
        QVERIFY(isCharDevice(path));
    if (kind == u"devicelink"_qs)
        QVERIFY(isCharDevice(file(u"null"_qs)));
    if (kind == u"folder"_qs)
        QVERIFY(info.isDir());
    if (kind == u"fifo"_qs)
        QVERIFY(!info.isFile() && info.exists());
    if (kind == u"link"_qs || kind == u"dangling"_qs || kind == u"link2"_qs)
        QCOMPARE(readAll(target), QByteArray("new"));
    if (kind == u"none"_qs || kind == u"file"_qs)
        QCOMPARE(readAll(path), QByteArray("new"));
    if (kind == u"readonly"_qs || kind == u"readonlylink"_qs)
        QCOMPARE(readAll(path), QByteArray("old"));
    QCOMPARE(leftovers(), QStringList());
}

void TestOutputFile::unfinishedWritesLeaveTheOldFile_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("discarded") << 0;
    QTest::newRow("destroyed") << 1;
    QTest::newRow("finished, not committed") << 2;
}

void TestOutputFile::unfinishedWritesLeaveTheOldFile()
{
    QFETCH(int, how);
    const QString path = file(u"report.pdf"_qs);
    writeAll(path, "old");
    {
        OutputFile out(path);
        QVERIFY(out.begin());
        QCOMPARE(out.write(QByteArray(300000, 'x')), 300000);
        QCOMPARE(leftovers().size(), 1); // the new content waits beside the file
        if (how == 0)
            out.discard();
        if (how == 2)
            QVERIFY(out.finish());
    }
    QCOMPARE(readAll(path), QByteArray("old"));
    QCOMPARE(leftovers(), QStringList());
}

void TestOutputFile::keepsTheFilesPermissions()
{
    const QString path = file(u"settings.ini"_qs);
    writeAll(path, "old");
    const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(path, mode));
    OutputFile out(path);
    QVERIFY(out.begin() && out.write("new") == 3 && out.commit());
    QCOMPARE(
        QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser), mode);
}

// A write the system refuses half-way, as on a full disk: the old file stays, and the message
// names the file and the reason.
void TestOutputFile::fullDiskNamesTheFile()
{
    const QString path = file(u"big.pdf"_qs);
    writeAll(path, "old");
    OutputFile out(path);
    QVERIFY(out.begin());
    {
        FileSizeLimit limit(64 * 1024);
        out.write(QByteArray(1024 * 1024, 'x'));
        QVERIFY(!out.commit());
    }
    QVERIFY2(out.errorString().contains(path), qPrintable(out.errorString()));
    QVERIFY2(out.errorString().contains(u"超出了系统允许的大小"_qs), qPrintable(out.errorString()));
    QCOMPARE(readAll(path), QByteArray("old"));
    QCOMPARE(leftovers(), QStringList());
}

void TestOutputFile::writeErrors_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("reason");
    QTest::newRow("disk full") << ENOSPC << u"磁盘已满"_qs;
    QTest::newRow("quota") << EDQUOT << u"磁盘已满"_qs;
    QTest::newRow("file size limit") << EFBIG << u"文件超出了系统允许的大小"_qs;
    QTest::newRow("permission") << EACCES << u"没有写入权限"_qs;
    QTest::newRow("read-only file system") << EROFS << u"所在的文件系统是只读的"_qs;
}

void TestOutputFile::writeErrors()
{
    QFETCH(int, error);
    QFETCH(QString, reason);
    QCOMPARE(OutputFile::writeError(u"/data/报表.pdf"_qs, error),
        u"无法写入文件“/data/报表.pdf”：%1。"_qs.arg(reason));
}

void TestOutputFile::sameFile()
{
    writeAll(file(u"a.csv"_qs), "a");
    writeAll(file(u"b.csv"_qs), "a");
    QVERIFY(QFile::link(file(u"a.csv"_qs), file(u"link.csv"_qs)));
    QVERIFY(OutputFile::sameFile(file(u"a.csv"_qs), file(u"link.csv"_qs)));
    QVERIFY(OutputFile::sameFile(file(u"a.csv"_qs), m_dir->path() + u"/./a.csv"_qs));
    QVERIFY(!OutputFile::sameFile(file(u"a.csv"_qs), file(u"b.csv"_qs)));
    QVERIFY(!OutputFile::sameFile(file(u"a.csv"_qs), file(u"missing.csv"_qs)));
}

QUILLON_TEST_MAIN(TestOutputFile)
#include "tst_outputfile.moc"
