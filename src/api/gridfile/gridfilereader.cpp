#include "api/gridfile/gridfilereader_p.h"

#include "api/csvtable.h"
#include "api/jsoncellcount.h"
#include "api/jsoncelltable.h"
#include "engine/grids/memory/celltable_p.h"
#include "engine/grids/memory/flexgridtexts_p.h"

#include <quillon/flexgrid.h>
#include <quillon/myprint.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMetaProperty>

#include <algorithm>
#include <cmath>

namespace quillon {

namespace {

/// A flex grid of this many cells or more reads them where the file's bytes lie.
constexpr qint64 kTableCells = 65'536;
/// What every page repeats (head and foot lines, heading rows, one body row) must fit in this
/// height, a head or foot line counted at kLineAllowance: the usable height of A4 landscape with
/// the default margins, less titles and the page-info line.
constexpr qint32 kRepeatBudget = 9000;
constexpr qint32 kLineAllowance = 300;
constexpr qsizetype kMaxLineEntries = 100;
/// Continuous printing sends each sheet as a print document of its own.
constexpr qsizetype kMaxDataSets = 1000;

/// The reader of each grid kind, by kind from 1.
struct KindReader
{
    bool (*read)(GridFileReader &reader, const QJsonObject &grid, int kind);
    DataSetRows dataSets;
};

constexpr KindReader kKindReaders[] = {
    { readSheetGrid, DataSetRows::None },
    { readVoucherGrid, DataSetRows::AllRows },
    { readDataGrid, DataSetRows::BodyRows },
    { readDataGrid, DataSetRows::BodyRows },
    { readFlexGrid, DataSetRows::HeadingAndBodyRows },
    { readFlexGrid, DataSetRows::HeadingAndBodyRows },
    { readFlexGrid, DataSetRows::HeadingAndBodyRows },
    { readSpreadGrid, DataSetRows::None },
};

constexpr const char *kDocumentKeys[]
    = { "GridType", "properties", "format", "head", "foot", "grid", "datasets" };
constexpr const char *kDataSetKeys[] = { "cells", "head", "foot" };

/// A JSON value as a message shows it.
QString describe(const QJsonValue &v)
{
    switch (v.type()) {
    case QJsonValue::Null:
        return QStringLiteral("空值 null");
    case QJsonValue::Bool:
        return v.toBool() ? QStringLiteral("布尔值 true") : QStringLiteral("布尔值 false");
    case QJsonValue::Double:
        return QStringLiteral("数字 %1").arg(QString::number(v.toDouble(), 'g', 15));
    case QJsonValue::String: {
        const QString text = v.toString();
        return QStringLiteral("文本“%1”")
            .arg(text.size() > 30 ? text.left(30) + QStringLiteral("…") : text);
    }
    case QJsonValue::Array:
        return QStringLiteral("数组（%1 项）").arg(v.toArray().size());
    case QJsonValue::Object:
        return QStringLiteral("对象");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("空缺的值");
}

QString jsonError(QJsonParseError::ParseError error)
{
    switch (error) {
    case QJsonParseError::UnterminatedObject:
        return QStringLiteral("对象没有结束（缺少“}”或“,”）");
    case QJsonParseError::MissingNameSeparator:
        return QStringLiteral("名称后缺少“:”");
    case QJsonParseError::UnterminatedArray:
        return QStringLiteral("数组没有结束（缺少“]”或“,”）");
    case QJsonParseError::MissingValueSeparator:
        return QStringLiteral("两个值之间缺少“,”");
    case QJsonParseError::IllegalValue:
        return QStringLiteral("值无效");
    case QJsonParseError::TerminationByNumber:
        return QStringLiteral("数字之后文件意外结束");
    case QJsonParseError::IllegalNumber:
        return QStringLiteral("数字无效");
    case QJsonParseError::IllegalEscapeSequence:
        return QStringLiteral("转义序列无效");
    case QJsonParseError::IllegalUTF8String:
        return QStringLiteral("文本不是有效的 UTF-8");
    case QJsonParseError::UnterminatedString:
        return QStringLiteral("字符串没有结束（缺少“\"”）");
    case QJsonParseError::MissingObject:
        return QStringLiteral("应为一个 JSON 对象");
    case QJsonParseError::DeepNesting:
        return QStringLiteral("嵌套层次太深");
    case QJsonParseError::DocumentTooLarge:
        return QStringLiteral("文件太大");
    case QJsonParseError::GarbageAtEnd:
        return QStringLiteral("JSON 结束后还有多余的内容");
    case QJsonParseError::NoError:
        break;
    }
    return {};
}

} // namespace

QString noCellsMessage()
{
    return QStringLiteral("没有任何数据：网格至少要有一行一列");
}

void sizeToContent(const QList<QStringList> &cells, qint32 cols, QList<qint32> &widths)
{
    for (qint32 c = qint32(widths.size()); c < cols; ++c) {
        QStringList column;
        for (const QStringList &row : cells)
            column << row.value(c);
        widths << contentWidth(column);
    }
}

GridFileReader::GridFileReader(GridFile &file)
    : m_file(file)
{
}

GridFileReader::~GridFileReader() = default;

GridFilePrivate &GridFileReader::file()
{
    return *m_file.d;
}

// ---- the checking core ------------------------------------------------------------------------

bool GridFileReader::fail(const QString &where, const QString &what)
{
    error = where.isEmpty() ? what : QStringLiteral("“%1”%2").arg(where, what);
    return false;
}

bool GridFileReader::typeError(const QString &where, const QString &expected, const QJsonValue &v)
{
    if (v.isUndefined())
        return fail(where, QStringLiteral("缺少：应为%1").arg(expected));
    return fail(where, QStringLiteral("应为%1，而不是%2").arg(expected, describe(v)));
}

bool GridFileReader::checkKeys(const QJsonObject &object, const QString &where, KeyList allowed)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (std::none_of(allowed.begin(), allowed.end(),
                [&](const char *key) { return it.key() == QLatin1String(key); })) {
            QStringList names;
            for (const char *key : allowed)
                names << QLatin1String(key);
            return fail(where.isEmpty() ? it.key() : where + QLatin1Char('.') + it.key(),
                QStringLiteral("不是可用的键（这里可用：%1）")
                    .arg(names.join(QStringLiteral("、"))));
        }
    }
    return true;
}

