#include "flexgridrenderer.h"

#include "engine/convert.h"
#include "engine/draw/pagecontext.h"
#include "engine/draw/textprimitives.h"
#include "engine/ignoringerrors.h"
#include "engine/state/enginestate.h"
#include "engine/state/printproperties.h"
#include "gridadapters.h"
#include "gridkinds.h"
#include "gridpage.h"

#include <quillon/error.h>

namespace quillon {

bool MergedWithNeighbour(FlexGridAccess &grid, int mode, qint32 row, qint32 col, qint32 low,
    qint32 high, const QString &text, Neighbour direction)
{
    if (text.isEmpty() || mode == 0)
        return false;
    AbstractFlexGrid *g = grid.grid();
    qint32 r = row, c = col;
    switch (direction) {
    case Neighbour::Below:
        if (!((mode == 1 || mode == 2) && g->MergeCol(col) && row < high))
            return false;
        ++r;
        break;
    case Neighbour::Right:
        if (!((mode == 1 || mode == 3) && g->MergeRow(row) && col < high))
            return false;
        ++c;
        break;
    case Neighbour::Above:
        if (!((mode == 1 || mode == 2) && g->MergeCol(col) && row > low))
            return false;
        --r;
        break;
    case Neighbour::Left:
        if (!((mode == 1 || mode == 3) && g->MergeRow(row) && col > low))
            return false;
        --c;
        break;
    }
    return grid.cellText(r, c) == text;
}

namespace {

enum class RowKind { Header, Body, Blank };

using RowSpan = IndexRun;
using ColumnSpan = IndexRun;

/// One call of the renderer: the page's geometry and the grid, read once.
class FlexGridPage : GridPage
{
public:
    explicit FlexGridPage(const PageContext &context)
        : GridPage(context)
        , print(context.print)
        , kind(GridKind(print.GridType))
        , access(GridAccess::create(int(kind), pc.grid.grid, print.gridrows))
    {
        if (kind == GridKind::Flex || kind == GridKind::HFlex)
            flex = static_cast<FlexGridAccess *>(access.get());
        if (kind == GridKind::DBGrid || kind == GridKind::DataGrid)
            data = static_cast<DataGridAccess *>(access.get());
    }

    void render();

private:
    qint32 widthSource(qint32 col) const;
    ColumnSpan mergeSpan(qint32 col) const;
    void drawRow(qint32 row, RowKind kind, qint32 height, RowSpan rows);
    void drawCell(
        qint32 row, qint32 col, RowKind kind, bool fixedColumn, qint32 height, RowSpan rows);
    qint32 headerRowHeightTw(qint32 row) const;

    /// A data grid goes on past a failing grid call: the value keeps its previous state.
    template <typename T, typename Read> T tolerant(T previous, Read &&read) const
    {
        if (!data)
            return read();
        T value = previous;
        ignoringErrors("data grid call", [&] { value = read(); });
        return value;
    }

