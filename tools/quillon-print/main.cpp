// quillon-print: prints a grid file as a report: to PDF or PNG pages, or on a printer.
//
//   quillon-print [options] GRIDFILE
//   quillon-print --out-dir DIR [-j N] [options] GRIDFILE...
//
// GRIDFILE is a .csv file (a flex grid with its first row fixed), a .json grid file
// (docs/grid-file.md), or - for standard input. Exit status: 0 done, 1 the report could not be
// written, 2 bad input (nothing is written then).

#include <quillon/error.h>
#include <quillon/formatfields.h>
#include <quillon/gridfile.h>
#include <quillon/myprint.h>
#include <quillon/platform.h>
#include <quillon/reportexport.h>

#include "batchexport.h"
#include "console.h"
#include "gridreport.h"
#include "interruptguard.h"
#include "optiontable.h"
#include "progressline.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMetaProperty>
#include <QRegularExpression>
#include <QSet>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <vector>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

int usageError(const QString &text)
{
    say(stderr, kProgram + QStringLiteral(": ") + text);
    return 2;
}

/// The parser's own (English) complaint, in the user's language.
QString parseError(const QCommandLineParser &parser)
{
    if (!parser.unknownOptionNames().isEmpty()) {
        QStringList names;
        for (const QString &name : parser.unknownOptionNames())
            names << (name.size() > 1 ? QStringLiteral("--") : QStringLiteral("-")) + name;
        return QStringLiteral("未知选项：%1（--help 列出全部选项）")
            .arg(names.join(QStringLiteral("、")));
    }
    const auto quoted = QRegularExpression(QStringLiteral("'([^']*)'")).match(parser.errorText());
    if (parser.errorText().startsWith(QLatin1String("Missing value")) && quoted.hasMatch())
        return QStringLiteral("选项 %1 缺少值").arg(quoted.captured(1));
    if (parser.errorText().startsWith(QLatin1String("Unexpected value")) && quoted.hasMatch())
        return QStringLiteral("选项 %1 不带值")
            .arg(quoted.captured(1).section(QLatin1Char('='), 0, 0));
    return QStringLiteral("选项有误：%1").arg(parser.errorText());
}

void listFormats()
{
    say(stdout, QStringLiteral("名称\t类型\t单位\t缺省值\t范围"));
    for (const quillon::FormatField &f : quillon::formatFields()) {
        QString value = f.defaultValue.isEmpty() ? QStringLiteral("（空）") : f.defaultValue;
        if (!f.property.isEmpty())
            value += QStringLiteral("（取自属性 %1）").arg(f.property);
        say(stdout,
            QStringList { f.name, f.typeName(), f.unit.isEmpty() ? QStringLiteral("-") : f.unit,
                value, f.rangeText() }
                .join(QLatin1Char('\t')));
    }
}

void listProperties()
{
    quillon::MyPrint fresh;
    const QMetaObject *mo = fresh.metaObject();
    say(stdout, QStringLiteral("名称\t类型\t缺省值"));
    for (int i = mo->propertyOffset(); i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        const int type = p.metaType().id();
        QString typeName;
        QString value = p.read(&fresh).toString();
        if (p.isEnumType()) {
            QStringList members;
            for (int k = 0; k < p.enumerator().keyCount(); ++k)
                members << QStringLiteral("%1=%2")
                               .arg(QLatin1String(p.enumerator().key(k)))
                               .arg(p.enumerator().value(k));
            typeName = QStringLiteral("枚举：") + members.join(QStringLiteral("、"));
            value = QString::number(p.read(&fresh).toInt());
        } else if (type == QMetaType::QString) {
            typeName = QStringLiteral("文字");
        } else if (type == QMetaType::Bool) {
            typeName = QStringLiteral("开关（true/false）");
        } else if (type == QMetaType::Short || type == QMetaType::Int) {
            typeName = QStringLiteral("整数");
        } else {
            continue; // the grids are objects: a file gives them, not a text
        }
        say(stdout,
            QStringList { QLatin1String(p.name()), typeName,
                value.isEmpty() ? QStringLiteral("（空）") : value }
                .join(QLatin1Char('\t')));
    }
}

/// Qt wants a private runtime folder; root often has none. One of our own, removed at exit.
class RuntimeDir
{
public:
    RuntimeDir()
    {
#ifdef Q_OS_UNIX
        if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            return;
        QByteArray name = QDir::tempPath().toLocal8Bit() + "/quillon-print-XXXXXX";
        if (mkdtemp(name.data())) { // made 0700
            m_path = QString::fromLocal8Bit(name);
            qputenv("XDG_RUNTIME_DIR", name);
        }
#endif
    }
    ~RuntimeDir()
    {
        if (!m_path.isEmpty())
            QDir(m_path).removeRecursively();
    }

private:
    QString m_path;
};