std::optional<qint32> GridFileReader::integer(
    const QJsonValue &v, const QString &where, qint32 low, qint32 high, const QString &note)
{
    const double d = v.toDouble();
    if (!v.isDouble() || d != std::floor(d)) {
        typeError(where, QStringLiteral("整数"), v);
        return std::nullopt;
    }
    if (d < low || d > high) {
        fail(where,
            QStringLiteral("为 %1，超出范围：应为 %2 到 %3 之间的整数%4")
                .arg(QString::number(d, 'g', 15))
                .arg(low)
                .arg(high)
                .arg(note));
        return std::nullopt;
    }
    return qint32(d);
}

bool GridFileReader::readKeys(
    const QJsonObject &object, const QString &where, std::initializer_list<KeyRule> rules)
{
    return std::all_of(rules.begin(), rules.end(),
        [&](const KeyRule &rule) { return readKey(object, where, rule); });
}

bool GridFileReader::readKey(const QJsonObject &object, const QString &where, const KeyRule &rule)
{
    const QString key = QLatin1String(rule.key);
    const QJsonValue value = object.value(key);
    if (value.isUndefined() && !rule.required)
        return true;
    const QString at = where.isEmpty() ? key : where + QLatin1Char('.') + key;
    switch (rule.type) {
    case KeyRule::Type::Integer: {
        const auto n = integer(value, at, rule.low, rule.high, rule.note);
        if (!n)
            return false;
        if (auto *target = std::get_if<qint32 *>(&rule.target))
            **target = *n;
        else
            *std::get<std::optional<qint32> *>(rule.target) = *n;
        return true;
    }
    case KeyRule::Type::PerIndex:
        return readPerIndex(value, at, rule);
    case KeyRule::Type::IndexSet:
        return readIndexSet(value, at, rule);
    case KeyRule::Type::Bool:
        if (!value.isBool())
            return typeError(at, QStringLiteral(" true 或 false"), value);
        *std::get<std::optional<bool> *>(rule.target) = value.toBool();
        return true;
    case KeyRule::Type::Text:
        if (!value.isString())
            return typeError(at, rule.note, value);
        if (auto *target = std::get_if<QString *>(&rule.target))
            **target = value.toString();
        else
            *std::get<std::optional<QString> *>(rule.target) = value.toString();
        return true;
    }
    return true;
}

