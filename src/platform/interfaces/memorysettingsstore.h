#pragma once

#include "settingsstore.h"

#include <QHash>
#include <QList>

namespace quillon {

/// A settings store in memory, for tests: it can be told to fail creating keys or setting
/// values, and it counts what was written.
class MemorySettingsStore : public SettingsStore
{
public:
    qint64 keyHandle(const QString &keyPath) override;
    std::optional<QString> value(const QString &keyPath, const QString &name) override;
    bool createKey(const QString &keyPath) override;
    bool setValue(const QString &keyPath, const QString &name, const QString &text) override;

    void setFailCreateKey(bool fail) { m_failCreate = fail; }
    void setFailSetValue(bool fail) { m_failSet = fail; }
    /// Removes one value, as if it had never been stored.
    void removeValue(const QString &keyPath, const QString &name);
    /// The names of a key's values in the order they were first stored.
    QStringList valueNames(const QString &keyPath) const;
    /// Every successful setValue, in order, as "name=text".
    const QStringList &writes() const { return m_writes; }
    void clearWrites() { m_writes.clear(); }

private:
    struct Key
    {
        qint64 handle = 0;
        QStringList names; // first spelling, in order
        QHash<QString, QString> values; // case-folded name -> text
    };
    QHash<QString, Key> m_keys;
    QStringList m_writes;
    qint64 m_nextHandle = 100;
    bool m_failCreate = false;
    bool m_failSet = false;
};

} // namespace quillon