/// Where a printer the job names is missing, with the printers there are.
QString notInstalled(const QStringList &printers, const QString &name)
{
    return printers.isEmpty()
        ? QStringLiteral("打印机“%1”没有安装：这台机器上没有任何打印机").arg(name)
        : QStringLiteral("打印机“%1”没有安装；已安装的打印机：%2")
              .arg(name, printers.join(QStringLiteral("、")));
}

/// The exit status when the program ends at a step; nothing when it goes on.
using Exit = std::optional<int>;

/// The command line: our parser's arguments, and Qt's, which never see --title.
struct CommandLine
{
    QStringList arguments;
    std::vector<char *> qtArguments; ///< ends with a null pointer, as argv does
    int qtArgc = 0;
};

CommandLine splitArguments(int argc, char **argv)
{
    CommandLine line;
    for (int i = 0; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        line.arguments << QString::fromLocal8Bit(argument);
        if (i > 0 && (argument == "-title" || argument == "--title")) {
            if (i + 1 < argc)
                line.arguments << QString::fromLocal8Bit(argv[++i]);
            continue;
        }
        if (!argument.startsWith("--title=") && !argument.startsWith("-title="))
            line.qtArguments.push_back(argv[i]);
    }
    line.qtArgc = int(line.qtArguments.size());
    line.qtArguments.push_back(nullptr);
    return line;
}

/// The parsed options, asked by name.
struct Options
{
    const QCommandLineParser &parser;
    bool has(const char *name) const { return parser.isSet(QLatin1String(name)); }
    QString value(const char *name) const { return parser.value(QLatin1String(name)); }
};

/// Reads the options; --help, --version and --list-formats answer before anything is set up.
Exit parseOptions(QCommandLineParser &parser, const QStringList &arguments)
{
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    for (const OptionSpec &o : commandOptions()) {
        QStringList names;
        if (o.shortName)
            names << QString(QLatin1Char(o.shortName));
        parser.addOption(QCommandLineOption(
            names << QLatin1String(o.name), QString::fromUtf8(o.help), QLatin1String(o.valueName)));
    }
    parser.addPositionalArgument(QStringLiteral("GRIDFILE"), QStringLiteral("网格文件"));
    if (!parser.parse(arguments)) {
        // A grid file whose name starts with a dash reads as a row of options.
        for (const QString &argument : arguments.mid(1)) {
            if (argument.size() > 1 && argument.startsWith(QLatin1Char('-'))
                && !argument.startsWith(QLatin1String("--")) && QFileInfo(argument).isFile())
                return usageError(
                    QStringLiteral("“%1”被当作选项：以 - 开头的文件名请写成 ./%1，或写在 -- 之后")
                        .arg(argument));
        }
        return usageError(parseError(parser));
    }
    // An empty name (an unset variable in a script) would mean the default file, or no name.
    for (const OptionSpec &o : commandOptions()) {
        const bool named = o.value == ValueKind::File || o.value == ValueKind::PdfFile
            || o.value == ValueKind::Folder || qstrcmp(o.name, "key") == 0;
        if (named && parser.values(QLatin1String(o.name)).contains(QString()))
            return usageError(QStringLiteral("--%1 的值不能为空").arg(QLatin1String(o.name)));
    }
    const Options options { parser };
    if (options.has("help")) {
        say(stdout, helpText());
        return 0;
    }
    if (options.has("version")) {
        say(stdout, kProgram + QLatin1Char(' ') + QCoreApplication::applicationVersion());
        return 0;
    }
    if (options.has("list-formats")) {
        listFormats();
        return 0;
    }
    return std::nullopt;
}

/// Whether page formats are kept in a settings file, rather than for this run only.
bool keepsFormats(const Options &options)
{
    return options.has("settings") || !qEnvironmentVariableIsEmpty("QUILLON_SETTINGS");
}