bool GridFileReader::readPerIndex(
    const QJsonValue &value, const QString &where, const KeyRule &rule)
{
    QList<qint32> &values = *std::get<QList<qint32> *>(rule.target);
    if (value.isDouble()) {
        const auto one = integer(value, where, rule.low, rule.high);
        if (!one)
            return false;
        values = QList<qint32>(rule.count, *one);
        return true;
    }
    if (!value.isArray())
        return typeError(where, QStringLiteral("整数或整数数组"), value);
    const QJsonArray items = value.toArray();
    if (items.size() > rule.count)
        return fail(where,
            QStringLiteral("有 %1 项，但网格只有 %2 %3")
                .arg(items.size())
                .arg(rule.count)
                .arg(rule.note));
    for (qsizetype i = 0; i < items.size(); ++i) {
        const auto v
            = integer(items[i], QStringLiteral("%1[%2]").arg(where).arg(i), rule.low, rule.high);
        if (!v)
            return false;
        values << *v;
    }
    return true;
}

bool GridFileReader::readIndexSet(
    const QJsonValue &value, const QString &where, const KeyRule &rule)
{
    QList<qint32> &set = *std::get<QList<qint32> *>(rule.target);
    if (value.isBool()) {
        if (value.toBool()) {
            for (qint32 i = 0; i < rule.count; ++i)
                set << i;
        }
        return true;
    }
    if (!value.isArray())
        return typeError(where, QStringLiteral("true、false 或下标的数组"), value);
    const QJsonArray items = value.toArray();
    const QString note
        = QStringLiteral("（网格有 %1 %2，从 0 数起）").arg(rule.count).arg(rule.note);
    for (qsizetype i = 0; i < items.size(); ++i) {
        const auto v = integer(
            items[i], QStringLiteral("%1[%2]").arg(where).arg(i), rule.low, rule.high, note);
        if (!v)
            return false;
        set << *v;
    }
    return true;
}

std::optional<QJsonObject> GridFileReader::objectItem(
    const QJsonValue &item, const QString &where, const QString &shape, KeyList allowed)
{
    if (!item.isObject()) {
        typeError(where, QStringLiteral("对象 ") + shape, item);
        return std::nullopt;
    }
    const QJsonObject object = item.toObject();
    if (!checkKeys(object, where, allowed))
        return std::nullopt;
    return object;
}

bool GridFileReader::readCellTuples(const QJsonObject &grid, const char *key, qint32 rows,
    qint32 cols, qsizetype minItems, qsizetype maxItems, const QString &shape,
    const std::function<bool(const QString &, const QJsonArray &, qint32, qint32)> &take)
{
    const QString where = QStringLiteral("grid.") + QLatin1String(key);
    const QJsonValue value = grid.value(QLatin1String(key));
    if (value.isUndefined())
        return true;
    if (!value.isArray())
        return typeError(where, QStringLiteral("由 %1 组成的数组").arg(shape), value);
    const QString rowNote = QStringLiteral("（网格有 %1 行，从 0 数起）").arg(rows);
    const QString colNote = QStringLiteral("（网格有 %1 列，从 0 数起）").arg(cols);
    const QJsonArray items = value.toArray();
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString at = QStringLiteral("%1[%2]").arg(where).arg(i);
        const QJsonArray t = items[i].toArray();
        if (!items[i].isArray() || t.size() < minItems || t.size() > maxItems)
            return typeError(at, QLatin1Char(' ') + shape, items[i]);
        const auto r = integer(t[0], at + QStringLiteral("[0]"), 0, rows - 1, rowNote);
        if (!r)
            return false;
        const auto c = integer(t[1], at + QStringLiteral("[1]"), 0, cols - 1, colNote);
        if (!c)
            return false;
        if (!take(at, t, *r, *c))
            return false;
    }
    return true;
}

// ---- what the grids of rows of cells share ----------------------------------------------------

bool GridFileReader::checkSize(qint64 rows, qint64 cols)
{
    if (rows == 0 || cols == 0)
        return false;
    if (rows * cols > kMaxCells)
        return fail(QString(),
            QStringLiteral("网格有 %1 行、%2 列，共 %3 个单元格，超过上限 %4")
                .arg(rows)
                .arg(cols)
                .arg(rows * cols)
                .arg(kMaxCells));
    return true;
}

bool GridFileReader::checkGridSize(qint64 rows, qint64 cols, const QString &where)
{
    if (!checkSize(rows, cols))
        return error.isEmpty() ? fail(where, noCellsMessage()) : false;
    return true;
}

