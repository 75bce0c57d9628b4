#include "optiontable.h"

#include <QStringList>

namespace {

const OptionSpec kOptions[] = {
    { "pdf", 0, "OUT.pdf", ValueKind::PdfFile,
        "把报表写入一个 PDF 文件（- 为标准输出；所在文件夹不存在时先建好）" },
    { "png", 0, "DIR", ValueKind::Folder,
        "每页一张 PNG 图片，写入文件夹 DIR（page-001.png ……；上一次导出多出的页随后删除）" },
    { "preview", 0, "", ValueKind::None, "在预览窗口中显示报表（需要图形界面）" },
    { "zoom", 0, "FACTOR", ValueKind::Text,
        "PNG 图片的缩放倍数，0.05 到 20（1 为 96 dpi；只与 --png 一起用）" },
    { "out-dir", 0, "DIR", ValueKind::Folder,
        "每个网格文件写成文件夹 DIR 中的一个 PDF 文件，以网格文件命名（sales.csv → "
        "DIR/sales.pdf；同名的依次为 sales-2.pdf、sales-3.pdf ……）；可以给出多个网格文件" },
    { "jobs", 'j', "N", ValueKind::Text,
        "与 --out-dir 一起用：同时导出 N 个文件，每个一个线程（缺省为处理器核数）" },
    { "printer", 0, "NAME", ValueKind::Text,
        "在打印机 NAME 上直接打印，不显示对话框（即 --format PrinterName=NAME；"
        "内置的 PDF 打印机名为 Quillon PDF）" },
    { "dialog", 0, "", ValueKind::None,
        "显示打印对话框，由用户选择打印机、页码和份数后打印（需要图形界面）" },
    { "cont", 0, "", ValueKind::None,
        "连续打印：先印网格，再逐组印 JSON 网格文件中“datasets”的数据，每张纸是一个打印文档" },
    { "settings", 0, "FILE", ValueKind::File,
        "页面格式保存在这个设置文件中（不给出时只用临时设置，不改动任何保存的格式）" },
    { "key", 0, "NAME", ValueKind::Text, "报表的名称（PrintKeyName），页面格式按它保存" },
    { "set", 0, "Property=Value", ValueKind::Property,
        "设置打印对象的属性，如 TopMargin=15（--list-properties 列出全部）" },
    { "format", 0, "Name=Value", ValueKind::FormatValue,
        "先保存一个页面格式值，如 HoriCutPage=1（--list-formats 列出全部）" },
    { "title", 0, "TEXT", ValueKind::Text, "主标题（即 --set MainTitle=TEXT）" },
    { "subtitle", 0, "TEXT", ValueKind::Text, "副标题（即 --set SubTitle=TEXT）" },
    { "input-format", 0, "csv|json", ValueKind::InputFormat,
        "网格文件的格式（缺省按扩展名；标准输入以 { 开头为 JSON，否则为 CSV）" },
    { "quiet", 0, "", ValueKind::None, "不显示进度和结果，只在标准错误上报告错误" },
    { "list-formats", 0, "", ValueKind::None, "列出页面格式值的名称、类型、单位、缺省值和范围" },
    { "list-properties", 0, "", ValueKind::None, "列出打印对象属性的名称、类型和缺省值" },
    { "version", 0, "", ValueKind::None, "显示版本" },
    { "help", 0, "", ValueKind::None, "显示本帮助" },
};

const char *const kUsage[] = {
    "quillon-print [选项] 网格文件",
    "quillon-print --out-dir DIR [-j N] [选项] 网格文件……",
};

const char *const kNotes[] = {
    "同一选项给出多次时以最后一次为准；--title 与 --set MainTitle=… 也以后给出的为准。",
    "--pdf、--png 与 --printer 或 --dialog 可以同时给出：先写文件，再打印。",
    "--out-dir 不能与 --pdf、--png、--preview、--printer、--dialog、--cont 同用，其他选项用于每个"
    "网格文件。一个文件出错时，它的消息以文件名开头，其余文件照常写出，最后以状态 1 退出"
    "（有的文件没有写出）。",
    "--out-dir 不带 --settings 时，每个文件只用自己的临时设置，如同单独打印；带 --settings 时，"
    "同一报表（PrintKeyName）的文件按给出的顺序逐个导出，后一个用前一个保存的格式。",
};

const TermSpec kExitStatuses[] = {
    { "0", "报表已写出" },
    { "1", "报表无法写出" },
    { "2", "输入有误（此时不写出任何文件）" },
    { "129、130、143", "被挂断、Ctrl+C 或 kill 中止（没有写完的文件已删除）" },
};

const TermSpec kEnvironment[] = {
    { "QUILLON_SETTINGS", "不给出 --settings 时保存页面格式的设置文件；两者都没有时只用临时设置" },
    { "XDG_CONFIG_DIRS",
        "系统设置文件 quillon/settings.ini 所在的文件夹（缺省 /etc/xdg），只读；"
        "用设置文件时，它补上用户文件中没有的值" },
    { "QUILLON_PDF_DIR", "内置打印机 Quillon PDF 写出文件的文件夹（缺省 ~/Documents/Quillon）" },
    { "QUILLON_PRINTERS", "描述更多虚拟打印机的文件" },
    { "QUILLON_VIRTUAL_PRINTER", "为 0 时不提供内置打印机 Quillon PDF" },
};

const TermSpec kExamples[] = {
    { "quillon-print --pdf sales.pdf --title 销售明细表 sales.csv",
        "把 sales.csv 印成 sales.pdf，主标题为“销售明细表”" },
    { "quillon-print --png pages --zoom 2 wide.json", "每页一张 192 dpi 的 PNG 图片，写入 pages" },
    { "quillon-print --out-dir pdf -j 4 reports/*.csv",
        "reports 中的每个 CSV 文件写成 pdf 文件夹中的一个 PDF 文件，同时导出 4 个" },
    { "quillon-print --pdf - sales.csv | lp", "PDF 写到标准输出，交给 lp 打印" },
    { "quillon-print --printer \"Quillon PDF\" sales.csv",
        "不显示对话框，在内置的 PDF 打印机上打印" },
    { "quillon-print --cont --printer 财务室 statements.json", "逐组连续打印对账单的数据" },
};

} // namespace

