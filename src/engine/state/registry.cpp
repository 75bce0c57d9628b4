#include "registry.h"

#include "engine/state/printproperties.h"
#include "enginestate.h"
#include "messagesink.h"
#include "platform/interfaces/settingsstore.h"
#include "platformservices.h"

#include <QCoreApplication>
#include <QThread>

namespace quillon {

namespace {
constexpr int kSetForeground = 0x10000;
}

QString storePath(RootKey root, const QString &keyPath)
{
    Q_UNUSED(root); // the only hive
    return QStringLiteral("HKEY_LOCAL_MACHINE\\") + keyPath;
}

QString ReadSetting(
    RootKey root, const QString &keyPath, const QString &name, const QString &defaultText)
{
    const auto lock = lockSettings();
    SettingsStore &store = settingsStore();
    const QString path = storePath(root, keyPath);
    const qint64 handle = store.keyHandle(path);
    if (handle != 0) {
        if (const std::optional<QString> stored = store.value(path, name)) {
            const qsizetype nul = stored->indexOf(QChar(0));
            return (nul < 0 ? *stored : stored->left(nul)).trimmed();
        }
    }
    const QString prompt = QStringLiteral("注册表键值(") + QString::number(handle) + name
        + QStringLiteral(")建立有误。");
    if (!store.createKey(path))
        ShowMessage(prompt, 0, QStringLiteral("RegCreateKeyex Err"));
    else if (!store.setDefaultValue(path, name, defaultText))
        ShowMessage(prompt, 0, QStringLiteral("RegSetValueEx Err"));
    return defaultText;
}

void WriteSetting(RootKey root, const QString &keyPath, const QString &name, const QString &text)
{
    const auto lock = lockSettings();
    SettingsStore &store = settingsStore();
    const QString path = storePath(root, keyPath);
    const QString prompt = QStringLiteral("注册表值(") + keyPath + QLatin1Char('\\') + name
        + QStringLiteral(")保存有误。");
    if (!store.createKey(path))
        ShowMessage(prompt, 0, QStringLiteral("RegCreateKeyEx Err"));
    else if (!store.setValue(path, name, text))
        ShowMessage(prompt, 0, QStringLiteral("RegSetValueEx Err"));
}

namespace {
// Per thread: a dialog's quiet miniature must not silence another thread's job.
thread_local bool quietMessages = false;
} // namespace

QuietMessages::QuietMessages()
    : m_wasQuiet(quietMessages)
{
    quietMessages = true;
}

QuietMessages::~QuietMessages()
{
    quietMessages = m_wasQuiet;
}

MessageSink &jobMessageSink(const EngineState &job)
{
    if (job.Messages)
        return *job.Messages;
    const QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return messageSink();
    thread_local ConsoleMessageSink workerLog;
    return workerLog;
}

int ShowMessage(const QString &prompt, int buttons, const std::optional<QString> &title)
{
    return ShowMessage(engineState(), prompt, buttons, title);
}

int ShowMessage(
    const EngineState &s, const QString &prompt, int buttons, const std::optional<QString> &title)
{
    if (quietMessages)
        return MessageSink::defaultButton(buttons);
    const QString shownTitle = title ? *title : s.printObject()->Caption;
    const QString key
        = QString::number(buttons) + QLatin1Char('\n') + shownTitle + QLatin1Char('\n') + prompt;
    if (s.JobAnswers) {
        if (const auto answer = s.JobAnswers->constFind(key); answer != s.JobAnswers->cend())
            return *answer;
    }
    const int answer = jobMessageSink(s).show(prompt, buttons | kSetForeground, shownTitle);
    if (s.JobAnswers)
        s.JobAnswers->insert(key, answer);
    return answer;
}

} // namespace quillon
