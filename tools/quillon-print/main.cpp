// quillon-print: prints a grid file as a report, to PDF or PNG pages.
//
//   quillon-print [options] GRIDFILE
//
// GRIDFILE is a .csv file (a flex grid with its first row fixed) or a .json grid file
// (docs/grid-file.md). Exit status: 0 done, 1 the report could not be written, 2 bad input.

#include <quillon/gridfile.h>
#include <quillon/myprint.h>
#include <quillon/platform.h>
#include <quillon/reportexport.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>

namespace {

void say(FILE *stream, const QString &text)
{
    std::fprintf(stream, "%s\n", text.toUtf8().constData());
    std::fflush(stream);
}

int usageError(const QString &text)
{
    say(stderr, QStringLiteral("quillon-print: ") + text);
    return 2;
}

/// "Name=Value" into its two parts.
bool splitAssignment(const QString &text, QString *name, QString *value)
{
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    *name = text.left(eq).trimmed();
    *value = text.mid(eq + 1);
    return !name->isEmpty();
}

} // namespace

int main(int argc, char **argv)
{
    // Batch jobs run without a display; fonts still need a GUI application.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillon-print"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Prints a grid file as a report, to PDF or PNG."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("GRIDFILE"), QStringLiteral("a .csv or .json grid file"));
    const QCommandLineOption pdf(QStringLiteral("pdf"), QStringLiteral("Write the report to this PDF file."),
                                 QStringLiteral("OUT.pdf"));
    const QCommandLineOption png(QStringLiteral("png"), QStringLiteral("Write PNG pages into this folder."),
                                 QStringLiteral("DIR"));
    const QCommandLineOption zoom(QStringLiteral("zoom"),
                                  QStringLiteral("Zoom of the PNG pages (1 = 96 dpi)."),
                                  QStringLiteral("FACTOR"), QStringLiteral("1"));
    const QCommandLineOption settings(QStringLiteral("settings"),
                                      QStringLiteral("Use this settings file for page formats."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption key(QStringLiteral("key"), QStringLiteral("The report's name (PrintKeyName)."),
                                 QStringLiteral("NAME"));
    const QCommandLineOption set(QStringLiteral("set"),
                                 QStringLiteral("Set a print object property, e.g. TopMargin=15."),
                                 QStringLiteral("Property=Value"));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("Store a page-format value first, e.g. HoriCutPage=1."),
                                    QStringLiteral("Name=Value"));
    const QCommandLineOption title(QStringLiteral("title"), QStringLiteral("The main title."),
                                   QStringLiteral("TEXT"));
    const QCommandLineOption subtitle(QStringLiteral("subtitle"), QStringLiteral("The sub-title."),
                                      QStringLiteral("TEXT"));
    parser.addOptions({ pdf, png, zoom, settings, key, set, format, title, subtitle });
    parser.process(app);

    const QStringList files = parser.positionalArguments();
    if (files.size() != 1)
        return usageError(QStringLiteral("give exactly one grid file (see --help)"));
    if (!parser.isSet(pdf) && !parser.isSet(png))
        return usageError(QStringLiteral("say where the report goes: --pdf OUT.pdf and/or --png DIR"));
    bool zoomOk = false;
    const double zoomFactor = parser.value(zoom).toDouble(&zoomOk);
    if (!zoomOk || zoomFactor <= 0)
        return usageError(QStringLiteral("--zoom needs a positive number, not “%1”").arg(parser.value(zoom)));

    // A batch job never waits for a click, and a one-off job leaves saved formats alone.
    quillon::useConsoleMessages();
    if (parser.isSet(settings))
        quillon::setSettingsFile(parser.value(settings));
    else if (qEnvironmentVariableIsEmpty("QUILLON_SETTINGS"))
        quillon::useTemporarySettings();

    QString error;
    const std::unique_ptr<quillon::GridFile> grid = quillon::GridFile::load(files.first(), &error);
    if (!grid)
        return usageError(error);

    quillon::MyPrint print;
    if (!grid->applyTo(print, &error))
        return usageError(QStringLiteral("%1: %2").arg(files.first(), error));
    if (parser.isSet(title))
        print.setMainTitle(parser.value(title));
    if (parser.isSet(subtitle))
        print.setSubTitle(parser.value(subtitle));
    if (parser.isSet(key))
        print.setPrintKeyName(parser.value(key));
    for (const QString &assignment : parser.values(set)) {
        QString name, value;
        if (!splitAssignment(assignment, &name, &value))
            return usageError(QStringLiteral("--set needs Property=Value, not “%1”").arg(assignment));
        if (!quillon::GridFile::setProperty(print, name, value, &error))
            return usageError(error);
    }

    QVariantMap formatValues = grid->format();
    for (const QString &assignment : parser.values(format)) {
        QString name, value;
        if (!splitAssignment(assignment, &name, &value))
            return usageError(QStringLiteral("--format needs Name=Value, not “%1”").arg(assignment));
        formatValues.insert(name, value);
    }
    for (auto it = formatValues.cbegin(); it != formatValues.cend(); ++it)
        quillon::setFormatValue(print.PrintKeyName(), it.key(), it.value().toString());

    quillon::ReportExport report(print);
    report.setProgressHandler([](int done, int total) {
        if (done == total || done % 50 == 0)
            std::fprintf(stderr, "quillon-print: %d/%d sheets\n", done, total);
        return true;
    });
    int status = 0;
    if (parser.isSet(pdf)) {
        const bool ok = report.toPdf(parser.value(pdf));
        if (!report.writtenFiles().isEmpty())
            say(stdout, QStringLiteral("%1 (%2 sheets)").arg(report.writtenFiles().first()).arg(report.sheetCount()));
        if (!ok) {
            say(stderr, QStringLiteral("quillon-print: %1").arg(report.errorString()));
            status = 1;
        }
    }
    if (parser.isSet(png)) {
        const bool ok = report.toPng(parser.value(png), zoomFactor);
        if (!report.writtenFiles().isEmpty())
            say(stdout, QStringLiteral("%1 (%2 pages)").arg(QFileInfo(parser.value(png)).absoluteFilePath()).arg(report.writtenFiles().size()));
        if (!ok) {
            say(stderr, QStringLiteral("quillon-print: %1").arg(report.errorString()));
            status = 1;
        }
    }
    return status;
}
