#pragma once

#include <quillon/quillon_global.h>

#include <QString>

namespace quillon {

/// What the library asks of a plain grid (kind ssMsGrid), and the base of the flex grid
/// contracts. Rows and columns count from 0; widths and heights are twips. Cells are read by
/// selecting them first (setRow, then setCol) and then reading Text, so reading moves the
/// grid's current cell. A member that cannot answer throws quillon::Error.
class QUILLON_EXPORT AbstractPlainGrid
{
public:
    virtual ~AbstractPlainGrid();

    /// Size of the grid, fixed rows and columns included.
    ///@{
    virtual qint32 Rows() const = 0;
    virtual qint32 Cols() const = 0;
    ///@}
    /// Heading rows at the top, from row 0: they print at the top of every page.
    virtual qint32 FixedRows() const = 0;
    /// Columns at the left, from column 0: every column band repeats them when the report's
    /// page format has MultFixCol set.
    virtual qint32 FixedCols() const = 0;
    /// The current cell, from row 0 and column 0. The library sets the row, then the column,
    /// then reads Text(); a row or column outside the grid should throw quillon::Error.
    ///@{
    virtual qint32 Row() const = 0;
    virtual void setRow(qint32 row) = 0;
    virtual qint32 Col() const = 0;
    virtual void setCol(qint32 col) = 0;
    ///@}
    /// Text of the current cell.
    virtual QString Text() const = 0;
    /// Width of a column in twips. Widths are relative: the columns a page shows are stretched
    /// or shrunk together to the page's width.
    virtual qint32 ColWidth(qint32 col) const = 0;
    /// Height of a row in twips. Fixed rows print at their own heights unless the print object
    /// sets FixRowsHeight; body rows all print at one height: the page format's LineHeight or
    /// page height by LineCount, else the first body row's.
    virtual qint32 RowHeight(qint32 row) const = 0;
};

} // namespace quillon
