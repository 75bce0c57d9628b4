// Kind 8, the spread grid: header rows above the data rows (numbered 0, -999, ..., -1), a row
// header column with its corner, column types and decimals, and spans over cells.

#include "api/gridfile/gridfilereader_p.h"

#include "engine/grids/memory/celltable_p.h"

#include <quillon/spreadgrid.h>

#include <QJsonArray>
#include <QSet>

#include <array>

namespace quillon {

namespace {

/// Header rows are numbered 0, -999, ..., -1: there are no more numbers for them.
constexpr qint32 kMaxHeaderRows = 1000;

constexpr const char *kSpreadKeys[] = { "cells", "headerRows", "colWidths", "rowHeaderWidth",
    "headerRowHeights", "rowHeights", "colAlignments", "headerAlignment", "cellTypes", "decimals",
    "spans", "headerSpans", "corner" };

/// The spans of a spread grid under key: [col, row, colCount, rowCount], each inside the grid
/// (rows from firstRow to lastRow) and overlapping no other; covered holds their cells.
bool readSpans(GridFileReader &reader, const QJsonObject &g, const char *key, qint32 cols,
    qint32 firstRow, qint32 lastRow, QSet<qint64> &covered, QList<std::array<qint32, 4>> &spans)
{
    const QString name = QStringLiteral("grid.") + QLatin1String(key);
    const QJsonValue value = g.value(QLatin1String(key));
    if (value.isUndefined())
        return true;
    const QString shape = QStringLiteral(" [列, 行, 列数, 行数]");
    if (!value.isArray())
        return reader.typeError(name, QStringLiteral("由%1组成的数组").arg(shape), value);
    const QJsonArray items = value.toArray();
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString where = QStringLiteral("%1[%2]").arg(name).arg(i);
        const QJsonArray item = items[i].toArray();
        if (!items[i].isArray() || item.size() != 4)
            return reader.typeError(where, shape, items[i]);
        const auto col = reader.integer(item[0], where + QStringLiteral("[0]"), 1, cols,
            QStringLiteral("（网格有 %1 列，从 1 数起）").arg(cols));
        if (!col)
            return false;
        const auto row = reader.integer(item[1], where + QStringLiteral("[1]"), firstRow, lastRow);
        if (!row)
            return false;
        const auto colCount = reader.integer(item[2], where + QStringLiteral("[2]"), 1,
            cols - *col + 1, QStringLiteral("（合并区域不能超出网格）"));
        if (!colCount)
            return false;
        const auto rowCount = reader.integer(item[3], where + QStringLiteral("[3]"), 1,
            lastRow - *row + 1, QStringLiteral("（合并区域不能超出网格）"));
        if (!rowCount)
            return false;
        for (qint32 r = *row; r < *row + *rowCount; ++r) {
            for (qint32 c = *col; c < *col + *colCount; ++c) {
                // Header rows (counted from 0) and data rows (from 1) cover different cells.
                const qint64 rowKey = firstRow == 0 ? -qint64(r) - 1 : r;
                const qint64 cell = (rowKey << 32) | quint32(c);
                if (covered.contains(cell))
                    return reader.fail(where,
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

} // namespace

bool readSpreadGrid(GridFileReader &reader, const QJsonObject &g, int)
{
    if (!reader.checkKeys(g, QStringLiteral("grid"), kSpreadKeys))
        return false;
    QList<QStringList> cells, headers;
    qint32 cols = 0, headerCols = 0;
    if (!reader.readCells(g, QStringLiteral("grid"), cells, cols)
        || !reader.readCells(
            g, QStringLiteral("grid"), headers, headerCols, QStringLiteral("headerRows")))
        return false;
    cols = std::max(cols, headerCols);
    const bool ownHeaders = g.contains(QStringLiteral("headerRows"));
    const qint32 rows = qint32(cells.size());
    const qint32 headerRows = ownHeaders ? qint32(headers.size()) : 1;
    if (headerRows > kMaxHeaderRows)
        return reader.fail(QStringLiteral("grid.headerRows"),
            QStringLiteral("有 %1 行，最多 %2 行").arg(headerRows).arg(kMaxHeaderRows));
    if (!reader.checkGridSize(qint64(rows) + headerRows, cols, QStringLiteral("grid.cells")))
        return false;
    const QString colUnit = QStringLiteral("列");

    QList<qint32> widths, headerHeights, heights, alignments, types, decimals;
    if (!reader.readKeys(g, QStringLiteral("grid"),
            { KeyRule::perIndex("colWidths", widths, cols, colUnit, 0, kMaxColWidth),
                KeyRule::perIndex("headerRowHeights", headerHeights, headerRows,
                    QStringLiteral("表头行"), kMinRowHeight, kMaxRowHeight),
                KeyRule::perIndex("rowHeights", heights, rows, QStringLiteral("行"), kMinRowHeight,
                    kMaxRowHeight),
                KeyRule::perIndex("colAlignments", alignments, cols, colUnit, 0, 2),
                KeyRule::perIndex("cellTypes", types, cols, colUnit, 1, 13),
                KeyRule::perIndex("decimals", decimals, cols, colUnit, 0, 6) }))
        return false;
    for (qsizetype c = 0; c < types.size(); ++c) {
        if (types[c] != 1 && types[c] != AbstractSpreadGrid::CellTypeCheckBox
            && types[c] != AbstractSpreadGrid::CellTypeNumber)
            return reader.fail(QStringLiteral("grid.cellTypes[%1]").arg(c),
                QStringLiteral("为 %1：应为 1（文本）、10（勾选）或 13（数字）").arg(types[c]));
    }
    qint32 headerAlignment = 2;
    QString corner;
    std::optional<qint32> rowHeaderWidth;
    if (!reader.readKeys(g, QStringLiteral("grid"),
            { KeyRule::integer("headerAlignment", headerAlignment, 0, 2,
                  QStringLiteral("（0 左，1 右，2 居中）")),
                KeyRule::text("corner", corner, QStringLiteral("文本")),
                KeyRule::integer("rowHeaderWidth", rowHeaderWidth, 0, kMaxFixedColsWidth,
                    QStringLiteral("（行号列在每个列段上重复）")) }))
        return false;
    QSet<qint64> covered;
    QList<std::array<qint32, 4>> spans, headerSpans;
    if (!readSpans(reader, g, "headerSpans", cols, 0, headerRows - 1, covered, headerSpans)
        || !readSpans(reader, g, "spans", cols, 1, rows, covered, spans))
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
    if (!reader.checkWidths(widths, QStringLiteral("grid.colWidths"), 0))
        return false;
    const auto headerRowNumber = [](qint32 h) { return h == 0 ? 0 : h - kMaxHeaderRows; };
    const auto headerHeight = [&](qint32 h) {
        return h < headerHeights.size() ? headerHeights[h] : SpreadGrid::DefaultRowHeight;
    };
    qint64 headingHeight = 0;
    for (qint32 h = 0; h < headerRows; ++h)
        headingHeight += headerHeight(h);
    reader.noteRepeatedRows(headerRows, rows, cols, headingHeight,
        rows == 0               ? 0
            : heights.isEmpty() ? SpreadGrid::DefaultRowHeight
                                : heights[0]);

    auto grid = std::make_unique<SpreadGrid>();
    grid->setMaxRows(rows);
    grid->setMaxCols(cols);
    grid->setColHeaderRows(headerRows);
    grid->setColWidthTwips(
        0, rowHeaderWidth.value_or(contentWidth({ QString::number(rows), corner })));
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
    reader.file().grid = std::move(grid);
    return true;
}

} // namespace quillon
