#pragma once

#include "engine/state/messagesink.h"

namespace quillon {

/// Message boxes in front of every other window while a widget application runs; messages on
/// standard error, answered with the default button, otherwise.
class MessageBoxSink : public MessageSink
{
public:
    int show(const QString &prompt, int buttons, const QString &title) override;
    void beginJob() override { m_console.beginJob(); }
    bool answersByDefault() const override;

private:
    ConsoleMessageSink m_console;
};

} // namespace quillon
