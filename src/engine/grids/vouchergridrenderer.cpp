#include "vouchergridrenderer.h"

#include "engine/convert.h"
#include "engine/draw/amountcolumns.h"
#include "engine/draw/pagecontext.h"
#include "engine/draw/textprimitives.h"
#include "engine/ignoringerrors.h"
#include "engine/layout/computelayout.h"
#include "engine/state/enginestate.h"
#include "engine/state/platformservices.h"
#include "engine/state/previewsinks.h"
#include "engine/state/printproperties.h"
#include "engine/state/registry.h"
#include "gridadapters.h"
#include "gridpage.h"
#include "platform/interfaces/surface.h"
#include "printer/printingsystem.h"

#include <quillon/abstractvouchergrid.h>

#include <tuple>
#include <vector>

namespace quillon {

QString AmountCellText(double value, bool withLines, bool signless, bool *negative)
{
    // Rounded as the text without lines is, half away from zero on the decimal value: an amount
    // shows the same cents with lines and without (1.125 is 1.13 in both).
    QString cents = formatNumber(std::fabs(value), QStringLiteral("0.00"));
    cents.remove(QLatin1Char('.'));
    while (cents.startsWith(QLatin1Char('0')))
        cents.remove(0, 1);
    *negative = value < 0 && !cents.isEmpty();
    if (cents.isEmpty())
        return {};
    if (!withLines)
        return formatNumber(value, QStringLiteral("##,###,###,###.00"));
    return *negative && !signless ? QStringLiteral("-") + cents : cents;
}

namespace {

using Flag = AbstractVoucherGrid::CellFlag;

const QString kVoucherCallMod = QStringLiteral("凭证");
const QString kTotalLabel = QStringLiteral("合 计");
constexpr int kRed = 255;
/// How many rows up (or columns left) a page looks for the top-left cell of a merged area
/// that began before it.
constexpr qint32 kMaxMergeSearch = 10000;

enum class Region { Header, Body, Blank, Bottom };

/// A column as this page draws it: the repeated fixed columns first, then the band.
struct PageColumn
{
    qint32 col;
    bool fixed;
    qint32 width = 0; ///< surface units
    /// The grid's amount-column information, read once a page.
    std::optional<AbstractVoucherGrid::AmountColumn> amount;
    qint32 cellsShown = 0; ///< the digit cells an amount column shows
    bool labelsUnderHeading = false; ///< its heading shares the label row
};

/// What an amount cell prints: its text, whether that goes one character a digit cell, and
/// whether it is a negative amount (red).
struct AmountText
{
    QString text;
    bool inCells = false;
    bool negative = false;
    bool overflows = false; ///< more characters than cells: "#" instead
};

/// One call of the renderer: the page's geometry and the grid, read once.
class VoucherGridPage
{
public:
    explicit VoucherGridPage(const PageContext &context)
        : ctx(context)
        , s(context.s)
        , print(context.print)
        , zoom(s.ZoomRate)
        , access(GridAccess::create(2, ctx.grid.grid, print.gridrows))
        , grid(*static_cast<VoucherGridAccess &>(*access).grid())
    {
        if (const PrinterSurface *printer = s.printer())
            colorMode = printer->ColorMode();
    }

    void render();
    /// Selects the page's column band and lays its columns out.
    void planColumns();
    const std::vector<PageColumn> &pageColumns() const { return columns; }
    /// The text an amount column's cell prints in this row, when the row is one of its
    /// amounts; "#" in every cell shown for an amount that does not fit.
    std::optional<AmountText> amountText(
        qint32 row, const PageColumn &pc, const QString &text) const;
    /// The rows whose amounts do not fit the cells an amount column shows, in order.
    std::vector<qint32> overflowingRows(const PageColumn &pc) const;

private:
    qint32 surface(double pageTwips) const { return roundHalfEven(pageTwips * zoom); }
    qint32 fixedRowHeightTw(qint32 row) const
    {
        return s.FixRowsHeightTw != 0 ? s.FixRowsHeightTw : grid.RowHeight(row);
    }
    void layOutColumns();
    void newLine();
    void drawRow(qint32 row, Region region, qint32 height, IndexRun rows);
    void drawCell(qint32 row, std::size_t index, Region region, qint32 height, IndexRun rows);
    void borders(const CellBox &box, quint8 flags, bool always, bool cutBelow, bool cutRight);
    /// The cell whose text a merged area shows: the top-left cell of its flags, found from a
    /// cell of the area's first row on this page.
    std::optional<std::pair<qint32, qint32>> mergeOrigin(qint32 row, qint32 col) const;

