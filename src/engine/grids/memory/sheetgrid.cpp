#include <quillon/sheetgrid.h>

#include "celltable_p.h"
#include "engine/grids/gridadapters.h"
#include "texttable_p.h"

namespace quillon {

namespace {

struct Range
{
    qint32 row1, col1, row2, col2;
    bool contains(qint32 r, qint32 c) const
    {
        return r >= row1 && r <= row2 && c >= col1 && c <= col2;
    }
};

} // namespace

class SheetGridPrivate
{
public:
    // Cells are stored 0-based; the sheet counts from 1.
    TextTable texts;
    SparseCellTable<SheetCellFormat> formats;
    IndexedValues<qint32> colWidths { SheetGrid::DefaultColWidth };
    IndexedValues<qint32> rowHeights { SheetGrid::DefaultRowHeight };
    IndexedValues<bool> hidden { false };
    QList<Range> merges;
    qint32 maxRow = 0;
    qint32 maxCol = 0;
    qint32 fixedRows = 0;
    qint32 fixedCols = 0;
    bool showZeroValues = true;
    qint32 activeRow = 1;
    qint32 activeCol = 1;
    Range selection { 1, 1, 1, 1 };
};

SheetGrid::SheetGrid(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<SheetGridPrivate>())
{
}

SheetGrid::~SheetGrid() = default;

void SheetGrid::setMaxRow(qint32 rows)
{
    d->maxRow = std::max(0, rows);
}

void SheetGrid::setMaxCol(qint32 cols)
{
    d->maxCol = std::max(0, cols);
}

void SheetGrid::setFixedRows(qint32 rows)
{
    d->fixedRows = std::max(0, rows);
}

void SheetGrid::setFixedCols(qint32 cols)
{
    d->fixedCols = std::max(0, cols);
}

void SheetGrid::setTextRC(qint32 row, qint32 col, const QString &text)
{
    d->texts.set(row - 1, col - 1, text);
    d->maxRow = std::max(d->maxRow, row);
    d->maxCol = std::max(d->maxCol, col);
}

void SheetGrid::setColWidth(qint32 col, qint32 width)
{
    d->colWidths.set(col, width);
}

void SheetGrid::setRowHeight(qint32 row, qint32 height)
{
    d->rowHeights.set(row, height);
}

void SheetGrid::setColHidden(qint32 col, bool hidden)
{
    d->hidden.set(col, hidden);
}

void SheetGrid::setShowZeroValues(bool show)
{
    d->showZeroValues = show;
}

void SheetGrid::setCellFormat(qint32 row, qint32 col, const SheetCellFormat &format)
{
    d->formats.set(row - 1, col - 1, format);
}

SheetCellFormat SheetGrid::cellFormat(qint32 row, qint32 col) const
{
    return d->formats.at(row - 1, col - 1);
}

void SheetGrid::addMergedRange(qint32 row1, qint32 col1, qint32 row2, qint32 col2)
{
    if (row1 < 1 || col1 < 1 || row2 < row1 || col2 < col1)
        throw Error(ErrorNumber::InvalidCall, QStringLiteral("Invalid procedure call or argument"));
    d->merges.append({ row1, col1, row2, col2 });
}

qint32 SheetGrid::MaxRow() const
{
    return d->maxRow;
}

qint32 SheetGrid::MaxCol() const
{
    return d->maxCol;
}

qint32 SheetGrid::LastRow() const
{
    for (qint32 r = d->texts.rows() - 1; r >= 0; --r) {
        for (qint32 c = 0; c < d->texts.cols(); ++c) {
            if (!d->texts.at(r, c).isEmpty())
                return r + 1;
        }
    }
    return 0;
}

qint32 SheetGrid::LastCol() const
{
    for (qint32 c = d->texts.cols() - 1; c >= 0; --c) {
        for (qint32 r = 0; r < d->texts.rows(); ++r) {
            if (!d->texts.at(r, c).isEmpty())
                return c + 1;
        }
    }
    return 0;
}

qint32 SheetGrid::FixedRows() const
{
    return d->fixedRows;
}

qint32 SheetGrid::FixedCols() const
{
    return d->fixedCols;
}

bool SheetGrid::ColHidden(qint32 col) const
{
    return d->hidden.at(col);
}

qint32 SheetGrid::ColWidth(qint32 col) const
{
    return d->colWidths.at(col);
}

qint32 SheetGrid::RowHeight(qint32 row) const
{
    return d->rowHeights.at(row);
}

qint32 SheetGrid::SelStartRow() const
{
    return d->selection.row1;
}

qint32 SheetGrid::SelStartCol() const
{
    return d->selection.col1;
}

qint32 SheetGrid::SelEndRow() const
{
    return d->selection.row2;
}

qint32 SheetGrid::SelEndCol() const
{
    return d->selection.col2;
}

bool SheetGrid::ShowZeroValues() const
{
    return d->showZeroValues;
}

QString SheetGrid::Text() const
{
    return TextRC(d->activeRow, d->activeCol);
}

QString SheetGrid::TextRC(qint32 row, qint32 col) const
{
    return d->texts.at(row - 1, col - 1);
}

void SheetGrid::setSelection(const QString &address)
{
    const auto [row, column] = SheetGridAccess::parseAddress(address);
    d->activeRow = row;
    d->activeCol = column;
    d->selection = { row, column, row, column };
    for (const Range &range : std::as_const(d->merges)) {
        if (range.contains(row, column)) {
            d->selection = range;
            break;
        }
    }
}

SheetCellFormat SheetGrid::GetCellFormat() const
{
    SheetCellFormat format = cellFormat(d->activeRow, d->activeCol);
    format.MergeCells
        = d->selection.row1 != d->selection.row2 || d->selection.col1 != d->selection.col2;
    return format;
}

} // namespace quillon