bool GridFileReader::readCells(const QJsonObject &object, const QString &where,
    QList<QStringList> &cells, qint32 &cols, const QString &name)
{
    cols = 0;
    const QString key = where + QLatin1Char('.') + name;
    const QJsonValue value = object.value(name);
    if (value.isUndefined())
        return true;
    if (!value.isArray())
        return typeError(key, QStringLiteral("由行组成的数组"), value);
    const QJsonArray rows = value.toArray();
    for (qsizetype r = 0; r < rows.size(); ++r) {
        if (!rows[r].isArray())
            return typeError(QStringLiteral("%1[%2]").arg(key).arg(r),
                QStringLiteral("由单元格组成的数组"), rows[r]);
        QStringList row;
        const QJsonArray items = rows[r].toArray();
        for (qsizetype c = 0; c < items.size(); ++c) {
            const QJsonValue item = items[c];
            if (item.isString()) {
                row << item.toString();
                if (row.last().size() > kMaxCellText)
                    return fail(QStringLiteral("%1[%2][%3]").arg(key).arg(r).arg(c),
                        QStringLiteral("的文字有 %1 个字符，超过一个单元格的上限 %2 个字符")
                            .arg(row.last().size())
                            .arg(kMaxCellText));
            } else if (item.isDouble())
                row << QString::number(item.toDouble(), 'g', 15);
            else if (item.isNull())
                row << QString();
            else
                return typeError(QStringLiteral("%1[%2][%3]").arg(key).arg(r).arg(c),
                    QStringLiteral("文本、数字或 null"), item);
        }
        cols = qint32(std::max<qsizetype>(cols, row.size()));
        cells << row;
    }
    return true;
}

bool GridFileReader::readGridCells(const QJsonObject &g, QList<QStringList> &cells, qint32 &cols)
{
    return readCells(g, QStringLiteral("grid"), cells, cols)
        && checkGridSize(cells.size(), cols, QStringLiteral("grid.cells"));
}

bool GridFileReader::readFixed(const QJsonObject &g, qint32 rows, qint32 cols, qint32 (&fixed)[2])
{
    if (!readKeys(g, QStringLiteral("grid"),
            { KeyRule::integer(
                  "fixedRows", fixed[0], 0, rows, QStringLiteral("（网格有 %1 行）").arg(rows)),
                KeyRule::integer("fixedCols", fixed[1], 0, cols,
                    QStringLiteral("（网格有 %1 列）").arg(cols)) }))
        return false;
    if (fixed[1] > kMaxFixedCols)
        return fail(QStringLiteral("grid.fixedCols"),
            QStringLiteral("为 %1：固定列在每个列段上重复，最多 %2 列")
                .arg(fixed[1])
                .arg(kMaxFixedCols));
    return true;
}

bool GridFileReader::checkWidths(const QList<qint32> &widths, const QString &where, qint32 hidden)
{
    // The widths as they print: -1 (kind 6) is a default width.
    for (qint32 w : widths) {
        if (w < 0 || w > hidden)
            return true;
    }
    if (hidden == 0)
        return fail(where, QStringLiteral("中每一列的宽度都是 0：页面上不会有网格"));
    return fail(where,
        QStringLiteral("中每一列都不超过 %1 缇：这样的列印出来是空的，页面上不会有网格")
            .arg(hidden));
}

bool GridFileReader::checkFixedColumnsWidth(qint32 fixedCols, qint64 width)
{
    if (width <= kMaxFixedColsWidth)
        return true;
    return fail(QStringLiteral("grid.fixedCols"),
        QStringLiteral("的 %1 列共宽 %2 缇：固定列在每个列段上重复，合计最多 %3 缇")
            .arg(fixedCols)
            .arg(width)
            .arg(kMaxFixedColsWidth));
}

bool GridFileReader::checkPrintedColumns(qint32 cols)
{
    qint32 range[2] = { -1, -1 };
    const char *names[2] = { "PrintColStart", "PrintColEnd" };
    for (int i = 0; i < 2; ++i) {
        const QJsonValue v
            = QJsonValue::fromVariant(m_file.d->properties.value(QLatin1String(names[i])));
        if (v.isNull() || v.isUndefined())
            continue;
        const auto n = integer(v, QStringLiteral("properties.") + QLatin1String(names[i]), -1,
            cols - 1, QStringLiteral("（-1 为全部；网格有 %1 列，从 0 数起）").arg(cols));
        if (!n)
            return false;
        range[i] = *n;
    }
    if (range[0] >= 0 && range[1] >= 0 && range[0] > range[1])
        return fail(QStringLiteral("properties.PrintColEnd"),
            QStringLiteral("为 %1，在 PrintColStart（%2）之前").arg(range[1]).arg(range[0]));
    return true;
}

