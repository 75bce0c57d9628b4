#include "messagesink.h"

namespace quillon {

int MessageSink::defaultButton(int buttons)
{
    static const QList<QList<int>> results = {
        { 1 },
        { 1, 2 },
        { 3, 4, 5 },
        { 6, 7, 2 },
        { 6, 7 },
        { 4, 2 },
    };
    const QList<int> &set = results.value(buttons & 0xF, results.first());
    const int which = (buttons & 0x300) >> 8; // 0x100: second button, 0x200: third
    return set.value(which, set.first());
}

int RecordingMessageSink::show(const QString &prompt, int buttons, const QString &title)
{
    m_messages.append({ prompt, buttons, title });
    return m_answers.isEmpty() ? defaultButton(buttons) : m_answers.takeFirst();
}

} // namespace quillon
