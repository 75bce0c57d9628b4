// Kinds 5 and 6, the flex grids, and kind 7, the plain grid: rows of cells with fixed rows and
// columns, widths and heights, and (not in kind 7) alignments and merging.

#include "api/gridfile/gridfilereader_p.h"

#include "api/jsoncelltable.h"
#include "engine/grids/memory/flexgridtexts_p.h"

#include <quillon/flexgrid.h>

#include <QJsonArray>

namespace quillon {

namespace {

/// A flex column (kinds 5 and 6) this narrow or narrower prints empty.
constexpr qint32 kHiddenColWidth = 50;

/// The keys of a flex grid; a plain grid takes the first five.
constexpr const char *kFlexKeys[] = { "cells", "fixedRows", "fixedCols", "colWidths", "rowHeights",
    "colAlignments", "headerAlignment", "cellAlignments", "mergeCells", "mergeRows", "mergeCols" };
constexpr qsizetype kPlainKeyCount = 5;

struct CellAlignment
{
    qint32 row, col, code;
};

} // namespace

bool readFlexGrid(GridFileReader &reader, const QJsonObject &g, int kind)
{
    const KeyList keys = kind == 7 ? KeyList(kFlexKeys).first(kPlainKeyCount) : KeyList(kFlexKeys);
    if (!reader.checkKeys(g, QStringLiteral("grid"), keys))
        return false;
    const std::shared_ptr<JsonCellTable> &table = reader.cellTable();
    QList<QStringList> cells;
    qint32 cols = 0;
    if (table) {
        cols = table->cols();
        if (!reader.checkGridSize(table->rows(), cols, QStringLiteral("grid.cells")))
            return false;
    } else if (!reader.readGridCells(g, cells, cols)) {
        return false;
    }
    const qint32 rows = table ? table->rows() : qint32(cells.size());
    const QString colUnit = QStringLiteral("列");
    const QString rowUnit = QStringLiteral("行");
    qint32 fixed[2] = { 1, 0 };
    if (!reader.readFixed(g, rows, cols, fixed))
        return false;

    QList<qint32> widths, heights, colAlignments, mergeRows, mergeCols;
    std::optional<qint32> headerAlignment;
    if (!reader.readKeys(g, QStringLiteral("grid"),
            { KeyRule::perIndex(
                  "colWidths", widths, cols, colUnit, kind == 6 ? -1 : 0, kMaxColWidth),
                KeyRule::perIndex(
                    "rowHeights", heights, rows, rowUnit, kMinRowHeight, kMaxRowHeight),
                KeyRule::perIndex("colAlignments", colAlignments, cols, colUnit, 0, 9),
                KeyRule::indexSet("mergeRows", mergeRows, rows, rowUnit),
                KeyRule::indexSet("mergeCols", mergeCols, cols, colUnit),
                KeyRule::integer("headerAlignment", headerAlignment, 0, 9) }))
        return false;
    QList<CellAlignment> cellAlignments;
    if (!reader.readCellTuples(g, "cellAlignments", rows, cols, 3, 3,
            QStringLiteral("[行, 列, 对齐]"),
            [&](const QString &at, const QJsonArray &t, qint32 r, qint32 c) {
                const auto a = reader.integer(t[2], at + QStringLiteral("[2]"), 0, 9);
                if (!a)
                    return false;
                cellAlignments.append({ r, c, *a });
                reader.noteRowSetting(r, at);
                return true;
            }))
        return false;
    qint32 mergeMode = 0;
    if (!reader.readKeys(
            g, QStringLiteral("grid"), { KeyRule::integer("mergeCells", mergeMode, 0, 4) }))
        return false;

    if (table) {
        for (qint32 c = qint32(widths.size()); c < cols; ++c)
            widths << table->contentWidth(c);
    } else {
        sizeToContent(cells, cols, widths);
    }
    if (!reader.checkWidths(
            widths, QStringLiteral("grid.colWidths"), kind == 7 ? 0 : kHiddenColWidth))
        return false;
    qint64 fixedWidth = 0;
    for (qint32 c = 0; c < fixed[1]; ++c)
        fixedWidth += widths[c] < 0 ? FlexGrid::DefaultColWidth : widths[c];
    if (!reader.checkFixedColumnsWidth(fixed[1], fixedWidth))
        return false;
    reader.noteRepeatedRows(fixed[0], rows, cols,
        [&](qint32 r) { return r < heights.size() ? heights[r] : FlexGrid::DefaultRowHeight; });
    if (g.value(QStringLiteral("mergeRows")).isBool())
        reader.file().mergeAllRows = g.value(QStringLiteral("mergeRows")).toBool();
    else {
        for (qsizetype i = 0; i < mergeRows.size(); ++i)
            reader.noteRowSetting(mergeRows[i], QStringLiteral("grid.mergeRows[%1]").arg(i));
    }

    auto grid = std::make_unique<FlexGrid>(
        kind == 6 ? FlexGrid::Flavor::Hierarchical : FlexGrid::Flavor::Flex);
    if (table)
        FlexGridTexts::setBase(*grid, table); // one copy of the cells: the file's
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
    grid->setMergeCells(qint16(mergeMode));
    reader.file().grid = std::move(grid);
    return reader.checkPrintedColumns(cols);
}

} // namespace quillon
