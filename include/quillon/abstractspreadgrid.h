#pragma once

#include <quillon/quillon_global.h>

#include <QString>
#include <QVariant>

#include <optional>

namespace quillon {

/// What the library asks of a spread grid (kind ssSpread). Rows and columns count from 1;
/// column 0 is the row-header column. The column header rows are row 0, then -999, -998, ...
/// (header row g >= 1 is row g - 1000). Cells are selected column first (setCol, then setRow).
class QUILLON_EXPORT AbstractSpreadGrid
{
public:
    /// Cell types the library prints specially.
    enum CellTypes { CellTypeCheckBox = 10, CellTypeNumber = 13 };
    /// A block of cells printed as one, from its anchor (top-left) cell.
    struct CellSpan
    {
        qint32 anchorCol = 0;
        qint32 anchorRow = 0;
        qint32 colCount = 1;
        qint32 rowCount = 1;
        bool operator==(const CellSpan &) const = default;
    };

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
    /// The span the cell lies in (the cell is its anchor when they share the address); nothing
    /// when it lies in none.
    virtual std::optional<CellSpan> GetCellSpan(qint32 col, qint32 row) const = 0;
};

} // namespace quillon
