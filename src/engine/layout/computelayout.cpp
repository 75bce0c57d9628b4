#include "computelayout.h"

#include "engine/convert.h"
#include "engine/draw/furniture.h"
#include "engine/draw/pagecontext.h"
#include "engine/draw/picturefilereader.h"
#include "engine/grids/gridadapters.h"
#include "engine/grids/gridkinds.h"
#include "engine/ignoringerrors.h"
#include "engine/layout/pagedriver.h"
#include "engine/state/enginestate.h"
#include "engine/state/platformservices.h"
#include "engine/state/printproperties.h"
#include "engine/state/registry.h"
#include "platform/interfaces/surface.h"
#include "printer/printingsystem.h"

#include <quillon/error.h>

#include <QFileInfo>
#include <QLoggingCategory>

namespace quillon {

Q_LOGGING_CATEGORY(lcLayout, "quillon.layout")

namespace {

constexpr double kTwipsPerMm = 56.7;

double divide(double a, double b)
{
    if (b == 0)
        throw Error(ErrorNumber::DivisionByZero, QStringLiteral("Division by zero"));
    return a / b;
}

/// A page or band count; a report too long for 32 bits is refused, never clamped.
qint32 toCount(double value, const char *what)
{
    if (!(value < 2147483648.0))
        throw Error(ErrorNumber::Overflow,
            QStringLiteral("Overflow: the report needs more %1 than Quillon can count "
                           "(at most 2,147,483,647)")
                .arg(QLatin1String(what)));
    return qint32(std::max(value, 0.0));
}

/// The newline column of a line entry as a number; booleans read as -1 and 0.
qint32 newlineValue(const QString &text, const char *table, qsizetype row)
{
    if (const auto value = LineTable::newlineValue(text))
        return *value;
    throw Error(ErrorNumber::TypeMismatch,
        QStringLiteral("Type mismatch: entry %1 of %2 has the newline value “%3”, "
                       "which is not a number")
            .arg(row)
            .arg(QLatin1String(table), text));
}

double lineTableHeight(const LineTable &table, const char *name, double lineHeight)
{
    double total = 0;
    for (qsizetype row = 1; row <= table.lastRow(); ++row) {
        if (newlineValue(table.cell(row, LineTable::Newline), name, row) == 1)
            total += lineHeight + 50;
    }
    return total;
}

/// Loads the logo picture; false (after a message) when the file is missing, no picture, no
/// regular file or past the limits of a picture: the logo is then left out of this job.
bool loadLogo(const EngineState &s, const QString &path, LayoutResult &r)
{
    if (!QFileInfo::exists(path)) {
        ShowMessage(s, QStringLiteral("徽标文件") + path + QStringLiteral("没有找到。"), 0);
        return false;
    }
    PictureFileReader reader(path);
    QImage picture = reader.read();
    if (picture.isNull()) {
        switch (reader.status()) {
        case PictureFileReader::Status::Unreadable:
            qCWarning(lcLayout) << "cannot read the logo" << path << reader.errorString();
            return true; // other load errors are ignored: the logo just takes no room
        case PictureFileReader::Status::NotAFile:
            ShowMessage(s,
                QStringLiteral("徽标文件") + path + reader.refusal()
                    + QStringLiteral("，不能作为图形读取。"),
                0);
            return false;
        case PictureFileReader::Status::PastLimits:
            ShowMessage(s,
                QStringLiteral("徽标文件") + path + QStringLiteral("超出图形的限制：")
                    + reader.refusal() + QStringLiteral("。本次不打印徽标。"),
                0);
            return false;
        default:
            ShowMessage(s, QStringLiteral("徽标文件") + path + QStringLiteral("不是图形文件。"), 0);
            return false;
        }
    }
    const double dpi = picture.dotsPerMeterY() > 0 ? picture.dotsPerMeterY() * 0.0254 : 96.0;
    r.LogoHeightTw = roundHalfEven(picture.height() * 1440.0 / dpi);
    r.LogoPicture = picture;
    return true;
}

/// What every step of the layout reads: the job's state, the print object, its grid and
/// the surfaces it measures on. The steps write only the result.
struct LayoutContext
{
    explicit LayoutContext(const EngineState &state)
        : s(state)
        , f(state.Format)
        , print(*state.printObject())
        , printer(state.printer())
        , measure(state.DrawTarget ? state.DrawTarget : printer)
        , rules(gridKindRules(int(print.GridType)))
    {
        if (!measure)
            throw Error(ErrorNumber::PrinterError,
                QStringLiteral("Printer error: there is no printer and no page to "
                               "lay the report out on"));
        if (rules)
            grid = GridAccess::create(int(rules->kind()), print.Datagrid, print.gridrows);
    }

