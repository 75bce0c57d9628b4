#include "engine/grids/gridaccess.h"
#include "engine/grids/gridadapters.h"
#include "engine/grids/memory/celltable_p.h"

#include <quillon/datagrid.h>
#include <quillon/error.h>
#include <quillon/flexgrid.h>
#include <quillon/formatfields.h>
#include <quillon/gridfile.h>
#include <quillon/myprint.h>
#include <quillon/sheetgrid.h>
#include <quillon/spreadgrid.h>
#include <quillon/vouchergrid.h>

#include "csvtable.h"
#include "engine/grids/memory/flexgridtexts_p.h"
#include "jsoncellcount.h"
#include "jsoncelltable.h"

#include <QBitArray>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QRect>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

#include <array>
#include <climits>
#include <cmath>
#include <functional>
#include <new>
#include <optional>

namespace quillon {

namespace {

// The limits of a grid file; docs/grid-file.md, "Limits", says why.
/// Rows times the widest row: the in-memory grid keeps every cell of that rectangle.
constexpr qint64 kMaxCells = 10'000'000;
/// A cell's text, in UTF-16 code units: more than a page can show, and laying out a text costs
/// hundreds of bytes a character.
constexpr qint64 kMaxCellText = 100'000;
/// A flex grid of this many cells or more reads them where the file's bytes lie.
constexpr qint64 kTableCells = 65'536;
constexpr qint32 kMaxColWidth = 32767;
/// A flex column (kinds 5 and 6) this narrow or narrower prints empty.
constexpr qint32 kHiddenColWidth = 50;
constexpr qint32 kMinRowHeight = 100;
constexpr qint32 kMaxRowHeight = 4000;
/// The fixed columns repeat on every column band.
constexpr qint32 kMaxFixedCols = 100;
constexpr qint32 kMaxFixedColsWidth = 15000;
/// What every page repeats (head and foot lines, heading rows, one body row) must fit in this
/// height, a head or foot line counted at kLineAllowance: the usable height of A4 landscape with
/// the default margins, less titles and the page-info line.
constexpr qint32 kRepeatBudget = 9000;
constexpr qint32 kLineAllowance = 300;
constexpr qsizetype kMaxLineEntries = 100;
constexpr double kMaxCaptionLines = 10;
constexpr qint32 kMaxColor = 0xFFFFFF;
/// Continuous printing sends each sheet as a print document of its own.
constexpr qsizetype kMaxDataSets = 1000;
/// A voucher's amount column: as many digit cells as the unit labels with digit lines cover.
constexpr qint32 kMaxAmountCells = 43;
/// A voucher's amount lines unless the file gives colours: the default grid colour (dark
/// green), the decimal point's line red.
constexpr qint32 kAmountLineColor = 32768;
constexpr qint32 kAmountDotLineColor = 255;

QString noCellsMessage()
{
    return QStringLiteral("没有任何数据：网格至少要有一行一列");
}

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

/// Values that make sense for a property set by name: outside them a page prints blank,
/// clipped or one row a sheet. A property that supplies a page-format value (margins, page
/// size, rows) takes the values that the format keeps instead (formatFieldOf).
struct PropertyRange
{
    const char *name;
    qint32 low;
    qint32 high;
};

constexpr PropertyRange kPropertyRanges[] = {
    { "RowHeight", 0, 32767 },
    { "MinTitleLen", 0, 1000 },
    { "FixRowsHeight", 0, 1000 },
    { "ZoomRatio", 1, 20 },
    { "gridrows", 0, INT_MAX },
    { "HeadCount", 0, 100 },
    { "FootCount", 0, 100 },
};

QString enumMembers(const QMetaEnum &e)
{
    QStringList members;
    for (int i = 0; i < e.keyCount(); ++i)
        members << QStringLiteral("%1=%2").arg(QLatin1String(e.key(i))).arg(e.value(i));
    return members.join(QStringLiteral("、"));
}

/// The page-format value whose default the property supplies, if any.
const FormatField *formatFieldOf(const char *property)
{
    for (const FormatField &field : formatFields()) {
        if (field.property == QLatin1String(property))
            return &field;
    }
    return nullptr;
}

const PropertyRange *propertyRange(const char *name)
{
    for (const PropertyRange &range : kPropertyRanges) {
        if (qstrcmp(range.name, name) == 0)
            return &range;
    }
    return nullptr;
}

/// The conversion of a value for a print object property, as GridFile::setProperty does it.
bool convertProperty(const QMetaProperty &property, const QString &name, const QVariant &value,
    QVariant *converted, QString *error)
{
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QString text = value.toString().trimmed();
    const int type = property.metaType().id();
    if (property.isEnumType()) {
        bool isNumber = false;
        const qlonglong n = text.toLongLong(&isNumber);
        if (isNumber) {
            if (n < INT_MIN || n > INT_MAX || !property.enumerator().valueToKey(int(n)))
                return fail(QStringLiteral("属性 %1 不接受 %2（可用：%3）")
                                .arg(name, text, enumMembers(property.enumerator())));
            *converted = int(n);
        } else {
            bool known = false;
            const int v = property.enumerator().keyToValue(text.toLatin1().constData(), &known);
            if (!known)
                return fail(QStringLiteral("属性 %1 不接受“%2”（可用：%3）")
                                .arg(name, text, enumMembers(property.enumerator())));
            *converted = v;
        }
    } else if (type == QMetaType::QString) {
        *converted = value.toString();
    } else if (type == QMetaType::Bool) {
        const QString t = text.toLower();
        if (t == QLatin1String("true") || t == QLatin1String("1") || t == QLatin1String("-1")
            || t == QLatin1String("yes"))
            *converted = true;
        else if (t == QLatin1String("false") || t == QLatin1String("0") || t == QLatin1String("no"))
            *converted = false;
        else
            return fail(QStringLiteral("属性 %1 应为 true 或 false，而不是“%2”").arg(name, text));
    } else if (type == QMetaType::Short || type == QMetaType::Int) {
        bool ok = false;
        const qlonglong n = text.toLongLong(&ok);
        const PropertyRange *range = propertyRange(property.name());
        const qlonglong low = range ? range->low : type == QMetaType::Short ? -32768 : INT_MIN;
        const qlonglong high = range ? range->high : type == QMetaType::Short ? 32767 : INT_MAX;
        if (!ok)
            return fail(QStringLiteral("属性 %1 应为整数，而不是“%2”").arg(name, text));
        if (const FormatField *field = formatFieldOf(property.name())) {
            if (!field->allows(n))
                return fail(QStringLiteral("属性 %1 的值 %2 超出范围（%3）")
                                .arg(name, text, field->rangeText()));
        } else if (n < low || n > high)
            return fail(QStringLiteral("属性 %1 的值 %2 超出范围（%3 到 %4）")
                            .arg(name, text)
                            .arg(low)
                            .arg(high));
        *converted = type == QMetaType::Short ? QVariant::fromValue(short(n)) : QVariant(int(n));
    } else {
        return fail(QStringLiteral("属性 %1 不能用文字设置").arg(name));
    }
    return true;
}

} // namespace

class GridFilePrivate
{
public:
    int gridType = 0;
    std::unique_ptr<QObject> grid;
    QVariantMap properties;
    QVariantMap format;
    QList<GridFileLine> head;
    QList<GridFileLine> foot;
    struct DataSet
    {
        QList<QStringList> cells;
        QList<GridFileLine> head;
        QList<GridFileLine> foot;
    };
    QList<DataSet> dataSets;
    /// "mergeRows": true, which every data set's rows take too.
    bool mergeAllRows = false;
};

/// Reads a grid file strictly: every key known, every value of its type and within its range
/// (docs/grid-file.md), with messages that name the key, the value and what it should be.
class GridFileReader
{
public:
    explicit GridFileReader(GridFile &file)
        : m_file(file)
    {
    }

    /// A CSV file's bytes, and the file they are mapped from if they are.
    bool readCsv(QByteArray bytes, std::unique_ptr<QFile> mapped = nullptr);
    bool readJson(const QByteArray &bytes);
    QString error;

private:
    bool fail(const QString &where, const QString &what)
    {
        error = where.isEmpty() ? what : QStringLiteral("“%1”%2").arg(where, what);
        return false;
    }
    bool typeError(const QString &where, const QString &expected, const QJsonValue &v)
    {
        if (v.isUndefined())
            return fail(where, QStringLiteral("缺少：应为%1").arg(expected));
        return fail(where, QStringLiteral("应为%1，而不是%2").arg(expected, describe(v)));
    }
    bool checkKeys(const QJsonObject &object, const QString &where, const QStringList &allowed);
    /// A whole number in [low, high]; note says where the range comes from.
    std::optional<qint32> integer(const QJsonValue &v, const QString &where, qint32 low,
        qint32 high, const QString &note = QString());
    bool checkSize(qint64 rows, qint64 cols);
    /// Refuses a JSON file whose arrays of rows hold more cells than the limit, counted on its
    /// bytes.
    bool checkJsonCells(const std::vector<JsonCellArray> &arrays);
    /// The "cells" (or another key's rows of texts) of an object; where names the object in
    /// messages.
    bool readCells(const QJsonObject &object, const QString &where, QList<QStringList> &cells,
        qint32 &cols, const QString &key = QStringLiteral("cells"));
    /// A number for every index, or one number for all; nothing when absent.
    bool readPerIndex(const QJsonObject &grid, const char *key, qint32 count, const QString &unit,
        qint32 low, qint32 high, QList<qint32> &values);
    bool readIndexSet(const QJsonObject &grid, const char *key, qint32 count, const QString &unit,
        QList<qint32> &set);
    bool readProperties(const QJsonValue &v);
    bool readFormat(const QJsonValue &v);
    bool readLines(const QJsonValue &v, const QString &name, qint32 lowCode, qint32 highCode,
        QList<GridFileLine> &lines, qint32 &lineCount);
    /// Kind 2, the voucher grid (its own block below).
    bool readVoucher(const QJsonObject &grid);
    bool readFlex(const QJsonObject &grid, int kind);
    /// The pieces the grids of rows of cells share: the cells (at least one), the fixed rows
    /// and columns, widths sized to their content, the width of the repeated fixed columns and
    /// what every page repeats.
    bool readGridCells(const QJsonObject &grid, QList<QStringList> &cells, qint32 &cols);
    bool readFixed(const QJsonObject &grid, qint32 rows, qint32 cols, qint32 (&fixed)[2]);
    bool checkFixedColumnsWidth(qint32 fixedCols, qint64 width);
    void noteRepeatedRows(qint32 headingRows, qint32 rows, qint32 cols,
        const std::function<qint32(qint32)> &heightOf);
    bool readData(const QJsonObject &grid);
    /// The spreadsheet grid (kind 1) and its helpers: a range such as "B2:D9", and a cell
    /// format laid over a cell's format.
    bool readSheet(const QJsonObject &grid);
    std::optional<QRect> sheetRange(const QJsonValue &v, const QString &where, qint32 rows,
        qint32 cols, bool wholeRowsAndColumns);
    bool readSheetFormat(const QJsonValue &v, const QString &where, const QJsonObject &styles,
        QList<std::function<void(SheetCellFormat &)>> &changes);
    bool readSpread(const QJsonObject &grid);
    /// The spans of a spread grid under key: [col, row, colCount, rowCount], each inside the
    /// grid (rows from firstRow to lastRow) and overlapping no other; covered holds their cells.
    bool readSpans(const QJsonObject &grid, const char *key, qint32 cols, qint32 firstRow,
        qint32 lastRow, QSet<qint64> &covered, QList<std::array<qint32, 4>> &spans);
    /// At least one column wider than hidden twips, or the page would show no grid.
    bool checkWidths(const QList<qint32> &widths, const QString &where, qint32 hidden);
    bool checkPrintedColumns(qint32 cols);
    bool checkRepeated(qint32 headLines, qint32 footLines);
    bool readDataSets(
        const QJsonValue &v, int kind, qint32 footCount, qint32 headLines, qint32 footLines);
    /// A grid setting of a single row, which later data sets would not keep.
    void noteRowSetting(qint32 row, const QString &where)
    {
        if (row > m_lastRowSetting) {
            m_lastRowSetting = row;
            m_lastRowSettingKey = where;
        }
    }

