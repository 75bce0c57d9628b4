#pragma once

#include <quillon/abstractspreadgrid.h>

#include <QObject>

#include <memory>

namespace quillon {

class SpreadGridPrivate;

/// An in-memory spread grid (GridType 8). Widths and heights are stored in twips and reported
/// in twips when UnitType is 2, else in pixels at 96 dpi (15 twips each). Column headers
/// default to the letters A, B, ... and row headers to the row numbers.
class QUILLON_EXPORT SpreadGrid : public QObject, public AbstractSpreadGrid
{
    Q_OBJECT
public:
    static constexpr qint32 DefaultColWidth = 1200; ///< twips
    static constexpr qint32 DefaultRowHeight = 300; ///< twips
    static constexpr qint16 DefaultCellType = 1; ///< plain text
    static constexpr qint16 DefaultDecimalPlaces = 2; ///< of a number cell

    /// An empty grid: no data rows or columns, one column header row, cell A1 current,
    /// UnitType 0 (pixels).
    explicit SpreadGrid(QObject *parent = nullptr);
    ~SpreadGrid() override;

    /// Number of data rows and columns (a negative number counts as 0). Setting texts does not
    /// change them.
    ///@{
    void setMaxRows(qint32 rows);
    void setMaxCols(qint32 cols);
    ///@}
    /// Number of column header rows, 0 to 1000 (default 1); other numbers are clamped.
    void setColHeaderRows(qint32 rows);
    /// Any cell, header rows (0, -999, ...) and the row-header column (0) included. A cell
    /// never written reads its column's letters in header row 0, its row number in column 0,
    /// else an empty text.
    ///@{
    void setCellText(qint32 col, qint32 row, const QString &text);
    QString cellText(qint32 col, qint32 row) const;
    ///@}
    /// Width of a column (0 is the row-header column) in twips; a negative column throws
    /// quillon::Error 9.
    void setColWidthTwips(qint32 col, qint32 twips);
    /// Height of a row in twips, header rows (0, -999, ...) included.
    void setRowHeightTwips(qint32 row, qint32 twips);
    /// A cell's type, text alignment and decimal places. CellType(), TypeHAlign() and
    /// TypeNumberDecPlaces() answer them (defaults: DefaultCellType, 0 left,
    /// DefaultDecimalPlaces).
    ///@{
    void setCellTypeAt(qint32 col, qint32 row, qint16 type);
    void setTypeHAlignAt(qint32 col, qint32 row, qint16 alignment);
    void setTypeNumberDecPlacesAt(qint32 col, qint32 row, qint16 places);
    ///@}
    /// Joins colCount × rowCount cells starting at the anchor into one span: a span anchored in
    /// a header row runs down the header rows (0, -999, ...), one anchored in a data row down
    /// the data rows. At most 1,000,000 cells; a cell already in a span stays in that one.
    void addCellSpan(qint32 anchorCol, qint32 anchorRow, qint32 colCount, qint32 rowCount);

    /// Units of the sizes the grid reports: 2 twips, any other value pixels at 96 dpi (default
    /// 0). Printing the grid leaves it at 2.
    ///@{
    qint16 UnitType() const override;
    void setUnitType(qint16 unitType) override;
    ///@}
    qint32 MaxRows() const override;
    qint32 MaxCols() const override;
    qint32 ColHeaderRows() const override;
    double ColWidth(qint32 col) const override;
    double RowHeight(qint32 row) const override;
    /// The current cell (default column 1, row 1). A column from 0 to MaxCols(), and a header
    /// row or a data row from 1 to MaxRows(), may be set; anything else throws
    /// quillon::Error 381.
    ///@{
    qint32 Col() const override;
    void setCol(qint32 col) override;
    qint32 Row() const override;
    void setRow(qint32 row) override;
    ///@}
    /// cellText() of the current cell.
    QString Text() const override;
    qint16 CellType() const override;
    qint16 TypeHAlign() const override;
    qint16 TypeNumberDecPlaces() const override;
    /// Sets value to cellText() of the cell; always true.
    bool GetText(qint32 col, qint32 row, QVariant &value) const override;
    std::optional<CellSpan> GetCellSpan(qint32 col, qint32 row) const override;

private:
    std::unique_ptr<SpreadGridPrivate> d;
};

} // namespace quillon
