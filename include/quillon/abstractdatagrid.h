#pragma once

#include <quillon/quillon_global.h>

#include <QString>

namespace quillon {

/// One column of a data grid.
struct DataGridColumn
{
    QString Caption; ///< the column's text in the caption row, printed left-aligned
    qint32 Width = 0; ///< twips
    /// How the column's body cells print: 0 left, 1 centre, 2 right, 3 general (numbers right,
    /// dates centred, other texts left). -1, the default, leaves it to the library, which
    /// prints them left-aligned. The caption row is always left-aligned.
    qint16 Alignment = -1;
};

/// What the library asks of a data grid (kinds ssMsDBGrid and ssMsDataGrid). A data grid does
/// not report its row count: the print object's gridrows says how many rows to print. Columns
/// count from 0; rows from 0 in the order they print. The caption row is the only heading row
/// and there are no fixed columns. While a page is drawn, a member that throws quillon::Error
/// does not stop the page: an empty text, a width of 0 or the default is taken instead.
class QUILLON_EXPORT AbstractDataGrid
{
public:
    virtual ~AbstractDataGrid();

    /// Number of columns; the print object's PrintColStart and PrintColEnd may print fewer.
    virtual qint32 ColumnsCount() const = 0;
    /// Caption, width and alignment of column `col` (0 to ColumnsCount() - 1).
    virtual DataGridColumn Columns(qint32 col) const = 0;
    /// Height of the caption row in rows: it is HeadLines() × RowHeight() twips high (fractions
    /// allowed), unless the print object's FixRowsHeight sets another.
    virtual double HeadLines() const = 0;
    /// Height of every row, in twips. The body rows print at this height unless the report's
    /// page format sets a row height or a number of rows per page (LineHeight, LineCount).
    virtual qint32 RowHeight() const = 0;
    /// The current cell, from row 0 and column 0. The library sets the row, then the column,
    /// before each Text(); rows run to gridrows - 1. Reading a report moves the current cell.
    ///@{
    virtual qint32 Row() const = 0;
    virtual void setRow(qint32 row) = 0;
    virtual qint32 Col() const = 0;
    virtual void setCol(qint32 col) = 0;
    ///@}
    /// Text of the current cell.
    virtual QString Text() const = 0;
};

} // namespace quillon
