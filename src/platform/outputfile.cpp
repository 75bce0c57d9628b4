#include "outputfile.h"

#include "platform/interfaces/filewriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSysInfo>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <set>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillon {

namespace {

// Enough for the PDF engine's many small writes to reach the disk in few system calls.
constexpr qsizetype kBufferSize = 256 * 1024;

enum class Kind { Missing, Regular, CharDevice, Folder, Other };

Kind kindOf(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return Kind::Missing;
    if (S_ISREG(st.st_mode))
        return Kind::Regular;
    if (S_ISDIR(st.st_mode))
        return Kind::Folder;
    return S_ISCHR(st.st_mode) ? Kind::CharDevice : Kind::Other;
#else
    const QFileInfo info(path);
    if (!info.exists())
        return Kind::Missing;
    return info.isFile() ? Kind::Regular : info.isDir() ? Kind::Folder : Kind::Other;
#endif
}

// As root access() calls every file writable: a file nobody may write is read-only to us too.
bool isReadOnly(const QString &path)
{
    const QFileInfo info(path);
    const auto writeBits
        = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return !(info.permissions() & writeBits) || !info.isWritable();
}

/// The files beside their targets that this process is writing.
struct Temporaries
{
    std::recursive_mutex mutex;
    std::set<QString> paths;
    bool closed = false; // the program is ending at once
};

Temporaries &temporaries()
{
    // Never destroyed: the thread that ends the program may reach it while the program exits.
    static Temporaries *t = new Temporaries;
    return *t;
}

/// Tells this machine's files from those another one writes into a shared folder.
QString hostTag()
{
    static const QString tag = QStringLiteral("%1").arg(
        qChecksum(QSysInfo::machineHostName().toUtf8()), 4, 16, QLatin1Char('0'));
    return tag;
}

} // namespace

OutputFile::CommitSet::CommitSet()
    : m_lock(temporaries().mutex)
{
}

void OutputFile::removeStale(const QString &folder, const QRegularExpression &targetName)
{
#ifdef Q_OS_UNIX
    static const QRegularExpression part(
        QStringLiteral("^(.+)\\.([0-9a-f]{4})-([0-9]{1,9})-[0-9a-f]{6}\\.part$"));
    const QDir dir(folder);
    const QStringList names
        = dir.entryList({ QStringLiteral("*.part") }, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QRegularExpressionMatch m = part.match(name);
        if (!m.hasMatch() || m.captured(2) != hostTag()
            || !targetName.match(m.captured(1)).hasMatch())
            continue;
        // Only a file whose writer has ended: a run going on beside this one keeps its file.
        const pid_t pid = pid_t(m.captured(3).toInt());
        if (pid > 0 && pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH)
            QFile::remove(dir.filePath(name));
    }
#else
    Q_UNUSED(folder);
    Q_UNUSED(targetName);
#endif
}

int OutputFile::removeAllTemporary()
{
    Temporaries &t = temporaries();
    std::lock_guard lock(t.mutex);
    t.closed = true;
    int removed = 0;
    for (const QString &path : t.paths)
        removed += QFile::remove(path) ? 1 : 0;
    t.paths.clear();
    return removed;
}

OutputFile::OutputFile(QString path, Devices devices)
    : m_path(std::move(path))
    , m_devices(devices)
{
}

OutputFile::~OutputFile()
{
    discard();
}

QString OutputFile::resolved(const QString &path)
{
    QFileInfo info(path);
    for (int depth = 0; info.isSymLink(); ++depth) {
        if (depth == 40)
            return QString();
        info.setFile(info.symLinkTarget());
    }
    return info.filePath();
}

bool OutputFile::isRegularFile(const QString &path)
{
    const QString target = resolved(path);
    return !target.isEmpty() && kindOf(target) == Kind::Regular;
}

QString OutputFile::refusal(const QString &path, Devices devices)
{
    if (path.isEmpty())
        return QStringLiteral("没有给出要写入的文件名。");
    const QString target = resolved(path);
    if (target.isEmpty())
        return QStringLiteral("“%1”是循环的符号链接，无法写入。").arg(path);
    switch (kindOf(target)) {
    case Kind::Missing:
        return QString();
    case Kind::Regular:
        return isReadOnly(target)
            ? QStringLiteral("文件“%1”是只读的，不能写入，原文件未改动。").arg(path)
            : QString();
    case Kind::Folder:
        return QStringLiteral("“%1”是文件夹，不能当作文件写入。").arg(path);
    case Kind::CharDevice:
        if (devices == Devices::WriteThrough)
            return QString();
        break;
    case Kind::Other:
        break;
    }
    return QStringLiteral("“%1”不是普通文件（是设备、管道或套接字），不能写入。").arg(path);
}

bool OutputFile::sameFile(const QString &a, const QString &b)
{
#ifdef Q_OS_UNIX
    struct stat sa, sb;
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0
        && ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev
        && sa.st_ino == sb.st_ino;
#else
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
#endif
}

QString OutputFile::writeError(const QString &path, int errorNumber)
{
    QString why;
    switch (errorNumber) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        why = QStringLiteral("磁盘已满");
        break;
    case EFBIG:
        why = QStringLiteral("文件超出了系统允许的大小");
        break;
    case EACCES:
    case EPERM:
        why = QStringLiteral("没有写入权限");
        break;
    case EROFS:
        why = QStringLiteral("所在的文件系统是只读的");
        break;
    case EIO:
        why = QStringLiteral("磁盘读写出错");
        break;
    case ENOENT:
        why = QStringLiteral("所在的文件夹不存在");
        break;
    case ENOTDIR:
        why = QStringLiteral("路径中有一段不是文件夹");
        break;
    case EISDIR:
        why = QStringLiteral("这是一个文件夹");
        break;
    case ENAMETOOLONG:
        why = QStringLiteral("文件名太长");
        break;
    default:
        why = qt_error_string(errorNumber);
    }
    return QStringLiteral("无法写入文件“%1”：%2。").arg(path, why);
}

