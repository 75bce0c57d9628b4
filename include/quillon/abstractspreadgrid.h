#pragma once

#include <quillon/quillon_global.h>

#include <QString>
#include <QVariant>

namespace quillon {

/// What the library asks of a spread grid (kind ssSpread). Rows and columns count from 1;
/// column 0 is the row-header column. The column header rows are row 0, then -999, -998, ...
/// (header row g >= 1 is row g - 1000). Cells are selected column first (setCol, then setRow).
class QUILLON_EXPORT AbstractSpreadGrid
{
public:
    /// Cell types the library prints specially.
    enum CellTypes { CellTypeCheckBox = 10, CellTypeNumber = 13 };
    /// Results of GetCellSpan.
    enum SpanResult { SpanNo = 0, SpanYes = 1, SpanAnchor = 2 };

    virtual ~AbstractSpreadGrid();

    /// Units of ColWidth and RowHeight: 2 is twips.
    virtual qint16 UnitType() const = 0;
    virtual void setUnitType(qint16 unitType) = 0;
    virtual qint32 MaxRows() const = 0;
    virtual qint32 MaxCols() const = 0;
    virtual qint32 ColHeaderRows() const = 0;
    virtual double ColWidth(qint32 col) const = 0;
    virtual double RowHeight(qint32 row) const = 0;
    virtual qint32 Col() const = 0;
    virtual void setCol(qint32 col) = 0;
    virtual qint32 Row() const = 0;
    virtual void setRow(qint32 row) = 0;
    /// Of the current cell.
    virtual QString Text() const = 0;
    virtual qint16 CellType() const = 0;
    /// 0 left, 1 right, 2 centre.
    virtual qint16 TypeHAlign() const = 0;
    virtual qint16 TypeNumberDecPlaces() const = 0;
    /// The value of a cell, without selecting it.
    virtual bool GetText(qint32 col, qint32 row, QVariant &value) const = 0;
    /// Whether the cell lies in a span; fills the span's anchor and size when it does.
    virtual qint32 GetCellSpan(qint32 col, qint32 row, qint32 &anchorCol, qint32 &anchorRow,
                               qint32 &colCount, qint32 &rowCount) const
        = 0;
};

} // namespace quillon
