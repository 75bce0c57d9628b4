#include "gridreport.h"

#include <quillon/flexgrid.h>
#include <quillon/formatfields.h>
#include <quillon/platform.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

constexpr double kTwipsPerMm = 56.7;

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

/// --set, --title, --subtitle and --key in the order given, so that the later of --title and
/// --set MainTitle=... wins.
bool applyOptionProperties(quillon::MyPrint &print, const ReportOptions &options, QString *error)
{
    for (const auto &[option, value] : options.properties) {
        QString name, text = value;
        if (option == QLatin1String("title"))
            name = QStringLiteral("MainTitle");
        else if (option == QLatin1String("subtitle"))
            name = QStringLiteral("SubTitle");
        else if (option == QLatin1String("key"))
            name = QStringLiteral("PrintKeyName");
        else if (!splitAssignment(value, &name, &text)) {
            *error = QStringLiteral("--set 应为 属性=值，而不是“%1”").arg(value);
            return false;
        }
        if (!quillon::GridFile::setProperty(print, name, text, error))
            return false;
    }
    return true;
}

/// --format's values, then --printer's printer, checked and added to the values.
bool addOptionFormats(
    const ReportOptions &options, std::map<QString, QString> &values, QString *error)
{
    const auto add = [&](const QString &name, const QString &text) {
        if (const QString why = quillon::checkFormatValue(name, text); !why.isEmpty()) {
            *error = why;
            return false;
        }
        values[quillon::findFormatField(name)->name] = text;
        return true;
    };
    for (const QString &assignment : options.formats) {
        QString name, text;
        if (!splitAssignment(assignment, &name, &text)) {
            *error
                = QStringLiteral("--format 应为 名称=值（Name=Value），而不是“%1”").arg(assignment);
            return false;
        }
        if (!add(name, text))
            return false;
    }
    return !options.toPrinter || add(QStringLiteral("PrinterName"), options.printer);
}

} // namespace

std::unique_ptr<GridReport> GridReport::open(
    const QString &input, const ReportOptions &options, QString *error)
{
    std::unique_ptr<GridReport> report(new GridReport);
    report->m_source = input;
    report->m_inputFormat = options.inputFormat;
    if (input == QLatin1String("-")) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly)) {
            *error = QStringLiteral("无法读取标准输入");
            return nullptr;
        }
        const QByteArray bytes = in.readAll();
        if (report->m_inputFormat.isEmpty()) {
            const QByteArray start = bytes.trimmed();
            report->m_inputFormat
                = start.startsWith('{') ? QStringLiteral("json") : QStringLiteral("csv");
        }
        report->m_source = QStringLiteral("标准输入");
        report->m_grid
            = quillon::GridFile::fromData(bytes, report->m_inputFormat, report->m_source, error);
    } else if (!report->m_inputFormat.isEmpty()) {
        report->m_grid = quillon::GridFile::load(input, error, report->m_inputFormat);
    } else {
        report->m_inputFormat = QFileInfo(input).suffix().toLower();
        report->m_grid = quillon::GridFile::load(input, error);
    }
    if (!report->m_grid || !report->applyProperties(options, error)
        || !report->readFormatValues(options, error))
        return nullptr;
    return report;
}

QString GridReport::checkOptions(const ReportOptions &options)
{
    quillon::MyPrint print;
    std::map<QString, QString> values;
    QString error;
    if (applyOptionProperties(print, options, &error))
        addOptionFormats(options, values, &error);
    return error;
}

/// The file's grid, properties and lines, then the command line's properties. False with the
/// message when a value is refused or the grid does not fit its kind.
bool GridReport::applyProperties(const ReportOptions &options, QString *error)
{
    if (!m_grid->applyTo(m_print, error)) {
        *error = QStringLiteral("%1: %2").arg(m_source, *error);
        return false;
    }
    if (!applyOptionProperties(m_print, options, error))
        return false;
    QString why = quillon::GridFile::checkGridKind(m_print);
    if (why.isEmpty())
        why = quillon::GridFile::checkPrintedColumns(m_print);
    if (!why.isEmpty()) {
        *error = QStringLiteral("%1: %2").arg(m_source, why);
        return false;
    }
    return true;
}

/// The page-format values the job stores: the file's "format", then --format, then --printer's
/// printer. Every value is checked before the first is stored.
bool GridReport::readFormatValues(const ReportOptions &options, QString *error)
{
    for (auto it = m_grid->format().cbegin(); it != m_grid->format().cend(); ++it) {
        const QVariant &v = it.value();
        const QString text
            = v.typeId() == QMetaType::Bool ? QString::number(v.toBool() ? 1 : 0) : v.toString();
        if (const QString why = quillon::checkFormatValue(it.key(), text); !why.isEmpty()) {
            *error = QStringLiteral("%1: %2").arg(m_source, why);
            return false;
        }
        m_format[quillon::findFormatField(it.key())->name] = text;
    }
    return addOptionFormats(options, m_format, error);
}

QString GridReport::designatedPrinter() const
{
    return effectiveFormat(m_format, m_print.PrintKeyName(), QStringLiteral("PrinterName"))
        .trimmed();
}

QStringList GridReport::takeOwnChoices(bool continuous)
{
    QStringList notes;
    if (m_grid->dataSetCount() > 0 && !continuous)
        notes << QStringLiteral(
            "“datasets”中的 %1 组数据只在 --cont 连续打印时印出，这次只印“grid”")
                     .arg(m_grid->dataSetCount());
    if (auto *flex = qobject_cast<quillon::FlexGrid *>(m_grid->grid());
        flex && m_inputFormat == QLatin1String("csv")) {
        if (const QString note = bandWideCsv(*flex, m_print, m_format); !note.isEmpty())
            notes << note;
    }
    return notes;
}

void GridReport::storeFormat() const
{
    for (const auto &[name, text] : m_format)
        quillon::setFormatValue(m_print.PrintKeyName(), name, text);
}
