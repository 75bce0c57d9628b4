#pragma once

#include "engine/state/settingsstore.h"

#include <QDateTime>
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
/// one written in double quotes may use the escapes \" \\ \n \r \t.
///
/// Saving never loses data. Every write locks the file against other processes (a lock file
/// beside it), reads it again, applies its own changes and replaces the file atomically, so a
/// process killed mid-write leaves the old file or the new one, and two processes saving
/// different reports keep both. A damaged file (unreadable lines, broken text encoding) is
/// copied to a backup beside it as soon as it is found; every value that can still be read is
/// used, and the problem is reported once through the problem handler.
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
    /// Called with a message when the file turns out to be damaged.
    void setProblemHandler(std::function<void(const QString &)> handler);
    /// The backup made of a damaged file; empty when none was needed.
    QString lastBackup() const { return m_lastBackup; }

    qint64 keyHandle(const QString &keyPath) override;
    std::optional<QString> value(const QString &keyPath, const QString &name) override;
    bool createKey(const QString &keyPath) override;
    bool setValue(const QString &keyPath, const QString &name, const QString &text) override;
    void beginBatch() override;
    bool endBatch() override;

    /// One stored value in the file's format, for tests and tools.
    static QString encodeValue(const QString &text);

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
        QList<Entry> entries;
    };
    /// The parsed file: keys in file order, and the problems met while reading it.
    struct Document
    {
        QList<Key> keys;
        QStringList problems;
        int keyIndex(const QString &normalized) const;
    };
    static Document parse(const QByteArray &bytes);
    static QByteArray serialize(const Document &doc);

private:
    struct Change
    {
        QString keyPath;
        QString name; // empty: create the key only
        QString value;
    };
    static void apply(Document &doc, const Change &change);

    void refresh();
    Document readFromDisk();
    void reportDamage(const QByteArray &bytes, const QStringList &problems);
    bool commit(const QList<Change> &changes);
    bool change(const Change &c);

    QString m_path;
    Access m_access;
    Document m_doc;
    QDateTime m_stampTime;
    qint64 m_stampSize = -1;
    int m_batchDepth = 0;
    QList<Change> m_journal;
    std::function<void(const QString &)> m_problemHandler;
    QByteArray m_reportedDamage;
    QString m_lastBackup;
};

} // namespace quillon
