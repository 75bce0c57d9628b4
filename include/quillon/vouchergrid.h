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
    static constexpr qint32 DefaultColWidth = 1200;
    static constexpr qint32 DefaultRowHeight = 400;

    explicit VoucherGrid(QObject *parent = nullptr);
    ~VoucherGrid() override;

    void setSize(qint32 rows, qint32 cols);
    void setFixedRowsT(qint32 rows);
    void setFixedRowsB(qint32 rows);
    void setFixedColsL(qint32 cols);
    void setColWidth(qint32 col, qint32 width);
    void setRowHeight(qint32 row, qint32 height);
    void setColHide(qint32 col, bool hidden);
    void setText(qint32 row, qint32 col, const QString &text);
    void setCell(qint32 row, qint32 col, quint8 flags);
    /// Defaults: horizontal 1 (left), vertical 0 (centre).
    void setHorAlign(qint32 row, qint32 col, qint16 alignment);
    void setVerAlign(qint32 row, qint32 col, qint16 alignment);
    void setAmountColumn(qint32 col, const AmountColumn &info);

    qint32 Rows() const override;
    qint32 Cols() const override;
    qint32 FixedRowsT() const override;
    qint32 fixedrowsB() const override;
    qint32 FixedColsL() const override;
    qint32 ColWidth(qint32 col) const override;
    qint32 RowHeight(qint32 row) const override;
    bool ColHide(qint32 col) const override;
    qint32 getjecellcols(qint32 col) const override;
    quint8 Cell(qint32 row, qint32 col) const override;
    qint16 HorAlign(qint32 row, qint32 col) const override;
    qint16 VerAlign(qint32 row, qint32 col) const override;
    QString Text(qint32 row, qint32 col) const override;
    std::optional<AmountColumn> GetJeLineInf(qint32 col) const override;

private:
    std::unique_ptr<VoucherGridPrivate> d;
};

} // namespace quillon
