#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

/// An export's progress on a stream: on a terminal one line rewritten in place, elsewhere (a
/// log) a line every few seconds and one at the end. Each line gives the sheets done and the
/// total, the rate and the time left.
class ProgressLine
{
public:
    ProgressLine(FILE *stream, QString prefix, bool terminal);
    /// Ends a line left open on the terminal.
    ~ProgressLine();

    void update(int done, int total) { update(done, total, m_clock.elapsed()); }
    /// The same, at a given time since the start (milliseconds).
    void update(int done, int total, qint64 elapsedMs);
    /// Ends the terminal's line, so that what is written next starts a line of its own.
    void finish();

    /// What a line says: "已完成 120/400 页，每秒 30.0 页，约剩 10 秒".
    static QString describe(int done, int total, qint64 elapsedMs);
    /// A duration as a person reads it: "45 秒", "3 分 05 秒", "1 小时 02 分".
    static QString duration(qint64 seconds);

private:
    FILE *m_stream;
    QString m_prefix;
    bool m_terminal;
    bool m_open = false; // a terminal line waits for its end
    qint64 m_shownAt = -1;
    QElapsedTimer m_clock;
};
