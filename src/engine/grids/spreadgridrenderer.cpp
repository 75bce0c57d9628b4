#include "spreadgridrenderer.h"

#include "engine/convert.h"
#include "engine/draw/pagecontext.h"
#include "engine/draw/textprimitives.h"
#include "engine/state/enginestate.h"
#include "engine/state/printproperties.h"
#include "gridadapters.h"
#include "gridpage.h"

#include <climits>
#include <optional>

namespace quillon {

QString SpreadCellText(const QVariant &value, qint16 cellType, qint16 decimalPlaces)
{
    const QString text = value.toString();
    if (cellType == AbstractSpreadGrid::CellTypeNumber && decimalPlaces > 0) {
        const std::optional<double> number = numericValue(text);
        if (!number)
            return text;
        const int places = std::min<int>(decimalPlaces, 6);
        return formatNumber(*number, QStringLiteral("##,##0.") + QString(places, u'0'));
    }
    if (cellType == AbstractSpreadGrid::CellTypeCheckBox) {
        const std::optional<double> number = numericValue(text);
        return number && *number == 1 ? QStringLiteral("√") : QString();
    }
    return text;
}

namespace {

/// Header row g (from 0) as the grid numbers it: 0, then -999, -998, ...
qint32 headerRowNumber(qint32 g)
{
    return g == 0 ? 0 : g - 1000;
}

/// The header row g of a grid row number; nothing for a data row.
std::optional<qint32> headerIndex(qint32 row)
{
    if (row == 0)
        return 0;
    if (row >= -999 && row < 0)
        return row + 1000;
    return std::nullopt;
}

enum class Block { Header, Body };

/// The part of a span that lies on this page: within its run of columns (the row-header
/// column, or the band) and its block of rows (the header rows, or the page's data rows).
/// Header rows are counted from 0 here.
struct SpanPart
{
    IndexRun cols;
    IndexRun rows;
    qint32 anchorCol;
    qint32 anchorRow; ///< as the grid numbers it
};

/// One call of the renderer: the page's geometry and the grid, read once.
class SpreadGridPage : GridPage
{
public:
    explicit SpreadGridPage(const PageContext &context)
        : GridPage(context)
        , print(context.print)
        , access(GridAccess::create(8, pc.grid.grid, print.gridrows))
        , spread(static_cast<SpreadGridAccess &>(*access))
        , grid(*spread.grid())
    {
    }

    void render();

private:
    qint32 headerHeightTw(qint32 g) const
    {
        return s.FixRowsHeightTw != 0 ? s.FixRowsHeightTw : access->rowHeight(headerRowNumber(g));
    }
    /// Twips from the top of row `from` to the bottom of row `to` of a block.
    qint64 rowsHeightTw(Block block, qint32 from, qint32 to) const;
    std::optional<SpanPart> spanPart(qint32 col, qint32 index, Block block, IndexRun run) const;
    void drawRow(qint32 index, Block block, bool blank);
    void drawCell(qint32 col, qint32 index, Block block, bool blank);
    void printText(qint32 col, qint32 row, Block block, bool spanned, CellBox &box);

