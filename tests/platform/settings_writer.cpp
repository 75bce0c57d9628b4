// Helper for the settings store tests: saves generation after generation of a report's values
// into a settings file, as a real program saving its page format would.
//
//   settings_writer FILE KEY GENERATIONS [VALUES]
//
// Each generation writes VALUES values (default 60) of KEY, all holding the generation
// number, in one batch. It prints "done" at the end.
//
//   settings_writer FILE KEY defaults NAME...
//
// Reads each NAME as a format load does (a default stored for a missing one), in one batch
// that it stores only after a line arrives on standard input; it prints "read" before waiting.
#include "engine/state/platformservices.h"
#include "engine/state/registry.h"
#include "platform/filesettingsstore.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: settings_writer FILE KEY GENERATIONS [VALUES]\n");
        return 2;
    }
    quillon::FileSettingsStore store(args[1]);
    const QString key = args[2];
    if (args[3] == QLatin1String("defaults")) {
        quillon::setSettingsStore(std::make_unique<quillon::FileSettingsStore>(args[1]));
        quillon::SettingsBatch batch(quillon::settingsStore());
        for (const QString &name : args.mid(4))
            quillon::ReadSetting(quillon::RootKey::LocalMachine, key.section(QLatin1Char('\\'), 1),
                name, QStringLiteral("default"));
        std::printf("read\n");
        std::fflush(stdout);
        char line[8];
        if (!std::fgets(line, sizeof line, stdin) || !batch.commit())
            return 1;
        std::printf("done\n");
        return 0;
    }
    const int generations = args[3].toInt();
    const int values = args.size() > 4 ? args[4].toInt() : 60;
    for (int g = 1; g <= generations; ++g) {
        quillon::SettingsBatch batch(store);
        if (!store.createKey(key))
            return 1;
        for (int v = 0; v < values; ++v)
            store.setValue(key, QStringLiteral("Value%1").arg(v), QString::number(g));
        if (!batch.commit()) {
            std::fprintf(stderr, "commit failed\n");
            return 1;
        }
    }
    std::printf("done\n");
    return 0;
}