void GridFileReader::noteRepeatedRows(
    qint32 headingRows, qint32 rows, qint32 cols, qint64 headingHeight, qint64 bodyRowHeight)
{
    m_headingRows = headingRows;
    m_gridRows = rows;
    m_gridCols = cols;
    m_headingHeight = headingHeight;
    m_bodyRowHeight = bodyRowHeight;
}

void GridFileReader::noteRepeatedRows(
    qint32 headingRows, qint32 rows, qint32 cols, const std::function<qint32(qint32)> &heightOf)
{
    qint64 headingHeight = 0;
    for (qint32 r = 0; r < headingRows; ++r)
        headingHeight += heightOf(r);
    noteRepeatedRows(
        headingRows, rows, cols, headingHeight, headingRows < rows ? heightOf(headingRows) : 0);
}

void GridFileReader::noteRowSetting(qint32 row, const QString &where)
{
    if (row > m_lastRowSetting) {
        m_lastRowSetting = row;
        m_lastRowSettingKey = where;
    }
}

bool GridFileReader::checkRepeated(qint32 headLines, qint32 footLines)
{
    const qint64 lines = qint64(headLines + footLines) * kLineAllowance;
    const qint64 total = lines + m_headingHeight + m_bodyRowHeight;
    if (total <= kRepeatBudget)
        return true;
    return fail(QString(),
        QStringLiteral(
            "每页都要印的部分放不下：“head”%1 行和“foot”%2 行（每行按 %3 缇计）、"
            "表头 %4 行共 %5 缇、一行表身 %6 缇，共 %7 缇，超过上限 %8 缇（约 15.9 厘米）")
            .arg(headLines)
            .arg(footLines)
            .arg(kLineAllowance)
            .arg(m_headingRows)
            .arg(m_headingHeight)
            .arg(m_bodyRowHeight)
            .arg(total)
            .arg(kRepeatBudget));
}

// ---- the document's own keys ------------------------------------------------------------------

bool GridFileReader::readProperties(const QJsonValue &v)
{
    if (v.isUndefined())
        return true;
    if (!v.isObject())
        return typeError(QStringLiteral("properties"), QStringLiteral("对象"), v);
    const QJsonObject props = v.toObject();
    const QMetaObject &mo = MyPrint::staticMetaObject;
    for (auto it = props.begin(); it != props.end(); ++it) {
        const QString name = it.key();
        const QString where = QStringLiteral("properties.") + name;
        const QJsonValue value = it.value();
        if (name == QLatin1String("GridType"))
            return fail(where, QStringLiteral("不能作为属性：网格的种类由文件的“GridType”给出"));
        const int index = mo.indexOfProperty(name.toLatin1().constData());
        if (index < mo.propertyOffset())
            return fail(where, QStringLiteral("不是打印对象的属性"));
        const QMetaProperty property = mo.property(index);
        const int type = property.metaType().id();
        bool fits = false;
        QString expected;
        if (property.isEnumType()) {
            fits = value.isDouble() || value.isString();
            expected = QStringLiteral("整数或枚举成员名");
        } else if (type == QMetaType::QString) {
            fits = value.isString();
            expected = QStringLiteral("文本");
        } else if (type == QMetaType::Bool) {
            fits = value.isBool();
            expected = QStringLiteral(" true 或 false");
        } else if (type == QMetaType::Short || type == QMetaType::Int) {
            fits = value.isDouble();
            expected = QStringLiteral("整数");
        } else {
            return fail(where, QStringLiteral("不能在网格文件中设置"));
        }
        if (!fits)
            return typeError(where, expected, value);
        QVariant converted;
        QString why;
        if (!convertProperty(property, name, value.toVariant(), &converted, &why))
            return fail(where, QStringLiteral("：") + why);
    }
    m_file.d->properties = props.toVariantMap();
    return true;
}

bool GridFileReader::readFormat(const QJsonValue &v)
{
    if (v.isUndefined())
        return true;
    if (!v.isObject())
        return typeError(QStringLiteral("format"), QStringLiteral("对象"), v);
    const QJsonObject format = v.toObject();
    for (auto it = format.begin(); it != format.end(); ++it) {
        if (!it.value().isDouble() && !it.value().isString())
            return typeError(
                QStringLiteral("format.") + it.key(), QStringLiteral("数字或文本"), it.value());
    }
    m_file.d->format = format.toVariantMap();
    return true;
}