    GridFile &m_file;
    /// The heading rows, their height and the first body row's (0 without body rows), twips.
    qint32 m_headingRows = 0;
    qint64 m_headingHeight = 0;
    qint64 m_bodyRowHeight = 0;
    qint32 m_gridRows = 0;
    qint32 m_gridCols = 0;
    qint32 m_lastRowSetting = -1;
    QString m_lastRowSettingKey;
    /// "grid.cells" of a large flex or plain grid, read where the file's bytes lie.
    std::shared_ptr<JsonCellTable> m_cellTable;
};

bool GridFileReader::checkKeys(
    const QJsonObject &object, const QString &where, const QStringList &allowed)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!allowed.contains(it.key()))
            return fail(where.isEmpty() ? it.key() : where + QLatin1Char('.') + it.key(),
                QStringLiteral("不是可用的键（这里可用：%1）")
                    .arg(allowed.join(QStringLiteral("、"))));
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

bool GridFileReader::readCsv(QByteArray bytes, std::unique_ptr<QFile> mapped)
{
    CsvTable::Failure why;
    const std::shared_ptr<CsvTable> table
        = CsvTable::read(std::move(bytes), std::move(mapped), kMaxCells, kMaxCellText, &why);
    if (!table && !why.message.isEmpty())
        return fail(QString(), why.message);
    if (!checkSize(table ? table->rows() : why.rows, table ? table->cols() : why.cols))
        return error.isEmpty() ? fail(QString(), noCellsMessage()) : false;
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

bool GridFileReader::readPerIndex(const QJsonObject &grid, const char *key, qint32 count,
    const QString &unit, qint32 low, qint32 high, QList<qint32> &values)
{
    const QString name = QLatin1String(key);
    const QJsonValue value = grid.value(name);
    if (value.isUndefined())
        return true;
    const QString where = QStringLiteral("grid.") + name;
    if (value.isDouble()) {
        const auto one = integer(value, where, low, high);
        if (!one)
            return false;
        values = QList<qint32>(count, *one);
        return true;
    }
    if (!value.isArray())
        return typeError(where, QStringLiteral("整数或整数数组"), value);
    const QJsonArray items = value.toArray();
    if (items.size() > count)
        return fail(where,
            QStringLiteral("有 %1 项，但网格只有 %2 %3").arg(items.size()).arg(count).arg(unit));
    for (qsizetype i = 0; i < items.size(); ++i) {
        const auto v = integer(items[i], QStringLiteral("%1[%2]").arg(where).arg(i), low, high);
        if (!v)
            return false;
        values << *v;
    }
    return true;
}

bool GridFileReader::readIndexSet(
    const QJsonObject &grid, const char *key, qint32 count, const QString &unit, QList<qint32> &set)
{
    const QString where = QStringLiteral("grid.") + QLatin1String(key);
    const QJsonValue value = grid.value(QLatin1String(key));
    if (value.isUndefined())
        return true;
    if (value.isBool()) {
        if (value.toBool()) {
            for (qint32 i = 0; i < count; ++i)
                set << i;
        }
        return true;
    }
    if (!value.isArray())
        return typeError(where, QStringLiteral("true、false 或下标的数组"), value);
    const QJsonArray items = value.toArray();
    const QString note = QStringLiteral("（网格有 %1 %2，从 0 数起）").arg(count).arg(unit);
    for (qsizetype i = 0; i < items.size(); ++i) {
        const auto v
            = integer(items[i], QStringLiteral("%1[%2]").arg(where).arg(i), 0, count - 1, note);
        if (!v)
            return false;
        set << *v;
    }
    return true;
}

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

bool GridFileReader::readDataSets(
    const QJsonValue &v, int kind, qint32 footCount, qint32 headLines, qint32 footLines)
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
    const bool dataGrid = kind == 3 || kind == 4;
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
        if (!items[i].isObject())
            return typeError(where, QStringLiteral("对象 ") + shape, items[i]);
        const QJsonObject item = items[i].toObject();
        if (!checkKeys(item, where,
                { QStringLiteral("cells"), QStringLiteral("head"), QStringLiteral("foot") }))
            return false;
        GridFilePrivate::DataSet set;
        qint32 widest = 0;
        const QString cellsKey = where + QStringLiteral(".cells");
        if (!item.contains(QStringLiteral("cells")))
            return typeError(cellsKey, QStringLiteral("由行组成的数组"), QJsonValue::Undefined);
        if (!readCells(item, where, set.cells, widest))
            return false;
        const qint32 rows = qint32(set.cells.size());
        const qint32 bodyRows = dataGrid ? rows : rows - m_headingRows;
        if (kind == 2) {
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
        if (!readLines(item.value(QStringLiteral("head")), where + QStringLiteral(".head"), -1, 5,
                set.head, setHeadLines)
            || !readLines(item.value(QStringLiteral("foot")), where + QStringLiteral(".foot"), -2,
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

bool GridFileReader::readGridCells(const QJsonObject &g, QList<QStringList> &cells, qint32 &cols)
{
    if (!readCells(g, QStringLiteral("grid"), cells, cols))
        return false;
    if (!checkSize(cells.size(), cols))
        return error.isEmpty() ? fail(QStringLiteral("grid.cells"), noCellsMessage()) : false;
    return true;
}

bool GridFileReader::readFixed(const QJsonObject &g, qint32 rows, qint32 cols, qint32 (&fixed)[2])
{
    const char *fixedKeys[2] = { "fixedRows", "fixedCols" };
    for (int i = 0; i < 2; ++i) {
        const QJsonValue v = g.value(QLatin1String(fixedKeys[i]));
        if (v.isUndefined())
            continue;
        const qint32 count = i == 0 ? rows : cols;
        const auto n = integer(v, QStringLiteral("grid.") + QLatin1String(fixedKeys[i]), 0, count,
            QStringLiteral("（网格有 %1 %2）")
                .arg(count)
                .arg(i == 0 ? QStringLiteral("行") : QStringLiteral("列")));
        if (!n)
            return false;
        fixed[i] = *n;
    }
    if (fixed[1] > kMaxFixedCols)
        return fail(QStringLiteral("grid.fixedCols"),
            QStringLiteral("为 %1：固定列在每个列段上重复，最多 %2 列")
                .arg(fixed[1])
                .arg(kMaxFixedCols));
    return true;
}

/// Columns left out are sized to their content.
static void sizeToContent(const QList<QStringList> &cells, qint32 cols, QList<qint32> &widths)
{
    for (qint32 c = qint32(widths.size()); c < cols; ++c) {
        QStringList column;
        for (const QStringList &row : cells)
            column << row.value(c);
        widths << contentWidth(column);
    }
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

void GridFileReader::noteRepeatedRows(
    qint32 headingRows, qint32 rows, qint32 cols, const std::function<qint32(qint32)> &heightOf)
{
    m_headingRows = headingRows;
    m_gridRows = rows;
    m_gridCols = cols;
    m_headingHeight = 0;
    for (qint32 r = 0; r < headingRows; ++r)
        m_headingHeight += heightOf(r);
    m_bodyRowHeight = headingRows < rows ? heightOf(headingRows) : 0;
}

// Kind 2, the voucher grid: header, body and bottom (totals) rows, per-cell flag bytes with
// merged areas, and amount columns (docs/grid-file.md, "The voucher grid").
bool GridFileReader::readVoucher(const QJsonObject &g)
{
    if (!checkKeys(g, QStringLiteral("grid"),
            { QStringLiteral("cells"), QStringLiteral("fixedRows"),
                QStringLiteral("fixedRowsBottom"), QStringLiteral("fixedCols"),
                QStringLiteral("colWidths"), QStringLiteral("rowHeights"),
                QStringLiteral("hiddenCols"), QStringLiteral("colAlignments"),
                QStringLiteral("headerAlignment"), QStringLiteral("cellAlignments"),
                QStringLiteral("merges"), QStringLiteral("cellFlags"),
                QStringLiteral("amountColumns") }))
        return false;
    QList<QStringList> cells;
    qint32 cols = 0;
    if (!readCells(g, QStringLiteral("grid"), cells, cols))
        return false;
    const qint32 rows = qint32(cells.size());
    if (!checkSize(rows, cols))
        return error.isEmpty() ? fail(QStringLiteral("grid.cells"), noCellsMessage()) : false;
    const QString colUnit = QStringLiteral("列");
    const QString rowUnit = QStringLiteral("行");
    const QString rowNote = QStringLiteral("（网格有 %1 行，从 0 数起）").arg(rows);
    const QString colNote = QStringLiteral("（网格有 %1 列，从 0 数起）").arg(cols);

    // Header rows at the top, bottom (totals) rows, fixed columns.
    qint32 top = 1, bottom = 0, fixedCols = 0;
    if (g.contains(QStringLiteral("fixedRows"))) {
        const auto n
            = integer(g.value(QStringLiteral("fixedRows")), QStringLiteral("grid.fixedRows"), 0,
                rows, QStringLiteral("（网格有 %1 行）").arg(rows));
        if (!n)
            return false;
        top = *n;
    }
    if (g.contains(QStringLiteral("fixedRowsBottom"))) {
        const auto n = integer(g.value(QStringLiteral("fixedRowsBottom")),
            QStringLiteral("grid.fixedRowsBottom"), 0, rows - top,
            QStringLiteral("（网格有 %1 行，表头占 %2 行）").arg(rows).arg(top));
        if (!n)
            return false;
        bottom = *n;
    }
    if (g.contains(QStringLiteral("fixedCols"))) {
        const auto n = integer(g.value(QStringLiteral("fixedCols")),
            QStringLiteral("grid.fixedCols"), 0, std::min(cols, kMaxFixedCols),
            QStringLiteral("（网格有 %1 列；固定列在每个列段上重复，最多 %2 列）")
                .arg(cols)
                .arg(kMaxFixedCols));
        if (!n)
            return false;
        fixedCols = *n;
    }
    // The rows of each region: a merged area stays within one.
    const auto regionOf = [&](qint32 r) { return r < top ? 0 : r < rows - bottom ? 1 : 2; };

    QList<qint32> widths, heights, colAlignments, hidden;
    if (!readPerIndex(g, "colWidths", cols, colUnit, 0, kMaxColWidth, widths)
        || !readPerIndex(g, "rowHeights", rows, rowUnit, kMinRowHeight, kMaxRowHeight, heights)
        || !readPerIndex(g, "colAlignments", cols, colUnit, 0, 2, colAlignments)
        || !readIndexSet(g, "hiddenCols", cols, colUnit, hidden))
        return false;
    std::optional<qint32> headerAlignment;
    if (g.contains(QStringLiteral("headerAlignment"))) {
        headerAlignment = integer(g.value(QStringLiteral("headerAlignment")),
            QStringLiteral("grid.headerAlignment"), 0, 2, QStringLiteral("（0 居中，1 左，2 右）"));
        if (!headerAlignment)
            return false;
    }

    // An array of fixed-length arrays of whole numbers: [row, col, ...], the first two in the
    // grid.
    const auto readTuples =
        [&](const char *key, qsizetype minItems, qsizetype maxItems, const QString &shape,
            const std::function<bool(const QString &, const QJsonArray &, qint32, qint32)> &take) {
            const QString where = QStringLiteral("grid.") + QLatin1String(key);
            const QJsonValue value = g.value(QLatin1String(key));
            if (value.isUndefined())
                return true;
            if (!value.isArray())
                return typeError(where, QStringLiteral("由 %1 组成的数组").arg(shape), value);
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
        };

    struct CellAlignment
    {
        qint32 row, col, hor, ver;
    };
    QList<CellAlignment> cellAlignments;
    const QString alignNote = QStringLiteral("（0 居中，1 左或上，2 右或下）");
    if (!readTuples("cellAlignments", 3, 4, QStringLiteral("[行, 列, 水平对齐, 垂直对齐]"),
            [&](const QString &at, const QJsonArray &t, qint32 r, qint32 c) {
                const auto h = integer(t[2], at + QStringLiteral("[2]"), 0, 2, alignNote);
                if (!h)
                    return false;
                std::optional<qint32> v = -1;
                if (t.size() > 3)
                    v = integer(t[3], at + QStringLiteral("[3]"), 0, 2, alignNote);
                if (!v)
                    return false;
                cellAlignments.append({ r, c, *h, *v });
                return true;
            }))
        return false;

    // Merged areas give their cells flag bytes: all in force, the top row starting vertical
    // runs, the left column horizontal ones, borders along the bottom and the right.
    QHash<qint64, quint8> flags;
    QBitArray merged;
    const auto cellKey = [&](qint32 r, qint32 c) { return qint64(r) * cols + c; };
    if (!readTuples("merges", 4, 4, QStringLiteral("[行, 列, 行数, 列数]"),
            [&](const QString &at, const QJsonArray &t, qint32 r0, qint32 c0) {
                const auto n = integer(t[2], at + QStringLiteral("[2]"), 1, rows - r0,
                    QStringLiteral("（从第 %1 行起到网格末尾）").arg(r0));
                if (!n)
                    return false;
                const auto m = integer(t[3], at + QStringLiteral("[3]"), 1, cols - c0,
                    QStringLiteral("（从第 %1 列起到网格末尾）").arg(c0));
                if (!m)
                    return false;
                const qint32 r1 = r0 + *n - 1, c1 = c0 + *m - 1;
                if (regionOf(r0) != regionOf(r1))
                    return fail(at,
                        QStringLiteral("的第 %1 到 %2 行跨越了表头、表身和合计行的分界：合并区域"
                                       "只能在其中一处（表头 %3 行，合计 %4 行）")
                            .arg(r0)
                            .arg(r1)
                            .arg(top)
                            .arg(bottom));
                if (merged.isEmpty())
                    merged.resize(qsizetype(rows) * cols);
                for (qint32 r = r0; r <= r1; ++r) {
                    for (qint32 c = c0; c <= c1; ++c) {
                        if (merged.testBit(cellKey(r, c)))
                            return fail(at,
                                QStringLiteral("与前面的合并区域重叠（第 %1 行第 %2 列）")
                                    .arg(r)
                                    .arg(c));
                        merged.setBit(cellKey(r, c));
                        quint8 f = VoucherGrid::FlagsInForce;
                        if (r == r0)
                            f |= VoucherGrid::StartsVerticalRun;
                        if (c == c0)
                            f |= VoucherGrid::StartsHorizontalRun;
                        if (r == r1)
                            f |= VoucherGrid::BottomBorder;
                        if (c == c1)
                            f |= VoucherGrid::RightBorder;
                        flags.insert(cellKey(r, c), f);
                    }
                }
                return true;
            }))
        return false;
    if (!readTuples("cellFlags", 3, 3, QStringLiteral("[行, 列, 标志字节]"),
            [&](const QString &at, const QJsonArray &t, qint32 r, qint32 c) {
                const auto f = integer(t[2], at + QStringLiteral("[2]"), 0, 255,
                    QStringLiteral("（位 7 生效，位 0 下边线，位 1 右边线，位 2 纵向合并起点，"
                                   "位 3 横向合并起点）"));
                if (!f)
                    return false;
                flags.insert(cellKey(r, c), quint8(*f));
                return true;
            }))
        return false;

    // Amount columns.
    QList<std::pair<qint32, VoucherGrid::AmountColumn>> amounts;
    const QJsonValue amountValue = g.value(QStringLiteral("amountColumns"));
    const QString amountShape = QStringLiteral(
        "{\"col\": 列, \"cells\": 数位, \"firstRow\": 行, \"lastRow\": 行, \"lineColor\": 颜色, "
        "\"dotLineColor\": 颜色}");
    if (!amountValue.isUndefined() && !amountValue.isArray())
        return typeError(QStringLiteral("grid.amountColumns"),
            QStringLiteral("金额列的数组：") + amountShape, amountValue);
    const QJsonArray amountItems = amountValue.toArray();
    for (qsizetype i = 0; i < amountItems.size(); ++i) {
        const QString at = QStringLiteral("grid.amountColumns[%1]").arg(i);
        if (!amountItems[i].isObject())
            return typeError(at, QStringLiteral("对象 ") + amountShape, amountItems[i]);
        const QJsonObject item = amountItems[i].toObject();
        if (!checkKeys(item, at,
                { QStringLiteral("col"), QStringLiteral("cells"), QStringLiteral("firstRow"),
                    QStringLiteral("lastRow"), QStringLiteral("lineColor"),
                    QStringLiteral("dotLineColor") }))
            return false;
        const auto col = integer(
            item.value(QStringLiteral("col")), at + QStringLiteral(".col"), 0, cols - 1, colNote);
        if (!col)
            return false;
        if (std::any_of(amounts.cbegin(), amounts.cend(),
                [&](const auto &amount) { return amount.first == *col; }))
            return fail(at + QStringLiteral(".col"),
                QStringLiteral("为 %1：这一列前面已是金额列").arg(*col));
        VoucherGrid::AmountColumn info;
        const auto cellCount = integer(item.value(QStringLiteral("cells")),
            at + QStringLiteral(".cells"), 1, kMaxAmountCells,
            QStringLiteral("（数位的单位从“分”到“亿”以上共 %1 个）").arg(kMaxAmountCells));
        if (!cellCount)
            return false;
        info.cellCount = *cellCount;
        info.firstRow = std::max(top - 1, 0);
        if (item.contains(QStringLiteral("firstRow"))) {
            const auto r = integer(item.value(QStringLiteral("firstRow")),
                at + QStringLiteral(".firstRow"), 0, rows - 1, rowNote);
            if (!r)
                return false;
            info.firstRow = *r;
        }
        info.lastRow = rows - 1;
        if (item.contains(QStringLiteral("lastRow"))) {
            const auto r = integer(item.value(QStringLiteral("lastRow")),
                at + QStringLiteral(".lastRow"), info.firstRow, rows - 1,
                QStringLiteral("（不在 firstRow 之前；网格有 %1 行）").arg(rows));
            if (!r)
                return false;
            info.lastRow = *r;
        }
        info.lineColor = kAmountLineColor;
        info.dotLineColor = kAmountDotLineColor;
        const std::pair<const char *, qint32 *> colours[]
            = { { "lineColor", &info.lineColor }, { "dotLineColor", &info.dotLineColor } };
        for (const auto &[key, target] : colours) {
            if (!item.contains(QLatin1String(key)))
                continue;
            const auto colour = integer(item.value(QLatin1String(key)),
                at + QLatin1Char('.') + QLatin1String(key), 0, kMaxColor,
                QStringLiteral("（RGB 颜色值）"));
            if (!colour)
                return false;
            *target = *colour;
        }
        amounts.append({ *col, info });
    }

    // Columns left out are sized to their content; one visible column at least must be wider
    // than 0.
    for (qint32 c = qint32(widths.size()); c < cols; ++c) {
        QStringList column;
        for (const QStringList &row : cells)
            column << row.value(c);
        widths << contentWidth(column);
    }
    QList<qint32> visible;
    for (qint32 c = 0; c < cols; ++c)
        visible << (hidden.contains(c) ? 0 : widths[c]);
    if (!checkWidths(visible,
            hidden.isEmpty() ? QStringLiteral("grid.colWidths") : QStringLiteral("grid.hiddenCols"),
            0))
        return false;
    qint64 fixedWidth = 0;
    for (qint32 c = 0; c < fixedCols; ++c)
        fixedWidth += visible[c];
    if (fixedWidth > kMaxFixedColsWidth)
        return fail(QStringLiteral("grid.fixedCols"),
            QStringLiteral("的 %1 列共宽 %2 缇：固定列在每个列段上重复，合计最多 %3 缇")
                .arg(fixedCols)
                .arg(fixedWidth)
                .arg(kMaxFixedColsWidth));

    const auto heightOf
        = [&](qint32 r) { return r < heights.size() ? heights[r] : VoucherGrid::DefaultRowHeight; };
    m_headingRows = top;
    m_gridRows = rows;
    m_gridCols = cols;
    // Every page repeats the header and the bottom rows.
    m_headingHeight = 0;
    for (qint32 r = 0; r < rows; ++r) {
        if (regionOf(r) != 1)
            m_headingHeight += heightOf(r);
    }
    m_bodyRowHeight = top < rows - bottom ? heightOf(top) : 0;

    auto grid = std::make_unique<VoucherGrid>();
    grid->setSize(rows, cols);
    grid->setFixedRowsT(top);
    grid->setFixedRowsB(bottom);
    grid->setFixedColsL(fixedCols);
    for (qint32 r = 0; r < rows; ++r) {
        for (qint32 c = 0; c < cols; ++c) {
            const QString text = cells[r].value(c);
            if (!text.isEmpty())
                grid->setText(r, c, text);
        }
    }
    for (qint32 c = 0; c < cols; ++c)
        grid->setColWidth(c, widths[c]);
    for (qint32 r = 0; r < heights.size(); ++r)
        grid->setRowHeight(r, heights[r]);
    for (qint32 c : hidden)
        grid->setColHide(c, true);
    for (qint32 c = 0; c < colAlignments.size(); ++c) {
        for (qint32 r = top; r < rows; ++r)
            grid->setHorAlign(r, c, qint16(colAlignments[c]));
    }
    if (headerAlignment) {
        for (qint32 r = 0; r < top; ++r) {
            for (qint32 c = 0; c < cols; ++c)
                grid->setHorAlign(r, c, qint16(*headerAlignment));
        }
    }
    for (const CellAlignment &a : cellAlignments) {
        grid->setHorAlign(a.row, a.col, qint16(a.hor));
        if (a.ver >= 0)
            grid->setVerAlign(a.row, a.col, qint16(a.ver));
    }
    for (auto it = flags.cbegin(); it != flags.cend(); ++it)
        grid->setCell(qint32(it.key() / cols), qint32(it.key() % cols), it.value());
    for (const auto &[col, info] : amounts)
        grid->setAmountColumn(col, info);
    m_file.d->grid = std::move(grid);
    return checkPrintedColumns(cols);
}

bool GridFileReader::readFlex(const QJsonObject &g, int kind)
{
    QStringList keys { QStringLiteral("cells"), QStringLiteral("fixedRows"),
        QStringLiteral("fixedCols"), QStringLiteral("colWidths"), QStringLiteral("rowHeights") };
    if (kind != 7)
        keys << QStringLiteral("colAlignments") << QStringLiteral("headerAlignment")
             << QStringLiteral("cellAlignments") << QStringLiteral("mergeCells")
             << QStringLiteral("mergeRows") << QStringLiteral("mergeCols");
    if (!checkKeys(g, QStringLiteral("grid"), keys))
        return false;
    QList<QStringList> cells;
    qint32 cols = 0;
    if (m_cellTable) {
        cols = m_cellTable->cols();
        if (!checkSize(m_cellTable->rows(), cols))
            return error.isEmpty() ? fail(QStringLiteral("grid.cells"), noCellsMessage()) : false;
    } else if (!readGridCells(g, cells, cols)) {
        return false;
    }
    const qint32 rows = m_cellTable ? m_cellTable->rows() : qint32(cells.size());
    const QString colUnit = QStringLiteral("列");
    const QString rowUnit = QStringLiteral("行");
    qint32 fixed[2] = { 1, 0 };
    if (!readFixed(g, rows, cols, fixed))
        return false;

    QList<qint32> widths, heights, colAlignments, mergeRows, mergeCols;
    if (!readPerIndex(g, "colWidths", cols, colUnit, kind == 6 ? -1 : 0, kMaxColWidth, widths)
        || !readPerIndex(g, "rowHeights", rows, rowUnit, kMinRowHeight, kMaxRowHeight, heights)
        || !readPerIndex(g, "colAlignments", cols, colUnit, 0, 9, colAlignments)
        || !readIndexSet(g, "mergeRows", rows, rowUnit, mergeRows)
        || !readIndexSet(g, "mergeCols", cols, colUnit, mergeCols))
        return false;
    std::optional<qint32> headerAlignment;
    if (g.contains(QStringLiteral("headerAlignment"))) {
        headerAlignment = integer(g.value(QStringLiteral("headerAlignment")),
            QStringLiteral("grid.headerAlignment"), 0, 9);
        if (!headerAlignment)
            return false;
    }
    struct CellAlignment
    {
        qint32 row, col, code;
    };
    QList<CellAlignment> cellAlignments;
    const QJsonValue cellAlignmentsValue = g.value(QStringLiteral("cellAlignments"));
    if (!cellAlignmentsValue.isUndefined() && !cellAlignmentsValue.isArray())
        return typeError(QStringLiteral("grid.cellAlignments"),
            QStringLiteral("由 [行, 列, 对齐] 组成的数组"), cellAlignmentsValue);
    const QJsonArray cellAlignmentItems = cellAlignmentsValue.toArray();
    for (qsizetype i = 0; i < cellAlignmentItems.size(); ++i) {
        const QString where = QStringLiteral("grid.cellAlignments[%1]").arg(i);
        const QJsonArray t = cellAlignmentItems[i].toArray();
        if (!cellAlignmentItems[i].isArray() || t.size() != 3)
            return typeError(where, QStringLiteral(" [行, 列, 对齐]"), cellAlignmentItems[i]);
        const auto r = integer(t[0], where + QStringLiteral("[0]"), 0, rows - 1,
            QStringLiteral("（网格有 %1 行，从 0 数起）").arg(rows));
        if (!r)
            return false;
        const auto c = integer(t[1], where + QStringLiteral("[1]"), 0, cols - 1,
            QStringLiteral("（网格有 %1 列，从 0 数起）").arg(cols));
        if (!c)
            return false;
        const auto a = integer(t[2], where + QStringLiteral("[2]"), 0, 9);
        if (!a)
            return false;
        cellAlignments.append({ *r, *c, *a });
        noteRowSetting(*r, where);
    }
    qint16 mergeMode = 0;
    if (g.contains(QStringLiteral("mergeCells"))) {
        const auto mode = integer(
            g.value(QStringLiteral("mergeCells")), QStringLiteral("grid.mergeCells"), 0, 4);
        if (!mode)
            return false;
        mergeMode = qint16(*mode);
    }

    if (m_cellTable) {
        for (qint32 c = qint32(widths.size()); c < cols; ++c)
            widths << m_cellTable->contentWidth(c);
    } else {
        sizeToContent(cells, cols, widths);
    }
    if (!checkWidths(widths, QStringLiteral("grid.colWidths"), kind == 7 ? 0 : kHiddenColWidth))
        return false;
    qint64 fixedWidth = 0;
    for (qint32 c = 0; c < fixed[1]; ++c)
        fixedWidth += widths[c] < 0 ? FlexGrid::DefaultColWidth : widths[c];
    if (!checkFixedColumnsWidth(fixed[1], fixedWidth))
        return false;
    noteRepeatedRows(fixed[0], rows, cols,
        [&](qint32 r) { return r < heights.size() ? heights[r] : FlexGrid::DefaultRowHeight; });
    if (g.value(QStringLiteral("mergeRows")).isBool())
        m_file.d->mergeAllRows = g.value(QStringLiteral("mergeRows")).toBool();
    else {
        for (qsizetype i = 0; i < mergeRows.size(); ++i)
            noteRowSetting(mergeRows[i], QStringLiteral("grid.mergeRows[%1]").arg(i));
    }

    auto grid = std::make_unique<FlexGrid>(
        kind == 6 ? FlexGrid::Flavor::Hierarchical : FlexGrid::Flavor::Flex);
    if (m_cellTable)
        FlexGridTexts::setBase(*grid, m_cellTable); // one copy of the cells: the file's
    else
        grid->setTexts(cells);
    grid->setFixedRows(fixed[0]);
    grid->setFixedCols(fixed[1]);
    for (qint32 c = 0; c < cols; ++c)
        grid->setColWidth(c, widths[c]);
    for (qint32 r = 0; r < heights.size(); ++r)
        grid->setRowHeight(r, heights[r]);
    for (qint32 c = 0; c < colAlignments.size(); ++c)
        grid->setColAlignment(c, qint16(colAlignments[c]));
    for (qint32 r : mergeRows)
        grid->setMergeRow(r, true);
    for (qint32 c : mergeCols)
        grid->setMergeCol(c, true);
    if (headerAlignment) {
        for (qint32 r = 0; r < fixed[0]; ++r) {
            for (qint32 c = 0; c < cols; ++c)
                grid->setCellAlignmentAt(r, c, qint16(*headerAlignment));
        }
    }
    for (const CellAlignment &a : cellAlignments)
        grid->setCellAlignmentAt(a.row, a.col, qint16(a.code));
    grid->setMergeCells(mergeMode);
    m_file.d->grid = std::move(grid);
    return checkPrintedColumns(cols);
}

// ---- the spreadsheet grid (kind 1) -----------------------------------------------------------

namespace {

/// The highest border style code of a spreadsheet cell.
constexpr qint32 kMaxBorderStyle = 13;
constexpr double kMaxFontSize = 409;

} // namespace

std::optional<QRect> GridFileReader::sheetRange(
    const QJsonValue &v, const QString &where, qint32 rows, qint32 cols, bool wholeRowsAndColumns)
{
    static const QRegularExpression cell(QStringLiteral("^([A-Z]*)([0-9]*)$"));
    const QString shape = wholeRowsAndColumns
        ? QStringLiteral("单元格或区域的地址（“B2”“A1:D1”，整列“C:D”，整行“3:5”）")
        : QStringLiteral("单元格区域的地址（“B2”“A1:D1”）");
    if (!v.isString()) {
        typeError(where, shape, v);
        return std::nullopt;
    }
    const QStringList ends = v.toString().split(QLatin1Char(':'));
    qint64 first[2] = { 0, 0 }, last[2] = { 0, 0 }; // row, column
    bool byRow = false, byCol = false, byCell = false;
    qsizetype parsed = 0;
    for (qsizetype i = 0; i < ends.size() && ends.size() <= 2; ++i, ++parsed) {
        const QRegularExpressionMatch m = cell.match(ends[i]);
        if (!m.hasMatch() || ends[i].isEmpty())
            break;
        const qint64 col
            = m.captured(1).isEmpty() ? -1 : SheetGridAccess::columnNumber(m.captured(1));
        const qint64 row = m.captured(2).isEmpty() ? -1 : m.captured(2).toLongLong();
        byCell = byCell || (col >= 0 && row >= 0);
        byCol = byCol || (col >= 0 && row < 0);
        byRow = byRow || (col < 0 && row >= 0);
        qint64 *end = i == 0 ? first : last;
        end[0] = row;
        end[1] = col;
    }
    if (ends.size() == 1) {
        last[0] = first[0];
        last[1] = first[1];
    }
    const bool whole = (byRow || byCol) && !byCell && !(byRow && byCol) && ends.size() == 2;
    if (parsed != ends.size() || ends.size() > 2 || (!whole && (byRow || byCol))
        || (whole && !wholeRowsAndColumns) || first[0] == 0 || first[1] == 0 || last[0] == 0
        || last[1] == 0) {
        fail(where, QStringLiteral("为“%1”：应为%2").arg(v.toString(), shape));
        return std::nullopt;
    }
    if (byRow) {
        first[1] = 1;
        last[1] = cols;
    }
    if (byCol) {
        first[0] = 1;
        last[0] = rows;
    }
    if (first[0] > last[0] || first[1] > last[1]) {
        fail(where, QStringLiteral("为“%1”：区域的起点应在终点的左上方").arg(v.toString()));
        return std::nullopt;
    }
    if (last[0] > rows || last[1] > cols) {
        fail(where,
            QStringLiteral("为“%1”，不在网格内：网格有 %2 行、%3 列（最后一格 %4%5）")
                .arg(v.toString())
                .arg(rows)
                .arg(cols)
                .arg(SheetGridAccess::columnLetters(cols))
                .arg(rows));
        return std::nullopt;
    }
    return QRect(QPoint(int(first[1]), int(first[0])), QPoint(int(last[1]), int(last[0])));
}

bool GridFileReader::readSheetFormat(const QJsonValue &v, const QString &where,
    const QJsonObject &styles, QList<std::function<void(SheetCellFormat &)>> &changes)
{
    if (v.isString()) {
        if (!styles.contains(v.toString()))
            return fail(where,
                QStringLiteral("为“%1”，不是“grid.styles”中的样式名（有：%2）")
                    .arg(v.toString(), styles.keys().join(QStringLiteral("、"))));
        return readSheetFormat(styles.value(v.toString()),
            QStringLiteral("grid.styles.") + v.toString(), QJsonObject(), changes);
    }
    if (!v.isObject())
        return typeError(where, QStringLiteral("单元格格式对象或样式名"), v);
    const QJsonObject f = v.toObject();
    const QStringList sides { QStringLiteral("borderTop"), QStringLiteral("borderLeft"),
        QStringLiteral("borderBottom"), QStringLiteral("borderRight") };
    if (!checkKeys(f, where,
            QStringList { QStringLiteral("font"), QStringLiteral("size"), QStringLiteral("bold"),
                QStringLiteral("color"), QStringLiteral("align"), QStringLiteral("valign"),
                QStringLiteral("numberFormat"), QStringLiteral("border") }
                + sides))
        return false;
    const auto at = [&](const char *key) { return where + QLatin1Char('.') + QLatin1String(key); };
    if (f.contains(QStringLiteral("font"))) {
        const QJsonValue font = f.value(QStringLiteral("font"));
        if (!font.isString() || font.toString().trimmed().isEmpty())
            return typeError(at("font"), QStringLiteral("字体名（非空文本）"), font);
        changes << [name = font.toString()](SheetCellFormat &c) { c.FontName = name; };
    }
    if (f.contains(QStringLiteral("size"))) {
        const QJsonValue size = f.value(QStringLiteral("size"));
        if (!size.isDouble())
            return typeError(at("size"), QStringLiteral("磅数"), size);
        if (!(size.toDouble() >= 1 && size.toDouble() <= kMaxFontSize))
            return fail(at("size"),
                QStringLiteral("为 %1，超出范围：应为 1 到 %2 磅")
                    .arg(size.toDouble())
                    .arg(kMaxFontSize));
        changes << [points = size.toDouble()](SheetCellFormat &c) { c.FontSize = points; };
    }
    if (f.contains(QStringLiteral("bold"))) {
        const QJsonValue bold = f.value(QStringLiteral("bold"));
        if (!bold.isBool())
            return typeError(at("bold"), QStringLiteral(" true 或 false"), bold);
        changes << [on = bold.toBool()](SheetCellFormat &c) { c.FontBold = on; };
    }
    if (f.contains(QStringLiteral("color"))) {
        const QJsonValue color = f.value(QStringLiteral("color"));
        static const QRegularExpression hex(QStringLiteral("^#([0-9A-Fa-f]{6})$"));
        const QRegularExpressionMatch m = hex.match(color.toString());
        qint32 rgb = 0;
        if (color.isString() && m.hasMatch()) {
            // "#RRGGBB" as written on screen; stored with red in the low byte.
            const uint v24 = m.captured(1).toUInt(nullptr, 16);
            rgb = qint32(((v24 >> 16) & 0xFF) | (v24 & 0xFF00) | ((v24 & 0xFF) << 16));
        } else if (color.isDouble()) {
            const auto n = integer(color, at("color"), 0, kMaxColor,
                QStringLiteral("（RGB 颜色值，红色在低位：255 为红色）"));
            if (!n)
                return false;
            rgb = *n;
        } else {
            return typeError(at("color"), QStringLiteral("颜色：“#RRGGBB”或 RGB 整数"), color);
        }
        changes << [rgb](SheetCellFormat &c) { c.FontColor = rgb; };
    }
    const struct
    {
        const char *key;
        qint32 high;
        const char *note;
        qint16 SheetCellFormat::*field;
    } codes[] = {
        { "align", 6, "（1 常规，2 左，3 居中，4 右，5 填充，6 两端对齐）",
            &SheetCellFormat::HorizontalAlignment },
        { "valign", 3, "（1 上，2 居中，3 下）", &SheetCellFormat::VerticalAlignment },
    };
    for (const auto &code : codes) {
        if (!f.contains(QLatin1String(code.key)))
            continue;
        const auto n = integer(f.value(QLatin1String(code.key)), at(code.key), 1, code.high,
            QString::fromUtf8(code.note));
        if (!n)
            return false;
        changes << [field = code.field, n = qint16(*n)](SheetCellFormat &c) { c.*field = n; };
    }
    if (f.contains(QStringLiteral("numberFormat"))) {
        const QJsonValue format = f.value(QStringLiteral("numberFormat"));
        if (!format.isString())
            return typeError(at("numberFormat"), QStringLiteral("数字格式文本"), format);
        changes << [text = format.toString()](SheetCellFormat &c) { c.NumberFormat = text; };
    }
    // "border" gives every side; a side of its own wins.
    for (int side = -1; side < 4; ++side) {
        const QString key = side < 0 ? QStringLiteral("border") : sides[side];
        if (!f.contains(key))
            continue;
        const auto n = integer(f.value(key), where + QLatin1Char('.') + key, 0, kMaxBorderStyle,
            QStringLiteral("（边框样式：0 无，1 细，2 中，3 虚线，4 点线，5 粗，…）"));
        if (!n)
            return false;
        changes << [side, n = qint16(*n)](SheetCellFormat &c) {
            for (int s = 0; s < 4; ++s) {
                if (side < 0 || s == side)
                    c.BorderStyle[s] = n;
            }
        };
    }
    return true;
}

bool GridFileReader::readSheet(const QJsonObject &g)
{
    if (!checkKeys(g, QStringLiteral("grid"),
            { QStringLiteral("cells"), QStringLiteral("fixedRows"), QStringLiteral("fixedCols"),
                QStringLiteral("colWidths"), QStringLiteral("rowHeights"),
                QStringLiteral("hiddenCols"), QStringLiteral("showZeroValues"),
                QStringLiteral("styles"), QStringLiteral("formats"), QStringLiteral("merges") }))
        return false;
    QList<QStringList> cells;
    qint32 cols = 0;
    if (!readGridCells(g, cells, cols))
        return false;
    const qint32 rows = qint32(cells.size());
    const QString colUnit = QStringLiteral("列");
    const QString rowUnit = QStringLiteral("行");
    auto grid = std::make_unique<SheetGrid>();
    // The last cell first: the grid takes its whole size at once instead of a row at a time.
    grid->setTextRC(rows, cols, cells[rows - 1].value(cols - 1));
    for (qint32 r = 0; r < rows; ++r) {
        for (qint32 c = 0; c < cells[r].size(); ++c) {
            if (!cells[r][c].isEmpty())
                grid->setTextRC(r + 1, c + 1, cells[r][c]);
        }
    }
    grid->setMaxRow(rows);
    grid->setMaxCol(cols);

    qint32 fixed[2] = { 1, 0 };
    if (!readFixed(g, rows, cols, fixed))
        return false;
    grid->setFixedRows(fixed[0]);
    grid->setFixedCols(fixed[1]);

    QList<qint32> widths, heights;
    if (!readPerIndex(g, "colWidths", cols, colUnit, 0, kMaxColWidth, widths)
        || !readPerIndex(g, "rowHeights", rows, rowUnit, kMinRowHeight, kMaxRowHeight, heights))
        return false;
    sizeToContent(cells, cols, widths);
    QList<bool> hidden(cols, false);
    const QJsonValue hiddenValue = g.value(QStringLiteral("hiddenCols"));
    if (!hiddenValue.isUndefined() && !hiddenValue.isArray())
        return typeError(QStringLiteral("grid.hiddenCols"),
            QStringLiteral("列字母的数组（如 [\"C\"]）"), hiddenValue);
    const QJsonArray hiddenItems = hiddenValue.toArray();
    for (qsizetype i = 0; i < hiddenItems.size(); ++i) {
        const QString where = QStringLiteral("grid.hiddenCols[%1]").arg(i);
        const qint64 col = SheetGridAccess::columnNumber(hiddenItems[i].toString());
        if (!hiddenItems[i].isString() || col < 1)
            return typeError(where, QStringLiteral("列字母（“A”“AA”）"), hiddenItems[i]);
        if (col > cols)
            return fail(where,
                QStringLiteral("为“%1”，不在网格内：网格有 %2 列（A 到 %3）")
                    .arg(hiddenItems[i].toString())
                    .arg(cols)
                    .arg(SheetGridAccess::columnLetters(cols)));
        hidden[col - 1] = true;
    }
    QList<qint32> shownWidths;
    for (qint32 c = 0; c < cols; ++c) {
        grid->setColWidth(c + 1, widths[c]);
        grid->setColHidden(c + 1, hidden[c]);
        shownWidths << (hidden[c] ? 0 : widths[c]);
    }
    if (!checkWidths(shownWidths, QStringLiteral("grid.colWidths"), 0))
        return false;
    qint64 fixedWidth = 0;
    for (qint32 c = 0; c < fixed[1]; ++c)
        fixedWidth += shownWidths[c];
    if (!checkFixedColumnsWidth(fixed[1], fixedWidth))
        return false;
    for (qint32 r = 0; r < heights.size(); ++r)
        grid->setRowHeight(r + 1, heights[r]);

    if (g.contains(QStringLiteral("showZeroValues"))) {
        const QJsonValue v = g.value(QStringLiteral("showZeroValues"));
        if (!v.isBool())
            return typeError(
                QStringLiteral("grid.showZeroValues"), QStringLiteral(" true 或 false"), v);
        grid->setShowZeroValues(v.toBool());
    }

    // Formats: each entry lays its keys over the cells of its range, in the order given.
    const QJsonValue stylesValue = g.value(QStringLiteral("styles"));
    if (!stylesValue.isUndefined() && !stylesValue.isObject())
        return typeError(
            QStringLiteral("grid.styles"), QStringLiteral("由样式名和格式组成的对象"), stylesValue);
    const QJsonObject styles = stylesValue.toObject();
    for (auto it = styles.begin(); it != styles.end(); ++it) {
        const QString where = QStringLiteral("grid.styles.") + it.key();
        QList<std::function<void(SheetCellFormat &)>> unused;
        if (!it.value().isObject())
            return typeError(where, QStringLiteral("单元格格式对象"), it.value());
        if (!readSheetFormat(it.value(), where, QJsonObject(), unused))
            return false;
    }
    const QJsonValue formatsValue = g.value(QStringLiteral("formats"));
    if (!formatsValue.isUndefined() && !formatsValue.isArray())
        return typeError(QStringLiteral("grid.formats"),
            QStringLiteral("由 [区域, 格式或样式名] 组成的数组"), formatsValue);
    const QJsonArray formatItems = formatsValue.toArray();
    qint64 formatted = 0;
    for (qsizetype i = 0; i < formatItems.size(); ++i) {
        const QString where = QStringLiteral("grid.formats[%1]").arg(i);
        const QJsonArray item = formatItems[i].toArray();
        if (!formatItems[i].isArray() || item.size() != 2)
            return typeError(where, QStringLiteral(" [区域, 格式或样式名]"), formatItems[i]);
        const auto range = sheetRange(item[0], where + QStringLiteral("[0]"), rows, cols, true);
        if (!range)
            return false;
        QList<std::function<void(SheetCellFormat &)>> changes;
        if (!readSheetFormat(item[1], where + QStringLiteral("[1]"), styles, changes))
            return false;
        formatted += qint64(range->width()) * range->height();
        if (formatted > kMaxCells)
            return fail(QStringLiteral("grid.formats"),
                QStringLiteral("到第 %1 项为止共设置 %2 个单元格的格式，超过上限 %3")
                    .arg(i)
                    .arg(formatted)
                    .arg(kMaxCells));
        for (qint32 r = range->top(); r <= range->bottom(); ++r) {
            for (qint32 c = range->left(); c <= range->right(); ++c) {
                SheetCellFormat format = grid->cellFormat(r, c);
                for (const auto &change : changes)
                    change(format);
                grid->setCellFormat(r, c, format);
            }
        }
    }

    const QJsonValue mergesValue = g.value(QStringLiteral("merges"));
    if (!mergesValue.isUndefined() && !mergesValue.isArray())
        return typeError(QStringLiteral("grid.merges"),
            QStringLiteral("合并区域的数组（如 [\"A1:D1\"]）"), mergesValue);
    const QJsonArray mergeItems = mergesValue.toArray();
    QList<QRect> merges;
    for (qsizetype i = 0; i < mergeItems.size(); ++i) {
        const QString where = QStringLiteral("grid.merges[%1]").arg(i);
        const auto range = sheetRange(mergeItems[i], where, rows, cols, false);
        if (!range)
            return false;
        // A cell belongs to one merged range at the most.
        for (qsizetype j = 0; j < merges.size(); ++j) {
            if (merges[j].intersects(*range))
                return fail(where,
                    QStringLiteral("为“%1”，与“grid.merges[%2]”（“%3”）重叠")
                        .arg(mergeItems[i].toString())
                        .arg(j)
                        .arg(mergeItems[j].toString()));
        }
        merges << *range;
        grid->addMergedRange(range->top(), range->left(), range->bottom(), range->right());
    }

    noteRepeatedRows(fixed[0], rows, cols,
        [&](qint32 r) { return r < heights.size() ? heights[r] : SheetGrid::DefaultRowHeight; });
    m_file.d->gridType = 1;
    m_file.d->grid = std::move(grid);
    return true;
}

bool GridFileReader::readData(const QJsonObject &g)
{
    if (!checkKeys(g, QStringLiteral("grid"),
            { QStringLiteral("columns"), QStringLiteral("cells"), QStringLiteral("rowHeight"),
                QStringLiteral("headLines") }))
        return false;
    const QJsonValue columnsValue = g.value(QStringLiteral("columns"));
    const QString columnShape
        = QStringLiteral("{\"caption\": 标题, \"width\": 宽度, \"align\": 对齐}");
    if (!columnsValue.isArray())
        return typeError(QStringLiteral("grid.columns"), QStringLiteral("列的数组：") + columnShape,
            columnsValue);
    const QJsonArray columnItems = columnsValue.toArray();
    if (columnItems.isEmpty())
        return fail(
            QStringLiteral("grid.columns"), QStringLiteral("是空数组：") + noCellsMessage());
    const qint32 cols = qint32(std::min<qsizetype>(columnItems.size(), INT_MAX));
    QList<QStringList> cells;
    qint32 widest = 0;
    if (!readCells(g, QStringLiteral("grid"), cells, widest))
        return false;
    if (!checkSize(qint64(cells.size()) + 1, cols))
        return false;
    for (qsizetype r = 0; r < cells.size(); ++r) {
        if (cells[r].size() > cols)
            return fail(QStringLiteral("grid.cells[%1]").arg(r),
                QStringLiteral("有 %1 个单元格，但“grid.columns”只有 %2 列")
                    .arg(cells[r].size())
                    .arg(cols));
    }

    QList<DataGridColumn> columns;
    QList<qint32> widths;
    for (qint32 c = 0; c < cols; ++c) {
        const QString where = QStringLiteral("grid.columns[%1]").arg(c);
        if (!columnItems[c].isObject())
            return typeError(where, QStringLiteral("对象 ") + columnShape, columnItems[c]);
        const QJsonObject column = columnItems[c].toObject();
        if (!checkKeys(column, where,
                { QStringLiteral("caption"), QStringLiteral("width"), QStringLiteral("align") }))
            return false;
        DataGridColumn entry;
        const QJsonValue caption = column.value(QStringLiteral("caption"));
        if (!caption.isUndefined() && !caption.isString())
            return typeError(where + QStringLiteral(".caption"), QStringLiteral("文本"), caption);
        entry.Caption = caption.toString();
        if (column.contains(QStringLiteral("width"))) {
            const auto w = integer(column.value(QStringLiteral("width")),
                where + QStringLiteral(".width"), 0, kMaxColWidth);
            if (!w)
                return false;
            entry.Width = *w;
        } else {
            QStringList texts { entry.Caption };
            for (const QStringList &row : cells)
                texts << row.value(c);
            entry.Width = contentWidth(texts);
        }
        if (column.contains(QStringLiteral("align"))) {
            const auto a
                = integer(column.value(QStringLiteral("align")), where + QStringLiteral(".align"),
                    0, 3, QStringLiteral("（0 左，1 居中，2 右，3 常规）"));
            if (!a)
                return false;
            entry.Alignment = qint16(*a);
        }
        widths << entry.Width;
        columns << entry;
    }
    if (!checkWidths(widths, QStringLiteral("grid.columns"), 0))
        return false;

    qint32 rowHeight = DataGrid::DefaultRowHeight;
    if (g.contains(QStringLiteral("rowHeight"))) {
        const auto h = integer(g.value(QStringLiteral("rowHeight")),
            QStringLiteral("grid.rowHeight"), kMinRowHeight, kMaxRowHeight);
        if (!h)
            return false;
        rowHeight = *h;
    }
    double headLines = 1;
    if (g.contains(QStringLiteral("headLines"))) {
        const QJsonValue v = g.value(QStringLiteral("headLines"));
        if (!v.isDouble())
            return typeError(QStringLiteral("grid.headLines"), QStringLiteral("数字"), v);
        headLines = v.toDouble();
        if (!(headLines >= 1 && headLines <= kMaxCaptionLines))
            return fail(QStringLiteral("grid.headLines"),
                QStringLiteral("为 %1，超出范围：应为 1 到 %2 之间的数")
                    .arg(QString::number(headLines, 'g', 15))
                    .arg(kMaxCaptionLines));
    }

    // A data grid cannot tell its row count: print all the rows the file holds, or as many of
    // them as the properties say.
    const qint32 dataRows = qint32(cells.size());
    qint32 gridrows = dataRows;
    const QVariant given = m_file.d->properties.value(QStringLiteral("gridrows"));
    if (given.isValid()) {
        const auto n
            = integer(QJsonValue::fromVariant(given), QStringLiteral("properties.gridrows"), 0,
                dataRows, QStringLiteral("（“grid.cells”有 %1 行）").arg(dataRows));
        if (!n)
            return false;
        gridrows = *n;
    } else {
        m_file.d->properties.insert(QStringLiteral("gridrows"), gridrows);
    }
    m_headingRows = 1;
    m_gridRows = dataRows;
    m_gridCols = cols;
    m_headingHeight = qint64(std::llround(rowHeight * headLines));
    m_bodyRowHeight = gridrows > 0 ? rowHeight : 0;

    auto grid = std::make_unique<DataGrid>();
    grid->setColumns(columns);
    grid->setRowsData(cells);
    grid->setRowHeight(rowHeight);
    grid->setHeadLines(headLines);
    m_file.d->grid = std::move(grid);
    return checkPrintedColumns(cols);
}

bool GridFileReader::readSpans(const QJsonObject &g, const char *key, qint32 cols, qint32 firstRow,
    qint32 lastRow, QSet<qint64> &covered, QList<std::array<qint32, 4>> &spans)
{
    const QString name = QStringLiteral("grid.") + QLatin1String(key);
    const QJsonValue value = g.value(QLatin1String(key));
    if (value.isUndefined())
        return true;
    const QString shape = QStringLiteral(" [列, 行, 列数, 行数]");
    if (!value.isArray())
        return typeError(name, QStringLiteral("由%1组成的数组").arg(shape), value);
    const QJsonArray items = value.toArray();
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString where = QStringLiteral("%1[%2]").arg(name).arg(i);
        const QJsonArray item = items[i].toArray();
        if (!items[i].isArray() || item.size() != 4)
            return typeError(where, shape, items[i]);
        const auto col = integer(item[0], where + QStringLiteral("[0]"), 1, cols,
            QStringLiteral("（网格有 %1 列，从 1 数起）").arg(cols));
        if (!col)
            return false;
        const auto row = integer(item[1], where + QStringLiteral("[1]"), firstRow, lastRow);
        if (!row)
            return false;
        const auto colCount = integer(item[2], where + QStringLiteral("[2]"), 1, cols - *col + 1,
            QStringLiteral("（合并区域不能超出网格）"));
        if (!colCount)
            return false;
        const auto rowCount = integer(item[3], where + QStringLiteral("[3]"), 1, lastRow - *row + 1,
            QStringLiteral("（合并区域不能超出网格）"));
        if (!rowCount)
            return false;
        for (qint32 r = *row; r < *row + *rowCount; ++r) {
            for (qint32 c = *col; c < *col + *colCount; ++c) {
                // Header rows (counted from 0) and data rows (from 1) cover different cells.
                const qint64 rowKey = firstRow == 0 ? -qint64(r) - 1 : r;
                const qint64 cell = (rowKey << 32) | quint32(c);
                if (covered.contains(cell))
                    return fail(where,
                        QStringLiteral("的单元格（第 %1 列，第 %2 行）已在另一个合并区域中")
                            .arg(c)
                            .arg(r));
                covered.insert(cell);
            }
        }
        spans.append({ *col, *row, *colCount, *rowCount });
    }
    return true;
}

bool GridFileReader::readSpread(const QJsonObject &g)
{
    if (!checkKeys(g, QStringLiteral("grid"),
            { QStringLiteral("cells"), QStringLiteral("headerRows"), QStringLiteral("colWidths"),
                QStringLiteral("rowHeaderWidth"), QStringLiteral("headerRowHeights"),
                QStringLiteral("rowHeights"), QStringLiteral("colAlignments"),
                QStringLiteral("headerAlignment"), QStringLiteral("cellTypes"),
                QStringLiteral("decimals"), QStringLiteral("spans"), QStringLiteral("headerSpans"),
                QStringLiteral("corner") }))
        return false;
    QList<QStringList> cells, headers;
    qint32 cols = 0, headerCols = 0;
    if (!readCells(g, QStringLiteral("grid"), cells, cols)
        || !readCells(g, QStringLiteral("grid"), headers, headerCols, QStringLiteral("headerRows")))
        return false;
    cols = std::max(cols, headerCols);
    const bool ownHeaders = g.contains(QStringLiteral("headerRows"));
    const qint32 rows = qint32(cells.size());
    const qint32 headerRows = ownHeaders ? qint32(headers.size()) : 1;
    // Header rows are numbered 0, -999, ..., -1: there are no more numbers for them.
    if (headerRows > 1000)
        return fail(QStringLiteral("grid.headerRows"),
            QStringLiteral("有 %1 行，最多 1000 行").arg(headerRows));
    if (!checkSize(qint64(rows) + headerRows, cols))
        return error.isEmpty() ? fail(QStringLiteral("grid.cells"), noCellsMessage()) : false;
    const QString colUnit = QStringLiteral("列");

    QList<qint32> widths, headerHeights, heights, alignments, types, decimals;
    if (!readPerIndex(g, "colWidths", cols, colUnit, 0, kMaxColWidth, widths)
        || !readPerIndex(g, "headerRowHeights", headerRows, QStringLiteral("表头行"), kMinRowHeight,
            kMaxRowHeight, headerHeights)
        || !readPerIndex(
            g, "rowHeights", rows, QStringLiteral("行"), kMinRowHeight, kMaxRowHeight, heights)
        || !readPerIndex(g, "colAlignments", cols, colUnit, 0, 2, alignments)
        || !readPerIndex(g, "cellTypes", cols, colUnit, 1, 13, types)
        || !readPerIndex(g, "decimals", cols, colUnit, 0, 6, decimals))
        return false;
    for (qsizetype c = 0; c < types.size(); ++c) {
        if (types[c] != 1 && types[c] != AbstractSpreadGrid::CellTypeCheckBox
            && types[c] != AbstractSpreadGrid::CellTypeNumber)
            return fail(QStringLiteral("grid.cellTypes[%1]").arg(c),
                QStringLiteral("为 %1：应为 1（文本）、10（勾选）或 13（数字）").arg(types[c]));
    }
    qint32 headerAlignment = 2;
    if (g.contains(QStringLiteral("headerAlignment"))) {
        const auto a = integer(g.value(QStringLiteral("headerAlignment")),
            QStringLiteral("grid.headerAlignment"), 0, 2, QStringLiteral("（0 左，1 右，2 居中）"));
        if (!a)
            return false;
        headerAlignment = *a;
    }
    const QJsonValue cornerValue = g.value(QStringLiteral("corner"));
    if (!cornerValue.isUndefined() && !cornerValue.isString())
        return typeError(QStringLiteral("grid.corner"), QStringLiteral("文本"), cornerValue);
    const QString corner = cornerValue.toString();
    qint32 rowHeaderWidth = contentWidth({ QString::number(rows), corner });
    if (g.contains(QStringLiteral("rowHeaderWidth"))) {
        const auto w = integer(g.value(QStringLiteral("rowHeaderWidth")),
            QStringLiteral("grid.rowHeaderWidth"), 0, kMaxFixedColsWidth,
            QStringLiteral("（行号列在每个列段上重复）"));
        if (!w)
            return false;
        rowHeaderWidth = *w;
    }
    QSet<qint64> covered;
    QList<std::array<qint32, 4>> spans, headerSpans;
    if (!readSpans(g, "headerSpans", cols, 0, headerRows - 1, covered, headerSpans)
        || !readSpans(g, "spans", cols, 1, rows, covered, spans))
        return false;

    // Columns left out are sized to their content, headings included.
    for (qint32 c = qint32(widths.size()); c < cols; ++c) {
        QStringList column;
        for (const QList<QStringList> *block : { &headers, &cells }) {
            for (const QStringList &row : *block)
                column << row.value(c);
        }
        widths << contentWidth(column);
    }
    if (!checkWidths(widths, QStringLiteral("grid.colWidths"), 0))
        return false;
    const auto headerRowNumber = [](qint32 h) { return h == 0 ? 0 : h - 1000; };
    const auto headerHeight = [&](qint32 h) {
        return h < headerHeights.size() ? headerHeights[h] : SpreadGrid::DefaultRowHeight;
    };
    m_headingRows = headerRows;
    m_gridRows = rows;
    m_gridCols = cols;
    m_headingHeight = 0;
    for (qint32 h = 0; h < headerRows; ++h)
        m_headingHeight += headerHeight(h);
    m_bodyRowHeight = rows == 0 ? 0 : heights.isEmpty() ? SpreadGrid::DefaultRowHeight : heights[0];

    auto grid = std::make_unique<SpreadGrid>();
    grid->setMaxRows(rows);
    grid->setMaxCols(cols);
    grid->setColHeaderRows(headerRows);
    grid->setColWidthTwips(0, rowHeaderWidth);
    grid->setCellText(0, 0, corner);
    // The corner's heading stands over all the header rows.
    if (!corner.isEmpty() && headerRows > 1)
        grid->addCellSpan(0, 0, 1, headerRows);
    for (qint32 c = 0; c < cols; ++c)
        grid->setColWidthTwips(c + 1, widths[c]);
    for (qint32 h = 0; h < headerRows; ++h) {
        const qint32 row = headerRowNumber(h);
        grid->setRowHeightTwips(row, headerHeight(h));
        for (qint32 c = 1; c <= cols; ++c) {
            if (ownHeaders)
                grid->setCellText(c, row, headers[h].value(c - 1));
            grid->setTypeHAlignAt(c, row, qint16(headerAlignment));
        }
    }
    for (qint32 r = 0; r < heights.size(); ++r)
        grid->setRowHeightTwips(r + 1, heights[r]);
    for (qint32 r = 0; r < rows; ++r) {
        for (qint32 c = 0; c < cols; ++c) {
            const QString text = cells[r].value(c);
            if (!text.isEmpty())
                grid->setCellText(c + 1, r + 1, text);
            if (c < types.size())
                grid->setCellTypeAt(c + 1, r + 1, qint16(types[c]));
            if (c < decimals.size())
                grid->setTypeNumberDecPlacesAt(c + 1, r + 1, qint16(decimals[c]));
            if (c < alignments.size())
                grid->setTypeHAlignAt(c + 1, r + 1, qint16(alignments[c]));
        }
    }
    for (const auto &span : headerSpans)
        grid->addCellSpan(span[0], headerRowNumber(span[1]), span[2], span[3]);
    for (const auto &span : spans)
        grid->addCellSpan(span[0], span[1], span[2], span[3]);
    m_file.d->grid = std::move(grid);
    return true;
}

namespace {

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
    QByteArray document = bytes;
    for (const JsonCellArray &a : arrays) {
        if (a.where != QLatin1String("grid.cells") || a.end < 0 || a.rows * a.widest < kTableCells)
            continue;
        m_cellTable = JsonCellTable::read(bytes, a.begin, a.end, kMaxCellText);
        if (m_cellTable) {
            const auto lines = std::count(bytes.begin() + a.begin, bytes.begin() + a.end, '\n');
            document = bytes.left(a.begin) + "[]" + QByteArray(lines, '\n') + bytes.mid(a.end);
        }
    }
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
        doc = QJsonDocument::fromJson(bytes);
    }
    if (!doc.isObject())
        return fail(QString(), QStringLiteral("应为一个 JSON 对象"));
    const QJsonObject root = doc.object();
    if (!checkKeys(root, QString(),
            { QStringLiteral("GridType"), QStringLiteral("properties"), QStringLiteral("format"),
                QStringLiteral("head"), QStringLiteral("foot"), QStringLiteral("grid"),
                QStringLiteral("datasets") }))
        return false;
    const auto kind
        = integer(root.value(QStringLiteral("GridType")), QStringLiteral("GridType"), 1, 8);
    if (!kind)
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
    if ((*kind == 1 || *kind == 8) && root.contains(QStringLiteral("datasets")))
        return fail(QStringLiteral("datasets"),
            QStringLiteral("不能用于 GridType %1：连续打印的数据组只用于种类 3 到 7").arg(*kind));
    const bool ok = *kind == 1     ? readSheet(grid.toObject())
        : *kind == 8               ? readSpread(grid.toObject())
        : *kind == 2               ? readVoucher(grid.toObject())
        : *kind == 3 || *kind == 4 ? readData(grid.toObject())
                                   : readFlex(grid.toObject(), *kind);
    return ok && checkRepeated(headLines, footLines)
        && readDataSets(root.value(QStringLiteral("datasets")), *kind, std::max(footCount, 1),
            headLines, footLines);
}

namespace {

/// Why a file could not be opened, in the user's language rather than the library's.
QString openError(const QFile &file)
{
    const QFileInfo info(file.fileName());
    if (info.isDir())
        return QStringLiteral("这是一个文件夹，不是文件");
    if (!info.exists())
        return QStringLiteral("文件不存在");
    if (!info.isReadable())
        return QStringLiteral("没有读取权限");
    return file.errorString();
}

/// Runs one of the reader's functions on a new grid file: nothing it or the grid it builds
/// throws reaches the caller.
std::unique_ptr<GridFile> readGridFile(const QString &name, QString *error,
    std::unique_ptr<GridFile> file, const std::function<bool(GridFileReader &)> &read)
{
    GridFileReader reader(*file);
    bool ok = false;
    try {
        ok = read(reader);
    } catch (const Error &e) {
        ok = false;
        reader.error = QStringLiteral("[%1]%2").arg(e.number()).arg(e.description());
    } catch (const std::bad_alloc &) {
        ok = false;
        reader.error = QStringLiteral("内存不足，无法读取");
    } catch (const std::exception &e) {
        ok = false;
        reader.error = QString::fromLocal8Bit(e.what());
    }
    if (!ok) {
        if (error)
            *error = QStringLiteral("网格文件“%1”：%2").arg(name, reader.error);
        return nullptr;
    }
    return file;
}

} // namespace

std::unique_ptr<GridFile> GridFile::load(const QString &path, QString *error)
{
    return load(path, error, QFileInfo(path).suffix());
}

std::unique_ptr<GridFile> GridFile::load(const QString &path, QString *error, const QString &format)
{
    auto f = std::make_unique<QFile>(path);
    // A folder opens on some systems; it is no grid file anywhere.
    if (QFileInfo(path).isDir() || !f->open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("无法读取网格文件“%1”：%2").arg(path, openError(*f));
        return nullptr;
    }
    const QString suffix = format;
    if (suffix.compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0 && f->size() > 0) {
        // Mapped, not read: the grid decodes its cells from the file's own pages. A pipe or a
        // file system that cannot map is read instead.
        if (uchar *at = f->map(0, f->size())) {
            const QByteArray bytes
                = QByteArray::fromRawData(reinterpret_cast<const char *>(at), f->size());
            return readGridFile(path, error, std::unique_ptr<GridFile>(new GridFile),
                [&](GridFileReader &reader) { return reader.readCsv(bytes, std::move(f)); });
        }
    }
    return fromData(f->readAll(), suffix, path, error);
}

std::unique_ptr<GridFile> GridFile::fromData(
    const QByteArray &bytes, const QString &format, const QString &name, QString *error)
{
    const QString suffix = format.toLower();
    return readGridFile(
        name, error, std::unique_ptr<GridFile>(new GridFile), [&](GridFileReader &reader) {
            if (suffix == QLatin1String("csv"))
                return reader.readCsv(bytes);
            if (suffix == QLatin1String("json"))
                return reader.readJson(bytes);
            reader.error = QStringLiteral("只能读取 .csv 或 .json 文件");
            return false;
        });
}

GridFile::GridFile()
    : d(std::make_unique<GridFilePrivate>())
{
}

GridFile::~GridFile() = default;

int GridFile::gridType() const
{
    return d->gridType;
}

QObject *GridFile::grid() const
{
    return d->grid.get();
}

const QVariantMap &GridFile::properties() const
{
    return d->properties;
}

const QVariantMap &GridFile::format() const
{
    return d->format;
}

const QList<GridFileLine> &GridFile::head() const
{
    return d->head;
}

const QList<GridFileLine> &GridFile::foot() const
{
    return d->foot;
}

qsizetype GridFile::dataSetCount() const
{
    return d->dataSets.size();
}

bool GridFile::applyDataSet(qsizetype index, MyPrint &print, QString *error)
{
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (index < 0 || index >= d->dataSets.size())
        return fail(QStringLiteral("没有第 %1 组数据（“datasets”共 %2 组，从 0 数起）")
                        .arg(index)
                        .arg(d->dataSets.size()));
    const GridFilePrivate::DataSet &set = d->dataSets[index];
    // Nothing a grid or a print object throws may reach the caller.
    try {
        if (auto *flex = qobject_cast<FlexGrid *>(d->grid.get())) {
            // Cells a shorter row leaves out must not keep the previous data set's texts.
            const qint32 cols = flex->Cols();
            QList<QStringList> rows = set.cells;
            for (QStringList &row : rows)
                row.resize(cols);
            flex->setSize(qint32(rows.size()), cols);
            flex->setTexts(rows);
            if (d->mergeAllRows) {
                for (qint32 r = 0; r < rows.size(); ++r)
                    flex->setMergeRow(r, true);
            }
        } else if (auto *data = qobject_cast<DataGrid *>(d->grid.get())) {
            data->setRowsData(set.cells);
            print.setGridrows(qint32(set.cells.size()));
        } else if (auto *voucher = qobject_cast<VoucherGrid *>(d->grid.get())) {
            // The same rows, new texts; a shorter row empties the rest of its cells.
            for (qint32 r = 0; r < voucher->Rows(); ++r) {
                for (qint32 c = 0; c < voucher->Cols(); ++c)
                    voucher->setText(r, c, set.cells.value(r).value(c));
            }
        }
        for (const GridFileLine &line : set.head)
            print.AddHead(line.text, line.newline, line.alignment, line.color);
        for (const GridFileLine &line : set.foot)
            print.AddFoot(line.text, line.newline, line.alignment, line.color);
    } catch (const Error &e) {
        return fail(QStringLiteral("[%1]%2").arg(e.number()).arg(e.description()));
    } catch (const std::exception &e) {
        return fail(QString::fromLocal8Bit(e.what()));
    }
    return true;
}

bool GridFile::setProperty(
    MyPrint &print, const QString &name, const QVariant &value, QString *error)
{
    const QMetaObject *mo = print.metaObject();
    const int index = mo->indexOfProperty(name.toLatin1().constData());
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (index < mo->propertyOffset()) {
        // The page format names some values otherwise than the properties that give them.
        const FormatField *field = findFormatField(name);
        if (field && !field->property.isEmpty())
            return fail(QStringLiteral("没有名为“%1”的属性；页面格式值 %2 的属性是 %3")
                            .arg(name, field->name, field->property));
        return fail(QStringLiteral("没有名为“%1”的属性").arg(name));
    }
    const QMetaProperty property = mo->property(index);
    QVariant converted;
    if (!convertProperty(property, name, value, &converted, error))
        return false;
    const QString text = value.toString().trimmed();
    try {
        if (!property.write(&print, converted))
            return fail(QStringLiteral("属性 %1 不接受“%2”").arg(name, text));
    } catch (const OverflowError &) {
        return fail(QStringLiteral("属性 %1 的值 %2 超出范围").arg(name, text));
    } catch (const Error &e) {
        return fail(QStringLiteral("属性 %1 不接受“%2”：[%3]%4")
                        .arg(name, text)
                        .arg(e.number())
                        .arg(e.description()));
    }
    return true;
}

QString GridFile::checkGridKind(const MyPrint &print)
{
    QObject *grid = print.Datagrid();
    const int kind = int(print.GridType());
    const auto fits = [grid](int k) {
        try {
            GridAccess::create(k, grid);
            return true;
        } catch (const Error &) {
            return false;
        }
    };
    if (!grid || kind < 1 || kind > 8 || fits(kind))
        return {};
    const QMetaEnum kinds = QMetaEnum::fromType<MyPrint::MnuGridType>();
    QStringList usable;
    for (int k = 1; k <= 8; ++k) {
        if (fits(k))
            usable << QStringLiteral("%1（%2）").arg(k).arg(QLatin1String(kinds.valueToKey(k)));
    }
    return QStringLiteral("GridType %1（%2）与网格不符，这个网格可用的 GridType：%3")
        .arg(kind)
        .arg(QLatin1String(kinds.valueToKey(kind)), usable.join(QStringLiteral("、")));
}

bool GridFile::applyTo(MyPrint &print, QString *error) const
{
    // Nothing a print object throws may reach the caller.
    try {
        print.setGridType(MyPrint::MnuGridType(d->gridType));
        print.setDatagrid(d->grid.get());
        for (auto it = d->properties.cbegin(); it != d->properties.cend(); ++it) {
            if (!setProperty(print, it.key(), it.value(), error))
                return false;
        }
        for (const GridFileLine &line : d->head)
            print.AddHead(line.text, line.newline, line.alignment, line.color);
        for (const GridFileLine &line : d->foot)
            print.AddFoot(line.text, line.newline, line.alignment, line.color);
    } catch (const OverflowError &) {
        if (error)
            *error = QStringLiteral("页眉或页脚的对齐代码超出范围");
        return false;
    } catch (const Error &e) {
        if (error)
            *error = QStringLiteral("[%1]%2").arg(e.number()).arg(e.description());
        return false;
    } catch (const std::exception &e) {
        if (error)
            *error = QString::fromLocal8Bit(e.what());
        return false;
    }
    return true;
}

} // namespace quillon
