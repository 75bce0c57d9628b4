#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace quillon {

/// A lock that other processes respect, taken on a file beside what it guards. The system lets
/// it go when its holder ends, however it ends, so a lock file left by a killed process, empty
/// or holding anything at all, keeps nobody waiting. The file is removed on unlock.
class FileLock
{
public:
    explicit FileLock(QString path);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    /// Waits up to timeoutMs for the lock; false when another process still holds it
    /// (isBusy()) or the lock file cannot be made (errorString()).
    bool tryLock(int timeoutMs);
    void unlock();

    bool isBusy() const { return m_busy; }
    QString errorString() const { return m_error; }

private:
    QString m_path;
    int m_fd = -1;
    bool m_busy = false;
    QString m_error;
    std::unique_ptr<QLockFile> m_fallback; // where the system has no such locks
};

} // namespace quillon