bool GridFileReader::readLines(const QJsonValue &v, const QString &name, qint32 lowCode,
    qint32 highCode, QList<GridFileLine> &lines, qint32 &lineCount)
{
    lineCount = 0;
    if (v.isUndefined())
        return true;
    if (!v.isArray())
        return typeError(name, QStringLiteral("由 [文字, 换行, 对齐, 颜色] 组成的数组"), v);
    const QJsonArray items = v.toArray();
    if (items.size() > kMaxLineEntries)
        return fail(
            name, QStringLiteral("有 %1 项，最多 %2 项").arg(items.size()).arg(kMaxLineEntries));
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString where = QStringLiteral("%1[%2]").arg(name).arg(i);
        const QJsonArray item = items[i].toArray();
        if (!items[i].isArray() || item.isEmpty() || item.size() > 4)
            return typeError(
                where, QStringLiteral(" 1 到 4 项的 [文字, 换行, 对齐, 颜色]"), items[i]);
        if (!item[0].isString())
            return typeError(where + QStringLiteral("[0]"), QStringLiteral("文本"), item[0]);
        GridFileLine line;
        line.text = item[0].toString();
        qint32 newline = 1;
        if (item.size() > 1) {
            const auto n = integer(item[1], where + QStringLiteral("[1]"), 0, 1,
                QStringLiteral("（1 另起一行，0 接在前一项的行上）"));
            if (!n)
                return false;
            if (*n == 0 && i == 0)
                return fail(where + QStringLiteral("[1]"),
                    QStringLiteral("为 0，但第一项前面没有可接续的行：应为 1"));
            newline = *n;
        }
        line.newline = newline;
        line.alignment = 1;
        if (item.size() > 2) {
            const auto a = integer(item[2], where + QStringLiteral("[2]"), lowCode, highCode,
                QStringLiteral("（对齐代码）"));
            if (!a)
                return false;
            if (i == 0 && *a <= 0 && *a >= -1)
                return fail(where + QStringLiteral("[2]"),
                    QStringLiteral("为 %1，但第一项前面没有可依靠的项").arg(*a));
            line.alignment = *a;
        }
        if (item.size() > 3) {
            const auto c = integer(item[3], where + QStringLiteral("[3]"), 0, kMaxColor,
                QStringLiteral("（RGB 颜色值）"));
            if (!c)
                return false;
            line.color = *c;
        }
        lineCount += newline;
        lines << line;
    }
    return true;
}