    PrintProperties &print;
    const GridKind kind;
    std::unique_ptr<GridAccess> access;
    FlexGridAccess *flex = nullptr;
    DataGridAccess *data = nullptr;
    int mergeMode = 0;
};

qint32 FlexGridPage::widthSource(qint32 col) const
{
    return tolerant<qint32>(0, [&] { return access->colWidth(col); });
}

ColumnSpan FlexGridPage::mergeSpan(qint32 col) const
{
    return PrintedColumnRun(s, col);
}

qint32 FlexGridPage::headerRowHeightTw(qint32 row) const
{
    if (s.FixRowsHeightTw != 0)
        return s.FixRowsHeightTw;
    if (data)
        return roundHalfEven(tolerant<qint32>(0, [&] { return data->grid()->RowHeight(); })
            * tolerant<double>(1, [&] { return data->grid()->HeadLines(); }));
    return access->rowHeight(row);
}

void FlexGridPage::drawCell(
    qint32 row, qint32 col, RowKind rowKind, bool fixedColumn, qint32 height, RowSpan rows)
{
    const bool header = rowKind == RowKind::Header;
    CellBox box;
    box.Left = s.CurX;
    box.Top = s.CurY;
    box.Height = height;
    const qint32 source = widthSource(col);
    const qint32 step = advance(source);
    if (rowKind == RowKind::Blank) {
        box.Width = step;
        plainBorders(box);
        s.CurX += step;
        return;
    }
    // A flex column of 50 twips or less is drawn empty; it still moves the cursor.
    box.Width = flex && source <= 50 ? 0 : step;

    QString text;
    if (data && header) {
        text = tolerant<QString>(QString(), [&] { return data->caption(col); });
        box.HorAlign = 0;
    } else {
        text = tolerant<QString>(QString(), [&] { return access->cellText(row, col); });
        if (flex) {
            box.HorAlign = header || fixedColumn ? flex->grid()->CellAlignment()
                                                 : flex->grid()->ColAlignment(col);
        } else if (data) {
            // Left, unless the column gives an alignment of its own (0 to 3).
            const qint16 own = tolerant<qint16>(-1, [&] { return data->alignment(col); });
            box.HorAlign = own >= 0 && own <= 3 ? own : 0;
        } else {
            box.HorAlign = 3;
        }
    }
    box.VerAlign = 0;
    box.CellType = header ? 3 : fixedColumn ? 4 : 5;

    const bool mergeAware = flex && (header || print.MergeAll);
    bool drawText = true;
    if (!mergeAware) {
        plainBorders(box);
    } else {
        // A merged area is clipped to this page: to its block of rows (the header, or the
        // page's body rows) and to its run of printed columns (fixed columns, band).
        const ColumnSpan cols = mergeSpan(col);
        if (!MergedWithNeighbour(
                *flex, mergeMode, row, col, rows.first, rows.last, text, Neighbour::Below))
            bottomEdge(box);
        const bool mergedRight = MergedWithNeighbour(
            *flex, mergeMode, row, col, cols.first, cols.last, text, Neighbour::Right);
        if (!mergedRight)
            rightEdge(box);

        // Merged text is drawn once, by the area's first cell, in the clipped area's box.
        if (MergedWithNeighbour(
                *flex, mergeMode, row, col, cols.first, cols.last, text, Neighbour::Left)
            || MergedWithNeighbour(
                *flex, mergeMode, row, col, rows.first, rows.last, text, Neighbour::Above)) {
            drawText = false;
        } else {
            if (mergedRight) {
                // The drawn widths of the area's columns on this page, not the host's width
                // of the whole area, part of which may lie on another band.
                box.Width = step;
                for (qint32 c = col + 1; c <= cols.last; ++c) {
                    box.Width += advance(widthSource(c));
                    if (!MergedWithNeighbour(*flex, mergeMode, row, c, cols.first, cols.last, text,
                            Neighbour::Right))
                        break;
                }
            }
            for (qint32 below = row + 1; below <= rows.last; ++below) {
                const QString belowText = flex->cellText(below, col);
                if (!MergedWithNeighbour(
                        *flex, mergeMode, below, col, row, rows.last, belowText, Neighbour::Above))
                    break;
                box.Height += header ? surface(headerRowHeightTw(below)) : surface(s.LineHeightTw);
            }
        }
    }

    if (drawText) {
        const int fontIndex = header || flex ? 3 : 5;
        PrintCellText(pc, text, box, s.FontTable[fontIndex]);
    }
    s.CurX += step;
}

void FlexGridPage::drawRow(qint32 row, RowKind rowKind, qint32 height, RowSpan rows)
{
    if (s.Format.MultFixCol == 1) {
        for (qint32 c = 0; c < s.FixedCols; ++c)
            drawCell(row, c, rowKind, true, height, rows);
    }
    for (qint32 c = s.FirstBodyCol; c <= s.LastBodyCol; ++c)
        drawCell(row, c, rowKind, false, height, rows);
}

void FlexGridPage::render()
{
    begin();
    double total = s.FixedColsWidthTw;
    for (qint32 c = s.FirstBodyCol; c <= s.LastBodyCol; ++c)
        total += widthSource(c);
    setBandScale(total);
    if (flex)
        mergeMode = flex->grid()->MergeCells();

    // Header rows: the caption row of a data grid, the fixed rows of the others.
    if (data) {
        const qint32 height = surface(headerRowHeightTw(0));
        drawRow(0, RowKind::Header, height, { 0, 0 });
        s.PageOriginY += s.FixRowsHeightTw != 0 ? s.FixRowsHeightTw : roundHalfEven(height / zoom);
        newLine();
    } else {
        for (qint32 r = 0; r < pc.grid.fixedRowsTop; ++r) {
            const qint32 height = headerRowHeightTw(r);
            drawRow(r, RowKind::Header, surface(height), { 0, pc.grid.fixedRowsTop - 1 });
            s.PageOriginY += height;
            newLine();
        }
    }

    // The page's band of body rows; past the data, blank rows when the format asks for them.
    const qint64 perPage = s.LinesPerPage;
    const qint64 offset = data ? 0 : pc.grid.fixedRowsTop;
    const qint64 firstRow = (s.CurRowPage - 1) * perPage + offset;
    const qint64 lastRow = s.CurRowPage * perPage + offset - 1;
    const RowSpan pageRows { qint32(firstRow),
        qint32(std::min<qint64>(lastRow, pc.grid.rows - 1)) };
    drawBodyRows(firstRow, lastRow, pc.grid.rows - 1, [&](qint32 r, bool blank) {
        drawRow(r, blank ? RowKind::Blank : RowKind::Body, surface(s.LineHeightTw), pageRows);
    });
    finish();
}

} // namespace

void RenderFlexGrid(const PageContext &pc)
{
    FlexGridPage page(pc);
    page.render();
}

} // namespace quillon