/// Where messages go and which settings the job reads; --list-properties then answers, with the
/// defaults those settings give.
Exit setUpMessagesAndSettings(const Options &options)
{
    // A batch job never waits for a click, and a one-off job leaves saved formats alone. The
    // preview and the print dialog are windows: someone is there to answer their messages.
    const bool preview = options.has("preview");
    if (preview && QGuiApplication::platformName() == QLatin1String("offscreen"))
        return usageError(QStringLiteral("--preview 需要图形界面（没有可用的显示器）"));
    if (!preview && !options.has("dialog"))
        quillon::useConsoleMessages();
    if (options.has("settings"))
        quillon::setSettingsFile(options.value("settings"));
    else if (!keepsFormats(options))
        quillon::useTemporarySettings();
    if (options.has("list-properties")) {
        listProperties();
        return 0;
    }
    return std::nullopt;
}

/// What the command line asks for, checked before the grid file is read.
struct Job
{
    QString input; ///< the grid file's path, or "-" for standard input
    bool fromStdin = false;
    QString inputFormat; ///< "csv" or "json"; empty: by the file's suffix
    bool batch = false; ///< --out-dir: each of the grid files into a PDF file of its own
    QStringList inputs; ///< the grid files of a batch
    QString outDir;
    int threads = 1; ///< how many files of a batch are exported at once
    bool quiet = false;
    bool preview = false;
    bool dialog = false;
    bool toPrinter = false;
    bool continuous = false;
    bool printing = false; ///< on a printer: --printer, --dialog or --cont
    QStringList printers; ///< the installed printers, when printing
    double zoom = 1;
    bool pdfToStdout = false;
    FILE *results = stdout; ///< where results are reported
};

/// --out-dir: the grid files, each into a PDF file of its own in the folder. Empty, or why the
/// batch is refused.
QString readBatch(const Options &options, Job &job)
{
    job.batch = true;
    job.inputs = options.parser.positionalArguments();
    job.outDir = options.value("out-dir");
    job.quiet = options.has("quiet");
    if (job.inputs.isEmpty())
        return QStringLiteral("请给出要写入 --out-dir 的网格文件（见 --help）");
    // Printing and windows belong to the application's thread, and one output file or folder
    // cannot take several reports.
    for (const char *other : { "pdf", "png", "preview", "printer", "dialog", "cont" }) {
        if (options.has(other))
            return QStringLiteral("--out-dir 把每个网格文件写成一个 PDF 文件，不能与 --%1 同用")
                .arg(QLatin1String(other));
    }
    if (job.inputs.contains(QStringLiteral("-")))
        return QStringLiteral(
            "--out-dir 不能读标准输入：PDF 文件以网格文件命名（标准输入请用 --pdf）");
    job.threads = QThread::idealThreadCount();
    if (options.has("jobs")) {
        bool ok = false;
        job.threads = options.value("jobs").toInt(&ok);
        if (!ok || job.threads < 1 || job.threads > 256)
            return QStringLiteral("-j（--jobs）应为 1 到 256 之间的整数，而不是“%1”")
                .arg(options.value("jobs"));
    }
    return {};
}

/// The grid file and where the report goes: one place at least, and no two that exclude each
/// other. Empty, or why the job is refused.
QString readDestinations(const Options &options, Job &job)
{
    const QStringList files = options.parser.positionalArguments();
    if (options.has("out-dir"))
        return readBatch(options, job);
    if (files.size() > 1)
        return QStringLiteral(
            "给出多个网格文件时请用 --out-dir DIR，每个文件写成其中的一个 PDF 文件");
    if (files.size() != 1)
        return QStringLiteral("请给出一个网格文件（- 为标准输入；见 --help）");
    if (options.has("jobs"))
        return QStringLiteral("-j（--jobs）只用于 --out-dir：同时导出几个网格文件");
    job.input = files.first();
    job.fromStdin = job.input == QLatin1String("-");
    job.quiet = options.has("quiet");
    job.preview = options.has("preview");
    job.dialog = options.has("dialog");
    job.toPrinter = options.has("printer");
    job.continuous = options.has("cont");
    job.printing = job.toPrinter || job.dialog || job.continuous;
    if (!options.has("pdf") && !options.has("png") && !job.printing && !job.preview)
        return QStringLiteral("请说明报表写到哪里：--pdf OUT.pdf、--png DIR、"
                              "--printer 打印机、--dialog、--cont 或 --preview");
    if (job.continuous && job.preview)
        return QStringLiteral("--cont 连续打印不能与 --preview 同用");
    if (job.continuous && job.dialog)
        return QStringLiteral("--cont 连续打印不显示打印对话框，不能与 --dialog 同用");
    if (job.continuous && (options.has("pdf") || options.has("png")))
        return QStringLiteral(
            "--cont 把各组数据逐张送到打印机，不能与 --pdf、--png 同用（文件里只会有第一组）");
    if (job.dialog) {
        const QString platform = QGuiApplication::platformName();
        if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
            return QStringLiteral(
                "--dialog 需要图形界面：请在有显示器（DISPLAY 或 WAYLAND_DISPLAY）的会话中运行");
    }
    return {};
}

