// quillon-print: prints a grid file as a report: to PDF or PNG pages, or on a printer.
//
//   quillon-print [options] GRIDFILE
//
// GRIDFILE is a .csv file (a flex grid with its first row fixed), a .json grid file
// (docs/grid-file.md), or - for standard input. Exit status: 0 done, 1 the report could not be
// written, 2 bad input (nothing is written then).

#include <quillon/error.h>
#include <quillon/flexgrid.h>
#include <quillon/formatfields.h>
#include <quillon/gridfile.h>
#include <quillon/myprint.h>
#include <quillon/platform.h>
#include <quillon/reportexport.h>

#include "interruptguard.h"
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

#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <vector>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

const QString kProgram = QStringLiteral("quillon-print");
constexpr double kTwipsPerMm = 56.7;

void say(FILE *stream, const QString &text)
{
    std::fprintf(stream, "%s\n", text.toUtf8().constData());
    std::fflush(stream);
}

int usageError(const QString &text)
{
    say(stderr, kProgram + QStringLiteral(": ") + text);
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

struct OptionSpec
{
    const char *name;
    const char *valueName; ///< empty for a switch
    const char *help;
};

// --help is made from this table, so it lists every option there is.
const OptionSpec kOptions[] = {
    { "pdf", "OUT.pdf", "把报表写入一个 PDF 文件（- 为标准输出）" },
    { "png", "DIR",
        "每页一张 PNG 图片，写入文件夹 DIR（page-001.png ……；上一次导出多出的页随后删除）" },
    { "preview", "", "在预览窗口中显示报表（需要图形界面）" },
    { "zoom", "FACTOR", "PNG 图片的缩放倍数，0.05 到 20（1 为 96 dpi；只与 --png 一起用）" },
    { "printer", "NAME",
        "在打印机 NAME 上直接打印，不显示对话框（即 --format PrinterName=NAME；"
        "内置的 PDF 打印机名为 Quillon PDF）" },
    { "dialog", "", "显示打印对话框，由用户选择打印机、页码和份数后打印（需要图形界面）" },
    { "cont", "",
        "连续打印：先印网格，再逐组印 JSON 网格文件中“datasets”的数据，每张纸是一个打印文档" },
    { "settings", "FILE",
        "页面格式保存在这个设置文件中（不给出时只用临时设置，不改动任何保存的格式）" },
    { "key", "NAME", "报表的名称（PrintKeyName），页面格式按它保存" },
    { "set", "Property=Value",
        "设置打印对象的属性，如 TopMargin=15（--list-properties 列出全部）" },
    { "format", "Name=Value", "先保存一个页面格式值，如 HoriCutPage=1（--list-formats 列出全部）" },
    { "title", "TEXT", "主标题（即 --set MainTitle=TEXT）" },
    { "subtitle", "TEXT", "副标题（即 --set SubTitle=TEXT）" },
    { "input-format", "csv|json",
        "网格文件的格式（缺省按扩展名；标准输入以 { 开头为 JSON，否则为 CSV）" },
    { "quiet", "", "不显示进度和结果，只在标准错误上报告错误" },
    { "list-formats", "", "列出页面格式值的名称、类型、单位、缺省值和范围" },
    { "list-properties", "", "列出打印对象属性的名称、类型和缺省值" },
    { "version", "", "显示版本" },
    { "help", "", "显示本帮助" },
};

QString helpText()
{
    QString text = QStringLiteral(
        "用法：quillon-print [选项] 网格文件\n"
        "把网格文件（.csv 或 .json，见 docs/grid-file.md；- 为标准输入）打印为 PDF 或 PNG，\n"
        "或送到打印机。\n\n"
        "选项：\n");
    for (const OptionSpec &o : kOptions) {
        QString left = QStringLiteral("  --") + QLatin1String(o.name);
        if (*o.valueName)
            left += QLatin1Char(' ') + QLatin1String(o.valueName);
        text += left.leftJustified(28) + QLatin1Char(' ') + QString::fromUtf8(o.help)
            + QLatin1Char('\n');
    }
    text += QStringLiteral(
        "\n同一选项给出多次时以最后一次为准；--title 与 --set MainTitle=… 也以后给出的为准。\n"
        "--pdf、--png 与 --printer 或 --dialog 可以同时给出：先写文件，再打印。\n"
        "退出状态：0 报表已写出，1 报表无法写出，2 输入有误（此时不写出任何文件）。");
    return text;
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

/// The page-format value the job will use: what this job stores, else what the report keeps.
QString effectiveFormat(
    const std::map<QString, QString> &values, const QString &key, const QString &name)
{
    const auto it = values.find(name);
    return it != values.end() ? it->second : quillon::formatValue(key, name);
}

/// A CSV much wider than its page turns into column bands with its first column on each: one
/// page with its text shrunk to nothing helps no one. "Much wider": the columns need more than
/// 1.5 pages of A4 width, whose text would print below two thirds of its size.
QString bandWideCsv(
    quillon::FlexGrid &grid, const quillon::MyPrint &print, std::map<QString, QString> &format)
{
    const QString key = print.PrintKeyName();
    if (!effectiveFormat(format, key, QStringLiteral("HoriCutPage")).isNull())
        return {}; // chosen by the user
    const auto number = [&](const char *name, int fallback) {
        bool ok = false;
        const int v = effectiveFormat(format, key, QLatin1String(name)).toInt(&ok);
        return ok ? v : fallback;
    };
    const bool landscape = number("PaperOriention", int(print.PaperOrient())) == 2;
    const int usableMm = (landscape ? 297 : 210) - number("Left", print.LeftMargin())
        - number("Right", print.RightMargin());
    double total = 0;
    for (qint32 c = 0; c < grid.Cols(); ++c)
        total += grid.ColWidth(c);
    const double ratio = total / (std::max(usableMm, 1) * kTwipsPerMm);
    if (ratio <= 1.5 || grid.Cols() < 2)
        return {};
    grid.setFixedCols(1);
    format[QStringLiteral("HoriCutPage")] = QStringLiteral("1");
    format[QStringLiteral("MultFixCol")] = QStringLiteral("1");
    return QStringLiteral("各列总宽约为页宽的 %1 倍，已分段打印，每段重复第 1 列"
                          "（不要分段：--format HoriCutPage=0）")
        .arg(ratio, 0, 'f', 1);
}

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
    for (const OptionSpec &o : kOptions) {
        parser.addOption(QCommandLineOption(
            QLatin1String(o.name), QString::fromUtf8(o.help), QLatin1String(o.valueName)));
    }
    parser.addPositionalArgument(QStringLiteral("GRIDFILE"), QStringLiteral("网格文件"));
    if (!parser.parse(arguments))
        return usageError(parseError(parser));
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
    else if (qEnvironmentVariableIsEmpty("QUILLON_SETTINGS"))
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
    QString source; ///< the grid file as messages name it
    QString inputFormat; ///< "csv" or "json"; empty until read: by the file's suffix
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

/// The grid file and where the report goes: one place at least, and no two that exclude each
/// other. Empty, or why the job is refused.
QString readDestinations(const Options &options, Job &job)
{
    const QStringList files = options.parser.positionalArguments();
    if (files.size() != 1)
        return QStringLiteral("请给出一个网格文件（- 为标准输入；见 --help）");
    job.input = files.first();
    job.source = job.input;
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
        if (!zoomOk || job.zoom < 0.05 || job.zoom > 20)
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
    if (options.has("png") && !job.fromStdin
        && pageName.match(QFileInfo(job.input).fileName()).hasMatch()
        && quillon::sameFile(QFileInfo(job.input).absolutePath(), options.value("png")))
        return QStringLiteral("网格文件“%1”在 PNG 文件夹中，名称与页面图片相同，"
                              "会被覆盖或删除，请换个名称或文件夹")
            .arg(job.input);
    return {};
}

/// The grid file, or standard input, with the format it was read as.
std::unique_ptr<quillon::GridFile> openGridFile(Job &job, QString *error)
{
    if (job.fromStdin) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly)) {
            *error = QStringLiteral("无法读取标准输入");
            return nullptr;
        }
        const QByteArray bytes = in.readAll();
        if (job.inputFormat.isEmpty()) {
            const QByteArray start = bytes.trimmed();
            job.inputFormat
                = start.startsWith('{') ? QStringLiteral("json") : QStringLiteral("csv");
        }
        job.source = QStringLiteral("标准输入");
        return quillon::GridFile::fromData(bytes, job.inputFormat, job.source, error);
    }
    if (!job.inputFormat.isEmpty())
        return quillon::GridFile::load(job.input, error, job.inputFormat);
    job.inputFormat = QFileInfo(job.input).suffix().toLower();
    return quillon::GridFile::load(job.input, error);
}

