#pragma once

#include <QString>

#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <vector>

/// Lets the files of one report (one PrintKeyName) of a batch go one at a time in the order
/// given, and the files of different reports side by side. A report's stored format is shared:
/// each file must find what the one before it stored, as a run of the files one after the
/// other would.
class KeyTurns
{
public:
    explicit KeyTurns(qsizetype count);

    /// Names file `index`'s report and waits until every file before it has named its own and
    /// those of the same report are done. An empty key (a file that could not be read) waits
    /// for nothing.
    void waitForTurn(qsizetype index, const QString &key);
    /// File `index` is done: the next file of its report may go.
    void done(qsizetype index);

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<QString> m_keys; ///< case-folded, as the settings compare them
    std::vector<char> m_named;
    qsizetype m_firstUnnamed = 0;
    std::map<QString, std::set<qsizetype>> m_waiting; ///< files not done, by report
};
