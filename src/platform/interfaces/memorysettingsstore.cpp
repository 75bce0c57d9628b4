#include "memorysettingsstore.h"

namespace quillon {

qint64 MemorySettingsStore::keyHandle(const QString &keyPath)
{
    const auto it = m_keys.constFind(normalizedKey(keyPath));
    return it == m_keys.cend() ? 0 : it->handle;
}

std::optional<QString> MemorySettingsStore::value(const QString &keyPath, const QString &name)
{
    const auto key = m_keys.constFind(normalizedKey(keyPath));
    if (key == m_keys.cend())
        return std::nullopt;
    const auto it = key->values.constFind(name.toCaseFolded());
    if (it == key->values.cend())
        return std::nullopt;
    return *it;
}

bool MemorySettingsStore::createKey(const QString &keyPath)
{
    if (m_failCreate)
        return false;
    Key &key = m_keys[normalizedKey(keyPath)];
    if (key.handle == 0)
        key.handle = m_nextHandle++;
    return true;
}

bool MemorySettingsStore::setValue(const QString &keyPath, const QString &name, const QString &text)
{
    if (m_failSet)
        return false;
    const auto key = m_keys.find(normalizedKey(keyPath));
    if (key == m_keys.end())
        return false;
    const QString folded = name.toCaseFolded();
    if (!key->values.contains(folded))
        key->names.append(name);
    key->values.insert(folded, text);
    m_writes.append(name + QLatin1Char('=') + text);
    return true;
}

void MemorySettingsStore::removeValue(const QString &keyPath, const QString &name)
{
    const auto key = m_keys.find(normalizedKey(keyPath));
    if (key == m_keys.end())
        return;
    const QString folded = name.toCaseFolded();
    key->values.remove(folded);
    key->names.removeIf([&folded](const QString &n) { return n.toCaseFolded() == folded; });
}

QStringList MemorySettingsStore::valueNames(const QString &keyPath) const
{
    return m_keys.value(normalizedKey(keyPath)).names;
}

} // namespace quillon