    const PageContext &ctx;
    EngineState &s;
    PrintProperties &print;
    const double zoom;
    std::unique_ptr<GridAccess> access;
    AbstractVoucherGrid &grid;
    std::vector<PageColumn> columns;
    double scale = 1;
    qint32 digitW = 0;
    FontSpec digitFont;
    qint32 labelStrip = 0; ///< the labels' part of a label row shared with the heading
    /// Blanks the totals: a voucher's page other than its last.
    bool totalsBlank = false;
    qint16 colorMode = 0;
};

void VoucherGridPage::newLine()
{
    s.CurX = surface(s.PageOriginX);
    s.CurY = surface(s.PageOriginY);
}

void VoucherGridPage::layOutColumns()
{
    columns.clear();
    if (s.Format.MultFixCol == 1) {
        for (qint32 c = 0; c < s.FixedCols; ++c)
            columns.push_back({ c, true, 0, std::nullopt });
    }
    for (qint32 c = s.FirstBodyCol; c <= s.LastBodyCol; ++c)
        columns.push_back({ c, false, 0, grid.GetJeLineInf(c) });

    // The fit ratio: the page width over the natural width of what this page shows.
    double natural = 0;
    for (const PageColumn &pc : columns) {
        if (!grid.ColHide(pc.col))
            natural += grid.ColWidth(pc.col);
    }
    // Nothing to stretch when nothing visible has a width.
    s.FitRatio = natural > 0 ? s.PageWidthTw / natural : 1;

    // While the page is wider than the band, amount columns keep their digit cells and the
    // other visible columns share what is left in proportion to their widths; otherwise every
    // column scales alike.
    digitW = MeasureDigitWidth(ctx);
    double avail = s.PageWidthTw * zoom;
    double shared = 0;
    for (const PageColumn &pc : columns) {
        if (grid.ColHide(pc.col))
            continue;
        if (!pc.fixed && s.FitRatio > 1 && pc.amount)
            avail -= AmountColumnWidth(grid.getjecellcols(pc.col), digitW);
        else
            shared += grid.ColWidth(pc.col);
    }
    if (natural <= 0) {
        scale = 1;
    } else if (s.FitRatio > 1 && (shared <= 0 || avail <= 0)) {
        // The amount columns leave the others no room (or there are no others): every column
        // scales alike, and the grid still ends at the page's right edge.
        s.FitRatio = 1;
        scale = s.PageWidthTw / natural;
    } else {
        scale = shared > 0 ? avail / shared / zoom : 1;
    }
    bool labelsUnderHeading = false;
    for (PageColumn &pc : columns) {
        pc.width = pc.fixed ? FixedColumnDrawWidth(ctx, grid, pc.col, scale)
                            : ColumnDrawWidth(ctx, grid, pc.col, scale, digitW);
        if (pc.amount && !pc.fixed) {
            pc.cellsShown = AmountCellsShown(pc.width, digitW);
            pc.labelsUnderHeading
                = AmountLabelsUnderHeading(ctx, grid, pc.col, pc.amount->firstRow);
            labelsUnderHeading |= pc.labelsUnderHeading;
        }
    }
    labelStrip = labelsUnderHeading ? AmountLabelStrip(ctx) : 0;
    digitFont = AmountDigitFont(ctx, digitW);
}

void VoucherGridPage::planColumns()
{
    SelectColumnBand(s, ctx.grid.colEnd);
    layOutColumns();
}

void VoucherGridPage::borders(
    const CellBox &box, quint8 flags, bool always, bool cutBelow, bool cutRight)
{
    Surface &target = ctx.surface;
    const bool inForce = flags & Flag::FlagsInForce;
    if (always || !inForce || (flags & Flag::BottomBorder) || cutBelow)
        target.Line(box.Left, box.Top + box.Height, box.Left + box.Width, box.Top + box.Height,
            s.LineColor);
    if (always || !inForce || (flags & Flag::RightBorder) || cutRight)
        target.Line(
            box.Left + box.Width, box.Top, box.Left + box.Width, box.Top + box.Height, s.LineColor);
}

std::optional<std::pair<qint32, qint32>> VoucherGridPage::mergeOrigin(qint32 row, qint32 col) const
{
    const auto covered = [&](qint32 r, qint32 c, Flag starts) {
        const quint8 f = grid.Cell(r, c);
        return (f & Flag::FlagsInForce) && !(f & starts);
    };
    // Left along the row to the area's first column, then up that column to its first row;
    // every page of a long area looks for its top, so the search has a bound.
    qint32 c = col;
    for (qint32 steps = 0; c > 0 && covered(row, c, Flag::StartsHorizontalRun); ++steps, --c) {
        if (steps == kMaxMergeSearch)
            return std::nullopt;
    }
    qint32 r = row;
    for (qint32 steps = 0; r > 0 && covered(r, c, Flag::StartsVerticalRun); ++steps, --r) {
        if (steps == kMaxMergeSearch)
            return std::nullopt;
    }
    return std::pair { r, c };
}

std::optional<AmountText> VoucherGridPage::amountText(
    qint32 row, const PageColumn &pc, const QString &text) const
{
    const std::optional<AbstractVoucherGrid::AmountColumn> &info = pc.amount;
    if (pc.fixed || !info || !(info->firstRow < row && row <= info->lastRow))
        return std::nullopt;
    const std::optional<double> value = numericValue(text);
    if (!value)
        return AmountText { text };
    const bool withLines = s.Format.Cyline == 1;
    const bool signless = colorMode == 2 && s.Format.ColorPrint == 1;
    AmountText amount { {}, true };
    amount.text = AmountCellText(*value, withLines, signless, &amount.negative);
    // Red amounts go with the digit lines only; a digit that has no cell would misprint it.
    amount.negative = amount.negative && withLines;
    if (amount.text.size() > pc.cellsShown)
        amount = { QString(pc.cellsShown, u'#'), true, false, true };
    return amount;
}

/// At least as many characters as an amount cell prints for a plain decimal text, counted
/// without parsing it: a job checks every amount of a long voucher after each layout. Nothing
/// for any other text.
std::optional<qsizetype> amountLengthBound(const QString &text, bool withLines)
{
    qsizetype digits = 0;
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9')
            ++digits;
        else if (!QStringView(u" .,+-()¥￥$").contains(c))
            return std::nullopt;
    }
    // Hundredths have at most two digits more, and a sign; without lines the integer digits
    // are grouped by commas and the point and cents follow.
    return withLines ? digits + 3 : digits + digits / 3 + 4;
}

std::vector<qint32> VoucherGridPage::overflowingRows(const PageColumn &pc) const
{
    std::vector<qint32> rows;
    if (pc.fixed || !pc.amount)
        return rows;
    const qint32 first = std::max(pc.amount->firstRow + 1, ctx.grid.fixedRowsTop);
    const qint32 last = std::min(pc.amount->lastRow, ctx.grid.rows - 1);
    const bool withLines = s.Format.Cyline == 1;
    const quint8 corner = Flag::StartsHorizontalRun | Flag::StartsVerticalRun;
    for (qint32 r = first; r <= last; ++r) {
        const QString text = grid.Text(r, pc.col);
        const std::optional<qsizetype> bound = amountLengthBound(text, withLines);
        if (bound && *bound <= pc.cellsShown)
            continue;
        // A cell covered by a merged area prints no amount of its own.
        const quint8 f = grid.Cell(r, pc.col);
        if ((f & Flag::FlagsInForce) && (f & corner) != corner)
            continue;
        const std::optional<AmountText> amount = amountText(r, pc, text);
        if (amount && amount->overflows)
            rows.push_back(r);
    }
    return rows;
}

void VoucherGridPage::drawCell(
    qint32 row, std::size_t index, Region region, qint32 height, IndexRun rows)
{
    const PageColumn &pc = columns[index];
    CellBox box;
    box.Left = s.CurX;
    box.Top = s.CurY;
    box.Width = pc.width;
    box.Height = height;
    if (region == Region::Blank) {
        borders(box, 0, true, false, false);
        return;
    }

    const quint8 flags = grid.Cell(row, pc.col);
    const IndexRun cols = PrintedColumnRun(s, pc.col);
    // A merged area cut at the end of the page's rows or of its run of columns is closed there.
    const auto continues = [&](qint32 r, qint32 c, Flag starts) {
        const quint8 f = grid.Cell(r, c);
        return (f & Flag::FlagsInForce) && !(f & starts);
    };
    const bool inForce = flags & Flag::FlagsInForce;
    const bool cutBelow = inForce && row == rows.last && row + 1 < ctx.grid.rows
        && continues(row + 1, pc.col, Flag::StartsVerticalRun);
    const bool cutRight = inForce && pc.col == cols.last && pc.col + 1 < ctx.grid.cols
        && continues(row, pc.col + 1, Flag::StartsHorizontalRun);
    borders(box, flags, false, cutBelow, cutRight);

    qint32 textRow = row, textCol = pc.col;
    std::size_t lastIndex = index;
    qint32 lastRow = row;
    if (inForce) {
        // A merged area shows its text once, in the part of it on this page: from its top-left
        // cell, or from the first cell of this page's rows and run of columns that it covers.
        const bool startsAcross = (flags & Flag::StartsHorizontalRun) || pc.col == cols.first;
        const bool startsDown = (flags & Flag::StartsVerticalRun) || row == rows.first;
        if (!startsAcross || !startsDown)
            return;
        const bool corner
            = (flags & Flag::StartsHorizontalRun) && (flags & Flag::StartsVerticalRun);
        if (!corner) {
            const auto origin = mergeOrigin(row, pc.col);
            if (!origin)
                return; // too far away: the area's text shows only near its top
            std::tie(textRow, textCol) = *origin;
        }
        for (std::size_t j = index + 1; j < columns.size(); ++j) {
            const qint32 c = columns[j].col;
            if (c <= columns[j - 1].col || c > cols.last)
                break;
            const quint8 f = grid.Cell(row, c);
            if (!(f & Flag::FlagsInForce) || (f & Flag::StartsHorizontalRun))
                break;
            box.Width += columns[j].width;
            lastIndex = j;
        }
        for (qint32 r = row + 1; r <= rows.last; ++r) {
            const quint8 f = grid.Cell(r, pc.col);
            if (!(f & Flag::FlagsInForce) || (f & Flag::StartsVerticalRun))
                break;
            box.Height
                += region == Region::Body ? surface(s.LineHeightTw) : surface(fixedRowHeightTw(r));
            lastRow = r;
        }
    }
    if (region == Region::Header) {
        // A heading that ends in an amount column's label row leaves the labels their strip.
        for (std::size_t j = index; j <= lastIndex; ++j) {
            if (columns[j].labelsUnderHeading && columns[j].amount->firstRow == lastRow) {
                box.Height = std::max(0, box.Height - labelStrip);
                break;
            }
        }
    }

    QString text = grid.Text(textRow, textCol);
    box.HorAlign = grid.HorAlign(textRow, textCol);
    box.VerAlign = grid.VerAlign(textRow, textCol);
    const bool bodyColumn = !pc.fixed;
    if (bodyColumn && region != Region::Body && text == QStringLiteral("0"))
        text.clear();
    std::optional<AmountText> amount;
    if (bodyColumn && region == Region::Bottom && totalsBlank) {
        // The totals of a voucher print on its last page only.
        if (isNumericText(text))
            text.clear();
        else if (text.trimmed().startsWith(kTotalLabel))
            text = kTotalLabel;
    } else if (bodyColumn && region != Region::Header) {
        amount = amountText(row, pc, text);
    }

    int font = 3;
    box.CellType = 3;
    if (region == Region::Body) {
        font = bodyColumn ? 5 : 4;
        box.CellType = bodyColumn ? 5 : 4;
    } else if (region == Region::Bottom && bodyColumn) {
        font = 5;
    }
    if (amount) {
        box.HorAlign = 2;
        if (amount->inCells) {
            // One character a digit cell, at the digits' own size: never shrunk or wrapped.
            FontSpec digits = digitFont;
            if (amount->negative)
                digits.Color = kRed;
            box.Width = pc.width;
            if (!amount->text.isEmpty())
                PrintAmountCells(ctx, amount->text, box, digitW, digits);
            return;
        }
        text = amount->text;
    }
    PrintVoucherCellText(ctx, text, box, s.FontTable[font]);
}

void VoucherGridPage::drawRow(qint32 row, Region region, qint32 height, IndexRun rows)
{
    for (std::size_t i = 0; i < columns.size(); ++i) {
        drawCell(row, i, region, height, rows);
        s.CurX += columns[i].width;
    }
}

void VoucherGridPage::render()
{
    const qint32 left0 = s.PageOriginX;
    const qint32 top0 = s.PageOriginY;
    newLine();
    planColumns();
    ctx.surface.setDrawWidth(1);
    totalsBlank = print.CallMod == kVoucherCallMod && s.CurRowPage != s.RowPageCount;

    // Header rows.
    const IndexRun headerRows { 0, ctx.grid.fixedRowsTop - 1 };
    for (qint32 r = 0; r < ctx.grid.fixedRowsTop; ++r) {
        const qint32 height = fixedRowHeightTw(r);
        drawRow(r, Region::Header, surface(height), headerRows);
        s.PageOriginY += height;
        newLine();
    }

    // The page's band of body rows; past the data, blank rows when the format asks for them.
    const qint64 dataEnd
        = std::max<qint64>(ctx.grid.fixedRowsTop, qint64(ctx.grid.rows) - ctx.grid.fixedRowsBottom);
    const qint64 perPage = s.LinesPerPage;
    const qint64 firstRow = (qint64(s.CurRowPage) - 1) * perPage + ctx.grid.fixedRowsTop;
    const qint64 lastRow = firstRow + perPage - 1;
    const IndexRun bodyRows { qint32(firstRow), qint32(std::min(lastRow, dataEnd - 1)) };
    const bool progress = s.OutputMode == 2 && s.PreviewUiActive && s.PreviewProgressBar;
    for (qint64 r = firstRow; r <= lastRow; ++r) {
        if (progress)
            s.PreviewProgressBar->setValue(s.PreviewProgressBar->value() + 80.0 / perPage);
        const bool blank = r >= dataEnd;
        if (blank && s.Format.FillBlankLine != 1)
            break;
        drawRow(qint32(r), blank ? Region::Blank : Region::Body, surface(s.LineHeightTw), bodyRows);
        s.PageOriginY += s.LineHeightTw;
        newLine();
    }

    // The bottom (totals) rows.
    const IndexRun bottomRows { qint32(dataEnd), ctx.grid.rows - 1 };
    for (qint32 r = bottomRows.first; r < ctx.grid.rows; ++r) {
        const qint32 height = fixedRowHeightTw(r);
        drawRow(r, Region::Bottom, surface(height), bottomRows);
        s.PageOriginY += height;
        newLine();
    }

    FinishGridPage(ctx, left0, top0, [&] { DrawAmountColumns(ctx, left0, top0, scale); });
}

} // namespace

