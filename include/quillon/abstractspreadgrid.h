#pragma once

#include <quillon/quillon_global.h>

#include <QString>
#include <QVariant>

#include <optional>

namespace quillon {

/// What the library asks of a spread grid (kind ssSpread). Rows and columns count from 1;
/// column 0 is the row-header column. The column header rows are row 0, then -999, -998, ...
/// (header row g >= 1 is row g - 1000). Cells are selected column first (setCol, then setRow).
/// The row-header column prints only when the report's page format has MultFixCol set, and
/// then shows the row numbers; its cells in the header rows print the grid's texts.
class QUILLON_EXPORT AbstractSpreadGrid
{
public:
    /// Cell types the library prints specially; a cell of any other type prints its text.
    enum CellTypes {
        CellTypeCheckBox = 10, ///< "√" when the value is 1, else nothing
        CellTypeNumber = 13, ///< grouped thousands with TypeNumberDecPlaces() decimals
    };
    /// A block of cells printed as one, from its anchor (top-left) cell.
    struct CellSpan
    {
        qint32 anchorCol = 0; ///< column of the top-left cell
        qint32 anchorRow = 0; ///< row of the top-left cell, header rows numbered as the grid's
        qint32 colCount = 1; ///< columns the span covers, from 1
        qint32 rowCount = 1; ///< rows the span covers, from 1
        /// Spans are equal when they cover the same cells.
        bool operator==(const CellSpan &) const = default;
    };

    virtual ~AbstractSpreadGrid();

    /// Units of ColWidth and RowHeight: 2 is twips. The library sets 2 before it reads a size
    /// and leaves it so.
    ///@{
    virtual qint16 UnitType() const = 0;
    virtual void setUnitType(qint16 unitType) = 0;
    ///@}
    /// Data rows and columns, from 1: the report prints them all.
    ///@{
    virtual qint32 MaxRows() const = 0;
    virtual qint32 MaxCols() const = 0;
    ///@}
    /// Column header rows: each prints at the top of every page, at most 1000.
    virtual qint32 ColHeaderRows() const = 0;
    /// Width of a column (0 is the row-header column) in UnitType() units; the columns a page
    /// shows are scaled together to its width.
    virtual double ColWidth(qint32 col) const = 0;
    /// Height of a row in UnitType() units. Header rows print at their own heights unless the
    /// print object sets FixRowsHeight; data rows all print at one height: the page format's
    /// LineHeight or page height by LineCount, else the height of row 1.
    virtual double RowHeight(qint32 row) const = 0;
    /// The current cell, header rows and the row-header column included. The library sets the
    /// column, then the row, then reads Text(), CellType(), TypeHAlign() and
    /// TypeNumberDecPlaces(); the current cell moves while a report is drawn.
    ///@{
    virtual qint32 Col() const = 0;
    virtual void setCol(qint32 col) = 0;
    virtual qint32 Row() const = 0;
    virtual void setRow(qint32 row) = 0;
    ///@}
    /// Text of the current cell; the library prints header cells with it.
    virtual QString Text() const = 0;
    /// Type of the current cell: CellTypeNumber, CellTypeCheckBox or another type (text).
    virtual qint16 CellType() const = 0;
    /// Alignment of the current cell's text: 0 left, 1 right, 2 and any other value centre.
    /// Data cells and spanned header cells follow it; other header cells are centred.
    virtual qint16 TypeHAlign() const = 0;
    /// Decimal places of the current cell when it is a number cell; at most 6 print, and 0 or
    /// less prints the value as it is.
    virtual qint16 TypeNumberDecPlaces() const = 0;
    /// The value of a data cell, without selecting it; the library prints data cells with it
    /// and does not look at the returned flag.
    virtual bool GetText(qint32 col, qint32 row, QVariant &value) const = 0;
    /// The span the cell lies in (the cell is its anchor when they share the address); nothing
    /// when it lies in none.
    virtual std::optional<CellSpan> GetCellSpan(qint32 col, qint32 row) const = 0;
};

} // namespace quillon
