#pragma once

#include "platform/interfaces/messagesink.h"

#include <QSet>
#include <QString>

#include <functional>

namespace quillon {

/// Writes messages to standard error and answers with the default button at once: for batch
/// jobs and programs without widgets. A line names the program and the report (the current
/// print object's PrintKeyName) instead of a window title, names the settings file instead of
/// a store path, and is written once per job.
class ConsoleMessageSink : public MessageSink
{
public:
    int show(const QString &prompt, int buttons, const QString &title) override;
    void beginJob() override { m_shown.clear(); }
    bool answersByDefault() const override { return true; }

    /// Where the settings are kept, as the user knows it (a file name); asked for each message.
    void setSettingsName(std::function<QString()> name) { m_settingsName = std::move(name); }
    /// What the messages are about, named after the program (a grid file of a batch).
    void setSource(QString source) { m_source = std::move(source); }
    /// The line show() writes for a message.
    QString line(const QString &prompt) const;

private:
    std::function<QString()> m_settingsName;
    QString m_source;
    QSet<QString> m_shown;
};

} // namespace quillon
