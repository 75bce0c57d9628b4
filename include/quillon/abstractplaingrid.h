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

    virtual qint32 Rows() const = 0;
    virtual qint32 Cols() const = 0;
    virtual qint32 FixedRows() const = 0;
    virtual qint32 FixedCols() const = 0;
    virtual qint32 Row() const = 0;
    virtual void setRow(qint32 row) = 0;
    virtual qint32 Col() const = 0;
    virtual void setCol(qint32 col) = 0;
    /// Text of the current cell.
    virtual QString Text() const = 0;
    virtual qint32 ColWidth(qint32 col) const = 0;
    virtual qint32 RowHeight(qint32 row) const = 0;
};

} // namespace quillon