/// The file's grid, properties and lines, then --set, --title, --subtitle and --key in the order
/// given, so that the later of --title and --set MainTitle=... wins. False with the message
/// when a value is refused or the grid does not fit its kind.
bool applyProperties(quillon::MyPrint &print, const quillon::GridFile &grid, const Options &options,
    const QString &source, QString *error)
{
    if (!grid.applyTo(print, error)) {
        *error = QStringLiteral("%1: %2").arg(source, *error);
        return false;
    }
    std::map<QString, qsizetype> seen;
    for (const QString &option : options.parser.optionNames()) {
        const QStringList values = options.parser.values(option);
        const qsizetype index = seen[option]++;
        if (index >= values.size())
            continue;
        QString name, text = values[index];
        if (option == QLatin1String("title"))
            name = QStringLiteral("MainTitle");
        else if (option == QLatin1String("subtitle"))
            name = QStringLiteral("SubTitle");
        else if (option == QLatin1String("key"))
            name = QStringLiteral("PrintKeyName");
        else if (option != QLatin1String("set"))
            continue;
        else if (!splitAssignment(values[index], &name, &text)) {
            *error = QStringLiteral("--set 应为 属性=值，而不是“%1”").arg(values[index]);
            return false;
        }
        if (!quillon::GridFile::setProperty(print, name, text, error))
            return false;
    }
    if (const QString why = quillon::GridFile::checkGridKind(print); !why.isEmpty()) {
        *error = QStringLiteral("%1: %2").arg(source, why);
        return false;
    }
    return true;
}

