// Kind 2, the voucher grid: header, body and bottom (totals) rows, per-cell flag bytes with
// merged areas, and amount columns (docs/grid-file.md, "The voucher grid").

#include "api/gridfile/gridfilereader_p.h"

#include "engine/grids/memory/celltable_p.h"

#include <quillon/vouchergrid.h>

#include <QBitArray>
#include <QHash>
#include <QJsonArray>

namespace quillon {

namespace {

/// A voucher's amount column: as many digit cells as the unit labels with digit lines cover.
constexpr qint32 kMaxAmountCells = 43;
/// A voucher's amount lines unless the file gives colours: the default grid colour (dark
/// green), the decimal point's line red.
constexpr qint32 kAmountLineColor = 32768;
constexpr qint32 kAmountDotLineColor = 255;

constexpr const char *kVoucherKeys[] = { "cells", "fixedRows", "fixedRowsBottom", "fixedCols",
    "colWidths", "rowHeights", "hiddenCols", "colAlignments", "headerAlignment", "cellAlignments",
    "merges", "cellFlags", "amountColumns" };
constexpr const char *kAmountKeys[]
    = { "col", "cells", "firstRow", "lastRow", "lineColor", "dotLineColor" };

struct CellAlignment
{
    qint32 row, col, hor, ver;
};

/// The rows of a voucher: header rows at the top, bottom (totals) rows, the body between.
struct Regions
{
    qint32 rows, top, bottom;
    /// 0 header, 1 body, 2 bottom: a merged area stays within one.
    int of(qint32 r) const { return r < top ? 0 : r < rows - bottom ? 1 : 2; }
};

/// The merged areas of "merges" as cell flag bytes: all in force, the top row starting vertical
/// runs, the left column horizontal ones, borders along the bottom and the right.
bool readMerges(GridFileReader &reader, const QJsonObject &g, const Regions &regions, qint32 cols,
    QHash<qint64, quint8> &flags)
{
    const qint32 rows = regions.rows;
    QBitArray merged;
    const auto cellKey = [&](qint32 r, qint32 c) { return qint64(r) * cols + c; };
    return reader.readCellTuples(g, "merges", rows, cols, 4, 4,
        QStringLiteral("[行, 列, 行数, 列数]"),
        [&](const QString &at, const QJsonArray &t, qint32 r0, qint32 c0) {
            const auto n = reader.integer(t[2], at + QStringLiteral("[2]"), 1, rows - r0,
                QStringLiteral("（从第 %1 行起到网格末尾）").arg(r0));
            if (!n)
                return false;
            const auto m = reader.integer(t[3], at + QStringLiteral("[3]"), 1, cols - c0,
                QStringLiteral("（从第 %1 列起到网格末尾）").arg(c0));
            if (!m)
                return false;
            const qint32 r1 = r0 + *n - 1, c1 = c0 + *m - 1;
            if (regions.of(r0) != regions.of(r1))
                return reader.fail(at,
                    QStringLiteral("的第 %1 到 %2 行跨越了表头、表身和合计行的分界：合并区域"
                                   "只能在其中一处（表头 %3 行，合计 %4 行）")
                        .arg(r0)
                        .arg(r1)
                        .arg(regions.top)
                        .arg(regions.bottom));
            if (merged.isEmpty())
                merged.resize(qsizetype(rows) * cols);
            for (qint32 r = r0; r <= r1; ++r) {
                for (qint32 c = c0; c <= c1; ++c) {
                    if (merged.testBit(cellKey(r, c)))
                        return reader.fail(at,
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
        });
}

bool readAmountColumns(GridFileReader &reader, const QJsonObject &g, const Regions &regions,
    qint32 cols, QList<std::pair<qint32, VoucherGrid::AmountColumn>> &amounts)
{
    const qint32 rows = regions.rows;
    const QJsonValue value = g.value(QStringLiteral("amountColumns"));
    const QString shape = QStringLiteral(
        "{\"col\": 列, \"cells\": 数位, \"firstRow\": 行, \"lastRow\": 行, \"lineColor\": 颜色, "
        "\"dotLineColor\": 颜色}");
    if (!value.isUndefined() && !value.isArray())
        return reader.typeError(
            QStringLiteral("grid.amountColumns"), QStringLiteral("金额列的数组：") + shape, value);
    const QJsonArray items = value.toArray();
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString at = QStringLiteral("grid.amountColumns[%1]").arg(i);
        const auto item = reader.objectItem(items[i], at, shape, kAmountKeys);
        if (!item)
            return false;
        std::optional<qint32> col, cellCount;
        if (!reader.readKeys(*item, at,
                { KeyRule::requiredInteger("col", col, 0, cols - 1,
                    QStringLiteral("（网格有 %1 列，从 0 数起）").arg(cols)) }))
            return false;
        if (std::any_of(amounts.cbegin(), amounts.cend(),
                [&](const auto &amount) { return amount.first == *col; }))
            return reader.fail(at + QStringLiteral(".col"),
                QStringLiteral("为 %1：这一列前面已是金额列").arg(*col));
        VoucherGrid::AmountColumn info;
        info.firstRow = std::max(regions.top - 1, 0);
        info.lastRow = rows - 1;
        info.lineColor = kAmountLineColor;
        info.dotLineColor = kAmountDotLineColor;
        // The last row is read once the first is known: the lines run down from the first.
        if (!reader.readKeys(*item, at,
                { KeyRule::requiredInteger("cells", cellCount, 1, kMaxAmountCells,
                      QStringLiteral("（数位的单位从“分”到“亿”以上共 %1 个）")
                          .arg(kMaxAmountCells)),
                    KeyRule::integer("firstRow", info.firstRow, 0, rows - 1,
                        QStringLiteral("（网格有 %1 行，从 0 数起）").arg(rows)) })
            || !reader.readKeys(*item, at,
                { KeyRule::integer("lastRow", info.lastRow, info.firstRow, rows - 1,
                      QStringLiteral("（不在 firstRow 之前；网格有 %1 行）").arg(rows)),
                    KeyRule::integer("lineColor", info.lineColor, 0, kMaxColor,
                        QStringLiteral("（RGB 颜色值）")),
                    KeyRule::integer("dotLineColor", info.dotLineColor, 0, kMaxColor,
                        QStringLiteral("（RGB 颜色值）")) }))
            return false;
        info.cellCount = *cellCount;
        amounts.append({ *col, info });
    }
    return true;
}

} // namespace

bool readVoucherGrid(GridFileReader &reader, const QJsonObject &g, int)
{
    QList<QStringList> cells;
    qint32 cols = 0;
    if (!reader.readGridCells(g, kVoucherKeys, cells, cols))
        return false;
    const qint32 rows = qint32(cells.size());
    const QString colUnit = QStringLiteral("列");
    const QString rowUnit = QStringLiteral("行");

    // Header rows at the top, bottom (totals) rows below the header, fixed columns.
    Regions regions { rows, 1, 0 };
    qint32 fixedCols = 0;
    QList<qint32> widths, heights, colAlignments, hidden;
    std::optional<qint32> headerAlignment;
    if (!reader.readKeys(g, QStringLiteral("grid"),
            { KeyRule::integer(
                "fixedRows", regions.top, 0, rows, QStringLiteral("（网格有 %1 行）").arg(rows)) })
        || !reader.readKeys(g, QStringLiteral("grid"),
            { KeyRule::integer("fixedRowsBottom", regions.bottom, 0, rows - regions.top,
                  QStringLiteral("（网格有 %1 行，表头占 %2 行）").arg(rows).arg(regions.top)),
                KeyRule::integer("fixedCols", fixedCols, 0, std::min(cols, kMaxFixedCols),
                    QStringLiteral("（网格有 %1 列；固定列在每个列段上重复，最多 %2 列）")
                        .arg(cols)
                        .arg(kMaxFixedCols)),
                KeyRule::perIndex("colWidths", widths, cols, colUnit, 0, kMaxColWidth),
                KeyRule::perIndex(
                    "rowHeights", heights, rows, rowUnit, kMinRowHeight, kMaxRowHeight),
                KeyRule::perIndex("colAlignments", colAlignments, cols, colUnit, 0, 2),
                KeyRule::indexSet("hiddenCols", hidden, cols, colUnit),
                KeyRule::integer("headerAlignment", headerAlignment, 0, 2,
                    QStringLiteral("（0 居中，1 左，2 右）")) }))
        return false;
    const qint32 top = regions.top, bottom = regions.bottom;

    QList<CellAlignment> cellAlignments;
    const QString alignNote = QStringLiteral("（0 居中，1 左或上，2 右或下）");
    QHash<qint64, quint8> flags;
    QList<std::pair<qint32, VoucherGrid::AmountColumn>> amounts;
    if (!reader.readCellTuples(g, "cellAlignments", rows, cols, 3, 4,
            QStringLiteral("[行, 列, 水平对齐, 垂直对齐]"),
            [&](const QString &at, const QJsonArray &t, qint32 r, qint32 c) {
                const auto h = reader.integer(t[2], at + QStringLiteral("[2]"), 0, 2, alignNote);
                if (!h)
                    return false;
                std::optional<qint32> v = -1;
                if (t.size() > 3)
                    v = reader.integer(t[3], at + QStringLiteral("[3]"), 0, 2, alignNote);
                if (!v)
                    return false;
                cellAlignments.append({ r, c, *h, *v });
                return true;
            })
        || !readMerges(reader, g, regions, cols, flags)
        || !reader.readCellTuples(g, "cellFlags", rows, cols, 3, 3,
            QStringLiteral("[行, 列, 标志字节]"),
            [&](const QString &at, const QJsonArray &t, qint32 r, qint32 c) {
                const auto f = reader.integer(t[2], at + QStringLiteral("[2]"), 0, 255,
                    QStringLiteral("（位 7 生效，位 0 下边线，位 1 右边线，位 2 纵向合并起点，"
                                   "位 3 横向合并起点）"));
                if (!f)
                    return false;
                flags.insert(qint64(r) * cols + c, quint8(*f));
                return true;
            })
        || !readAmountColumns(reader, g, regions, cols, amounts))
        return false;

    // One visible column at least must be wider than 0.
    sizeToContent(cells, cols, widths);
    QList<qint32> visible;
    for (qint32 c = 0; c < cols; ++c)
        visible << (hidden.contains(c) ? 0 : widths[c]);
    if (!reader.checkWidths(visible,
            hidden.isEmpty() ? QStringLiteral("grid.colWidths") : QStringLiteral("grid.hiddenCols"),
            0))
        return false;
    qint64 fixedWidth = 0;
    for (qint32 c = 0; c < fixedCols; ++c)
        fixedWidth += visible[c];
    if (!reader.checkFixedColumnsWidth(fixedCols, fixedWidth))
        return false;

    // Every page repeats the header and the bottom rows.
    const auto heightOf
        = [&](qint32 r) { return r < heights.size() ? heights[r] : VoucherGrid::DefaultRowHeight; };
    qint64 repeatedHeight = 0;
    for (qint32 r = 0; r < rows; ++r) {
        if (regions.of(r) != 1)
            repeatedHeight += heightOf(r);
    }
    reader.noteRepeatedRows(
        top, rows, cols, repeatedHeight, top < rows - bottom ? heightOf(top) : 0);

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
    reader.file().grid = std::move(grid);
    return reader.checkPrintedColumns(cols);
}

} // namespace quillon
