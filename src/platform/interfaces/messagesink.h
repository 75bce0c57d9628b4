#pragma once

#include <QList>
#include <QString>

namespace quillon {

/// Where the library's message boxes go. Button codes are the standard message-box codes: the
/// low nibble picks the buttons (0 OK, 1 OK/Cancel, 2 Abort/Retry/Ignore, 3 Yes/No/Cancel,
/// 4 Yes/No, 5 Retry/Cancel), 16/32/48/64 the icon, 0x100 and 0x200 make the second or third
/// button the default. Results: 1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No.
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    /// Shows the message and returns the button pressed.
    virtual int show(const QString &prompt, int buttons, const QString &title) = 0;

    /// A job starts: a sink that holds back repeated messages lets them through again.
    virtual void beginJob() { }
    /// True when no one is there to answer: every box takes its default button at once. A job
    /// then shows no window that waits for the user either.
    virtual bool answersByDefault() const { return false; }

    /// The result of the default button of a box with these buttons.
    static int defaultButton(int buttons);
};

/// Records messages and answers from a script, for tests. Without a scripted answer it
/// answers with the default button.
class RecordingMessageSink : public MessageSink
{
public:
    struct Message
    {
        QString prompt;
        int buttons = 0;
        QString title;
    };

    int show(const QString &prompt, int buttons, const QString &title) override;

    void scriptAnswer(int answer) { m_answers.append(answer); }
    const QList<Message> &messages() const { return m_messages; }
    void clear() { m_messages.clear(); }

private:
    QList<Message> m_messages;
    QList<int> m_answers;
};

} // namespace quillon
