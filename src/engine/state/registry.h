#pragma once

#include <QString>

#include <optional>

namespace quillon {

struct EngineState;
class MessageSink;

/// The key of every report's page format is this followed by the report's PrintKeyName.
inline const QString kFormatKeyBase = QStringLiteral("Software\\Velmora\\Orvane\\Quillon\\PGFMT\\");
/// The key of the settings common to all reports.
inline const QString kCommonKey = QStringLiteral("Software\\Velmora\\Orvane\\Quillon\\PrtCom\\");

/// The hive a key lives in. Everything the library stores is machine-wide.
enum class RootKey { LocalMachine };

/// Reads a value of the settings store, trimmed. When the value is missing it stores the
/// default and returns it; a stored empty value stays empty. Failures are shown, never thrown.
QString ReadSetting(
    RootKey root, const QString &keyPath, const QString &name, const QString &defaultText);
/// Stores a value, creating the key on the way. Failures are shown, never thrown.
void WriteSetting(RootKey root, const QString &keyPath, const QString &name, const QString &text);
/// Shows a message box in front, titled with the current print object's Caption unless a title
/// is given, and returns the button pressed (standard message-box codes).
int ShowMessage(
    const QString &prompt, int buttons = 0, const std::optional<QString> &title = std::nullopt);
/// The same for the job whose state this is: its own message sink, its layouts' answers.
int ShowMessage(const EngineState &job, const QString &prompt, int buttons = 0,
    const std::optional<QString> &title = std::nullopt);
/// Where a job's messages go: its own sink, else the process's on the application's thread,
/// else a log of this thread's, which answers with the default button (nobody to ask there).
MessageSink &jobMessageSink(const EngineState &job);

/// While one lives, ShowMessage shows nothing and answers with the default button: for work
/// done on the side, such as a dialog's miniature layout, whose messages nobody asked for.
class QuietMessages
{
public:
    QuietMessages();
    ~QuietMessages();
    QuietMessages(const QuietMessages &) = delete;
    QuietMessages &operator=(const QuietMessages &) = delete;

private:
    bool m_wasQuiet;
};

/// The full store path of a key under its hive.
QString storePath(RootKey root, const QString &keyPath);

} // namespace quillon
