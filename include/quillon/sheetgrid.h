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
    static constexpr qint32 DefaultColWidth = 1200;
    static constexpr qint32 DefaultRowHeight = 300;

    explicit SheetGrid(QObject *parent = nullptr);
    ~SheetGrid() override;

    void setMaxRow(qint32 rows);
    void setMaxCol(qint32 cols);
    void setFixedRows(qint32 rows);
    void setFixedCols(qint32 cols);
    void setTextRC(qint32 row, qint32 col, const QString &text);
    void setColWidth(qint32 col, qint32 width);
    void setRowHeight(qint32 row, qint32 height);
    void setColHidden(qint32 col, bool hidden);
    void setShowZeroValues(bool show);
    void setCellFormat(qint32 row, qint32 col, const SheetCellFormat &format);
    SheetCellFormat cellFormat(qint32 row, qint32 col) const;
    /// Merges the range; its cells report MergeCells and a selection inside it grows to it.
    void addMergedRange(qint32 row1, qint32 col1, qint32 row2, qint32 col2);

    qint32 MaxRow() const override;
    qint32 MaxCol() const override;
    qint32 LastRow() const override;
    qint32 LastCol() const override;
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