/// A job that prints needs a printer, and the one --printer names.
QString checkPrinters(const Options &options, Job &job)
{
    if (!job.printing)
        return {};
    job.printers = quillon::printerNames();
    if (job.toPrinter && !job.printers.contains(options.value("printer")))
        return notInstalled(job.printers, options.value("printer"));
    if (job.printers.isEmpty())
        return QStringLiteral("没有安装任何打印机，无法打印");
    return {};
}

/// --zoom and --input-format, and outputs that would overwrite the grid file.
QString checkFiles(const Options &options, Job &job)
{
    if (options.has("zoom")) {
        bool zoomOk = false;
        job.zoom = options.value("zoom").toDouble(&zoomOk);
        if (!options.has("png"))
            return QStringLiteral("--zoom 只用于 PNG 图片，请同时给出 --png DIR");
        if (!zoomOk || !(job.zoom >= 0.05 && job.zoom <= 20))
            return QStringLiteral("--zoom 应为 0.05 到 20 之间的数，而不是“%1”")
                .arg(options.value("zoom"));
    }
    if (options.has("input-format"))
        job.inputFormat = options.value("input-format").toLower();
    if (!job.inputFormat.isEmpty() && job.inputFormat != QLatin1String("csv")
        && job.inputFormat != QLatin1String("json"))
        return QStringLiteral("--input-format 应为 csv 或 json，而不是“%1”").arg(job.inputFormat);
    const QString pdf = options.value("pdf");
    job.pdfToStdout = pdf == QLatin1String("-");
    // A PDF on standard output leaves it to the PDF alone.
    job.results = job.pdfToStdout ? stderr : stdout;
    if (options.has("pdf") && !job.fromStdin && !job.pdfToStdout
        && quillon::sameFile(pdf, job.input))
        return QStringLiteral("输出文件“%1”就是网格文件本身，不能覆盖").arg(pdf);
    // The export takes every page-NNN.png of its folder for its own.
    static const QRegularExpression pageName(QStringLiteral("^page-[0-9]{3,}\\.png$"));
    const auto isPagePicture = [&](const QString &path) {
        const QFileInfo file(path);
        const QString png = options.value("png");
        return options.has("png") && pageName.match(file.fileName()).hasMatch()
            && (file.absolutePath() == QFileInfo(png).absoluteFilePath()
                || quillon::sameFile(file.absolutePath(), png));
    };
    if (!job.fromStdin && isPagePicture(job.input))
        return QStringLiteral("网格文件“%1”在 PNG 文件夹中，名称与页面图片相同，"
                              "会被覆盖或删除，请换个名称或文件夹")
            .arg(job.input);
    if (!job.pdfToStdout && isPagePicture(pdf))
        return QStringLiteral("PDF 文件“%1”在 PNG 文件夹中，名称与页面图片相同，"
                              "会被覆盖或删除，请换个名称或文件夹")
            .arg(pdf);
    return {};
}

