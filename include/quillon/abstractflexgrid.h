#pragma once

#include <quillon/abstractplaingrid.h>

namespace quillon {

/// What the library asks of a flex grid (kind ssMsflexGrid): a plain grid with alignments
/// and merging of equal neighbouring texts.
class QUILLON_EXPORT AbstractFlexGrid : public AbstractPlainGrid
{
public:
    ~AbstractFlexGrid() override;

    /// Alignment of the current cell: 0 left-top, 1 left-centre, 2 left-bottom, 3 centre-top,
    /// 4 centre-centre, 5 centre-bottom, 6 right-top, 7 right-centre, 8 right-bottom, 9 general.
    virtual qint16 CellAlignment() const = 0;
    virtual qint16 ColAlignment(qint32 col) const = 0;
    /// Width of the current cell together with the cells merged with it.
    virtual qint32 CellWidth() const = 0;
    /// 0 never, 1 free, 2 restrict rows, 3 restrict columns, 4 fixed only.
    virtual qint16 MergeCells() const = 0;
    virtual bool MergeRow(qint32 row) const = 0;
    virtual bool MergeCol(qint32 col) const = 0;
};

/// What the library asks of a hierarchical flex grid (kind ssMsHFlexGrid): ColWidth answers
/// -1 for a column left at its default width, and widths can be written.
class QUILLON_EXPORT AbstractHFlexGrid : public AbstractFlexGrid
{
public:
    ~AbstractHFlexGrid() override;

    virtual void setColWidth(qint32 col, qint32 width) = 0;
};

} // namespace quillon
