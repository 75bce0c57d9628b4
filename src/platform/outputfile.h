#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <memory>
#include <mutex>

class QFile;
class QRegularExpression;

namespace quillon {

/// A file the library writes, by the rules every writer follows so that no file is ever
/// destroyed. The bytes go to a new file beside the target, which takes the target's place only
/// on commit(): a failed or cancelled write leaves the older file as it was and no partial one.
/// A symbolic link is followed (its target is replaced, the link kept). A read-only file (no
/// write permission for anyone, or none for this user) and anything that is not a regular file
/// are refused, except that a writer may let a character device (a terminal, /dev/null) be
/// written through: it is written directly and never renamed over.
///
/// The file beside the target is named after the process that writes it
/// (report.pdf.<host>-<pid>-<random>.part). Writing a target first removes such files of it
/// whose process has ended (a killed run's), never one of a process that still runs.
class OutputFile : public QIODevice
{
public:
    enum class Devices { Refuse, WriteThrough };

    /// While one lives, no file takes its target's place and removeAllTemporary() waits: the
    /// files of a set committed under it all take their places, or none does.
    class CommitSet
    {
    public:
        CommitSet();

    private:
        std::unique_lock<std::recursive_mutex> m_lock;
    };

    explicit OutputFile(QString path, Devices devices = Devices::Refuse);
    /// Drops what was not committed.
    ~OutputFile() override;

    /// Checks the target and opens for writing; false, with errorString(), when it must not be
    /// written or cannot be.
    bool begin();
    /// Writes out and closes what was written, leaving the target as it was until commit().
    bool finish();
    /// Puts what was written in the target's place; false, with errorString(), when it cannot.
    bool commit();
    /// Drops what was written; the target stays as it was.
    void discard();

    /// The caller removes the stale files of a whole set of targets itself (removeStale()), once
    /// rather than for every file.
    void leaveStaleFiles() { m_sweep = false; }
    /// Removes the files that processes which have ended left beside the targets in folder whose
    /// names match targetName.
    static void removeStale(const QString &folder, const QRegularExpression &targetName);
    /// Removes the files every output of this process is writing, for a program that must end
    /// at once; nothing is written or committed afterwards. Any thread may call it. Returns how
    /// many files it removed.
    static int removeAllTemporary();

    /// The path as the writer named it.
    QString path() const { return m_path; }
    bool isSequential() const override { return true; }

    /// Why the path must not be written, or an empty string when it may be.
    static QString refusal(const QString &path, Devices devices = Devices::Refuse);
    /// The path with its symbolic links followed; empty when they go round in a circle.
    static QString resolved(const QString &path);
    /// Whether the path is, or links to, an existing regular file.
    static bool isRegularFile(const QString &path);
    /// Whether two paths name the same existing file (same device and inode).
    static bool sameFile(const QString &a, const QString &b);
    /// The message for a write to path that failed with the system error errorNumber.
    static QString writeError(const QString &path, int errorNumber);

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    bool flushBuffer();
    bool writeOut(const char *data, qint64 size);
    bool fail(const QString &message);

    QString m_path;
    QString m_target;
    QString m_temporary; // empty when a device is written through
    Devices m_devices;
    std::unique_ptr<QFile> m_file;
    QByteArray m_buffer;
    bool m_failed = false;
    bool m_finished = false;
    bool m_sweep = true;
};

} // namespace quillon