bool OutputFile::fail(const QString &message)
{
    if (!m_failed)
        setErrorString(message);
    m_failed = true;
    return false;
}

bool OutputFile::begin()
{
    if (const QString why = refusal(m_path, m_devices); !why.isEmpty())
        return fail(why);
    m_target = resolved(m_path);
    m_file = std::make_unique<QFile>();
    if (kindOf(m_target) == Kind::CharDevice) {
        m_file->setFileName(m_target);
        errno = 0;
        if (!m_file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return fail(writeError(m_path, errno));
    } else {
        const QFileInfo target(m_target);
        if (!QDir().mkpath(target.absolutePath()))
            return fail(QStringLiteral("无法创建文件夹“%1”。").arg(target.absolutePath()));
        if (m_sweep)
            removeStale(target.absolutePath(),
                QRegularExpression(QRegularExpression::anchoredPattern(
                    QRegularExpression::escape(target.fileName()))));
        // A new name beside the target: same file system, so the final rename is atomic.
        const QString prefix = QStringLiteral("%1.%2-%3-")
                                   .arg(target.fileName(), hostTag(),
                                       QString::number(QCoreApplication::applicationPid()));
        Temporaries &t = temporaries();
        std::lock_guard lock(t.mutex); // a program ending at once sees every file made
        if (t.closed)
            return fail(QStringLiteral("程序正在结束，文件“%1”没有写出。").arg(m_path));
        for (int attempt = 0; !m_file->isOpen(); ++attempt) {
            m_temporary = target.absoluteDir().filePath(prefix
                + QStringLiteral("%1.part").arg(
                    QRandomGenerator::global()->generate() & 0xffffff, 6, 16, QLatin1Char('0')));
            m_file->setFileName(m_temporary);
            errno = 0;
            if (m_file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
                break;
            const int error = errno;
            if (error != EEXIST || attempt == 20) {
                m_temporary.clear();
                return fail(writeError(m_path, error));
            }
        }
        t.paths.insert(m_temporary);
        if (target.exists()) {
            m_file->setPermissions(QFile::permissions(m_target));
#ifdef Q_OS_UNIX
            // Run by root on a user's file, keep it the user's.
            struct stat st;
            if (::geteuid() == 0 && ::stat(QFile::encodeName(m_target).constData(), &st) == 0
                && ::fchown(m_file->handle(), st.st_uid, st.st_gid) != 0)
                qWarning("quillon: could not keep the owner of %s", qPrintable(m_target));
#endif
        }
    }
    return QIODevice::open(QIODevice::WriteOnly);
}

qint64 OutputFile::writeData(const char *data, qint64 size)
{
    if (m_failed || !m_file)
        return -1;
    if (m_buffer.size() + size > kBufferSize && !flushBuffer())
        return -1;
    // A large block goes out as it is, without a copy.
    if (size >= kBufferSize)
        return writeOut(data, size) ? size : -1;
    m_buffer.append(data, size);
    return size;
}

bool OutputFile::flushBuffer()
{
    const bool done = m_buffer.isEmpty() || writeOut(m_buffer.constData(), m_buffer.size());
    m_buffer.clear();
    return done && !m_failed;
}

bool OutputFile::writeOut(const char *data, qint64 size)
{
    errno = 0;
    const qint64 written = m_file->write(data, size);
    const int error = errno;
    if (written == size)
        return true;
    return fail(writeError(m_path,
        error                                               ? error
            : m_file->error() == QFileDevice::ResourceError ? ENOSPC
                                                            : EIO));
}

bool OutputFile::finish()
{
    if (m_finished)
        return !m_failed;
    m_finished = true;
    if (!m_file || !flushBuffer())
        return false;
#ifdef Q_OS_UNIX
    // On disk before it replaces the old file, or a crash could leave an empty one.
    if (!m_temporary.isEmpty() && ::fsync(m_file->handle()) != 0)
        return fail(writeError(m_path, errno));
#endif
    m_file->close();
    QIODevice::close();
    return !m_failed;
}

bool OutputFile::commit()
{
    if (!finish()) {
        discard();
        return false;
    }
    if (m_temporary.isEmpty())
        return true;
    Temporaries &t = temporaries();
    std::lock_guard lock(t.mutex);
    if (t.closed) {
        m_temporary.clear(); // removed already
        return fail(QStringLiteral("程序正在结束，文件“%1”没有写出。").arg(m_path));
    }
    if (std::rename(
            QFile::encodeName(m_temporary).constData(), QFile::encodeName(m_target).constData())
        != 0) {
        fail(writeError(m_path, errno));
        discard();
        return false;
    }
    t.paths.erase(m_temporary);
    m_temporary.clear();
    return true;
}

void OutputFile::discard()
{
    if (m_file)
        m_file->close();
    if (!m_temporary.isEmpty()) {
        Temporaries &t = temporaries();
        std::lock_guard lock(t.mutex);
        QFile::remove(m_temporary);
        t.paths.erase(m_temporary);
    }
    m_temporary.clear();
    m_buffer.clear();
    if (isOpen())
        QIODevice::close();
}

bool writeWholeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    OutputFile out(path);
    const bool written = out.begin() && out.write(bytes) == bytes.size() && out.commit();
    if (!written && error)
        *error = out.errorString();
    return written;
}

} // namespace quillon
