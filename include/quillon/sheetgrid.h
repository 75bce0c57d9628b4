#pragma once

#include <quillon/abstractsheetgrid.h>

#include <QObject>

#include <memory>

namespace quillon {

class SheetGridPrivate;

/// An in-memory spreadsheet grid (GridType 1) whose cells carry their own formats. LastRow and
/// LastCol are the last row and column holding a non-empty text.
class QUILLON_EXPORT SheetGrid : public QObject, public AbstractSheetGrid
{
    Q_OBJECT
public:
    static constexpr qint32 DefaultColWidth = 1200; ///< twips
    static constexpr qint32 DefaultRowHeight = 300; ///< twips

    /// An empty sheet: no rows, no columns, A1 selected, zeros shown.
    explicit SheetGrid(QObject *parent = nullptr);
    ~SheetGrid() override;

    /// Size of the sheet (a negative number counts as 0); setTextRC() grows it as needed.
    ///@{
    void setMaxRow(qint32 rows);
    void setMaxCol(qint32 cols);
    ///@}
    /// Number of heading rows and repeated columns (default 0; a negative number counts as 0).
    ///@{
    void setFixedRows(qint32 rows);
    void setFixedCols(qint32 cols);
    ///@}
    /// Writes a cell's text, from row 1 and column 1, growing MaxRow() and MaxCol() to take it;
    /// a row or column below 1 throws quillon::Error 9.
    void setTextRC(qint32 row, qint32 col, const QString &text);
    /// Width of a column, from 1, in twips (default DefaultColWidth).
    void setColWidth(qint32 col, qint32 width);
    /// Height of a row, from 1, in twips (default DefaultRowHeight).
    void setRowHeight(qint32 row, qint32 height);
    /// Hides a column, from 1: it prints nothing and takes no room (default: shown).
    void setColHidden(qint32 col, bool hidden);
    /// False prints cells whose text is "0" blank (default true).
    void setShowZeroValues(bool show);
    /// A cell's own format, from row 1 and column 1; cells never given one have the default
    /// SheetCellFormat. setCellFormat() throws quillon::Error 9 for a row or column below 1.
    ///@{
    void setCellFormat(qint32 row, qint32 col, const SheetCellFormat &format);
    SheetCellFormat cellFormat(qint32 row, qint32 col) const;
    ///@}
    /// Merges the range; its cells report MergeCells and a selection inside it grows to it.
    /// Rows and columns count from 1 and the first cell comes first; anything else throws
    /// quillon::Error 5. Where ranges overlap, the one added first holds the cell.
    void addMergedRange(qint32 row1, qint32 col1, qint32 row2, qint32 col2);

    qint32 MaxRow() const override;
    qint32 MaxCol() const override;
    /// The last row and column with a non-empty text; 0 when every cell is empty.
    ///@{
    qint32 LastRow() const override;
    qint32 LastCol() const override;
    ///@}
    qint32 FixedRows() const override;
    qint32 FixedCols() const override;
    bool ColHidden(qint32 col) const override;
    qint32 ColWidth(qint32 col) const override;
    qint32 RowHeight(qint32 row) const override;
    qint32 SelStartRow() const override;
    qint32 SelStartCol() const override;
    qint32 SelEndRow() const override;
    qint32 SelEndCol() const override;
    bool ShowZeroValues() const override;
    QString Text() const override;
    QString TextRC(qint32 row, qint32 col) const override;
    /// Selects one cell by its address ("A1", "AA27"); throws quillon::Error for anything else.
    void setSelection(const QString &address) override;
    SheetCellFormat GetCellFormat() const override;

private:
    std::unique_ptr<SheetGridPrivate> d;
};

} // namespace quillon
