#pragma once

#include <QString>

#include <optional>

namespace quillon {

/// Named text values grouped under hierarchical keys, like a registry. Key paths use
/// backslashes; empty segments (a trailing backslash) do not count, and key paths and value
/// names are compared without regard to case. Values are text of any length.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    /// A number identifying the key while it exists; 0 when it does not.
    virtual qint64 keyHandle(const QString &keyPath) = 0;
    /// The value, or nothing when the key or the value does not exist.
    virtual std::optional<QString> value(const QString &keyPath, const QString &name) = 0;
    /// Creates the key and the keys above it; true when it exists afterwards.
    virtual bool createKey(const QString &keyPath) = 0;
    /// Stores the value in an existing key; false when it could not be stored.
    virtual bool setValue(const QString &keyPath, const QString &name, const QString &text) = 0;
    /// Stores a default in an existing key unless the value is there when the store is written:
    /// a default found missing never replaces what another process stored meanwhile.
    virtual bool setDefaultValue(const QString &keyPath, const QString &name, const QString &text)
    {
        return value(keyPath, name).has_value() || setValue(keyPath, name, text);
    }
    /// Where a value comes from when that is not the store's own place (the file of another
    /// layer it was read from); empty otherwise.
    virtual QString valueSource(const QString &keyPath, const QString &name)
    {
        Q_UNUSED(keyPath);
        Q_UNUSED(name);
        return {};
    }

    /// Between beginBatch() and endBatch() writes may be kept and stored together at the end.
    /// endBatch() returns false when they could not be stored.
    virtual void beginBatch() { }
    virtual bool endBatch() { return true; }

    /// The key path in the form used for lookups: segments without empty ones, case-folded.
    static QString normalizedKey(const QString &keyPath);
};

/// Keeps a store's writes together for the lifetime of the object.
class SettingsBatch
{
public:
    explicit SettingsBatch(SettingsStore &store)
        : m_store(store)
    {
        m_store.beginBatch();
    }
    ~SettingsBatch()
    {
        if (!m_done)
            m_store.endBatch();
    }
    SettingsBatch(const SettingsBatch &) = delete;
    SettingsBatch &operator=(const SettingsBatch &) = delete;
    /// Stores the writes now; false when they could not be stored.
    bool commit()
    {
        m_done = true;
        return m_store.endBatch();
    }

private:
    SettingsStore &m_store;
    bool m_done = false;
};

} // namespace quillon
