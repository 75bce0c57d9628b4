// Kinds 3 and 4, the data grids: columns with captions, widths and alignments over rows of
// cells, one row height for all.

#include "api/gridfile/gridfilereader_p.h"

#include "engine/grids/memory/celltable_p.h"

#include <quillon/datagrid.h>

#include <QJsonArray>

#include <climits>
#include <cmath>

namespace quillon {

namespace {

constexpr double kMaxCaptionLines = 10;

constexpr const char *kDataKeys[] = { "columns", "cells", "rowHeight", "headLines" };
constexpr const char *kColumnKeys[] = { "caption", "width", "align" };

} // namespace

bool readDataGrid(GridFileReader &reader, const QJsonObject &g, int)
{
    if (!reader.checkKeys(g, QStringLiteral("grid"), kDataKeys))
        return false;
    const QJsonValue columnsValue = g.value(QStringLiteral("columns"));
    const QString columnShape
        = QStringLiteral("{\"caption\": 标题, \"width\": 宽度, \"align\": 对齐}");
    if (!columnsValue.isArray())
        return reader.typeError(QStringLiteral("grid.columns"),
            QStringLiteral("列的数组：") + columnShape, columnsValue);
    const QJsonArray columnItems = columnsValue.toArray();
    if (columnItems.isEmpty())
        return reader.fail(
            QStringLiteral("grid.columns"), QStringLiteral("是空数组：") + noCellsMessage());
    const qint32 cols = qint32(std::min<qsizetype>(columnItems.size(), INT_MAX));
    QList<QStringList> cells;
    qint32 widest = 0;
    if (!reader.readCells(g, QStringLiteral("grid"), cells, widest))
        return false;
    if (!reader.checkSize(qint64(cells.size()) + 1, cols))
        return false;
    for (qsizetype r = 0; r < cells.size(); ++r) {
        if (cells[r].size() > cols)
            return reader.fail(QStringLiteral("grid.cells[%1]").arg(r),
                QStringLiteral("有 %1 个单元格，但“grid.columns”只有 %2 列")
                    .arg(cells[r].size())
                    .arg(cols));
    }

    QList<DataGridColumn> columns;
    QList<qint32> widths;
    for (qint32 c = 0; c < cols; ++c) {
        const QString where = QStringLiteral("grid.columns[%1]").arg(c);
        const auto column = reader.objectItem(columnItems[c], where, columnShape, kColumnKeys);
        if (!column)
            return false;
        DataGridColumn entry;
        std::optional<qint32> width, alignment;
        if (!reader.readKeys(*column, where,
                { KeyRule::text("caption", entry.Caption, QStringLiteral("文本")),
                    KeyRule::integer("width", width, 0, kMaxColWidth),
                    KeyRule::integer("align", alignment, 0, 3,
                        QStringLiteral("（0 左，1 居中，2 右，3 常规）")) }))
            return false;
        if (width) {
            entry.Width = *width;
        } else {
            QStringList texts { entry.Caption };
            for (const QStringList &row : cells)
                texts << row.value(c);
            entry.Width = contentWidth(texts);
        }
        if (alignment)
            entry.Alignment = qint16(*alignment);
        widths << entry.Width;
        columns << entry;
    }
    if (!reader.checkWidths(widths, QStringLiteral("grid.columns"), 0))
        return false;

    qint32 rowHeight = DataGrid::DefaultRowHeight;
    if (!reader.readKeys(g, QStringLiteral("grid"),
            { KeyRule::integer("rowHeight", rowHeight, kMinRowHeight, kMaxRowHeight) }))
        return false;
    double headLines = 1;
    if (g.contains(QStringLiteral("headLines"))) {
        const QJsonValue v = g.value(QStringLiteral("headLines"));
        if (!v.isDouble())
            return reader.typeError(QStringLiteral("grid.headLines"), QStringLiteral("数字"), v);
        headLines = v.toDouble();
        if (!(headLines >= 1 && headLines <= kMaxCaptionLines))
            return reader.fail(QStringLiteral("grid.headLines"),
                QStringLiteral("为 %1，超出范围：应为 1 到 %2 之间的数")
                    .arg(QString::number(headLines, 'g', 15))
                    .arg(kMaxCaptionLines));
    }

    // A data grid cannot tell its row count: print all the rows the file holds, or as many of
    // them as the properties say.
    GridFilePrivate &file = reader.file();
    const qint32 dataRows = qint32(cells.size());
    qint32 gridrows = dataRows;
    const QVariant given = file.properties.value(QStringLiteral("gridrows"));
    if (given.isValid()) {
        const auto n
            = reader.integer(QJsonValue::fromVariant(given), QStringLiteral("properties.gridrows"),
                0, dataRows, QStringLiteral("（“grid.cells”有 %1 行）").arg(dataRows));
        if (!n)
            return false;
        gridrows = *n;
    } else {
        file.properties.insert(QStringLiteral("gridrows"), gridrows);
    }
    reader.noteRepeatedRows(1, dataRows, cols, qint64(std::llround(rowHeight * headLines)),
        gridrows > 0 ? rowHeight : 0);

    auto grid = std::make_unique<DataGrid>();
    grid->setColumns(columns);
    grid->setRowsData(cells);
    grid->setRowHeight(rowHeight);
    grid->setHeadLines(headLines);
    file.grid = std::move(grid);
    return reader.checkPrintedColumns(cols);
}

} // namespace quillon
