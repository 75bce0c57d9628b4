#include "progressline.h"

#include <cmath>

namespace {

// A terminal line is redrawn this often at most; a log gets a line this often.
constexpr qint64 kTerminalRefreshMs = 200;
constexpr qint64 kLogIntervalMs = 5000;

} // namespace

ProgressLine::ProgressLine(FILE *stream, QString prefix, bool terminal)
    : m_stream(stream)
    , m_prefix(std::move(prefix))
    , m_terminal(terminal)
{
    m_clock.start();
}

ProgressLine::~ProgressLine()
{
    finish();
}

void ProgressLine::update(int done, int total, qint64 elapsedMs)
{
    const bool last = done >= total;
    const qint64 interval = m_terminal ? kTerminalRefreshMs : kLogIntervalMs;
    if (!last && m_shownAt >= 0 && elapsedMs - m_shownAt < interval)
        return;
    if (!last && m_shownAt < 0 && !m_terminal && elapsedMs < interval)
        return; // a short export logs its last line only
    m_shownAt = elapsedMs;
    const QByteArray text = (m_prefix + describe(done, total, elapsedMs)).toUtf8();
    if (m_terminal) {
        // Back to the start of the line, and clear what a longer line left there.
        std::fprintf(m_stream, "\r%s\x1b[K", text.constData());
        m_open = true;
        if (last)
            finish();
    } else {
        std::fprintf(m_stream, "%s\n", text.constData());
    }
    std::fflush(m_stream);
}

void ProgressLine::finish()
{
    if (!m_open)
        return;
    std::fputc('\n', m_stream);
    std::fflush(m_stream);
    m_open = false;
}

QString ProgressLine::duration(qint64 seconds)
{
    if (seconds < 60)
        return QStringLiteral("%1 秒").arg(seconds);
    if (seconds < 3600)
        return QStringLiteral("%1 分 %2 秒")
            .arg(seconds / 60)
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1 小时 %2 分")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'));
}

QString ProgressLine::describe(int done, int total, qint64 elapsedMs)
{
    QString text = QStringLiteral("已完成 %1/%2 页").arg(done).arg(total);
    if (elapsedMs <= 0 || done <= 0)
        return text;
    const double rate = done * 1000.0 / double(elapsedMs);
    text += QStringLiteral("，每秒 %1 页").arg(rate, 0, 'f', rate < 10 ? 1 : 0);
    if (done >= total)
        return text + QStringLiteral("，用时 %1").arg(duration((elapsedMs + 500) / 1000));
    return text
        + QStringLiteral("，约剩 %1").arg(duration(qint64(std::ceil((total - done) / rate))));
}
