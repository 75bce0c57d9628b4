#include "filelock.h"

#include "outputfile.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLockFile>
#include <QThread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillon {

FileLock::FileLock(QString path)
    : m_path(std::move(path))
{
}

FileLock::~FileLock()
{
    unlock();
}

#ifdef Q_OS_UNIX

bool FileLock::tryLock(int timeoutMs)
{
    m_busy = false;
    m_error.clear();
    const QByteArray name = QFile::encodeName(m_path);
    const QDeadlineTimer deadline(timeoutMs);
    for (int pause = 5;; pause = std::min(pause * 2, 100)) {
        // Open for writing where we may: a lock over NFS needs it.
        int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EACCES)
            fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            m_error = OutputFile::writeError(m_path, errno);
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // The holder before us removed the file as it let go: lock the one there now.
            struct stat held, named;
            if (::fstat(fd, &held) == 0 && ::stat(name.constData(), &named) == 0
                && held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
                m_fd = fd;
                return true;
            }
            ::close(fd);
            continue;
        }
        const int error = errno;
        ::close(fd);
        if (error != EWOULDBLOCK && error != EINTR) {
            m_error = OutputFile::writeError(m_path, error);
            return false;
        }
        if (deadline.hasExpired()) {
            m_busy = true;
            return false;
        }
        QThread::msleep(pause);
    }
}

void FileLock::unlock()
{
    if (m_fd < 0)
        return;
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
    m_fd = -1;
}

#else

bool FileLock::tryLock(int timeoutMs)
{
    m_fallback = std::make_unique<QLockFile>(m_path);
    m_fallback->setStaleLockTime(30000);
    if (m_fallback->tryLock(timeoutMs))
        return true;
    m_busy = m_fallback->error() == QLockFile::LockFailedError;
    m_error = QStringLiteral("无法建立锁文件“%1”。").arg(m_path);
    return false;
}

void FileLock::unlock()
{
    m_fallback.reset();
}

#endif

} // namespace quillon