/// The page-format values the job stores: the file's "format", then --format, then --printer's
/// printer. Every value is checked before the first is stored, so that a refused job changes
/// nothing.
bool readFormatValues(const quillon::GridFile &grid, const Options &options, const Job &job,
    std::map<QString, QString> &values, QString *error)
{
    const auto add = [&](const QString &name, const QString &text, const QString &from) {
        if (const QString why = quillon::checkFormatValue(name, text); !why.isEmpty()) {
            *error = from.isEmpty() ? why : QStringLiteral("%1: %2").arg(from, why);
            return false;
        }
        values[quillon::findFormatField(name)->name] = text;
        return true;
    };
    for (auto it = grid.format().cbegin(); it != grid.format().cend(); ++it) {
        const QVariant &v = it.value();
        const QString text
            = v.typeId() == QMetaType::Bool ? QString::number(v.toBool() ? 1 : 0) : v.toString();
        if (!add(it.key(), text, job.source))
            return false;
    }
    for (const QString &assignment : options.parser.values(QStringLiteral("format"))) {
        QString name, text;
        if (!splitAssignment(assignment, &name, &text)) {
            *error
                = QStringLiteral("--format 应为 名称=值（Name=Value），而不是“%1”").arg(assignment);
            return false;
        }
        if (!add(name, text, QString()))
            return false;
    }
    return !job.toPrinter
        || add(QStringLiteral("PrinterName"), options.value("printer"), QString());
}

/// What the job changes on its own accord, said on standard error unless --quiet: the data sets
/// only --cont prints, and a wide CSV's column bands.
void noteOwnChoices(quillon::GridFile &grid, const quillon::MyPrint &print, const Job &job,
    std::map<QString, QString> &formatValues)
{
    if (grid.dataSetCount() > 0 && !job.continuous && !job.quiet)
        say(stderr,
            QStringLiteral(
                "%1: %2: “datasets”中的 %3 组数据只在 --cont 连续打印时印出，这次只印“grid”")
                .arg(kProgram, job.source)
                .arg(grid.dataSetCount()));
    if (auto *flex = qobject_cast<quillon::FlexGrid *>(grid.grid());
        flex && job.inputFormat == QLatin1String("csv")) {
        const QString note = bandWideCsv(*flex, print, formatValues);
        if (!note.isEmpty() && !job.quiet)
            say(stderr, QStringLiteral("%1: %2: %3").arg(kProgram, job.source, note));
    }
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

    QString error;
    const std::unique_ptr<quillon::GridFile> grid = openGridFile(job, &error);
    if (!grid)
        return usageError(error);
    quillon::MyPrint print;
    std::map<QString, QString> formatValues;
    if (!applyProperties(print, *grid, options, job.source, &error)
        || !readFormatValues(*grid, options, job, formatValues, &error))
        return usageError(error);
    // The library would fall back to another printer with a message; a batch job must not print
    // where nobody asked it to.
    const QString designated
        = effectiveFormat(formatValues, print.PrintKeyName(), QStringLiteral("PrinterName"))
              .trimmed();
    if (job.printing && !job.dialog && !designated.isEmpty() && !job.printers.contains(designated))
        return usageError(QStringLiteral("报表“%1”的页面格式指定的%2（用 --printer 另选）")
                              .arg(print.PrintKeyName(), notInstalled(job.printers, designated)));
    noteOwnChoices(*grid, print, job, formatValues);

    // From the first value saved on, a stop removes what is being written.
    const InterruptGuard interrupts;
    for (const auto &[name, text] : formatValues)
        quillon::setFormatValue(print.PrintKeyName(), name, text);
    const int status = writeFiles(print, options, job);
    if (job.preview)
        print.preview();
    if (!job.printing)
        return status;
    const QString printerName = designated.isEmpty() ? QStringLiteral("缺省打印机")
                                                     : QStringLiteral("打印机“%1”").arg(designated);
    const bool printed = job.dialog ? printWithDialog(print)
        : job.continuous            ? printContinuously(print, *grid, job, printerName)
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
