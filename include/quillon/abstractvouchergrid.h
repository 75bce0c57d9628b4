#pragma once

#include <quillon/quillon_global.h>

#include <QString>

#include <optional>

namespace quillon {

/// What the library asks of a voucher grid (kind ssTesselGrid). Rows and columns count from 0.
/// Cells are read directly by (row, col); nothing is selected.
class QUILLON_EXPORT AbstractVoucherGrid
{
public:
    /// Amount-column information of one column.
    struct AmountColumn
    {
        qint32 cellCount = 0; ///< digit cells
        qint32 firstRow = 0; ///< row with the unit labels
        qint32 lastRow = 0; ///< last row the lines reach
        qint32 lineColor = 0;
        qint32 dotLineColor = 0;
    };

    /// Bits of the cell flag byte.
    enum CellFlag : quint8 {
        BottomBorder = 0x01,
        RightBorder = 0x02,
        StartsVerticalRun = 0x04,
        StartsHorizontalRun = 0x08,
        FlagsInForce = 0x80,
    };

    virtual ~AbstractVoucherGrid();

    virtual qint32 Rows() const = 0;
    virtual qint32 Cols() const = 0;
    /// Fixed rows at the top, fixed rows (totals) at the bottom, fixed columns at the left.
    virtual qint32 FixedRowsT() const = 0;
    virtual qint32 fixedrowsB() const = 0;
    virtual qint32 FixedColsL() const = 0;
    virtual qint32 ColWidth(qint32 col) const = 0;
    virtual qint32 RowHeight(qint32 row) const = 0;
    virtual bool ColHide(qint32 col) const = 0;
    /// Number of digit cells of an amount column.
    virtual qint32 getjecellcols(qint32 col) const = 0;
    /// The cell's flag byte, 0..255.
    virtual quint8 Cell(qint32 row, qint32 col) const = 0;
    /// 0 centre, 1 left (top), 2 right (bottom).
    virtual qint16 HorAlign(qint32 row, qint32 col) const = 0;
    virtual qint16 VerAlign(qint32 row, qint32 col) const = 0;
    virtual QString Text(qint32 row, qint32 col) const = 0;
    /// Amount-column information of a column; nothing when it is no amount column.
    virtual std::optional<AmountColumn> GetJeLineInf(qint32 col) const = 0;
};

} // namespace quillon
