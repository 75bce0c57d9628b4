#pragma once

#include <quillon/abstractvouchergrid.h>

#include <QObject>

#include <memory>

namespace quillon {

class VoucherGridPrivate;

/// An in-memory voucher grid (GridType 2), with per-cell flag bytes and amount columns.
class QUILLON_EXPORT VoucherGrid : public QObject, public AbstractVoucherGrid
{
    Q_OBJECT
public:
    static constexpr qint32 DefaultColWidth = 1200; ///< twips
    static constexpr qint32 DefaultRowHeight = 400; ///< twips

    /// An empty voucher: no rows, no columns, no fixed rows or columns, no amount columns.
    explicit VoucherGrid(QObject *parent = nullptr);
    ~VoucherGrid() override;

    /// Resizes the grid, keeping the texts, flags and alignments that still fit. Size it before
    /// writing cells: the cell setters do not grow it.
    void setSize(qint32 rows, qint32 cols);
    /// Heading rows at the top, totals rows at the bottom and repeated columns at the left
    /// (default 0; a negative number counts as 0).
    ///@{
    void setFixedRowsT(qint32 rows);
    void setFixedRowsB(qint32 rows);
    void setFixedColsL(qint32 cols);
    ///@}
    /// Width of a column and height of a row in twips (defaults DefaultColWidth and
    /// DefaultRowHeight). Any index from 0 may be set; a negative one throws quillon::Error 9.
    ///@{
    void setColWidth(qint32 col, qint32 width);
    void setRowHeight(qint32 row, qint32 height);
    ///@}
    /// Hides a column: it prints nothing and takes no room (default: shown).
    void setColHide(qint32 col, bool hidden);
    /// A cell's text and flag byte (CellFlag; default 0, plain borders). A cell outside the
    /// grid throws quillon::Error 381.
    ///@{
    void setText(qint32 row, qint32 col, const QString &text);
    void setCell(qint32 row, qint32 col, quint8 flags);
    ///@}
    /// A cell's alignment, in the codes of HorAlign() and VerAlign(). Defaults: horizontal 1
    /// (left), vertical 0 (centre). A cell outside the grid throws quillon::Error 381.
    ///@{
    void setHorAlign(qint32 row, qint32 col, qint16 alignment);
    void setVerAlign(qint32 row, qint32 col, qint16 alignment);
    ///@}
    /// Makes a column an amount column, or replaces its information; a cellCount of 0 or less
    /// makes it a plain column again.
    void setAmountColumn(qint32 col, const AmountColumn &info);

    qint32 Rows() const override;
    qint32 Cols() const override;
    qint32 FixedRowsT() const override;
    qint32 fixedrowsB() const override;
    qint32 FixedColsL() const override;
    qint32 ColWidth(qint32 col) const override;
    qint32 RowHeight(qint32 row) const override;
    bool ColHide(qint32 col) const override;
    /// The cellCount given to setAmountColumn(); 0 for a column never given one.
    qint32 getjecellcols(qint32 col) const override;
    quint8 Cell(qint32 row, qint32 col) const override;
    qint16 HorAlign(qint32 row, qint32 col) const override;
    qint16 VerAlign(qint32 row, qint32 col) const override;
    /// A cell's text; a cell outside the grid throws quillon::Error 381.
    QString Text(qint32 row, qint32 col) const override;
    /// What setAmountColumn() gave the column, when its cellCount is above 0.
    std::optional<AmountColumn> GetJeLineInf(qint32 col) const override;

private:
    std::unique_ptr<VoucherGridPrivate> d;
};

} // namespace quillon
