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
    /// The rows below firstRow, up to lastRow, print their numbers one digit a cell, the last
    /// digit in the cell of 分 (hundredths), and "#" in every cell when the digits do not fit;
    /// 0 prints nothing. A negative amount prints red without a sign when the report prints in
    /// colour with digit lines, else with a minus sign.
    struct AmountColumn
    {
        qint32 cellCount = 0; ///< digit cells
        qint32 firstRow = 0; ///< row with the unit labels
        qint32 lastRow = 0; ///< last row the lines reach
        /// Colour of the digit lines, RGB with red in the low byte; the page format's
        /// JeLineColor replaces it unless that is -1. Black without colour printing.
        qint32 lineColor = 0;
        /// Colour of the line at the decimal point, between 角 and 元; the page format's
        /// DotLineColor replaces it unless that is -1.
        qint32 dotLineColor = 0;
    };

    /// Bits of the cell flag byte. A byte without FlagsInForce draws both borders of its cell
    /// and merges nothing.
    enum CellFlag : quint8 {
        BottomBorder = 0x01, ///< draw the cell's bottom border
        RightBorder = 0x02, ///< draw the cell's right border
        /// The cell starts a merged area downwards; without it, it continues the area above.
        StartsVerticalRun = 0x04,
        /// The cell starts a merged area across; without it, it continues the area to its left.
        StartsHorizontalRun = 0x08,
        FlagsInForce = 0x80, ///< the other bits count
    };

    virtual ~AbstractVoucherGrid();

    /// Size of the grid, heading, totals and fixed columns included.
    ///@{
    virtual qint32 Rows() const = 0;
    virtual qint32 Cols() const = 0;
    ///@}
    /// Fixed rows at the top, fixed rows (totals) at the bottom, fixed columns at the left.
    /// The top and bottom rows print on every page, around the page's body rows (with the print
    /// object's CallMod "凭证", the totals' numbers only on the last page); the left columns are
    /// repeated on every column band when the page format has MultFixCol set.
    ///@{
    virtual qint32 FixedRowsT() const = 0;
    virtual qint32 fixedrowsB() const = 0;
    virtual qint32 FixedColsL() const = 0;
    ///@}
    /// Width of a column in twips. The columns a page shows are scaled together to its width,
    /// but an amount column keeps its digit cells when the page is wider than its columns.
    virtual qint32 ColWidth(qint32 col) const = 0;
    /// Height of a row in twips. Fixed rows print at their own heights unless the print object
    /// sets FixRowsHeight; body rows all print at one height: the page format's LineHeight or
    /// page height by LineCount, else the height of the first body row.
    virtual qint32 RowHeight(qint32 row) const = 0;
    /// Whether a column is hidden: it prints nothing and takes no room.
    virtual bool ColHide(qint32 col) const = 0;
    /// Number of digit cells of an amount column, which give its width while the page is wider
    /// than the columns it shows.
    virtual qint32 getjecellcols(qint32 col) const = 0;
    /// The cell's flag byte, 0..255: its borders and merging (CellFlag).
    virtual quint8 Cell(qint32 row, qint32 col) const = 0;
    /// Alignment of a cell's text. Across: 0 centre, 1 left, 2 right; down (VerAlign): 0
    /// centre, 1 top, 2 bottom; any other value centres. The amount rows of an amount column
    /// print right-aligned whatever HorAlign says.
    ///@{
    virtual qint16 HorAlign(qint32 row, qint32 col) const = 0;
    virtual qint16 VerAlign(qint32 row, qint32 col) const = 0;
    ///@}
    /// Text of a cell. In the rows of an amount column a number prints in the digit cells, any
    /// other text as it is; "0" in a heading or totals row prints nothing.
    virtual QString Text(qint32 row, qint32 col) const = 0;
    /// Amount-column information of a column; nothing when it is no amount column.
    virtual std::optional<AmountColumn> GetJeLineInf(qint32 col) const = 0;
};

} // namespace quillon