void DrawVoucherGrid(const PageContext &pc)
{
    VoucherGridPage page(pc);
    page.render();
}

void CheckAmountColumns(EngineState &s)
{
    if (!s.DrawTarget)
        return;
    // As printed: at zoom 1, each column on its band.
    const auto saved
        = std::tuple(s.ZoomRate, s.CurColPage, s.FirstBodyCol, s.LastBodyCol, s.FitRatio);
    s.ZoomRate = 1;
    QStringList columns;
    ignoringErrors("amount column check", [&] {
        const PageContext context = PageContext::firstGrid(s);
        VoucherGridPage page(context);
        for (qint32 band = 1; band <= std::max(1, s.ColPageCount); ++band) {
            s.CurColPage = band;
            page.planColumns();
            for (const PageColumn &pc : page.pageColumns()) {
                const std::vector<qint32> rows = page.overflowingRows(pc);
                if (rows.empty())
                    continue;
                QStringList shown;
                for (std::size_t i = 0; i < std::min<std::size_t>(rows.size(), 10); ++i)
                    shown << QString::number(rows[i]);
                QString line = QStringLiteral("第 %1 列第 %2 行")
                                   .arg(pc.col)
                                   .arg(shown.join(QStringLiteral("、")));
                if (rows.size() > 10)
                    line += QStringLiteral("等 %1 行").arg(rows.size());
                columns << line;
            }
        }
    });
    std::tie(s.ZoomRate, s.CurColPage, s.FirstBodyCol, s.LastBodyCol, s.FitRatio) = saved;
    if (!columns.isEmpty())
        ShowMessage(s,
            QStringLiteral("这些金额的位数多于金额列的数位，印成了“#”（行、列从 0 数起）：\n")
                + columns.join(QLatin1Char('\n')),
            48);
}

} // namespace quillon
