// Kind 1, the spreadsheet grid: rows of cells addressed "A1", hidden columns by letter, cell
// formats laid over ranges ("B2:D9", whole columns "C:D", whole rows "3:5"), named styles and
// merged ranges.

#include "api/gridfile/gridfilereader_p.h"

#include "engine/grids/gridadapters.h"

#include <quillon/sheetgrid.h>

#include <QJsonArray>
#include <QRect>
#include <QRegularExpression>

namespace quillon {

namespace {

/// The highest border style code of a spreadsheet cell.
constexpr qint32 kMaxBorderStyle = 13;
constexpr double kMaxFontSize = 409;

constexpr const char *kSheetKeys[] = { "cells", "fixedRows", "fixedCols", "colWidths", "rowHeights",
    "hiddenCols", "showZeroValues", "styles", "formats", "merges" };
/// The keys of a cell format; the last four are the sides of "border", each in the order of
/// SheetCellFormat::Side.
constexpr const char *kFormatKeys[] = { "font", "size", "bold", "color", "align", "valign",
    "numberFormat", "border", "borderTop", "borderLeft", "borderBottom", "borderRight" };

using FormatChanges = QList<std::function<void(SheetCellFormat &)>>;

/// A range such as "B2:D9" (or, if wholeRowsAndColumns, "C:D" or "3:5"), inside the grid.
std::optional<QRect> sheetRange(GridFileReader &reader, const QJsonValue &v, const QString &where,
    qint32 rows, qint32 cols, bool wholeRowsAndColumns)
{
    static const QRegularExpression cell(QStringLiteral("^([A-Z]*)([0-9]*)$"));
    const QString shape = wholeRowsAndColumns
        ? QStringLiteral("单元格或区域的地址（“B2”“A1:D1”，整列“C:D”，整行“3:5”）")
        : QStringLiteral("单元格区域的地址（“B2”“A1:D1”）");
    if (!v.isString()) {
        reader.typeError(where, shape, v);
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
        reader.fail(where, QStringLiteral("为“%1”：应为%2").arg(v.toString(), shape));
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
        reader.fail(where, QStringLiteral("为“%1”：区域的起点应在终点的左上方").arg(v.toString()));
        return std::nullopt;
    }
    if (last[0] > rows || last[1] > cols) {
        reader.fail(where,
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

/// A cell format, or the name of one of styles, as the changes it lays over a cell's format.
bool readSheetFormat(GridFileReader &reader, const QJsonValue &v, const QString &where,
    const QJsonObject &styles, FormatChanges &changes)
{
    if (v.isString()) {
        if (!styles.contains(v.toString()))
            return reader.fail(where,
                QStringLiteral("为“%1”，不是“grid.styles”中的样式名（有：%2）")
                    .arg(v.toString(), styles.keys().join(QStringLiteral("、"))));
        return readSheetFormat(reader, styles.value(v.toString()),
            QStringLiteral("grid.styles.") + v.toString(), QJsonObject(), changes);
    }
    if (!v.isObject())
        return reader.typeError(where, QStringLiteral("单元格格式对象或样式名"), v);
    const QJsonObject f = v.toObject();
    if (!reader.checkKeys(f, where, kFormatKeys))
        return false;
    const auto at = [&](const char *key) { return where + QLatin1Char('.') + QLatin1String(key); };
    if (f.contains(QStringLiteral("font"))) {
        const QJsonValue font = f.value(QStringLiteral("font"));
        if (!font.isString() || font.toString().trimmed().isEmpty())
            return reader.typeError(at("font"), QStringLiteral("字体名（非空文本）"), font);
        changes << [name = font.toString()](SheetCellFormat &c) { c.FontName = name; };
    }
    if (f.contains(QStringLiteral("size"))) {
        const QJsonValue size = f.value(QStringLiteral("size"));
        if (!size.isDouble())
            return reader.typeError(at("size"), QStringLiteral("磅数"), size);
        if (!(size.toDouble() >= 1 && size.toDouble() <= kMaxFontSize))
            return reader.fail(at("size"),
                QStringLiteral("为 %1，超出范围：应为 1 到 %2 磅")
                    .arg(size.toDouble())
                    .arg(kMaxFontSize));
        changes << [points = size.toDouble()](SheetCellFormat &c) { c.FontSize = points; };
    }
    std::optional<bool> bold;
    if (!reader.readKeys(f, where, { KeyRule::boolean("bold", bold) }))
        return false;
    if (bold)
        changes << [on = *bold](SheetCellFormat &c) { c.FontBold = on; };
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
            const auto n = reader.integer(color, at("color"), 0, kMaxColor,
                QStringLiteral("（RGB 颜色值，红色在低位：255 为红色）"));
            if (!n)
                return false;
            rgb = *n;
        } else {
            return reader.typeError(
                at("color"), QStringLiteral("颜色：“#RRGGBB”或 RGB 整数"), color);
        }
        changes << [rgb](SheetCellFormat &c) { c.FontColor = rgb; };
    }
    std::optional<qint32> align, valign;
    std::optional<QString> numberFormat;
    // "border" gives every side; a side of its own wins.
    std::optional<qint32> border, sides[4];
    const QString borderNote
        = QStringLiteral("（边框样式：0 无，1 细，2 中，3 虚线，4 点线，5 粗，…）");
    if (!reader.readKeys(f, where,
            { KeyRule::integer("align", align, 1, 6,
                  QStringLiteral("（1 常规，2 左，3 居中，4 右，5 填充，6 两端对齐）")),
                KeyRule::integer("valign", valign, 1, 3, QStringLiteral("（1 上，2 居中，3 下）")),
                KeyRule::text("numberFormat", numberFormat, QStringLiteral("数字格式文本")),
                KeyRule::integer("border", border, 0, kMaxBorderStyle, borderNote),
                KeyRule::integer("borderTop", sides[0], 0, kMaxBorderStyle, borderNote),
                KeyRule::integer("borderLeft", sides[1], 0, kMaxBorderStyle, borderNote),
                KeyRule::integer("borderBottom", sides[2], 0, kMaxBorderStyle, borderNote),
                KeyRule::integer("borderRight", sides[3], 0, kMaxBorderStyle, borderNote) }))
        return false;
    if (align)
        changes << [n = qint16(*align)](SheetCellFormat &c) { c.HorizontalAlignment = n; };
    if (valign)
        changes << [n = qint16(*valign)](SheetCellFormat &c) { c.VerticalAlignment = n; };
    if (numberFormat)
        changes << [text = *numberFormat](SheetCellFormat &c) { c.NumberFormat = text; };
    if (border)
        changes << [n = qint16(*border)](SheetCellFormat &c) { c.BorderStyle.fill(n); };
    for (int side = 0; side < 4; ++side) {
        if (const std::optional<qint32> style = sides[side])
            changes << [side, n = qint16(*style)](SheetCellFormat &c) { c.BorderStyle[side] = n; };
    }
    return true;
}

/// "hiddenCols": columns by letter.
bool readHiddenColumns(
    GridFileReader &reader, const QJsonObject &g, qint32 cols, QList<bool> &hidden)
{
    const QJsonValue hiddenValue = g.value(QStringLiteral("hiddenCols"));
    if (!hiddenValue.isUndefined() && !hiddenValue.isArray())
        return reader.typeError(QStringLiteral("grid.hiddenCols"),
            QStringLiteral("列字母的数组（如 [\"C\"]）"), hiddenValue);
    const QJsonArray hiddenItems = hiddenValue.toArray();
    for (qsizetype i = 0; i < hiddenItems.size(); ++i) {
        const QString where = QStringLiteral("grid.hiddenCols[%1]").arg(i);
        const qint64 col = SheetGridAccess::columnNumber(hiddenItems[i].toString());
        if (!hiddenItems[i].isString() || col < 1)
            return reader.typeError(where, QStringLiteral("列字母（“A”“AA”）"), hiddenItems[i]);
        if (col > cols)
            return reader.fail(where,
                QStringLiteral("为“%1”，不在网格内：网格有 %2 列（A 到 %3）")
                    .arg(hiddenItems[i].toString())
                    .arg(cols)
                    .arg(SheetGridAccess::columnLetters(cols)));
        hidden[col - 1] = true;
    }
    return true;
}

/// "styles" and "formats": each entry of "formats" lays its keys over the cells of its range, in
/// the order given.
bool readFormats(
    GridFileReader &reader, const QJsonObject &g, qint32 rows, qint32 cols, SheetGrid &grid)
{
    const QJsonValue stylesValue = g.value(QStringLiteral("styles"));
    if (!stylesValue.isUndefined() && !stylesValue.isObject())
        return reader.typeError(
            QStringLiteral("grid.styles"), QStringLiteral("由样式名和格式组成的对象"), stylesValue);
    const QJsonObject styles = stylesValue.toObject();
    for (auto it = styles.begin(); it != styles.end(); ++it) {
        const QString where = QStringLiteral("grid.styles.") + it.key();
        FormatChanges unused;
        if (!it.value().isObject())
            return reader.typeError(where, QStringLiteral("单元格格式对象"), it.value());
        if (!readSheetFormat(reader, it.value(), where, QJsonObject(), unused))
            return false;
    }
    const QJsonValue formatsValue = g.value(QStringLiteral("formats"));
    if (!formatsValue.isUndefined() && !formatsValue.isArray())
        return reader.typeError(QStringLiteral("grid.formats"),
            QStringLiteral("由 [区域, 格式或样式名] 组成的数组"), formatsValue);
    const QJsonArray formatItems = formatsValue.toArray();
    qint64 formatted = 0;
    for (qsizetype i = 0; i < formatItems.size(); ++i) {
        const QString where = QStringLiteral("grid.formats[%1]").arg(i);
        const QJsonArray item = formatItems[i].toArray();
        if (!formatItems[i].isArray() || item.size() != 2)
            return reader.typeError(where, QStringLiteral(" [区域, 格式或样式名]"), formatItems[i]);
        const auto range
            = sheetRange(reader, item[0], where + QStringLiteral("[0]"), rows, cols, true);
        if (!range)
            return false;
        FormatChanges changes;
        if (!readSheetFormat(reader, item[1], where + QStringLiteral("[1]"), styles, changes))
            return false;
        formatted += qint64(range->width()) * range->height();
        if (formatted > kMaxCells)
            return reader.fail(QStringLiteral("grid.formats"),
                QStringLiteral("到第 %1 项为止共设置 %2 个单元格的格式，超过上限 %3")
                    .arg(i)
                    .arg(formatted)
                    .arg(kMaxCells));
        for (qint32 r = range->top(); r <= range->bottom(); ++r) {
            for (qint32 c = range->left(); c <= range->right(); ++c) {
                SheetCellFormat format = grid.cellFormat(r, c);
                for (const auto &change : changes)
                    change(format);
                grid.setCellFormat(r, c, format);
            }
        }
    }
    return true;
}

/// "merges": ranges of cells merged into one, a cell in one at the most.
bool readMergedRanges(
    GridFileReader &reader, const QJsonObject &g, qint32 rows, qint32 cols, SheetGrid &grid)
{
    const QJsonValue mergesValue = g.value(QStringLiteral("merges"));
    if (!mergesValue.isUndefined() && !mergesValue.isArray())
        return reader.typeError(QStringLiteral("grid.merges"),
            QStringLiteral("合并区域的数组（如 [\"A1:D1\"]）"), mergesValue);
    const QJsonArray mergeItems = mergesValue.toArray();
    QList<QRect> merges;
    for (qsizetype i = 0; i < mergeItems.size(); ++i) {
        const QString where = QStringLiteral("grid.merges[%1]").arg(i);
        const auto range = sheetRange(reader, mergeItems[i], where, rows, cols, false);
        if (!range)
            return false;
        // A cell belongs to one merged range at the most.
        for (qsizetype j = 0; j < merges.size(); ++j) {
            if (merges[j].intersects(*range))
                return reader.fail(where,
                    QStringLiteral("为“%1”，与“grid.merges[%2]”（“%3”）重叠")
                        .arg(mergeItems[i].toString())
                        .arg(j)
                        .arg(mergeItems[j].toString()));
        }
        merges << *range;
        grid.addMergedRange(range->top(), range->left(), range->bottom(), range->right());
    }
    return true;
}

} // namespace

bool readSheetGrid(GridFileReader &reader, const QJsonObject &g, int)
{
    QList<QStringList> cells;
    qint32 cols = 0;
    if (!reader.readGridCells(g, kSheetKeys, cells, cols))
        return false;
    const qint32 rows = qint32(cells.size());
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
    if (!reader.readFixed(g, rows, cols, fixed))
        return false;
    grid->setFixedRows(fixed[0]);
    grid->setFixedCols(fixed[1]);

    QList<qint32> widths, heights;
    if (!reader.readKeys(g, QStringLiteral("grid"),
            { KeyRule::perIndex("colWidths", widths, cols, QStringLiteral("列"), 0, kMaxColWidth),
                KeyRule::perIndex("rowHeights", heights, rows, QStringLiteral("行"), kMinRowHeight,
                    kMaxRowHeight) }))
        return false;
    sizeToContent(cells, cols, widths);
    QList<bool> hidden(cols, false);
    if (!readHiddenColumns(reader, g, cols, hidden))
        return false;
    QList<qint32> shownWidths;
    for (qint32 c = 0; c < cols; ++c) {
        grid->setColWidth(c + 1, widths[c]);
        grid->setColHidden(c + 1, hidden[c]);
        shownWidths << (hidden[c] ? 0 : widths[c]);
    }
    // Every column hidden is the hidden columns' doing, not the widths'.
    const bool anyHidden = hidden.contains(true);
    if (!reader.checkWidths(shownWidths,
            anyHidden ? QStringLiteral("grid.hiddenCols") : QStringLiteral("grid.colWidths"), 0))
        return false;
    qint64 fixedWidth = 0;
    for (qint32 c = 0; c < fixed[1]; ++c)
        fixedWidth += shownWidths[c];
    if (!reader.checkFixedColumnsWidth(fixed[1], fixedWidth))
        return false;
    for (qint32 r = 0; r < heights.size(); ++r)
        grid->setRowHeight(r + 1, heights[r]);

    std::optional<bool> showZeroValues;
    if (!reader.readKeys(
            g, QStringLiteral("grid"), { KeyRule::boolean("showZeroValues", showZeroValues) }))
        return false;
    if (showZeroValues)
        grid->setShowZeroValues(*showZeroValues);
    if (!readFormats(reader, g, rows, cols, *grid)
        || !readMergedRanges(reader, g, rows, cols, *grid))
        return false;

    reader.noteRepeatedRows(fixed[0], rows, cols,
        [&](qint32 r) { return r < heights.size() ? heights[r] : SheetGrid::DefaultRowHeight; });
    reader.file().grid = std::move(grid);
    return true;
}

} // namespace quillon