std::span<const OptionSpec> commandOptions()
{
    return kOptions;
}

std::span<const char *const> usageLines()
{
    return kUsage;
}

const char *summary()
{
    return "把网格文件打印为 PDF 或 PNG，或送到打印机";
}

const char *description()
{
    return "把网格文件（.csv 或 .json，见 docs/grid-file.md；- 为标准输入）打印为 PDF 或 PNG，\n"
           "或送到打印机。\n"
           "给出 --out-dir 时，每个网格文件写成该文件夹中的一个 PDF 文件。";
}

std::span<const char *const> notes()
{
    return kNotes;
}

std::span<const TermSpec> exitStatuses()
{
    return kExitStatuses;
}

std::span<const TermSpec> environment()
{
    return kEnvironment;
}

std::span<const TermSpec> examples()
{
    return kExamples;
}

QString optionSynopsis(const OptionSpec &option)
{
    QString text;
    if (option.shortName)
        text = QStringLiteral("-%1, ").arg(QLatin1Char(option.shortName));
    text += QStringLiteral("--") + QLatin1String(option.name);
    if (*option.valueName)
        text += QLatin1Char(' ') + QLatin1String(option.valueName);
    return text;
}

QString helpText()
{
    QString text = QStringLiteral("用法：");
    for (const char *line : usageLines()) {
        if (line != usageLines().front())
            text += QStringLiteral("      ");
        text += QString::fromUtf8(line) + QLatin1Char('\n');
    }
    text += QString::fromUtf8(description()) + QStringLiteral("\n\n选项：\n");
    for (const OptionSpec &o : commandOptions()) {
        text += (QStringLiteral("  ") + optionSynopsis(o)).leftJustified(28) + QLatin1Char(' ')
            + QString::fromUtf8(o.help) + QLatin1Char('\n');
    }
    text += QLatin1Char('\n');
    for (const char *note : notes())
        text += QString::fromUtf8(note) + QLatin1Char('\n');
    QStringList statuses;
    for (const TermSpec &status : exitStatuses())
        statuses << QString::fromUtf8(status.term) + QLatin1Char(' ')
                + QString::fromUtf8(status.meaning);
    return text + QStringLiteral("退出状态：") + statuses.join(QStringLiteral("，"))
        + QStringLiteral("。");
}
