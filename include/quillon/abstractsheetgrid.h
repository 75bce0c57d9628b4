#pragma once

#include <quillon/quillon_global.h>

#include <QString>

#include <array>

namespace quillon {

/// The format of a spreadsheet cell, as the spreadsheet grid reports it for its selection.
struct SheetCellFormat
{
    /// Index of a side in BorderStyle and BorderColor.
    enum Side { Top = 0, Left = 1, Bottom = 2, Right = 3 };

    /// 1 general (numbers right, dates centred, other texts left), 2 left, 3 centre, 4 right;
    /// 5 fill, 6 justify and any other value print as general.
    qint16 HorizontalAlignment = 1;
    /// 1 top, 2 centre, 3 and any other value bottom.
    qint16 VerticalAlignment = 3;
    /// Border style per side. 0 none, 1 thin, 2 medium (twice as wide, dashed), 3 dashed,
    /// 4 dotted, 5 thick, 9 dash-dot, 11 dash-dot-dot; any other value a thin dashed line. A
    /// cell draws its bottom and right borders (a merged range on its last row and column), and
    /// its top and left ones only on the table's outer edge.
    std::array<qint16, 4> BorderStyle {};
    /// Border colour per side: RGB with red in the low byte.
    std::array<qint32, 4> BorderColor {};
    /// The text's font: a report font name (Windows families such as 宋体, 楷体 and 黑体 map to
    /// installed faces), its size in points, its weight, and its colour (RGB with red in the
    /// low byte; black when the report prints without colour).
    ///@{
    QString FontName = QStringLiteral("宋体");
    double FontSize = 10;
    bool FontBold = false;
    qint32 FontColor = 0;
    ///@}
    /// The cell belongs to a merged range.
    bool MergeCells = false;
    /// How the text is written. "General" or "@": as it is; number patterns ("0.00", "#,##0",
    /// "#,##0.00", "0%", up to three sections split by ";") for numeric texts; date patterns
    /// ("yyyy-mm-dd", "yyyy年m月d日", "hh:mm") for dates, and numbers as days since 1899-12-30.
    /// A pattern of another kind prints the text unchanged.
    QString NumberFormat = QStringLiteral("General");

    /// Formats are equal when every field is.
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

    /// Size of the sheet. The report prints rows 1 to the smaller of MaxRow() and LastRow(),
    /// and columns 1 to the smaller of MaxCol() and LastCol().
    ///@{
    virtual qint32 MaxRow() const = 0;
    virtual qint32 MaxCol() const = 0;
    ///@}
    /// Last row and column that hold data.
    ///@{
    virtual qint32 LastRow() const = 0;
    virtual qint32 LastCol() const = 0;
    ///@}
    /// Heading rows from row 1, printed at the top of every page and read with TextRC().
    virtual qint32 FixedRows() const = 0;
    /// Columns from column 1 that every column band repeats when the report's page format has
    /// MultFixCol set.
    virtual qint32 FixedCols() const = 0;
    /// Whether a column is hidden: it prints nothing and takes no room.
    virtual bool ColHidden(qint32 col) const = 0;
    /// Width of a column in twips; the columns a page shows are scaled together to its width.
    virtual qint32 ColWidth(qint32 col) const = 0;
    /// Height of a row in twips. Fixed rows print at their own heights unless the print object
    /// sets FixRowsHeight; body rows all print at one height: the page format's LineHeight or
    /// page height by LineCount, else the height of row 1.
    virtual qint32 RowHeight(qint32 row) const = 0;
    /// The merged range that holds the cell last selected: first and last row and column. A
    /// cell outside any merged range answers its own row and column.
    ///@{
    virtual qint32 SelStartRow() const = 0;
    virtual qint32 SelStartCol() const = 0;
    virtual qint32 SelEndRow() const = 0;
    virtual qint32 SelEndCol() const = 0;
    ///@}
    /// False prints cells whose text is "0" blank.
    virtual bool ShowZeroValues() const = 0;
    /// Text of the selected cell.
    virtual QString Text() const = 0;
    /// Text of any cell, without selecting it: the library reads heading rows, merged ranges'
    /// first cells and the neighbours a long text may run over with it.
    virtual QString TextRC(qint32 row, qint32 col) const = 0;
    /// Selects one cell by its address ("B7"); a merged range then reports the whole range in
    /// the Sel* members. The library selects every cell it draws before it reads Text() and
    /// GetCellFormat(), so the grid's selection moves while a report is drawn.
    virtual void setSelection(const QString &address) = 0;
    /// Format of the selected cell.
    virtual SheetCellFormat GetCellFormat() const = 0;
};

} // namespace quillon
