#pragma once

#include <quillon/quillon_global.h>

#include <QString>

#include <array>

namespace quillon {

/// The format of a spreadsheet cell, as the spreadsheet grid reports it for its selection.
struct SheetCellFormat
{
    enum Side { Top = 0, Left = 1, Bottom = 2, Right = 3 };

    /// 1 general, 2 left, 3 centre, 4 right, 5 fill, 6 justify.
    qint16 HorizontalAlignment = 1;
    /// 1 top, 2 centre, 3 bottom.
    qint16 VerticalAlignment = 3;
    /// Border style per side (0 none, 1 thin, 2 medium, 3 dashed, 4 dotted, 5 thick, ...).
    std::array<qint16, 4> BorderStyle {};
    std::array<qint32, 4> BorderColor {};
    QString FontName = QStringLiteral("宋体");
    double FontSize = 10;
    bool FontBold = false;
    qint32 FontColor = 0;
    /// The cell belongs to a merged range.
    bool MergeCells = false;
    QString NumberFormat = QStringLiteral("General");

    friend bool operator==(const SheetCellFormat &, const SheetCellFormat &) = default;
};

/// What the library asks of a spreadsheet grid (kind ssFormOne6). Rows and columns count from
/// 1. A cell is selected by writing Selection with its address, the column's letters and the
/// row ("A1", "Z9", "AA9" for column 27, "AZ9" for column 52), after which the Sel* members
/// report the whole merged range that contains it.
class QUILLON_EXPORT AbstractSheetGrid
{
public:
    virtual ~AbstractSheetGrid();

    virtual qint32 MaxRow() const = 0;
    virtual qint32 MaxCol() const = 0;
    /// Last row and column that hold data.
    virtual qint32 LastRow() const = 0;
    virtual qint32 LastCol() const = 0;
    virtual qint32 FixedRows() const = 0;
    virtual qint32 FixedCols() const = 0;
    virtual bool ColHidden(qint32 col) const = 0;
    virtual qint32 ColWidth(qint32 col) const = 0;
    virtual qint32 RowHeight(qint32 row) const = 0;
    virtual qint32 SelStartRow() const = 0;
    virtual qint32 SelStartCol() const = 0;
    virtual qint32 SelEndRow() const = 0;
    virtual qint32 SelEndCol() const = 0;
    virtual bool ShowZeroValues() const = 0;
    /// Text of the selected cell.
    virtual QString Text() const = 0;
    virtual QString TextRC(qint32 row, qint32 col) const = 0;
    virtual void setSelection(const QString &address) = 0;
    /// Format of the selected cell.
    virtual SheetCellFormat GetCellFormat() const = 0;
};

} // namespace quillon