/// Writes --pdf and --png, each with a progress line, and says what it wrote: 1 when a file could
/// not be written, else 0. A stop (Ctrl+C) leaves no file behind and ends the program.
int writeFiles(quillon::MyPrint &print, const Options &options, const Job &job)
{
    quillon::ReportExport report(print);
    std::unique_ptr<ProgressLine> progress;
    // Made as an export starts, so that its rate counts the time the export took.
    const auto startProgress = [&] {
        if (!job.quiet)
            progress = std::make_unique<ProgressLine>(
                stderr, kProgram + QStringLiteral(": "), isatty(fileno(stderr)));
    };
    report.setProgressHandler([&](int done, int total) {
        if (progress)
            progress->update(done, total);
        if (!InterruptGuard::interrupted())
            return true;
        InterruptGuard::acknowledge(); // the page has ended: the export drops its files now
        return false;
    });
    int status = 0;
    const auto finish = [&](bool ok, const QString &written, qsizetype pages) {
        progress.reset(); // the terminal's progress line ends before anything else is said
        if (!job.quiet && !written.isEmpty())
            say(job.results, QStringLiteral("%1（共 %2 页）").arg(written).arg(pages));
        if (InterruptGuard::interrupted()) {
            if (!ok)
                say(stderr,
                    QStringLiteral("%1: 已中断：没有写出文件，原有的同名文件未改动").arg(kProgram));
            InterruptGuard::endAsInterrupted();
        }
        if (!ok) {
            say(stderr, QStringLiteral("%1: %2").arg(kProgram, report.errorString()));
            status = 1;
        }
    };
    const bool pdf = options.has("pdf"), png = options.has("png");
    if ((pdf || png) && InterruptGuard::interrupted()) {
        InterruptGuard::acknowledge();
        finish(false, QString(), 0);
    }
    if (pdf && job.pdfToStdout) {
        // As Unix tools do: standard output takes the PDF, so nothing else may go there.
        startProgress();
        QFile out;
        const bool ok = out.open(stdout, QIODevice::WriteOnly) && report.toPdf(&out) && out.flush();
        finish(ok, ok ? QStringLiteral("标准输出") : QString(), report.sheetCount());
    } else if (pdf) {
        startProgress();
        const bool ok = report.toPdf(options.value("pdf"));
        finish(ok, report.writtenFiles().value(0), report.sheetCount());
    }
    if (png) {
        startProgress();
        const bool ok = report.toPng(options.value("png"), job.zoom);
        finish(ok,
            report.writtenFiles().isEmpty() ? QString()
                                            : QFileInfo(options.value("png")).absoluteFilePath(),
            report.writtenFiles().size());
    }
    return status;
}

/// --dialog: the user chooses the printer, the pages and the copies.
bool printWithDialog(quillon::MyPrint &print)
{
    print.Printout();
    if (print.documentSent())
        return true;
    say(stderr, QStringLiteral("%1: 报表没有打印").arg(kProgram));
    return false;
}

/// --cont: the file's grid is the first data set; each PrintOver brings the next one, and the
/// one after the last ends the job.
bool printContinuously(
    quillon::MyPrint &print, quillon::GridFile &grid, const Job &job, const QString &printerName)
{
    const qsizetype sets = grid.dataSetCount() + 1;
    qsizetype done = 0;
    QString refillError;
    QObject::connect(&print, &quillon::MyPrint::PrintOver, &print, [&] {
        ++done;
        if (!job.quiet)
            say(stderr,
                QStringLiteral("%1: 第 %2 组数据已印完（共 %3 组）")
                    .arg(kProgram)
                    .arg(done)
                    .arg(sets));
        if (done >= sets || !grid.applyDataSet(done - 1, print, &refillError))
            print.setPrintEnd(true);
    });
    print.PrintCont();
    if (!refillError.isEmpty() || done < sets) {
        say(stderr,
            QStringLiteral("%1: 连续打印在第 %2 组数据后停止（共 %3 组）%4")
                .arg(kProgram)
                .arg(done)
                .arg(sets)
                .arg(refillError.isEmpty() ? QString() : QStringLiteral("：") + refillError));
        return false;
    }
    if (!job.quiet)
        say(job.results, QStringLiteral("已在%1上连续打印 %2 组数据").arg(printerName).arg(sets));
    return true;
}

/// --printer: straight to the printer, without a dialog.
bool printDirectly(quillon::MyPrint &print, const Job &job, const QString &printerName)
{
    // The progress ends with "完成" when the document went out, "取消" when it did not.
    QString lastLine;
    quillon::setConsoleProgressHandler([&lastLine, quiet = job.quiet](const QString &line) {
        lastLine = line;
        if (!quiet)
            say(stderr, QStringLiteral("%1: %2").arg(kProgram, line));
    });
    print.PrintDirect();
    quillon::setConsoleProgressHandler({});
    if (lastLine != QStringLiteral("完成")) {
        say(stderr, QStringLiteral("%1: 报表没有在%2上印完").arg(kProgram, printerName));
        return false;
    }
    if (!job.quiet)
        say(job.results, QStringLiteral("已送到%1").arg(printerName));
    return true;
}

/// What the command line says about every report.
ReportOptions readReportOptions(const Options &options, const Job &job)
{
    ReportOptions report;
    report.inputFormat = job.inputFormat;
    std::map<QString, qsizetype> seen;
    for (const QString &option : options.parser.optionNames()) {
        const QStringList values = options.parser.values(option);
        const qsizetype index = seen[option]++;
        if (index < values.size()
            && QStringList { u"title"_qs, u"subtitle"_qs, u"key"_qs, u"set"_qs }.contains(option))
            report.properties.emplace_back(option, values[index]);
    }
    report.formats = options.parser.values(QStringLiteral("format"));
    report.toPrinter = job.toPrinter;
    report.printer = options.value("printer");
    report.continuous = job.continuous;
    return report;
}