    PrinterSurface &needPrinter() const
    {
        if (!printer)
            throw Error(ErrorNumber::PrinterError, QStringLiteral("Printer error: no printer"));
        return *printer;
    }
    /// The height of a line of text at a font's size, measured as the page furniture does.
    double lineHeight(int font) const
    {
        measure->setFontSize(s.FontTable[font].Size);
        return measure->TextHeight(QStringLiteral("高"));
    }

    const EngineState &s;
    const PageFormat &f;
    PrintProperties &print;
    PrinterSurface *printer;
    Surface *measure;
    const GridKindRules *rules; ///< nothing for a GridType that names no kind
    std::unique_ptr<GridAccess> grid;

    /// The first grid's page on the drawing target, for measuring titles and page-info lines
    /// as they will be drawn: those routines set the surface's font and read the state.
    PageContext page() const { return PageContext::firstGrid(const_cast<EngineState &>(s)); }
};

/// 2. Sheet and unprintable offset: the whole sheet in the preview, the printable area on
/// the printer.
void sheetAndOffset(const LayoutContext &c, LayoutResult &r)
{
    ignoringErrors("sheet", [&] {
        PrinterSurface &p = c.needPrinter();
        if (c.s.OutputMode == 2) {
            r.OffsetX = roundHalfEven((p.Width() - p.ScaleWidth()) / 2);
            r.OffsetY = roundHalfEven((p.Height() - p.ScaleHeight()) / 2);
            r.PaperWidthTw = roundHalfEven(p.Width());
            r.PaperHeightTw = roundHalfEven(p.Height());
        } else {
            r.OffsetX = r.OffsetY = 0;
            r.PaperWidthTw = roundHalfEven(p.ScaleWidth());
            r.PaperHeightTw = roundHalfEven(p.ScaleHeight());
        }
    });
}

/// 3. Margins, and 4. the usable area.
void margins(const LayoutContext &c, LayoutResult &r)
{
    const PageFormat &f = c.f;
    ignoringErrors("margins", [&] {
        // A centred page sits in its cell of the printable area (step 6). A page that fills the
        // area instead (a full page, or one wider than the area) is centred between margins
        // of half the two together: with no margins at all it would run from edge to edge.
        const auto centred = [&](qint16 pageMm, double paperTw, qint32 offset, double marginsMm,
                                 qint32 &nearMargin, qint32 &farMargin) {
            if (f.FullPage == 1 || pageMm * kTwipsPerMm > paperTw - 2.0 * offset)
                nearMargin = farMargin = roundHalfEven(marginsMm / 2 * kTwipsPerMm) + offset;
            else
                nearMargin = farMargin = offset;
        };
        if (f.VCenter == 1) {
            centred(f.PageHeight, r.PaperHeightTw, r.OffsetY, double(f.Top) + f.Bottom,
                r.TopMarginTw, r.BottomMarginTw);
        } else {
            r.TopMarginTw = roundHalfEven(f.Top * kTwipsPerMm) + r.OffsetY;
            r.BottomMarginTw = roundHalfEven(f.Bottom * kTwipsPerMm) + r.OffsetY;
        }
        if (f.HCenter == 1) {
            centred(f.PageWidth, r.PaperWidthTw, r.OffsetX, double(f.Left) + f.Right,
                r.LeftMarginTw, r.RightMarginTw);
        } else {
            r.LeftMarginTw = roundHalfEven(f.Left * kTwipsPerMm) + r.OffsetX;
            r.RightMarginTw = roundHalfEven(f.Right * kTwipsPerMm) + r.OffsetX;
        }
        r.UsableWidthTw = r.PaperWidthTw - r.LeftMarginTw - r.RightMarginTw;
        r.UsableHeightTw = r.PaperHeightTw - r.TopMarginTw - r.BottomMarginTw;
    });
}

/// 5. and 6. Logical pages per sheet and their size.
void logicalPages(const LayoutContext &c, LayoutResult &r)
{
    const PageFormat &f = c.f;
    r.PagesAcross = r.PagesDown = 1;
    if (f.FullPage == 1) {
        r.PageWidthTw = r.UsableWidthTw;
        r.PageHeightTw = r.UsableHeightTw;
        return;
    }
    struct Axis
    {
        qint16 pageMm;
        qint32 usable;
        const char *name;
        qint32 &pageTw;
        qint32 &pages;
        qint16 centre;
        double marginsMm;
        qint32 &nearMargin;
        qint32 &farMargin;
        qint32 offset;
        double (PrinterSurface::*printable)() const;
    };
    const Axis axes[] = {
        { f.PageWidth, r.UsableWidthTw, "page width", r.PageWidthTw, r.PagesAcross, f.HCenter,
            double(f.Left) + f.Right, r.LeftMarginTw, r.RightMarginTw, r.OffsetX,
            &PrinterSurface::ScaleWidth },
        { f.PageHeight, r.UsableHeightTw, "page height", r.PageHeightTw, r.PagesDown, f.VCenter,
            double(f.Top) + f.Bottom, r.TopMarginTw, r.BottomMarginTw, r.OffsetY,
            &PrinterSurface::ScaleHeight },
    };
    for (const Axis &a : axes) {
        ignoringErrors(a.name, [&] {
            if (a.pageMm * kTwipsPerMm > a.usable) {
                a.pageTw = a.usable;
                return;
            }
            a.pageTw = roundHalfEven(a.pageMm * kTwipsPerMm);
            const double printable = (c.needPrinter().*a.printable)();
            if (f.AutoArrange == 1) {
                const double per = a.centre == 1 ? a.pageTw : a.marginsMm * kTwipsPerMm + a.pageTw;
                a.pages = toCount(std::floor(divide(printable, per)), "pages per sheet");
                if (a.pages == 0)
                    a.pages = 1;
            }
            if (a.centre == 1) {
                a.nearMargin
                    = roundHalfEven((divide(printable, a.pages) - a.pageTw) / 2) + a.offset;
                a.farMargin = a.nearMargin;
            }
        });
    }
}

/// 7. and 8. The height left for body rows: the page less titles, logo, head lines, the
/// repeated header rows, foot lines and the page-info line.
qint32 heightForBodyRows(const LayoutContext &c, LayoutResult &r)
{
    const EngineState &s = c.s;
    const PageFormat &f = c.f;
    double height = r.PageHeightTw;
    ignoringErrors("titles", [&] {
        // A title too wide for the page is shrunk and may wrap: keep room for all its lines.
        const auto titleHeight = [&](int which) -> double {
            const double line = c.lineHeight(which);
            return s.DrawTarget
                ? std::max<double>(line, TitleHeight(c.page(), which, r.PageWidthTw))
                : line;
        };
        if (!c.print.MainTitle.isEmpty())
            height -= titleHeight(0) + 100;
        if (!c.print.SubTitle.isEmpty())
            height -= titleHeight(1) + 100;
    });
    r.LogoHeightTw = 0;
    r.LogoPicture = QImage();
    r.LogoSwitchedOff = false;
    if (f.LogPicPrt == 1) {
        if (loadLogo(s, f.LogPic, r))
            height -= r.LogoHeightTw;
        else
            r.LogoSwitchedOff = true;
    }
    height -= lineTableHeight(s.HeadLines, "HeadLines", c.lineHeight(2));
    if (c.grid)
        height -= c.rules->fixedRowsHeight(s, *c.grid);

    const double furnitureLine = c.lineHeight(6);
    height -= lineTableHeight(s.FootLines, "FootLines", furnitureLine);
    if (f.PrintDate + f.PrintPageNo + f.PrintOperator > 0) {
        height -= furnitureLine + 100;
        // On a narrow page the page-info items wrap: keep room for every line they take with
        // the longest page numbers this grid can reach.
        if (s.DrawTarget) {
            const qint64 maxRows = std::max<qint64>(1, qint64(s.GridRows) - s.FixedRowsTop);
            const qint64 maxBands = f.HoriCutPage == 1 ? std::max(1, s.ColEnd - s.ColStart + 1) : 1;
            const int extra = PageInfoLineCount(c.page(), maxRows, maxBands, r.PageWidthTw) - 1;
            if (extra > 0)
                height -= extra * (furnitureLine + 50);
        }
    }
    return roundHalfEven(height);
}

/// 9. Body row height and rows per page: a given row height wins over a given row count;
/// with neither, the grid's own body row height.
void rowsPerPage(
    const LayoutContext &c, LayoutResult &r, qint32 usableH, qint16 rowHeightMm, qint16 rowCount)
{
    const qint16 rowMm = std::max<qint16>(rowHeightMm, 0);
    const qint16 rows = std::max<qint16>(rowCount, 0);
    r.LineHeightTw = roundHalfEven(rowMm * kTwipsPerMm);
    double linesPerPage = rows;
    if (rowMm != 0) {
        linesPerPage = std::floor(double(usableH) / r.LineHeightTw);
    } else if (rows != 0) {
        r.LineHeightTw = qint32(std::floor(double(usableH) / rows));
    } else {
        r.LineHeightTw = c.grid ? c.rules->bodyRowHeight(c.s, *c.grid) : 0;
        linesPerPage = r.LineHeightTw < 1 ? 1 : std::floor(double(usableH) / r.LineHeightTw);
    }
    const qint32 bodyRows = c.s.GridRows - c.s.FixedRowsTop - c.s.FixedRowsBottom;
    r.GridDoesNotFit = linesPerPage < 1 && (bodyRows > 0 || usableH < 0);
    if (linesPerPage < 1) {
        // Without a millimetre left for rows, no row height helps: say what fills the page.
        ShowMessage(c.s,
            usableH / 57 < 1
                ? QStringLiteral("页边距、标题、表头、页眉和页脚已占满页面，没有留给表格行的高度，"
                                 "请减小页边距或字号，或减少页眉页脚行")
                : QStringLiteral("行的高度小于网格高度，请重新设置行高\n最小行高:")
                    + QString::number(usableH / 57),
            48);
        linesPerPage = 1;
    }
    r.LinesPerPage = toCount(linesPerPage, "rows per page");
}

/// 10. Row bands. A grid of any kind prints its heading on a page when it has no body rows.
void rowBands(const LayoutContext &c, LayoutResult &r)
{
    const qint32 bodyRows = c.s.GridRows - c.s.FixedRowsTop - c.s.FixedRowsBottom;
    r.RowPageCount = toCount(std::floor(double(bodyRows) / r.LinesPerPage + 0.999), "pages");
    if (c.rules && r.RowPageCount < 1)
        r.RowPageCount = 1;
}

/// 11. and 12. The printed columns, the repeated fixed columns and the column bands.
void columnBands(const LayoutContext &c, LayoutResult &r)
{
    const EngineState &s = c.s;
    const PageFormat &f = c.f;
    r.FirstBodyCol = s.ColStart;
    if (f.MultFixCol == 1 && r.FirstBodyCol < s.FixedCols)
        r.FirstBodyCol = c.rules ? c.rules->firstColumnAfterFixed(s.FixedCols) : s.FixedCols;
    r.LastBodyCol = s.ColEnd;
    r.ColBandStarts = { r.FirstBodyCol };
    r.FixedColsWidthTw = 0;
    if (c.grid) {
        const auto width = [&](qint32 col) { return c.rules->bandColumnWidth(*c.grid, col); };
        if (f.MultFixCol == 1) {
            if (const auto fixed = c.rules->fixedColumnsWidth(*c.grid, s.FixedCols)) {
                r.FixedColsWidthTw = roundHalfEven(*fixed);
                if (r.PageWidthTw < r.FixedColsWidthTw)
                    ShowMessage(s, QStringLiteral("固定列宽度超过页面宽度"), 0);
            }
        }
        if (f.HoriCutPage == 1) {
            r.ColBandStarts = PlanColumnBands(r.FirstBodyCol, r.LastBodyCol, r.PageWidthTw,
                r.FixedColsWidthTw, f.MultFixCol == 1, width);
        }
    }
    r.ColPageCount = qint32(r.ColBandStarts.size());
}

/// 13. Sheets: the logical pages, column bands first, by the pages a sheet holds.
void sheets(LayoutResult &r)
{
    r.SheetCount = toCount(
        std::floor(double(r.RowPageCount) * r.ColPageCount / (double(r.PagesDown) * r.PagesAcross)
            + 0.999),
        "sheets");
}

} // namespace

void LayoutResult::applyTo(EngineState &s) const
{
    static_cast<LayoutResult &>(s) = *this;
    if (LogoSwitchedOff)
        s.Format.LogPicPrt = 0;
    s.CurRowPage = s.CurColPage = s.CurSheet = 1;
}

LayoutResult LayoutOf(const EngineState &s, qint16 rowHeightMm, qint16 rowCount)
{
    const LayoutContext c(s);
    // A step whose errors are ignored leaves its fields as the last layout had them.
    LayoutResult r = s;
    sheetAndOffset(c, r);
    margins(c, r);
    logicalPages(c, r);
    const qint32 usableH = heightForBodyRows(c, r);
    rowsPerPage(c, r, usableH, rowHeightMm, rowCount);
    rowBands(c, r);
    columnBands(c, r);
    sheets(r);
    if (c.grid && r.PageWidthTw < 1) {
        ShowMessage(c.s,
            QStringLiteral("左右页边距已占满页面宽度，没有留给表格的宽度，请减小左右页边距"), 48);
        r.GridDoesNotFit = true;
    }
    return r;
}

void ChoosePaper(PrinterSurface &printer, const PageFormat &f)
{
    ignoringErrors("paper", [&] {
        if (f.PaperSize != 0)
            printer.setPaperSize(f.PaperSize == 42 ? 256 : f.PaperSize); // 42: user-defined
        printer.setOrientation(f.PaperOriention);
    });
}

void ComputeLayout(EngineState &s, qint16 rowHeightMm, qint16 rowCount)
{
    if (PrinterSurface *printer = s.printer())
        ChoosePaper(*printer, s.Format);
    LayoutOf(s, rowHeightMm, rowCount).applyTo(s);
    // The preview's page picture is the whole sheet at the zoom.
    if (s.OutputMode == 2 && s.DrawTarget) {
        ignoringErrors("page size", [&] {
            s.DrawTarget->setWidth(s.ZoomRate * s.PaperWidthTw);
            s.DrawTarget->setHeight(s.ZoomRate * s.PaperHeightTw);
        });
    }
    if (const GridKindRules *rules = gridKindRules(int(s.printObject()->GridType)))
        rules->checkLayout(s);
}

std::vector<qint32> PlanColumnBands(qint32 first, qint32 last, double pageWidth, double fixedWidth,
    bool repeatFixed, const std::function<double(qint32)> &width)
{
    std::vector<qint32> starts { first };
    double used = fixedWidth;
    for (qint32 c = first; c <= last; ++c) {
        const double w = width(c);
        // A column starts a new band when more than half of it would stick out of the page;
        // the first column of a band stays on it, so no band is ever empty.
        if (c != starts.back() && used + w / 2 > pageWidth) {
            starts.push_back(c);
            used = repeatFixed ? fixedWidth : 0;
        }
        used += w;
    }
    return starts;
}

void SelectColumnBand(EngineState &s, qint32 lastCol)
{
    if (s.ColBandStarts.empty())
        return;
    const std::size_t band = std::clamp<std::size_t>(
        std::size_t(std::max(s.CurColPage, 1)) - 1, 0, s.ColBandStarts.size() - 1);
    s.FirstBodyCol = s.ColBandStarts[band];
    s.LastBodyCol = band + 1 < s.ColBandStarts.size() ? s.ColBandStarts[band + 1] - 1 : lastCol;
}

} // namespace quillon