bool GridFileReader::readDataSets(const QJsonValue &v, DataSetRows rowsOfSet, qint32 footCount,
    qint32 headLines, qint32 footLines)
{
    const QString key = QStringLiteral("datasets");
    if (v.isUndefined())
        return true;
    const QString shape = QStringLiteral("{\"cells\": 行, \"head\": 页眉, \"foot\": 页脚}");
    if (!v.isArray())
        return typeError(key, QStringLiteral("由数据组对象 %1 组成的数组").arg(shape), v);
    const QJsonArray items = v.toArray();
    if (items.isEmpty() || items.size() > kMaxDataSets)
        return fail(key,
            QStringLiteral("有 %1 项：应为 1 到 %2 组数据").arg(items.size()).arg(kMaxDataSets));
    const bool dataGrid = rowsOfSet == DataSetRows::BodyRows;
    if (m_lastRowSetting >= (dataGrid ? 0 : m_headingRows))
        return fail(m_lastRowSettingKey,
            QStringLiteral("指第 %1 行（从 0 数起），不是表头行：有“datasets”时每组数据的表身各不"
                           "相同，这里只能指表头的 %2 行")
                .arg(m_lastRowSetting)
                .arg(m_headingRows));
    // The grid's own cells stay in memory while the data sets wait for their turn.
    const qint64 headingRows = dataGrid ? 1 : 0;
    qint64 cellCount = (m_gridRows + headingRows) * m_gridCols;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString where = QStringLiteral("%1[%2]").arg(key).arg(i);
        const auto item = objectItem(items[i], where, shape, kDataSetKeys);
        if (!item)
            return false;
        GridFilePrivate::DataSet set;
        qint32 widest = 0;
        const QString cellsKey = where + QStringLiteral(".cells");
        if (!item->contains(QStringLiteral("cells")))
            return typeError(cellsKey, QStringLiteral("由行组成的数组"), QJsonValue::Undefined);
        if (!readCells(*item, where, set.cells, widest))
            return false;
        const qint32 rows = qint32(set.cells.size());
        const qint32 bodyRows = dataGrid ? rows : rows - m_headingRows;
        if (rowsOfSet == DataSetRows::AllRows) {
            // A voucher form keeps its rows: its flags, merges and amount columns stay put.
            if (rows != m_gridRows)
                return fail(cellsKey,
                    QStringLiteral(
                        "有 %1 行：凭证的每组数据都与网格一样有 %2 行（表头、表身和合计行"
                        "不变，只换文字）")
                        .arg(rows)
                        .arg(m_gridRows));
        } else if (bodyRows < 1) {
            // A data set without body rows would end the job before the ones after it.
            return fail(cellsKey,
                QStringLiteral("有 %1 行，没有表身行：每组数据至少要有一行表身（表头 %2 行）")
                    .arg(rows)
                    .arg(dataGrid ? 0 : m_headingRows));
        }
        for (qint32 r = 0; r < rows; ++r) {
            if (set.cells[r].size() > m_gridCols)
                return fail(QStringLiteral("%1[%2]").arg(cellsKey).arg(r),
                    QStringLiteral("有 %1 个单元格，但网格只有 %2 列：每组数据沿用网格的列")
                        .arg(set.cells[r].size())
                        .arg(m_gridCols));
        }
        cellCount += (rows + headingRows) * m_gridCols;
        if (cellCount > kMaxCells)
            return fail(key,
                QStringLiteral("到第 %1 组为止连同网格共 %2 个单元格，超过上限 %3")
                    .arg(i)
                    .arg(cellCount)
                    .arg(kMaxCells));
        // Rows per page are laid out once, for the first data set: more lines would push the
        // grid off the page.
        qint32 setHeadLines = 0, setFootLines = 0;
        if (!readLines(item->value(QStringLiteral("head")), where + QStringLiteral(".head"), -1, 5,
                set.head, setHeadLines)
            || !readLines(item->value(QStringLiteral("foot")), where + QStringLiteral(".foot"), -2,
                footCount, set.foot, setFootLines))
            return false;
        const struct
        {
            const char *name;
            qint32 lines, first;
        } counts[] = { { "head", setHeadLines, headLines }, { "foot", setFootLines, footLines } };
        for (const auto &c : counts) {
            if (c.lines > c.first)
                return fail(where + QLatin1Char('.') + QLatin1String(c.name),
                    QStringLiteral(
                        "占 %1 行，多于第一组数据（“%2”）的 %3 行：每页的表身行数按第一组"
                        "排定，多出的行会把网格挤出页面")
                        .arg(c.lines)
                        .arg(QLatin1String(c.name))
                        .arg(c.first));
        }
        m_file.d->dataSets << set;
    }
    return true;
}

// ---- the two kinds of file --------------------------------------------------------------------

bool GridFileReader::readCsv(QByteArray bytes, std::unique_ptr<QFile> mapped)
{
    CsvTable::Failure why;
    const std::shared_ptr<CsvTable> table
        = CsvTable::read(std::move(bytes), std::move(mapped), kMaxCells, kMaxCellText, &why);
    if (!table && !why.message.isEmpty())
        return fail(QString(), why.message);
    if (!checkGridSize(
            table ? table->rows() : why.rows, table ? table->cols() : why.cols, QString()))
        return false;
    // The grid reads its cells from the file's bytes: one copy of the data, not two.
    auto grid = std::make_unique<FlexGrid>();
    FlexGridTexts::setBase(*grid, table);
    grid->setFixedRows(1);
    for (qint32 c = 0; c < grid->Cols(); ++c) {
        // As contentWidth sizes a column, from the widths the reader measured.
        grid->setColWidth(c, qint32(std::clamp<qint64>(table->widest(c) + 240, 600, 8000)));
        grid->setCellAlignmentAt(0, c, 4); // headings centred
    }
    grid->setRowHeight(0, 400);
    m_file.d->gridType = 5;
    m_file.d->grid = std::move(grid);
    return true;
}

