#include "keyturns.h"

KeyTurns::KeyTurns(qsizetype count)
    : m_keys(size_t(count))
    , m_named(size_t(count))
{
}

void KeyTurns::waitForTurn(qsizetype index, const QString &key)
{
    std::unique_lock lock(m_mutex);
    m_keys[size_t(index)] = key.toCaseFolded();
    m_named[size_t(index)] = 1;
    while (m_firstUnnamed < qsizetype(m_named.size()) && m_named[size_t(m_firstUnnamed)])
        ++m_firstUnnamed;
    if (key.isEmpty()) {
        m_changed.notify_all();
        return;
    }
    std::set<qsizetype> &waiting = m_waiting[m_keys[size_t(index)]];
    waiting.insert(index);
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return m_firstUnnamed > index && *waiting.begin() == index; });
}

void KeyTurns::done(qsizetype index)
{
    const std::lock_guard lock(m_mutex);
    if (const auto it = m_waiting.find(m_keys[size_t(index)]); it != m_waiting.end())
        it->second.erase(index);
    m_changed.notify_all();
}
