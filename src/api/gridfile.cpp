#include <quillon/datagrid.h>
#include <quillon/error.h>
#include <quillon/flexgrid.h>
#include <quillon/gridfile.h>
#include <quillon/myprint.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaProperty>
#include <QStringDecoder>

#include <optional>

namespace quillon {

namespace {

/// A column wide enough for its longest text in the 11-point body font, with room around it.
qint32 contentWidth(const QStringList &texts)
{
    qint64 widest = 0;
    for (const QString &text : texts) {
        qint64 w = 0;
        for (QChar c : text) {
            // A surrogate pair is one wide character: count it once, at its high half.
            if (c.isLowSurrogate())
                continue;
            w += c.unicode() >= 0x2E80 || c.isHighSurrogate() ? 220 : 120;
        }
        widest = std::max(widest, w);
    }
    return qint32(std::clamp<qint64>(widest + 240, 600, 8000));
}

QList<QStringList> parseCsv(const QString &text, QString *error)
{
    QList<QStringList> rows;
    QStringList row;
    const qsizetype size = text.size();
    const QChar *data = text.constData();
    qsizetype i = 0;
    int line = 1;
    bool endOfRow = false;
    while (i < size) {
        QString field;
        if (data[i] == QLatin1Char('"')) {
            // Quoted: commas, line breaks and doubled quotes are part of the field.
            const int startLine = line;
            ++i;
            qsizetype from = i;
            for (;;) {
                if (i >= size) {
                    *error = QStringLiteral("第 %1 行的引号没有结束").arg(startLine);
                    return {};
                }
                if (data[i] == QLatin1Char('"')) {
                    field += QStringView(data + from, i - from);
                    if (i + 1 < size && data[i + 1] == QLatin1Char('"')) {
                        field += QLatin1Char('"');
                        i += 2;
                        from = i;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (data[i] == QLatin1Char('\n'))
                    ++line;
                ++i;
            }
            // Anything between the closing quote and the separator belongs to the field too.
            const qsizetype rest = i;
            while (i < size && data[i] != QLatin1Char(',') && data[i] != QLatin1Char('\n')
                   && data[i] != QLatin1Char('\r'))
                ++i;
            field += QStringView(data + rest, i - rest);
        } else {
            const qsizetype from = i;
            while (i < size && data[i] != QLatin1Char(',') && data[i] != QLatin1Char('\n')
                   && data[i] != QLatin1Char('\r'))
                ++i;
            field = QString(data + from, i - from);
        }
        row << field;
        endOfRow = i >= size || data[i] != QLatin1Char(',');
        if (i < size && data[i] == QLatin1Char(',')) {
            ++i;
            if (i == size)
                row << QString(); // a trailing comma ends with an empty field
            continue;
        }
        if (i < size && data[i] == QLatin1Char('\r'))
            ++i;
        if (i < size && data[i] == QLatin1Char('\n')) {
            ++i;
            ++line;
        }
        if (!(row.size() == 1 && row[0].isEmpty()))
            rows << row; // blank lines carry no row
        row.clear();
    }
    if (!endOfRow && !row.isEmpty())
        rows << row;
    return rows;
}

/// Values that make sense for a property set by name: outside them a page prints blank,
/// clipped or one row a sheet.
struct PropertyRange
{
    const char *name;
    qint32 low;
    qint32 high;
};

constexpr PropertyRange kPropertyRanges[] = {
    { "TopMargin", 0, 100 },   { "BottomMargin", 0, 100 }, { "LeftMargin", 0, 100 },
    { "RightMargin", 0, 100 }, { "PageHeight", 0, 32767 }, { "PageWidth", 0, 32767 },
    { "RowHeight", 0, 32767 }, { "MinTitleLen", 0, 1000 }, { "LineHeight", 0, 100 },
    { "LineCount", 0, 1000 },  { "PaperSize", 0, 32767 },  { "FixRowsHeight", 0, 1000 },
    { "ZoomRatio", 1, 20 },    { "gridrows", 0, INT_MAX }, { "HeadCount", 0, 100 },
    { "FootCount", 0, 100 },
};

QString enumMembers(const QMetaEnum &e)
{
    QStringList members;
    for (int i = 0; i < e.keyCount(); ++i)
        members << QStringLiteral("%1=%2").arg(QLatin1String(e.key(i))).arg(e.value(i));
    return members.join(QStringLiteral("、"));
}

const PropertyRange *propertyRange(const char *name)
{
    for (const PropertyRange &range : kPropertyRanges) {
        if (qstrcmp(range.name, name) == 0)
            return &range;
    }
    return nullptr;
}

} // namespace

/// Reads the JSON form, with messages that say where a value is wrong.
class GridFileReader
{
public:
    explicit GridFileReader(GridFile &file)
        : m_file(file)
    {
    }

    bool readCsv(const QByteArray &bytes);
    bool readJson(const QByteArray &bytes);
    QString error;

private:
    bool fail(const QString &where, const QString &what)
    {
        error = where.isEmpty() ? what : QStringLiteral("“%1”%2").arg(where, what);
        return false;
    }
    std::optional<qint32> whole(const QJsonValue &v, const QString &where);
    bool readCells(const QJsonObject &grid, QList<QStringList> &cells);
    /// A number for every index, or one number for all; nothing when absent.
    bool readPerIndex(const QJsonObject &grid, const char *key, qint32 count,
                      QList<qint32> &values);
    bool readIndexSet(const QJsonObject &grid, const char *key, qint32 count, QList<qint32> &set);
    bool readLines(const QJsonValue &v, const char *key, QList<GridFileLine> &lines);
    bool readFlex(const QJsonObject &grid, int kind);
    bool readData(const QJsonObject &grid);

    GridFile &m_file;
};

std::optional<qint32> GridFileReader::whole(const QJsonValue &v, const QString &where)
{
    const double d = v.toDouble(std::nan(""));
    if (!v.isDouble() || d != std::floor(d) || std::abs(d) > 2147483647.0) {
        fail(where, QStringLiteral("应为整数"));
        return std::nullopt;
    }
    return qint32(d);
}

bool GridFileReader::readCsv(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return fail(QString(), QStringLiteral("不是 UTF-8 文本"));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QString why;
    const QList<QStringList> rows = parseCsv(text, &why);
    if (!why.isEmpty())
        return fail(QString(), why);
    if (rows.isEmpty())
        return fail(QString(), QStringLiteral("没有任何数据"));
    auto grid = std::make_unique<FlexGrid>();
    grid->setTexts(rows);
    grid->setFixedRows(1);
    for (qint32 c = 0; c < grid->Cols(); ++c) {
        QStringList column;
        for (const QStringList &row : rows)
            column << row.value(c);
        grid->setColWidth(c, contentWidth(column));
        grid->setCellAlignmentAt(0, c, 4); // headings centred
    }
    grid->setRowHeight(0, 400);
    m_file.m_gridType = 5;
    m_file.m_grid = std::move(grid);
    return true;
}

bool GridFileReader::readCells(const QJsonObject &grid, QList<QStringList> &cells)
{
    const QJsonValue value = grid.value(QStringLiteral("cells"));
    if (value.isUndefined())
        return true;
    if (!value.isArray())
        return fail(QStringLiteral("grid.cells"), QStringLiteral("应为由行组成的数组"));
    const QJsonArray rows = value.toArray();
    for (qsizetype r = 0; r < rows.size(); ++r) {
        if (!rows[r].isArray())
            return fail(QStringLiteral("grid.cells[%1]").arg(r), QStringLiteral("应为数组"));
        QStringList row;
        const QJsonArray items = rows[r].toArray();
        for (qsizetype c = 0; c < items.size(); ++c) {
            const QJsonValue item = items[c];
            if (item.isString())
                row << item.toString();
            else if (item.isDouble())
                row << QString::number(item.toDouble(), 'g', 15);
            else if (item.isNull())
                row << QString();
            else
                return fail(QStringLiteral("grid.cells[%1][%2]").arg(r).arg(c),
                            QStringLiteral("应为文本或数字"));
        }
        cells << row;
    }
    return true;
}

bool GridFileReader::readPerIndex(const QJsonObject &grid, const char *key, qint32 count,
                                  QList<qint32> &values)
{
    const QString name = QLatin1String(key);
    const QJsonValue value = grid.value(name);
    if (value.isUndefined())
        return true;
    const QString where = QStringLiteral("grid.") + name;
    if (value.isDouble()) {
        const auto one = whole(value, where);
        if (!one)
            return false;
        values = QList<qint32>(count, *one);
        return true;
    }
    if (!value.isArray())
        return fail(where, QStringLiteral("应为整数或整数数组"));
    const QJsonArray items = value.toArray();
    for (qsizetype i = 0; i < items.size(); ++i) {
        const auto v = whole(items[i], QStringLiteral("%1[%2]").arg(where).arg(i));
        if (!v)
            return false;
        values << *v;
    }
    return true;
}

bool GridFileReader::readIndexSet(const QJsonObject &grid, const char *key, qint32 count,
                                  QList<qint32> &set)
{
    const QJsonValue value = grid.value(QLatin1String(key));
    if (value.isBool()) {
        if (value.toBool()) {
            for (qint32 i = 0; i < count; ++i)
                set << i;
        }
        return true;
    }
    return readPerIndex(grid, key, 0, set);
}

bool GridFileReader::readLines(const QJsonValue &v, const char *key, QList<GridFileLine> &lines)
{
    const QString name = QLatin1String(key);
    if (v.isUndefined())
        return true;
    if (!v.isArray())
        return fail(name, QStringLiteral("应为 [文字, 换行, 对齐, 颜色] 的数组"));
    const QJsonArray items = v.toArray();
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString where = QStringLiteral("%1[%2]").arg(name).arg(i);
        const QJsonArray item = items[i].toArray();
        if (!items[i].isArray() || item.isEmpty() || item.size() > 4 || !item[0].isString())
            return fail(where, QStringLiteral("应为 [文字, 换行, 对齐, 颜色]"));
        GridFileLine line;
        line.text = item[0].toString();
        line.newline = item.size() > 1 ? item[1].toVariant() : QVariant(1);
        if (item.size() > 2) {
            const auto a = whole(item[2], where + QStringLiteral("[2]"));
            if (!a)
                return false;
            line.alignment = *a;
        } else {
            line.alignment = 1;
        }
        if (item.size() > 3) {
            const auto c = whole(item[3], where + QStringLiteral("[3]"));
            if (!c)
                return false;
            line.color = *c;
        }
        lines << line;
    }
    return true;
}

bool GridFileReader::readFlex(const QJsonObject &g, int kind)
{
    QList<QStringList> cells;
    if (!readCells(g, cells))
        return false;
    auto grid = std::make_unique<FlexGrid>(kind == 6 ? FlexGrid::Flavor::Hierarchical
                                                     : FlexGrid::Flavor::Flex);
    grid->setTexts(cells);
    const qint32 cols = grid->Cols();
    const qint32 rows = grid->Rows();

    QList<qint32> fixed;
    for (const char *key : { "fixedRows", "fixedCols" }) {
        const QJsonValue v = g.value(QLatin1String(key));
        const auto n = v.isUndefined() ? std::optional<qint32>(key[5] == 'R' ? 1 : 0)
                                       : whole(v, QStringLiteral("grid.") + QLatin1String(key));
        if (!n)
            return false;
        if (*n < 0)
            return fail(QStringLiteral("grid.") + QLatin1String(key), QStringLiteral("不能为负数"));
        fixed << *n;
    }
    grid->setFixedRows(fixed[0]);
    grid->setFixedCols(fixed[1]);

    QList<qint32> widths, heights, colAlignments, mergeRows, mergeCols;
    if (!readPerIndex(g, "colWidths", cols, widths) || !readPerIndex(g, "rowHeights", rows, heights)
        || !readPerIndex(g, "colAlignments", cols, colAlignments)
        || !readIndexSet(g, "mergeRows", rows, mergeRows)
        || !readIndexSet(g, "mergeCols", cols, mergeCols))
        return false;
    for (qint32 c = 0; c < cols; ++c) {
        if (c < widths.size()) {
            grid->setColWidth(c, widths[c]);
        } else {
            QStringList column;
            for (const QStringList &row : cells)
                column << row.value(c);
            grid->setColWidth(c, contentWidth(column));
        }
    }
    for (qint32 r = 0; r < heights.size(); ++r)
        grid->setRowHeight(r, heights[r]);
    for (qint32 c = 0; c < colAlignments.size(); ++c)
        grid->setColAlignment(c, qint16(colAlignments[c]));
    for (qint32 r : mergeRows)
        grid->setMergeRow(r, true);
    for (qint32 c : mergeCols)
        grid->setMergeCol(c, true);

    if (g.contains(QStringLiteral("headerAlignment"))) {
        const auto a = whole(g.value(QStringLiteral("headerAlignment")),
                             QStringLiteral("grid.headerAlignment"));
        if (!a)
            return false;
        for (qint32 r = 0; r < fixed[0]; ++r) {
            for (qint32 c = 0; c < cols; ++c)
                grid->setCellAlignmentAt(r, c, qint16(*a));
        }
    }
    const QJsonArray cellAlignments = g.value(QStringLiteral("cellAlignments")).toArray();
    for (qsizetype i = 0; i < cellAlignments.size(); ++i) {
        const QJsonArray t = cellAlignments[i].toArray();
        const QString where = QStringLiteral("grid.cellAlignments[%1]").arg(i);
        if (t.size() != 3)
            return fail(where, QStringLiteral("应为 [行, 列, 对齐]"));
        const auto r = whole(t[0], where), c = whole(t[1], where), a = whole(t[2], where);
        if (!r || !c || !a)
            return false;
        grid->setCellAlignmentAt(*r, *c, qint16(*a));
    }
    if (g.contains(QStringLiteral("mergeCells"))) {
        const auto mode = whole(g.value(QStringLiteral("mergeCells")), QStringLiteral("grid.mergeCells"));
        if (!mode)
            return false;
        if (*mode < 0 || *mode > 4)
            return fail(QStringLiteral("grid.mergeCells"), QStringLiteral("应为 0 到 4"));
        grid->setMergeCells(qint16(*mode));
    }
    m_file.m_grid = std::move(grid);
    return true;
}

bool GridFileReader::readData(const QJsonObject &g)
{
    QList<QStringList> cells;
    if (!readCells(g, cells))
        return false;
    auto grid = std::make_unique<DataGrid>();
    const QJsonArray columns = g.value(QStringLiteral("columns")).toArray();
    if (columns.isEmpty())
        return fail(QStringLiteral("grid.columns"),
                    QStringLiteral("应为列的数组：{\"caption\": 标题, \"width\": 宽度}"));
    for (qsizetype c = 0; c < columns.size(); ++c) {
        const QJsonObject column = columns[c].toObject();
        const QString caption = column.value(QStringLiteral("caption")).toString();
        qint32 width = 0;
        if (column.contains(QStringLiteral("width"))) {
            const auto w = whole(column.value(QStringLiteral("width")),
                                 QStringLiteral("grid.columns[%1].width").arg(c));
            if (!w)
                return false;
            width = *w;
        } else {
            QStringList texts { caption };
            for (const QStringList &row : cells)
                texts << row.value(c);
            width = contentWidth(texts);
        }
        grid->appendColumn(caption, width);
    }
    grid->setRowsData(cells);
    if (g.contains(QStringLiteral("rowHeight"))) {
        const auto h = whole(g.value(QStringLiteral("rowHeight")), QStringLiteral("grid.rowHeight"));
        if (!h)
            return false;
        grid->setRowHeight(*h);
    }
    if (g.contains(QStringLiteral("headLines")))
        grid->setHeadLines(g.value(QStringLiteral("headLines")).toDouble(1));
    // A data grid cannot tell its row count: print all the rows the file holds.
    if (!m_file.m_properties.contains(QStringLiteral("gridrows")))
        m_file.m_properties.insert(QStringLiteral("gridrows"), qint32(cells.size()));
    m_file.m_grid = std::move(grid);
    return true;
}

bool GridFileReader::readJson(const QByteArray &bytes)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        const qsizetype line = bytes.left(parseError.offset).count('\n') + 1;
        return fail(QString(), QStringLiteral("第 %1 行 JSON 有误：%2").arg(line).arg(parseError.errorString()));
    }
    if (!doc.isObject())
        return fail(QString(), QStringLiteral("应为一个 JSON 对象"));
    const QJsonObject root = doc.object();
    const auto kind = whole(root.value(QStringLiteral("GridType")), QStringLiteral("GridType"));
    if (!kind)
        return false;
    if (*kind < 1 || *kind > 8)
        return fail(QStringLiteral("GridType"), QStringLiteral("应为 1 到 8"));
    if (*kind == 1 || *kind == 2 || *kind == 8)
        return fail(QStringLiteral("GridType"),
                    QStringLiteral("为 %1：这一版本尚不能打印这种网格").arg(*kind));
    m_file.m_gridType = *kind;
    const QJsonValue props = root.value(QStringLiteral("properties"));
    const QJsonValue format = root.value(QStringLiteral("format"));
    if ((!props.isUndefined() && !props.isObject()) || (!format.isUndefined() && !format.isObject()))
        return fail(props.isObject() || props.isUndefined() ? QStringLiteral("format")
                                                            : QStringLiteral("properties"),
                    QStringLiteral("应为对象"));
    m_file.m_properties = props.toObject().toVariantMap();
    m_file.m_format = format.toObject().toVariantMap();
    if (!readLines(root.value(QStringLiteral("head")), "head", m_file.m_head)
        || !readLines(root.value(QStringLiteral("foot")), "foot", m_file.m_foot))
        return false;
    const QJsonValue grid = root.value(QStringLiteral("grid"));
    if (!grid.isObject())
        return fail(QStringLiteral("grid"), QStringLiteral("应为对象"));
    return *kind == 3 || *kind == 4 ? readData(grid.toObject()) : readFlex(grid.toObject(), *kind);
}