bool GridFileReader::checkJsonCells(const std::vector<JsonCellArray> &arrays)
{
    qint64 total = 0;
    for (const JsonCellArray &a : arrays) {
        if (a.rows * a.widest > kMaxCells) {
            if (a.where == QLatin1String("grid.cells"))
                return checkSize(a.rows, a.widest);
            return fail(a.where,
                QStringLiteral("有 %1 行，最长一行 %2 个单元格，共 %3 个单元格，超过上限 %4")
                    .arg(a.rows)
                    .arg(a.widest)
                    .arg(a.rows * a.widest)
                    .arg(kMaxCells));
        }
        total += a.rows * a.widest;
    }
    if (total > kMaxCells)
        return fail(QString(),
            QStringLiteral("网格和各组数据共有 %1 个单元格，超过上限 %2")
                .arg(total)
                .arg(kMaxCells));
    return true;
}

bool GridFileReader::readJson(const QByteArray &bytes)
{
    // Counted before the document is built: a file of too many cells is refused before its
    // values take memory (15 million cells in 63 MB took 1.5 GB to be refused).
    const std::vector<JsonCellArray> arrays = countJsonCells(bytes);
    if (!checkJsonCells(arrays))
        return false;
    // A large grid's cells are read where the bytes lie, as a CSV file's are: as a document they
    // would take some 25 times the file. The document is parsed without them, kept line for
    // line so that the parser's messages name the file's lines.
    const JsonCellArray *inTable = nullptr;
    for (const JsonCellArray &a : arrays) {
        if (a.where != QLatin1String("grid.cells") || a.end < 0 || a.rows * a.widest < kTableCells)
            continue;
        m_cellTable = JsonCellTable::read(bytes, a.begin, a.end, kMaxCellText);
        if (m_cellTable)
            inTable = &a;
    }
    // Cells show their numbers as written, which the document would not keep.
    const QByteArray document = cellNumbersAsTexts(bytes, arrays, inTable);
    QJsonParseError parseError;
    QJsonDocument doc = QJsonDocument::fromJson(document, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        const qsizetype line = document.left(parseError.offset).count('\n') + 1;
        return fail(QString(),
            QStringLiteral("第 %1 行 JSON 有误：%2").arg(line).arg(jsonError(parseError.error)));
    }
    const QJsonValue gridType = doc.object().value(QStringLiteral("GridType"));
    if (m_cellTable
        && !(gridType.isDouble() && gridType.toDouble() >= 5 && gridType.toDouble() <= 7)) {
        // Only the flex and plain grids read their cells from the table.
        m_cellTable.reset();
        doc = QJsonDocument::fromJson(cellNumbersAsTexts(bytes, arrays));
    }
    if (!doc.isObject())
        return fail(QString(), QStringLiteral("应为一个 JSON 对象"));
    const QJsonObject root = doc.object();
    std::optional<qint32> kind;
    if (!checkKeys(root, QString(), kDocumentKeys)
        || !readKeys(root, QString(),
            { KeyRule::requiredInteger("GridType", kind, 1, int(std::size(kKindReaders))) }))
        return false;
    m_file.d->gridType = *kind;
    if (!readProperties(root.value(QStringLiteral("properties")))
        || !readFormat(root.value(QStringLiteral("format"))))
        return false;

    // Foot-line codes run to FootCount, a property (already checked to be a 16-bit integer).
    const qint32 footCount = m_file.d->properties.value(QStringLiteral("FootCount"), 5).toInt();
    qint32 headLines = 0, footLines = 0;
    if (!readLines(root.value(QStringLiteral("head")), QStringLiteral("head"), -1, 5,
            m_file.d->head, headLines)
        || !readLines(root.value(QStringLiteral("foot")), QStringLiteral("foot"), -2,
            std::max(footCount, 1), m_file.d->foot, footLines))
        return false;

    const QJsonValue grid = root.value(QStringLiteral("grid"));
    if (!grid.isObject())
        return typeError(QStringLiteral("grid"), QStringLiteral("对象"), grid);
    const KindReader &reader = kKindReaders[*kind - 1];
    if (reader.dataSets == DataSetRows::None && root.contains(QStringLiteral("datasets")))
        return fail(QStringLiteral("datasets"),
            QStringLiteral("不能用于 GridType %1：连续打印的数据组只用于种类 3 到 7").arg(*kind));
    return reader.read(*this, grid.toObject(), *kind) && checkRepeated(headLines, footLines)
        && readDataSets(root.value(QStringLiteral("datasets")), reader.dataSets,
            std::max(footCount, 1), headLines, footLines);
}

} // namespace quillon
