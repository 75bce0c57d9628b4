#include "sheetgridrenderer.h"

#include "engine/convert.h"
#include "engine/draw/pagecontext.h"
#include "engine/state/enginestate.h"
#include "engine/state/printproperties.h"
#include "gridadapters.h"
#include "gridpage.h"
#include "platform/interfaces/surface.h"

#include <QLoggingCategory>
#include <QSet>

#include <map>
#include <vector>

namespace quillon {

Q_LOGGING_CATEGORY(lcSheet, "quillon.engine.sheet")

void SetBorderPen(const PageContext &pc, qint16 style, qint32 colour)
{
    struct Pen
    {
        qint16 style;
        int width;
        int pattern;
    };
    // Thin, medium, dashed, dotted, thick, dash-dot and dash-dot-dot lines; the rest dashed.
    static constexpr Pen pens[] = { { 1, 1, 0 }, { 2, 2, 1 }, { 3, 1, 1 }, { 4, 1, 2 }, { 5, 3, 0 },
        { 9, 1, 3 }, { 11, 1, 4 } };
    Pen pen { style, 1, 1 };
    for (const Pen &p : pens) {
        if (p.style == style)
            pen = p;
    }
    Surface &s = pc.surface;
    s.setDrawWidth(pen.width);
    s.setDrawStyle(pen.pattern);
    s.setForeColor(colour);
}

void PrintSheetCellText(const PageContext &pc, const QString &text, SheetCellBox &cell,
    FontSpec &font, bool showZeroValues)
{
    if (text.trimmed().isEmpty() || cell.Width == 0)
        return;
    if (!showZeroValues && text == QLatin1String("0"))
        return;
    QString shown = text;
    if (cell.NumberFormat != QLatin1String("General")) {
        if (const std::optional<QString> formatted = formatCellText(text, cell.NumberFormat)) {
            shown = *formatted;
        } else {
            // The raw text is printed; a report full of such cells says so once.
            static QSet<QString> logged;
            if (!logged.contains(cell.NumberFormat)) {
                logged.insert(cell.NumberFormat);
                qCWarning(lcSheet) << "number format not supported, the cell text is printed as "
                                      "it is:"
                                   << cell.NumberFormat;
            }
        }
    }
    PrintUnwrappedCellText(pc, shown, cell, font);
}

namespace {

/// A merged range cut to what one block of the page shows of it.
struct Range
{
    qint32 firstRow, firstCol, lastRow, lastCol;
};

/// A column drawn on the page: its drawn width and the run of columns it belongs to (the
/// repeated fixed columns, or the band).
struct DrawnColumn
{
    qint32 col;
    qint32 width;
    int run;
};

/// What a blank filler row shows in a column: the borders of the body's last row.
struct FillerBorders
{
    SheetCellFormat format;
    bool rightEdge = false;
};

/// One call of the renderer: the page's geometry and the grid, read once.
class SheetGridPage : GridPage
{
public:
    explicit SheetGridPage(const PageContext &context)
        : GridPage(context)
        , print(context.print)
        , access(GridAccess::create(1, pc.grid.grid, print.gridrows))
        , sheet(static_cast<SheetGridAccess &>(*access))
        , grid(sheet.grid())
    {
    }

    void render();

private:
    void planColumns();
    qint32 headerHeightTw(qint32 row) const
    {
        return s.FixRowsHeightTw != 0 ? s.FixRowsHeightTw : grid->RowHeight(row);
    }
    qint32 bodyHeightTw(qint32 row) const
    {
        return s.LineHeightTw != 0 ? s.LineHeightTw : grid->RowHeight(row);
    }
    qint32 heightTw(qint32 row, bool header) const
    {
        return header ? headerHeightTw(row) : bodyHeightTw(row);
    }
    void drawRow(qint32 row, bool header, IndexRun rows);
    void drawCell(std::size_t index, qint32 row, bool header, IndexRun rows);
    void drawBlankRow();
    /// The room a text may run over into: the empty cells beside [from, to] (indexes of
    /// columns) in their run, up to the first cell that holds a text or the run's end.
    void setRoom(CellBox &box, qint32 row, std::size_t from, std::size_t to) const;
    bool blankCell(qint32 row, qint32 col) const;
    Range clip(IndexRun rows, int run) const;
    void borders(const CellBox &box, const SheetCellFormat &format, bool bottomEdge, bool rightEdge,
        bool topAllowed);
    const std::vector<FillerBorders> &fillerBorders();