    PrintProperties &print;
    std::unique_ptr<GridAccess> access;
    SpreadGridAccess &spread;
    AbstractSpreadGrid &grid;
    bool rowHeaders = false;
    IndexRun band;
    IndexRun headerRows;
    IndexRun pageRows;
};

qint64 SpreadGridPage::rowsHeightTw(Block block, qint32 from, qint32 to) const
{
    if (block == Block::Body)
        return qint64(to - from + 1) * s.LineHeightTw;
    qint64 total = 0;
    for (qint32 g = from; g <= to; ++g)
        total += headerHeightTw(g);
    return total;
}

std::optional<SpanPart> SpreadGridPage::spanPart(
    qint32 col, qint32 index, Block block, IndexRun run) const
{
    const qint32 row = block == Block::Header ? headerRowNumber(index) : index;
    const std::optional<AbstractSpreadGrid::CellSpan> span = grid.GetCellSpan(col, row);
    if (!span)
        return std::nullopt;
    // A span stays in its block: a header span runs down the header rows, a data span down the
    // data rows.
    std::optional<qint32> first = span->anchorRow;
    if (block == Block::Header)
        first = headerIndex(span->anchorRow);
    else if (span->anchorRow < 1)
        first = std::nullopt;
    if (!first)
        return std::nullopt;
    const auto runOf = [](qint32 from, qint32 count) {
        return IndexRun { from, qint32(std::min<qint64>(qint64(from) + count - 1, INT_MAX)) };
    };
    const IndexRun blockRows = block == Block::Header ? headerRows : pageRows;
    const SpanPart part { runOf(span->anchorCol, span->colCount).clippedTo(run),
        runOf(*first, span->rowCount).clippedTo(blockRows), span->anchorCol, span->anchorRow };
    if (!part.cols.contains(col) || !part.rows.contains(index))
        return std::nullopt;
    return part;
}

void SpreadGridPage::printText(qint32 col, qint32 row, Block block, bool spanned, CellBox &box)
{
    if (block == Block::Header) {
        // Header cells centre their text; a spanned header aligns as its anchor cell says.
        const QString text = spread.cellText(row, col);
        box.HorAlign = spanned ? grid.TypeHAlign() : 2;
        PrintSpreadCellText(pc, text, box, s.FontTable[spanned ? 5 : 3]);
        return;
    }
    QVariant value;
    grid.GetText(col, row, value);
    spread.select(row, col);
    const QString text = SpreadCellText(value, grid.CellType(), grid.TypeNumberDecPlaces());
    box.HorAlign = grid.TypeHAlign();
    PrintCellText(pc, text, box, s.FontTable[5]);
}

void SpreadGridPage::drawCell(qint32 col, qint32 index, Block block, bool blank)
{
    const bool header = block == Block::Header;
    const bool rowHeader = col == 0;
    const qint32 row = header ? headerRowNumber(index) : index;
    CellBox box;
    box.Left = s.CurX;
    box.Top = s.CurY;
    box.Height = surface(header ? headerHeightTw(index) : s.LineHeightTw);
    box.Width = advance(access->colWidth(col));
    box.CellType = header || rowHeader ? 3 : 5;
    const qint32 step = box.Width;
    const std::optional<SpanPart> part
        = blank ? std::nullopt : spanPart(col, index, block, rowHeader ? IndexRun { 0, 0 } : band);

    // Row numbers show on every row, blank filler rows included, whatever spans say.
    const bool rowNumber = rowHeader && !header;
    bool drawsText = true;
    if (!part) {
        plainBorders(box);
    } else {
        // Inside a span only its last column has right edges and its last row bottom edges.
        if (col == part->cols.last)
            rightEdge(box);
        if (index == part->rows.last)
            bottomEdge(box);
        // The span's text is drawn once, by the first of its cells on the page, in the box of
        // its part on the page.
        drawsText = col == part->cols.first && index == part->rows.first;
        if (drawsText && !rowNumber) {
            for (qint32 c = col + 1; c <= part->cols.last; ++c)
                box.Width += advance(access->colWidth(c));
            box.Height
                = surface(s.PageOriginY + rowsHeightTw(block, index, part->rows.last)) - box.Top;
        }
    }

    if (rowNumber) {
        box.HorAlign = 2;
        PrintCellText(pc, QString::number(row), box, s.FontTable[5]);
    } else if (drawsText && rowHeader) {
        // The corner prints what the grid holds there (nothing unless the host gave a heading
        // to the row numbers), centred, over the header rows it spans.
        box.HorAlign = 2;
        PrintSpreadCellText(
            pc, spread.cellText(part ? part->anchorRow : row, 0), box, s.FontTable[3]);
    } else if (drawsText && !blank) {
        const bool spanned = part.has_value();
        printText(
            spanned ? part->anchorCol : col, spanned ? part->anchorRow : row, block, spanned, box);
    }
    s.CurX += step;
}

void SpreadGridPage::drawRow(qint32 index, Block block, bool blank)
{
    if (rowHeaders)
        drawCell(0, index, block, blank);
    for (qint32 c = band.first; c <= band.last; ++c)
        drawCell(c, index, block, blank);
}

void SpreadGridPage::render()
{
    begin();
    rowHeaders = s.Format.MultFixCol == 1;
    band = { s.FirstBodyCol, s.LastBodyCol };
    double total = s.FixedColsWidthTw;
    for (qint32 c = band.first; c <= band.last; ++c)
        total += access->colWidth(c);
    if (rowHeaders)
        total += access->colWidth(0);
    setBandScale(total);

    // Header rows are numbered 0, -999, ..., -1: a thousand at the most.
    headerRows = { 0, std::min(grid.ColHeaderRows(), 1000) - 1 };
    for (qint32 g = headerRows.first; g <= headerRows.last; ++g) {
        drawRow(g, Block::Header, false);
        s.PageOriginY += headerHeightTw(g);
        newLine();
    }

    const qint64 perPage = s.LinesPerPage;
    const qint64 firstRow = (s.CurRowPage - 1) * perPage + 1;
    const qint64 lastRow = s.CurRowPage * perPage;
    pageRows = { qint32(firstRow), qint32(std::min<qint64>(lastRow, pc.grid.rows)) };
    drawBodyRows(firstRow, lastRow, pc.grid.rows,
        [&](qint32 r, bool blank) { drawRow(r, Block::Body, blank); });
    finish();
}

} // namespace

void RenderSpreadGrid(const PageContext &pc)
{
    SpreadGridPage page(pc);
    page.render();
}

} // namespace quillon
