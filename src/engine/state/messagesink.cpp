#include "messagesink.h"

#include "engine/state/printproperties.h"
#include "enginestate.h"
#include "registry.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cstdio>

namespace quillon {

QString ConsoleMessageSink::line(const QString &prompt) const
{
    // A console user edits a file, not a registry: "HKEY_LOCAL_MACHINE\...\PGFMT\月报"
    // becomes the file and the report's key, the common key the file alone.
    static const QRegularExpression formatKey(QStringLiteral("(?:HKEY_LOCAL_MACHINE\\\\)?")
        + QRegularExpression::escape(kFormatKeyBase) + QStringLiteral("([^\\\\)”]*)"));
    static const QRegularExpression commonKey(QStringLiteral("(?:HKEY_LOCAL_MACHINE\\\\)?")
        + QRegularExpression::escape(kCommonKey.chopped(1)) + QStringLiteral("\\\\?"));
    const QString where = m_settingsName ? m_settingsName() : QString();
    const QString file = where.isEmpty() ? QStringLiteral("设置") : where;
    QString text = prompt;
    text.replace(formatKey, file + QStringLiteral("（报表 \\1）"));
    text.replace(commonKey, file + QStringLiteral("（公共设置）"));

    QString program = QCoreApplication::applicationName();
    if (program.isEmpty())
        program = QStringLiteral("quillon");
    if (!m_source.isEmpty())
        program += QStringLiteral(": ") + m_source;
    EngineState &state = engineState();
    // The default print object stands in for none: its report is nobody's.
    const QString report
        = state.hasHostPrintObject() ? state.printObject()->PrintKeyName : QString();
    return report.isEmpty() ? QStringLiteral("%1: %2").arg(program, text)
                            : QStringLiteral("%1: 报表“%2”: %3").arg(program, report, text);
}

int ConsoleMessageSink::show(const QString &prompt, int buttons, const QString &title)
{
    // The title is a window caption or a programmer's call name: neither means anything here.
    Q_UNUSED(title);
    const QString text = line(prompt);
    if (!m_shown.contains(text)) {
        m_shown.insert(text);
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
        std::fflush(stderr);
    }
    return defaultButton(buttons);
}

} // namespace quillon