    PrintProperties &print;
    std::unique_ptr<GridAccess> access;
    SheetGridAccess &sheet;
    AbstractSheetGrid *grid;
    /// The table's top-left corner in surface units: where the outer cell borders lie.
    qint32 tableLeft = 0;
    qint32 tableTop = 0;
    bool showZeroValues = true;
    std::vector<DrawnColumn> columns;
    std::vector<FillerBorders> fillers;
    bool fillersRead = false;
};

void SheetGridPage::planColumns()
{
    // Hidden columns take no room and no cursor step. The fixed columns and the band are one
    // run of columns when the band goes on where the fixed columns end.
    const auto add = [&](qint32 first, qint32 last, int run) {
        for (qint32 c = first; c <= last; ++c) {
            if (!grid->ColHidden(c))
                columns.push_back({ c, advance(grid->ColWidth(c)), run });
        }
    };
    const bool repeatFixed = s.Format.MultFixCol == 1;
    if (repeatFixed)
        add(1, s.FixedCols, 0);
    add(s.FirstBodyCol, s.LastBodyCol, repeatFixed && s.FirstBodyCol != s.FixedCols + 1 ? 1 : 0);
}

Range SheetGridPage::clip(IndexRun rows, int run) const
{
    Range range { std::max(grid->SelStartRow(), rows.first), 0,
        std::min(grid->SelEndRow(), rows.last), 0 };
    const qint32 from = grid->SelStartCol();
    const qint32 to = grid->SelEndCol();
    bool found = false;
    for (const DrawnColumn &d : columns) {
        if (d.run != run || d.col < from || d.col > to)
            continue;
        if (!found)
            range.firstCol = d.col;
        range.lastCol = d.col;
        found = true;
    }
    return range;
}

void SheetGridPage::borders(const CellBox &box, const SheetCellFormat &format, bool bottomEdge,
    bool rightEdge, bool topAllowed)
{
    Surface &target = pc.surface;
    const auto side = [&](SheetCellFormat::Side which, qint32 x1, qint32 y1, qint32 x2, qint32 y2) {
        SetBorderPen(pc, format.BorderStyle[which], format.BorderColor[which]);
        target.Line(x1, y1, x2, y2, s.LineColor);
    };
    const qint32 right = box.Left + box.Width;
    const qint32 bottom = box.Top + box.Height;
    if (box.Left == tableLeft && format.BorderStyle[SheetCellFormat::Left] != 0)
        side(SheetCellFormat::Left, box.Left, box.Top, box.Left, bottom);
    if (topAllowed && box.Top == tableTop && format.BorderStyle[SheetCellFormat::Top] != 0)
        side(SheetCellFormat::Top, box.Left, box.Top, right, box.Top);
    if (bottomEdge && format.BorderStyle[SheetCellFormat::Bottom] != 0)
        side(SheetCellFormat::Bottom, box.Left, bottom, right, bottom);
    if (rightEdge && format.BorderStyle[SheetCellFormat::Right] != 0)
        side(SheetCellFormat::Right, right, box.Top, right, bottom);
}

void SheetGridPage::drawCell(std::size_t index, qint32 row, bool header, IndexRun rows)
{
    const DrawnColumn &column = columns[index];
    sheet.select(row, column.col);
    const SheetCellFormat format = grid->GetCellFormat();
    const QString text = header ? grid->TextRC(row, column.col) : grid->Text();

    SheetCellBox box;
    box.Top = s.CurY;
    box.Left = s.CurX;
    box.Width = column.width;
    box.Height = surface(heightTw(row, header));
    box.HorAlign = format.HorizontalAlignment;
    box.VerAlign = format.VerticalAlignment;
    box.NumberFormat = format.NumberFormat;
    FontSpec font { format.FontName, format.FontSize, format.FontBold, false, false, false,
        format.FontColor };

    // A merged range is cut to this block of the page: its last shown row and column draw its
    // bottom and right edges, its first shown cell its text.
    const Range range
        = format.MergeCells ? clip(rows, column.run) : Range { row, column.col, row, column.col };
    borders(box, format, range.lastRow == row, range.lastCol == column.col, true);

    if (!format.MergeCells) {
        if (!text.trimmed().isEmpty())
            setRoom(box, row, index, index);
        PrintSheetCellText(pc, text, box, font, showZeroValues);
    } else if (row == range.firstRow && column.col == range.firstCol) {
        const bool anchor = row == grid->SelStartRow() && column.col == grid->SelStartCol();
        const QString anchorText
            = anchor ? text : grid->TextRC(grid->SelStartRow(), grid->SelStartCol());
        if (!anchorText.trimmed().isEmpty()) {
            std::size_t last = index;
            for (std::size_t j = index + 1; j < columns.size(); ++j) {
                if (columns[j].run == column.run && columns[j].col <= range.lastCol) {
                    box.Width += columns[j].width;
                    last = j;
                }
            }
            setRoom(box, row, index, last);
            for (qint32 r = row + 1; r <= range.lastRow; ++r)
                box.Height += surface(heightTw(r, header));
            PrintSheetCellText(pc, anchorText, box, font, showZeroValues);
        }
    }
    s.CurX += column.width;
}

void SheetGridPage::drawRow(qint32 row, bool header, IndexRun rows)
{
    for (std::size_t i = 0; i < columns.size(); ++i)
        drawCell(i, row, header, rows);
}

bool SheetGridPage::blankCell(qint32 row, qint32 col) const
{
    const QString text = grid->TextRC(row, col).trimmed();
    return text.isEmpty() || (!showZeroValues && text == QLatin1String("0"));
}

void SheetGridPage::setRoom(CellBox &box, qint32 row, std::size_t from, std::size_t to) const
{
    // A text longer than its cell runs over empty neighbours, never over another text nor
    // past the table.
    const int run = columns[from].run;
    box.RoomLeft = 0;
    for (std::size_t j = from; j-- > 0 && columns[j].run == run && blankCell(row, columns[j].col);)
        box.RoomLeft += columns[j].width;
    box.RoomRight = 0;
    for (std::size_t j = to + 1;
         j < columns.size() && columns[j].run == run && blankCell(row, columns[j].col); ++j)
        box.RoomRight += columns[j].width;
}

const std::vector<FillerBorders> &SheetGridPage::fillerBorders()
{
    if (fillersRead)
        return fillers;
    fillersRead = true;
    const qint32 last = pc.grid.rows;
    const bool hasBody = last > pc.grid.fixedRowsTop;
    for (const DrawnColumn &column : columns) {
        FillerBorders filler;
        if (hasBody) {
            sheet.select(last, column.col);
            filler.format = grid->GetCellFormat();
            filler.rightEdge = !filler.format.MergeCells
                || clip({ last, last }, column.run).lastCol == column.col;
        }
        fillers.push_back(filler);
    }
    return fillers;
}

void SheetGridPage::drawBlankRow()
{
    const std::vector<FillerBorders> &borderOf = fillerBorders();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        CellBox box;
        box.Top = s.CurY;
        box.Left = s.CurX;
        box.Width = columns[i].width;
        box.Height = surface(s.LineHeightTw);
        borders(box, borderOf[i].format, true, borderOf[i].rightEdge, false);
        s.CurX += columns[i].width;
    }
}

void SheetGridPage::render()
{
    Surface &target = pc.surface;
    begin();
    tableLeft = surface(s.PageOriginX);
    tableTop = surface(s.PageOriginY);
    // Hidden columns take no share of the page width.
    double total = s.FixedColsWidthTw;
    for (qint32 c = s.FirstBodyCol; c <= s.LastBodyCol; ++c)
        total += grid->ColHidden(c) ? 0 : grid->ColWidth(c);
    setBandScale(total);
    planColumns();
    showZeroValues = grid->ShowZeroValues();

    for (qint32 r = 1; r <= pc.grid.fixedRowsTop; ++r) {
        drawRow(r, true, { 1, pc.grid.fixedRowsTop });
        s.PageOriginY += headerHeightTw(r);
        newLine();
    }

    const qint64 perPage = s.LinesPerPage;
    const qint64 first = (s.CurRowPage - 1) * perPage + pc.grid.fixedRowsTop + 1;
    const qint64 last = s.CurRowPage * perPage + pc.grid.fixedRowsTop;
    const IndexRun pageRows { qint32(first), qint32(std::min<qint64>(last, pc.grid.rows)) };
    drawBodyRows(first, last, pc.grid.rows, [&](qint32 r, bool blank) {
        if (blank) {
            drawBlankRow();
            return;
        }
        drawRow(r, false, pageRows);
        // Without a body row height each row keeps its own, and the table grows by it.
        if (s.LineHeightTw == 0)
            s.PageOriginY += grid->RowHeight(r);
    });

    // The frame is drawn solid, whatever pen the last cell border left.
    target.setDrawStyle(0);
    target.setDrawWidth(1);
    const auto style = FrameStyle(print.BorderStyle);
    finish(style == FrameStyle::FormulaOne ? FrameStyle::SingleBox : style);
}

} // namespace

void RenderSheetGrid(const PageContext &pc)
{
    SheetGridPage page(pc);
    page.render();
}

} // namespace quillon
