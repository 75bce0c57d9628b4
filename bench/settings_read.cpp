// Reads and saves a large settings file, for /usr/bin/time -v: the store must stay linear in
// the file's size and keep little more than its bytes.
//
//   quillon_settings_bench [FILE [MEGABYTES [all]]]
//
// Makes FILE (default /tmp/quillon-settings-bench.ini) of MEGABYTES (default 25) of report
// formats when it does not exist, then reads one report's value and saves one value, as a job
// does, printing the time of each step; with "all" it also decodes every value once.
#include "platform/filesettingsstore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

namespace {

const QString kBase
    = QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Velmora\\Orvane\\Quillon\\PGFMT\\");

bool makeFile(const QString &path, qint64 bytes)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    for (int report = 0; out.size() < bytes; ++report) {
        QByteArray text
            = "\n[" + QStringLiteral("%1报表%2").arg(kBase).arg(report).toUtf8() + "]\n";
        for (int n = 0; n < 150; ++n)
            text += QStringLiteral("FONT%1_Name%2=宋体 %3\n")
                        .arg(n % 10)
                        .arg(n)
                        .arg(report)
                        .toUtf8();
        out.write(text);
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString path
        = args.size() > 1 ? args[1] : QStringLiteral("/tmp/quillon-settings-bench.ini");
    const qint64 megabytes = args.size() > 2 ? args[2].toLongLong() : 25;
    if (!QFile::exists(path) && !makeFile(path, megabytes << 20)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    quillon::FileSettingsStore store(path);
    const QString key = kBase + QStringLiteral("报表7");
    const auto value = store.value(key, QStringLiteral("FONT3_Name3"));
    std::printf("read one value: %lld ms (%s)\n", timer.restart(),
        qPrintable(value.value_or(QStringLiteral("-"))));
    store.setValue(key, QStringLiteral("Top"), QStringLiteral("15"));
    std::printf("save one value: %lld ms\n", timer.restart());
    if (args.size() > 3 && args[3] == QStringLiteral("all")) {
        QFile f(path);
        const auto doc = quillon::FileSettingsStore::parse(
            f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
        std::printf("read every value of %lld keys: %lld ms\n", qlonglong(doc.keys.size()),
            timer.restart());
    }
    return 0;
}
