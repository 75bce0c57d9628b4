#pragma once

#include "platform/interfaces/settingsstore.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QStringList>

#include <functional>

namespace quillon {

/// The settings store as a text file a person can read and edit:
///
///     [HKEY_LOCAL_MACHINE\Software\Velmora\Orvane\Quillon\PGFMT\DefaultFormat]
///     PrinterName=Quillon PDF
///     Top=10
///     LogText="  text with blanks at its ends, or\nline breaks  "
///
/// UTF-8; lines starting with ; or # are comments. A value is the text after the first "=";
/// one written in double quotes may use the escapes \" \\ \n \r \t \uXXXX. A name or a key
/// that would not read back as it is (blanks at its ends, a line break, "=" in a name) is
/// written in double quotes with the same escapes, so any text round-trips.
///
/// Saving never loses data. Every write locks the file against other processes (a lock file
/// beside it), reads it again, applies its own changes and replaces the file atomically, so a
/// process killed mid-write leaves the old file or the new one, and two processes saving
/// different reports keep both. A default stored for a value found missing is decided on that
/// fresh copy too, so it never replaces a value another process stored meanwhile. A symbolic link
/// is followed; a file that cannot be written (read-only, not a regular file, a full disk) keeps
/// this process's changes in memory, so the running job still uses them, and says once through the
/// problem handler that they were not saved. A damaged file (unreadable lines, broken text
/// encoding) is copied to a backup beside it as soon as it is found, once for each damaged content;
/// every value that can still be read is used, and the problem is reported once through the problem
/// handler.
///
/// Reading is linear in the file's size and keeps little more than its bytes: a key's values
/// are decoded when the key is first used, and keys nobody changed are saved as they were read.
///
/// A read-only store never creates, locks, backs up or rewrites its file: it is how the
/// machine-wide file is read, which users may not be allowed to write.
class FileSettingsStore : public SettingsStore
{
public:
    enum class Access { ReadWrite, ReadOnly };

    explicit FileSettingsStore(QString path, Access access = Access::ReadWrite);
    ~FileSettingsStore() override;

    /// Where the settings live: the file named by setDefaultPath(), else $QUILLON_SETTINGS,
    /// else $XDG_CONFIG_HOME/quillon/settings.ini (~/.config/quillon/settings.ini).
    static QString defaultPath();
    /// Makes a file the default for this process; an empty path undoes it.
    static void setDefaultPath(const QString &path);

    QString path() const { return m_path; }
    bool isReadOnly() const { return m_access == Access::ReadOnly; }
    /// Called with a message when the file turns out to be damaged or cannot be saved.
    void setProblemHandler(std::function<void(const QString &)> handler);
    /// The backup made of a damaged file; empty when none was needed.
    QString lastBackup() const { return m_lastBackup; }

    qint64 keyHandle(const QString &keyPath) override;
    std::optional<QString> value(const QString &keyPath, const QString &name) override;
    bool createKey(const QString &keyPath) override;
    bool setValue(const QString &keyPath, const QString &name, const QString &text) override;
    bool setDefaultValue(const QString &keyPath, const QString &name, const QString &text) override;
    void beginBatch() override;
    bool endBatch() override;

    /// One stored value in the file's format, for tests and tools.
    static QString encodeValue(const QString &text);
    /// Whether changes could not be saved and are kept in memory only.
    bool hasUnsavedChanges() const { return !m_unsaved.isEmpty(); }

    struct Entry
    {
        QString name;
        QString folded;
        QString value;
    };
    struct Key
    {
        QString spelling;
        QString normalized;
        QList<Entry> entries; // once loaded
        /// Byte ranges of the key's lines in Document::bytes, read when the key is first used.
        QList<std::pair<qsizetype, qsizetype>> sections;
        bool loaded = true;
        bool changed = false;
        bool clean = true; // every line of its sections could be read
    };
    /// The parsed file: keys in file order, and the problems met while reading it.
    struct Document
    {
        QList<Key> keys;
        QStringList problems;
        QByteArray bytes; // the file as read
        QHash<QString, int> index; // normalized key path -> position in keys
        int keyIndex(const QString &normalized) const { return index.value(normalized, -1); }
        /// The key with its values decoded.
        Key &loadedKey(int position);
    };
    /// Reads every key and value; problems lists what could not be read.
    static Document parse(const QByteArray &bytes);
    static QByteArray serialize(const Document &doc);

private:
    struct Change
    {
        QString keyPath;
        QString name; // empty: create the key only
        QString value;
        bool ifMissing = false; // a default: what the file holds when it is written wins
    };
    static void apply(Document &doc, const Change &change);
    /// Finds the keys and checks every line, leaving the values to be decoded on first use.
    static Document scan(const QByteArray &bytes);

    void refresh();
    Document readFromDisk();
    void reportDamage(const QByteArray &bytes, const QStringList &problems);
    void tell(const QString &message);
    bool commit(const QList<Change> &changes);
    QString save(const QList<Change> &changes);
    bool change(const Change &c);

    QString m_path;
    Access m_access;
    Document m_doc;
    QDateTime m_stampTime;
    qint64 m_stampSize = -1;
    int m_batchDepth = 0;
    QList<Change> m_journal;
    QList<Change> m_unsaved; // could not be saved: kept for the rest of the process
    bool m_unsavedReported = false;
    size_t m_diskDigest = 0; // of the file's bytes that m_doc holds
    std::function<void(const QString &)> m_problemHandler;
    QByteArray m_reportedDamage;
    QString m_lastBackup;
    QString m_readProblem; // why the file there could not be read, until it can
    bool m_readProblemReported = false;
};

} // namespace quillon