std::unique_ptr<GridFile> GridFile::load(const QString &path, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("无法读取网格文件“%1”：%2").arg(path, f.errorString());
        return nullptr;
    }
    return fromData(f.readAll(), QFileInfo(path).suffix(), path, error);
}

std::unique_ptr<GridFile> GridFile::fromData(const QByteArray &bytes, const QString &format,
                                             const QString &name, QString *error)
{
    std::unique_ptr<GridFile> file(new GridFile);
    GridFileReader reader(*file);
    const QString suffix = format.toLower();
    bool ok = false;
    if (suffix == QLatin1String("csv"))
        ok = reader.readCsv(bytes);
    else if (suffix == QLatin1String("json"))
        ok = reader.readJson(bytes);
    else
        reader.error = QStringLiteral("只能读取 .csv 或 .json 文件");
    if (!ok) {
        if (error)
            *error = QStringLiteral("网格文件“%1”：%2").arg(name, reader.error);
        return nullptr;
    }
    return file;
}

GridFile::~GridFile() = default;

bool GridFile::setProperty(MyPrint &print, const QString &name, const QVariant &value,
                           QString *error)
{
    const QMetaObject *mo = print.metaObject();
    const int index = mo->indexOfProperty(name.toLatin1().constData());
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (index < mo->propertyOffset())
        return fail(QStringLiteral("没有名为“%1”的属性").arg(name));
    const QMetaProperty property = mo->property(index);
    const QString text = value.toString().trimmed();
    QVariant converted;
    const int type = property.metaType().id();
    if (property.isEnumType()) {
        bool isNumber = false;
        const qlonglong n = text.toLongLong(&isNumber);
        if (isNumber) {
            if (n < INT_MIN || n > INT_MAX || !property.enumerator().valueToKey(int(n)))
                return fail(QStringLiteral("属性 %1 不接受 %2（可用：%3）")
                                .arg(name, text, enumMembers(property.enumerator())));
            converted = int(n);
        } else {
            bool known = false;
            const int v = property.enumerator().keyToValue(text.toLatin1().constData(), &known);
            if (!known)
                return fail(QStringLiteral("属性 %1 不接受“%2”（可用：%3）")
                                .arg(name, text, enumMembers(property.enumerator())));
            converted = v;
        }
    } else if (type == QMetaType::QString) {
        converted = value.toString();
    } else if (type == QMetaType::Bool) {
        const QString t = text.toLower();
        if (t == QLatin1String("true") || t == QLatin1String("1") || t == QLatin1String("-1")
            || t == QLatin1String("yes"))
            converted = true;
        else if (t == QLatin1String("false") || t == QLatin1String("0") || t == QLatin1String("no"))
            converted = false;
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
        if (n < low || n > high)
            return fail(QStringLiteral("属性 %1 的值 %2 超出范围（%3 到 %4）")
                            .arg(name, text)
                            .arg(low)
                            .arg(high));
        converted = type == QMetaType::Short ? QVariant::fromValue(short(n)) : QVariant(int(n));
    } else {
        return fail(QStringLiteral("属性 %1 不能用文字设置").arg(name));
    }
    try {
        if (!property.write(&print, converted))
            return fail(QStringLiteral("属性 %1 不接受“%2”").arg(name, text));
    } catch (const OverflowError &) {
        return fail(QStringLiteral("属性 %1 的值 %2 超出范围").arg(name, text));
    }
    return true;
}

bool GridFile::applyTo(MyPrint &print, QString *error) const
{
    print.setGridType(MyPrint::MnuGridType(m_gridType));
    print.setDatagrid(m_grid.get());
    for (auto it = m_properties.cbegin(); it != m_properties.cend(); ++it) {
        if (!setProperty(print, it.key(), it.value(), error))
            return false;
    }
    try {
        for (const GridFileLine &line : m_head)
            print.AddHead(line.text, line.newline, line.alignment, line.color);
        for (const GridFileLine &line : m_foot)
            print.AddFoot(line.text, line.newline, line.alignment, line.color);
    } catch (const OverflowError &) {
        if (error)
            *error = QStringLiteral("页眉或页脚的对齐代码超出范围");
        return false;
    }
    return true;
}

} // namespace quillon