/// --out-dir: refuses what no file could take and outputs that would overwrite a grid file,
/// then exports the files.
int exportBatch(const Options &options, const Job &job, ReportOptions report)
{
    if (const QString why = GridReport::checkOptions(report); !why.isEmpty())
        return usageError(why);
    const QStringList outputs = BatchExport::outputPaths(job.inputs, job.outDir);
    QSet<QString> inputs;
    for (const QString &input : job.inputs)
        inputs.insert(QFileInfo(input).canonicalFilePath());
    for (const QString &output : outputs) {
        if (const QString path = QFileInfo(output).canonicalFilePath();
            !path.isEmpty() && inputs.contains(path))
            return usageError(QStringLiteral("输出文件“%1”就是网格文件本身，不能覆盖").arg(output));
    }
    if (!QDir().mkpath(job.outDir)) {
        say(stderr, QStringLiteral("%1: 无法建立文件夹“%2”").arg(kProgram, job.outDir));
        return 1;
    }
    // From the first value saved on, a stop removes what is being written.
    const InterruptGuard interrupts;
    BatchExport::Settings settings { std::move(report), job.threads, job.quiet,
        keepsFormats(options) };
    return BatchExport(std::move(settings), job.inputs, outputs).run();
}

} // namespace

static int run(int argc, char **argv)
{
    // Batch jobs run without a display; fonts still need a GUI application.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const RuntimeDir runtimeDir;
    // Read before the application object: on X11 Qt takes --title and its value for itself.
    CommandLine commandLine = splitArguments(argc, argv);
    QApplication app(commandLine.qtArgc, commandLine.qtArguments.data());
    QApplication::setApplicationName(kProgram);
    QApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));
    // The library's developer notes repeat its messages in English; QT_LOGGING_RULES still
    // brings them back.
    QLoggingCategory::setFilterRules(QStringLiteral("quillon.*=false"));

    QCommandLineParser parser;
    if (const Exit done = parseOptions(parser, commandLine.arguments))
        return *done;
    const Options options { parser };
    if (const Exit done = setUpMessagesAndSettings(options))
        return *done;
    // Everything the command line says is checked before the grid file is read.
    Job job;
    for (const auto check : { readDestinations, checkPrinters, checkFiles }) {
        if (const QString why = check(options, job); !why.isEmpty())
            return usageError(why);
    }

    const ReportOptions reportOptions = readReportOptions(options, job);
    if (job.batch)
        return exportBatch(options, job, reportOptions);

    QString error;
    const std::unique_ptr<GridReport> report = GridReport::open(job.input, reportOptions, &error);
    if (!report)
        return usageError(error);
    quillon::MyPrint &print = report->print();
    // The library would fall back to another printer with a message; a batch job must not print
    // where nobody asked it to.
    const QString designated = report->designatedPrinter();
    if (job.printing && !job.dialog && !designated.isEmpty() && !job.printers.contains(designated))
        return usageError(QStringLiteral("报表“%1”的页面格式指定的%2（用 --printer 另选）")
                              .arg(print.PrintKeyName(), notInstalled(job.printers, designated)));
    for (const QString &note : report->takeOwnChoices(job.continuous)) {
        if (!job.quiet)
            say(stderr, QStringLiteral("%1: %2: %3").arg(kProgram, report->source(), note));
    }

    // From the first value saved on, a stop removes what is being written.
    const InterruptGuard interrupts;
    report->storeFormat();
    const int status = writeFiles(print, options, job);
    if (job.preview)
        print.preview();
    if (!job.printing)
        return status;
    const QString printerName = designated.isEmpty() ? QStringLiteral("缺省打印机")
                                                     : QStringLiteral("打印机“%1”").arg(designated);
    const bool printed = job.dialog ? printWithDialog(print)
        : job.continuous            ? printContinuously(print, report->grid(), job, printerName)
                                    : printDirectly(print, job, printerName);
    return printed ? status : 1;
}

int main(int argc, char **argv)
{
    // The library reports what a host can act on as quillon::Error; here that is a failed job.
    try {
        return run(argc, argv);
    } catch (const quillon::Error &e) {
        say(stderr, kProgram + QStringLiteral(": [%1]%2").arg(e.number()).arg(e.description()));
    } catch (const std::exception &e) {
        say(stderr, kProgram + QStringLiteral(": ") + QString::fromLocal8Bit(e.what()));
    }
    return 1;
}
