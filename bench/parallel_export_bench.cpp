// Exports grid files to PDF one after the other, then all at once with a thread each, and
// prints both times and their ratio. Each export has its own print object and export, as a
// host's threads would.
//
//   quillon_parallel_bench OUT_DIR FILE...   (the same file may be named more than once)
#include <quillon/gridfile.h>
#include <quillon/myprint.h>
#include <quillon/platform.h>
#include <quillon/reportexport.h>

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>

#include <cstdio>
#include <thread>
#include <vector>

namespace {

bool exportFile(const QString &file, const QString &pdf)
{
    QString error;
    const auto grid = quillon::GridFile::load(file, &error);
    quillon::MyPrint print;
    if (!grid || !grid->applyTo(print, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    quillon::ReportExport report(print);
    if (!report.toPdf(pdf)) {
        std::fprintf(stderr, "%s\n", qPrintable(report.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    // Fonts need a GUI application; without a display it draws offscreen.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: quillon_parallel_bench OUT_DIR FILE...\n");
        return 2;
    }
    const QDir out(args[0]);
    QDir().mkpath(out.path());
    const QStringList files = args.mid(1);
    const auto pdf = [&](qsizetype i, const char *run) {
        return out.filePath(QStringLiteral("%1-%2.pdf").arg(QLatin1String(run)).arg(i));
    };

    exportFile(files[0], pdf(0, "warmup"));
    QElapsedTimer timer;
    timer.start();
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (!exportFile(files[i], pdf(i, "serial")))
            return 1;
    }
    const double serial = timer.nsecsElapsed() / 1e9;

    timer.restart();
    std::vector<char> ok(files.size());
    {
        std::vector<std::jthread> threads;
        for (qsizetype i = 0; i < files.size(); ++i)
            threads.emplace_back([&, i] { ok[i] = exportFile(files[i], pdf(i, "parallel")); });
    }
    const double parallel = timer.nsecsElapsed() / 1e9;
    for (char done : ok) {
        if (!done)
            return 1;
    }
    std::printf("exports %lld  one after the other %.2f s  at once %.2f s  ratio %.2f\n",
        static_cast<long long>(files.size()), serial, parallel, parallel / serial);
    return 0;
}
