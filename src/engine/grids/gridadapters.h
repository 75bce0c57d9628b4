#pragma once

#include "gridaccess.h"

#include <quillon/abstractdatagrid.h>
#include <quillon/abstractflexgrid.h>
#include <quillon/abstractsheetgrid.h>
#include <quillon/abstractspreadgrid.h>
#include <quillon/abstractvouchergrid.h>

namespace quillon {

/// Kind 1, the spreadsheet grid: cells are selected by address text.
class SheetGridAccess : public GridAccess
{
public:
    explicit SheetGridAccess(AbstractSheetGrid *grid)
        : GridAccess(1)
        , m_grid(grid)
    {
    }

    AbstractSheetGrid *grid() const { return m_grid; }
    int firstIndex() const override { return 1; }
    qint32 rowCount() const override;
    qint32 colCount() const override;
    qint32 fixedRowsTop() const override { return m_grid->FixedRows(); }
    qint32 fixedCols() const override { return m_grid->FixedCols(); }
    qint32 colWidth(qint32 col) const override { return m_grid->ColWidth(col); }
    qint32 rowHeight(qint32 row) const override { return m_grid->RowHeight(row); }
    bool colHidden(qint32 col) const override { return m_grid->ColHidden(col); }
    QString cellText(qint32 row, qint32 col) override;

    /// The column's letters: "A" for 1, "Z" for 26, "AA" for 27, "AZ" for 52. A column below 1
    /// has none: Error.
    static QString columnLetters(qint32 col);
    /// The column of a column's letters ("A" 1, "AA" 27); 0 for anything but capital letters
    /// or a column past the 32-bit range.
    static qint64 columnNumber(QStringView letters);
    /// The row and column of a cell's address: the column's letters, then the row from 1 in at
    /// most nine digits ("AA7" is row 7, column 27). Anything else throws Error.
    static std::pair<qint32, qint32> parseAddress(const QString &address);
    /// "A1" for row 1, column 1; "AA7" for row 7, column 27.
    static QString cellAddress(qint32 row, qint32 col);
    /// Selects the cell; the grid then reports the merged range around it.
    void select(qint32 row, qint32 col);

private:
    AbstractSheetGrid *m_grid;
};

/// Kind 2, the voucher grid: cells are read by (row, col) without selection.
class VoucherGridAccess : public GridAccess
{
public:
    explicit VoucherGridAccess(AbstractVoucherGrid *grid)
        : GridAccess(2)
        , m_grid(grid)
    {
    }

    AbstractVoucherGrid *grid() const { return m_grid; }
    qint32 rowCount() const override { return m_grid->Rows(); }
    qint32 colCount() const override { return m_grid->Cols(); }
    qint32 fixedRowsTop() const override { return m_grid->FixedRowsT(); }
    qint32 fixedRowsBottom() const override { return m_grid->fixedrowsB(); }
    qint32 fixedCols() const override { return m_grid->FixedColsL(); }
    qint32 colWidth(qint32 col) const override { return m_grid->ColWidth(col); }
    qint32 rowHeight(qint32 row) const override { return m_grid->RowHeight(row); }
    bool colHidden(qint32 col) const override { return m_grid->ColHide(col); }
    QString cellText(qint32 row, qint32 col) override { return m_grid->Text(row, col); }

private:
    AbstractVoucherGrid *m_grid;
};

/// Kinds 3 and 4, the data grids: the row count comes from the print object, the caption row
/// stands in for fixed rows, and every row has the grid's one row height.
class DataGridAccess : public GridAccess
{
public:
    DataGridAccess(int kind, AbstractDataGrid *grid, qint32 gridrows)
        : GridAccess(kind)
        , m_grid(grid)
        , m_gridrows(gridrows)
    {
    }

    AbstractDataGrid *grid() const { return m_grid; }
    qint32 rowCount() const override { return m_gridrows; }
    qint32 colCount() const override { return m_grid->ColumnsCount(); }
    qint32 fixedRowsTop() const override { return 0; }
    qint32 fixedCols() const override { return 0; }
    qint32 colWidth(qint32 col) const override { return m_grid->Columns(col).Width; }
    qint32 rowHeight(qint32) const override { return m_grid->RowHeight(); }
    QString cellText(qint32 row, qint32 col) override;
    QString caption(qint32 col) const { return m_grid->Columns(col).Caption; }
    /// The column's own alignment of its body cells (0 left, 1 centre, 2 right, 3 general), or
    /// -1 when the grid gives none.
    qint16 alignment(qint32 col) const { return m_grid->Columns(col).Alignment; }

private:
    AbstractDataGrid *m_grid;
    qint32 m_gridrows;
};

/// Kind 7, the plain grid; also the base of the flex grid adapters.
class PlainGridAccess : public GridAccess
{
public:
    explicit PlainGridAccess(AbstractPlainGrid *grid, int kind = 7)
        : GridAccess(kind)
        , m_plain(grid)
    {
    }

    qint32 rowCount() const override { return m_plain->Rows(); }
    qint32 colCount() const override { return m_plain->Cols(); }
    qint32 fixedRowsTop() const override { return m_plain->FixedRows(); }
    qint32 fixedCols() const override { return m_plain->FixedCols(); }
    qint32 colWidth(qint32 col) const override { return m_plain->ColWidth(col); }
    qint32 rowHeight(qint32 row) const override { return m_plain->RowHeight(row); }
    QString cellText(qint32 row, qint32 col) override;
    /// Makes (row, col) the grid's current cell: Row first, then Col.
    void select(qint32 row, qint32 col);

private:
    AbstractPlainGrid *m_plain;
};

/// Kind 5, the flex grid: alignments and merging.
class FlexGridAccess : public PlainGridAccess
{
public:
    explicit FlexGridAccess(AbstractFlexGrid *grid, int kind = 5)
        : PlainGridAccess(grid, kind)
        , m_flex(grid)
    {
    }

    AbstractFlexGrid *grid() const { return m_flex; }
    /// Selects the cell and reads its alignment.
    qint16 cellAlignment(qint32 row, qint32 col);
    /// Width of the current cell with the cells merged with it.
    qint32 currentCellWidth() const { return m_flex->CellWidth(); }

private:
    AbstractFlexGrid *m_flex;
};

/// Kind 6, the hierarchical flex grid: default-width columns answer -1.
class HFlexGridAccess : public FlexGridAccess
{
public:
    explicit HFlexGridAccess(AbstractHFlexGrid *grid)
        : FlexGridAccess(grid, 6)
        , m_hflex(grid)
    {
    }

    AbstractHFlexGrid *grid() const { return m_hflex; }

private:
    AbstractHFlexGrid *m_hflex;
};

/// Kind 8, the spread grid: counts from 1, column 0 is the row-header column, sizes are read
/// in twips (the adapter sets UnitType 2), cells are selected column first.
class SpreadGridAccess : public GridAccess
{
public:
    explicit SpreadGridAccess(AbstractSpreadGrid *grid);

    AbstractSpreadGrid *grid() const { return m_grid; }
    int firstIndex() const override { return 1; }
    qint32 rowCount() const override { return m_grid->MaxRows(); }
    qint32 colCount() const override { return m_grid->MaxCols(); }
    qint32 fixedRowsTop() const override { return 0; }
    qint32 fixedCols() const override { return 1; }
    qint32 colWidth(qint32 col) const override;
    qint32 rowHeight(qint32 row) const override;
    QString cellText(qint32 row, qint32 col) override;
    /// Makes (row, col) the grid's current cell: Col first, then Row.
    void select(qint32 row, qint32 col);

private:
    AbstractSpreadGrid *m_grid;
};

} // namespace quillon
