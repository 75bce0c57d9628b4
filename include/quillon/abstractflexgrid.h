#pragma once

#include <quillon/abstractplaingrid.h>

namespace quillon {

/// What the library asks of a flex grid (kind ssMsflexGrid): a plain grid with alignments
/// and merging of equal neighbouring texts. A column 50 twips wide or less prints no text.
class QUILLON_EXPORT AbstractFlexGrid : public AbstractPlainGrid
{
public:
    ~AbstractFlexGrid() override;

    /// Alignment of the current cell, which the library asks for fixed rows and fixed columns.
    /// Codes: 0 left-top, 1 left-centre, 2 left-bottom, 3 centre-top, 4 centre-centre,
    /// 5 centre-bottom, 6 right-top, 7 right-centre, 8 right-bottom, 9 general (numbers right,
    /// dates centred, other texts left, all vertically centred); any other value left-centre.
    virtual qint16 CellAlignment() const = 0;
    /// Alignment of the body cells of column `col`, in the codes of CellAlignment(). Body cells
    /// outside the fixed columns follow their column, not their own alignment.
    virtual qint16 ColAlignment(qint32 col) const = 0;
    /// Width of the current cell together with the cells merged with it, in twips. The library
    /// asks it only of a hierarchical flex grid, to size the columns left at their default.
    virtual qint32 CellWidth() const = 0;
    /// How equal, non-empty neighbouring texts merge. 0 never, 1 along rows and down columns,
    /// 2 down columns only, 3 along rows only; 4 and any other value merge nothing. Fixed rows
    /// merge by this mode; body rows only while the print object's MergeAll is set.
    virtual qint16 MergeCells() const = 0;
    /// Whether equal texts of row `row` may merge across its columns (modes 1 and 3).
    virtual bool MergeRow(qint32 row) const = 0;
    /// Whether equal texts of column `col` may merge across its rows (modes 1 and 2).
    virtual bool MergeCol(qint32 col) const = 0;
};

/// What the library asks of a hierarchical flex grid (kind ssMsHFlexGrid): ColWidth answers
/// -1 for a column left at its default width, and widths can be written.
class QUILLON_EXPORT AbstractHFlexGrid : public AbstractFlexGrid
{
public:
    ~AbstractHFlexGrid() override;

    /// Sets a column's width in twips. The library calls it before it lays the grid out: each
    /// printed column whose ColWidth() is -1 gets the CellWidth() of its cell in the first row
    /// not set to MergeRow, plus 15 twips, so the host's grid keeps those widths afterwards.
    virtual void setColWidth(qint32 col, qint32 width) = 0;
};

} // namespace quillon
