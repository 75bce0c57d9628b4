#pragma once

#include <quillon/quillon_global.h>

#include <QString>

namespace quillon {

/// One column of a data grid.
struct DataGridColumn
{
    QString Caption;
    qint32 Width = 0; ///< twips
    /// How the column's body cells print: 0 left, 1 centre, 2 right, 3 general (numbers right,
    /// dates centred, other texts left). -1, the default, leaves it to the library, which
    /// prints them left-aligned. The caption row is always left-aligned.
    qint16 Alignment = -1;
};

/// What the library asks of a data grid (kinds ssMsDBGrid and ssMsDataGrid). A data grid does
/// not report its row count: the print object's gridrows says how many rows to print. Columns
/// count from 0; rows from 0 in the order they print.
class QUILLON_EXPORT AbstractDataGrid
{
public:
    virtual ~AbstractDataGrid();

    /// Columns.Count.
    virtual qint32 ColumnsCount() const = 0;
    /// Columns(col).
    virtual DataGridColumn Columns(qint32 col) const = 0;
    /// Number of text lines in the caption row.
    virtual double HeadLines() const = 0;
    /// Height of every row, in twips.
    virtual qint32 RowHeight() const = 0;
    virtual qint32 Row() const = 0;
    virtual void setRow(qint32 row) = 0;
    virtual qint32 Col() const = 0;
    virtual void setCol(qint32 col) = 0;
    /// Text of the current cell.
    virtual QString Text() const = 0;
};

} // namespace quillon