namespace quillon {

QString LayoutDump(const EngineState &s)
{
    const std::pair<const char *, qint64> fields[] = {
        { "PaperWidthTw", s.PaperWidthTw },
        { "PaperHeightTw", s.PaperHeightTw },
        { "OffsetX", s.OffsetX },
        { "OffsetY", s.OffsetY },
        { "TopMarginTw", s.TopMarginTw },
        { "BottomMarginTw", s.BottomMarginTw },
        { "LeftMarginTw", s.LeftMarginTw },
        { "RightMarginTw", s.RightMarginTw },
        { "UsableWidthTw", s.UsableWidthTw },
        { "UsableHeightTw", s.UsableHeightTw },
        { "PageWidthTw", s.PageWidthTw },
        { "PageHeightTw", s.PageHeightTw },
        { "PagesAcross", s.PagesAcross },
        { "PagesDown", s.PagesDown },
        { "LogoHeightTw", s.LogoHeightTw },
        { "LineHeightTw", s.LineHeightTw },
        { "LinesPerPage", s.LinesPerPage },
        { "RowPageCount", s.RowPageCount },
        { "FirstBodyCol", s.FirstBodyCol },
        { "LastBodyCol", s.LastBodyCol },
        { "FixedColsWidthTw", s.FixedColsWidthTw },
        { "ColPageCount", s.ColPageCount },
        { "SheetCount", s.SheetCount },
    };
    QString text;
    for (const auto &[name, value] : fields)
        text += QLatin1String(name) + QLatin1Char('=') + QString::number(value) + QLatin1Char('\n');
    return text;
}

std::optional<SheetPlan> planSheet(
    const EngineState &job, const PageSetupValues &values, PrinterSurface &printer)
{
    // A state of its own, so the running job keeps its layout; rows play no part.
    EngineState probe;
    static_cast<LayoutResult &>(probe) = job;
    probe.Format = values.format;
    probe.Format.LogPicPrt = 0; // the logo changes no page's place; its messages are not wanted
    probe.FontTable = values.fonts;
    // The lines and the grid's facts place the pages as much as the format does.
    for (LineTable EngineState::*lines : { &EngineState::HeadLines, &EngineState::FootLines,
             &EngineState::HeadLines1, &EngineState::FootLines1 })
        probe.*lines = job.*lines;
    for (qint32 EngineState::*fact : { &EngineState::GridRows, &EngineState::GridCols,
             &EngineState::FixedRowsTop, &EngineState::FixedRowsBottom, &EngineState::FixedCols,
             &EngineState::ColStart, &EngineState::ColEnd, &EngineState::FixRowsHeightTw })
        probe.*fact = job.*fact;
    probe.OutputMode = 1;
    probe.ZoomRate = 1;
    probe.DrawTarget = &printer;
    probe.setPrintObject(job.printObject());
    QHash<QString, int> answers;
    probe.JobAnswers = &answers;
    if (!ignoringErrors("sheet plan", [&] {
            const QuietMessages quiet;
            ChoosePaper(printer, probe.Format);
            static_cast<LayoutResult &>(probe) = LayoutOf(probe, 0, 0);
        }))
        return std::nullopt;

    SheetPlan plan;
    plan.across = std::max(1, probe.PagesAcross);
    plan.down = std::max(1, probe.PagesDown);
    for (int r = 0; r < plan.down; ++r) {
        for (int c = 0; c < plan.across; ++c)
            plan.pages.append(QRect(cellLeft(probe, c) - probe.OffsetX,
                rowTop(probe, r) - probe.OffsetY, probe.PageWidthTw, probe.PageHeightTw));
    }
    return plan;
}

} // namespace quillon
