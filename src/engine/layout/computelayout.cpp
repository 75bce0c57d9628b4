#include "computelayout.h"

#include "engine/convert.h"
#include "engine/draw/picturefilereader.h"
#include "engine/draw/furniture.h"
#include "engine/draw/surface.h"
#include "engine/grids/gridadapters.h"
#include "engine/state/enginestate.h"
#include "engine/state/platformservices.h"
#include "engine/state/registry.h"
#include "printer/printingsystem.h"

#include <quillon/error.h>
#include <quillon/myprint.h>

#include <QFileInfo>
#include <QLoggingCategory>

namespace quillon {

Q_LOGGING_CATEGORY(lcLayout, "quillon.layout")

namespace {

constexpr double kTwipsPerMm = 56.7;

/// Thrown inside the steps whose failures are ignored, for what would be a runtime error.
struct StepFailed
{
};

/// Runs a step of the computation whose failure only loses that step.
template<typename Step>
void ignoringErrors(const char *what, Step &&step)
{
    try {
        step();
    } catch (const StepFailed &) {
        qCDebug(lcLayout) << "layout step skipped:" << what;
    } catch (const Error &e) {
        qCDebug(lcLayout) << "layout step skipped:" << what << e.what();
    }
}

double divide(double a, double b)
{
    if (b == 0)
        throw StepFailed {};
    return a / b;
}

/// A page or band count; a report too long for 32 bits is refused, never clamped.
qint32 toCount(double value, const char *what)
{
    if (!(value < 2147483648.0))
        throw Error(6, QStringLiteral("Overflow: the report needs more %1 than Quillon can count "
                                      "(at most 2,147,483,647)")
                           .arg(QLatin1String(what)));
    return qint32(std::max(value, 0.0));
}

/// The newline column of a line entry as a number; booleans read as -1 and 0.
qint32 newlineValue(const QString &text, const char *table, qsizetype row)
{
    if (const auto value = LineTable::newlineValue(text))
        return *value;
    throw Error(13, QStringLiteral("Type mismatch: entry %1 of %2 has the newline value “%3”, "
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

/// Height in twips of the header rows that every page repeats.
double fixedRowsHeight(const EngineState &s, GridAccess &grid)
{
    const auto rowHeight = [&](qint32 row) -> double {
        return s.FixRowsHeightTw != 0 ? s.FixRowsHeightTw : grid.rowHeight(row);
    };
    double total = 0;
    switch (grid.kind()) {
    case 1:
        for (qint32 r = 1; r <= s.FixedRowsTop; ++r)
            total += rowHeight(r);
        break;
    case 2:
        for (qint32 r = 0; r < s.FixedRowsTop; ++r)
            total += rowHeight(r);
        // The total rows at the bottom also print on every page.
        for (qint32 r = s.GridRows - s.FixedRowsBottom; r < s.GridRows; ++r)
            total += rowHeight(r);
        break;
    case 3:
    case 4: {
        auto &data = static_cast<DataGridAccess &>(grid);
        total = data.grid()->HeadLines() * rowHeight(0);
        break;
    }
    case 8: {
        // Every column header row prints: 0, then -999, -998, ...
        auto &spread = static_cast<SpreadGridAccess &>(grid);
        const qint32 headerRows = spread.grid()->ColHeaderRows();
        for (qint32 g = 0; g < headerRows; ++g)
            total += rowHeight(g == 0 ? 0 : g - 1000);
        break;
    }
    default:
        for (qint32 r = 0; r < s.FixedRowsTop; ++r)
            total += rowHeight(r);
        break;
    }
    return total;
}

/// The automatic body row height: the grid's own first body row.
qint32 gridBodyRowHeight(const EngineState &s, GridAccess &grid)
{
    switch (grid.kind()) {
    case 1:
    case 8:
        return grid.rowHeight(1);
    case 2:
        return grid.rowHeight(s.FixedRowsTop);
    case 3:
    case 4:
        return grid.rowHeight(0);
    default:
        return s.GridRows > 1 ? grid.rowHeight(s.FixedRowsTop) : 0;
    }
}

/// Loads the logo picture; false (after a message) when the file is missing or no picture.
bool loadLogo(EngineState &s)
{
    const QString path = s.Format.LogPic;
    if (!QFileInfo::exists(path)) {
        ShowMessage(QStringLiteral("徽标文件") + path + QStringLiteral("没有找到。"), 0);
        return false;
    }
    PictureFileReader reader(path);
    QImage picture = reader.read();
    if (picture.isNull()) {
        if (reader.status() == PictureFileReader::Status::Unreadable) {
            qCWarning(lcLayout) << "cannot read the logo" << path << reader.errorString();
            return true; // other load errors are ignored: the logo just takes no room
        }
        ShowMessage(QStringLiteral("徽标文件") + path + QStringLiteral("不是图形文件。"), 0);
        return false;
    }
    const double dpi = picture.dotsPerMeterY() > 0 ? picture.dotsPerMeterY() * 0.0254 : 96.0;
    s.LogoPicture = picture;
    s.LogoHeightTw = roundHalfEven(picture.height() * 1440.0 / dpi);
    return true;
}

} // namespace

void ComputeLayout(qint16 rowHeightMm, qint16 rowCount)
{
    EngineState &s = engineState();
    MyPrint &print = *s.printObject();
    const PageFormat &f = s.Format;
    PrinterSurface *printer = printingSystem().currentPrinter();
    Surface *measure = s.DrawTarget ? s.DrawTarget : printer;
    if (!measure)
        throw Error(482, QStringLiteral("Printer error: there is no printer and no page to "
                                        "lay the report out on"));

    const auto needPrinter = [printer]() -> PrinterSurface & {
        if (!printer)
            throw StepFailed {};
        return *printer;
    };

    // 1. The paper (a user-defined paper is held as 42).
    ignoringErrors("paper", [&] {
        PrinterSurface &p = needPrinter();
        if (f.PaperSize != 0)
            p.setPaperSize(f.PaperSize == 42 ? 256 : f.PaperSize);
        p.setOrientation(f.PaperOriention);
    });

    // 2. Sheet and unprintable offset.
    ignoringErrors("sheet", [&] {
        PrinterSurface &p = needPrinter();
        if (s.OutputMode == 2) {
            s.OffsetX = roundHalfEven((p.Width() - p.ScaleWidth()) / 2);
            s.OffsetY = roundHalfEven((p.Height() - p.ScaleHeight()) / 2);
            s.PaperWidthTw = roundHalfEven(p.Width());
            s.PaperHeightTw = roundHalfEven(p.Height());
            if (s.DrawTarget) {
                s.DrawTarget->setWidth(s.ZoomRate * s.PaperWidthTw);
                s.DrawTarget->setHeight(s.ZoomRate * s.PaperHeightTw);
            }
        } else {
            s.OffsetX = s.OffsetY = 0;
            s.PaperWidthTw = roundHalfEven(p.ScaleWidth());
            s.PaperHeightTw = roundHalfEven(p.ScaleHeight());
        }
    });

    // 3. Margins, and 4. the usable area.
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
            centred(f.PageHeight, s.PaperHeightTw, s.OffsetY, double(f.Top) + f.Bottom,
                    s.TopMarginTw, s.BottomMarginTw);
        } else {
            s.TopMarginTw = roundHalfEven(f.Top * kTwipsPerMm) + s.OffsetY;
            s.BottomMarginTw = roundHalfEven(f.Bottom * kTwipsPerMm) + s.OffsetY;
        }
        if (f.HCenter == 1) {
            centred(f.PageWidth, s.PaperWidthTw, s.OffsetX, double(f.Left) + f.Right,
                    s.LeftMarginTw, s.RightMarginTw);
        } else {
            s.LeftMarginTw = roundHalfEven(f.Left * kTwipsPerMm) + s.OffsetX;
            s.RightMarginTw = roundHalfEven(f.Right * kTwipsPerMm) + s.OffsetX;
        }
        s.UsableWidthTw = s.PaperWidthTw - s.LeftMarginTw - s.RightMarginTw;
        s.UsableHeightTw = s.PaperHeightTw - s.TopMarginTw - s.BottomMarginTw;
    });

    // 5. and 6. Logical pages per sheet and their size.
    s.PagesAcross = s.PagesDown = 1;
    if (f.FullPage == 1) {
        s.PageWidthTw = s.UsableWidthTw;
        s.PageHeightTw = s.UsableHeightTw;
    } else {
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
            { f.PageWidth, s.UsableWidthTw, "page width", s.PageWidthTw, s.PagesAcross, f.HCenter,
              double(f.Left) + f.Right, s.LeftMarginTw, s.RightMarginTw, s.OffsetX,
              &PrinterSurface::ScaleWidth },
            { f.PageHeight, s.UsableHeightTw, "page height", s.PageHeightTw, s.PagesDown,
              f.VCenter, double(f.Top) + f.Bottom, s.TopMarginTw, s.BottomMarginTw, s.OffsetY,
              &PrinterSurface::ScaleHeight },
        };
        for (const Axis &a : axes) {
            ignoringErrors(a.name, [&] {
                if (a.pageMm * kTwipsPerMm > a.usable) {
                    a.pageTw = a.usable;
                    return;
                }
                a.pageTw = roundHalfEven(a.pageMm * kTwipsPerMm);
                const double printable = (needPrinter().*a.printable)();
                if (f.AutoArrange == 1) {
                    const double per = a.centre == 1 ? a.pageTw : a.marginsMm * kTwipsPerMm + a.pageTw;
                    a.pages = toCount(std::floor(divide(printable, per)), "pages per sheet");
                    if (a.pages == 0)
                        a.pages = 1;
                }
                if (a.centre == 1) {
                    a.nearMargin = roundHalfEven((divide(printable, a.pages) - a.pageTw) / 2) + a.offset;
                    a.farMargin = a.nearMargin;
                }
            });
        }
    }

    // 7. The height left for body rows, and 8. the logo.
    double height = s.PageHeightTw;
    ignoringErrors("titles", [&] {
        // A title too wide for the page is shrunk and may wrap: keep room for all its lines.
        const auto titleHeight = [&](int which) -> double {
            measure->setFontSize(s.FontTable[which].Size);
            const double line = measure->TextHeight(QStringLiteral("高"));
            return s.DrawTarget ? std::max<double>(line, TitleHeight(which)) : line;
        };
        if (!print.MainTitle().isEmpty())
            height -= titleHeight(0) + 100;
        if (!print.SubTitle().isEmpty())
            height -= titleHeight(1) + 100;
    });
    s.LogoHeightTw = 0;
    s.LogoPicture = QImage();
    if (s.Format.LogPicPrt == 1) {
        if (loadLogo(s))
            height -= s.LogoHeightTw;
        else
            s.Format.LogPicPrt = 0;
    }
    measure->setFontSize(s.FontTable[2].Size);
    height -= lineTableHeight(s.HeadLines, "HeadLines", measure->TextHeight(QStringLiteral("高")));

    const int kind = int(print.GridType());
    std::unique_ptr<GridAccess> grid;
    if (kind >= 1 && kind <= 8)
        grid = GridAccess::create(kind, print.Datagrid(), print.gridrows());
    if (grid)
        height -= fixedRowsHeight(s, *grid);

    measure->setFontSize(s.FontTable[6].Size);
    const double furnitureLine = measure->TextHeight(QStringLiteral("高"));
    height -= lineTableHeight(s.FootLines, "FootLines", furnitureLine);
    if (f.PrintDate + f.PrintPageNo + f.PrintOperator > 0) {
        height -= furnitureLine + 100;
        // On a narrow page the page-info items wrap: keep room for every line they take with
        // the longest page numbers this grid can reach.
        if (s.DrawTarget) {
            const qint64 maxRows = std::max<qint64>(1, qint64(s.GridRows) - s.FixedRowsTop);
            const qint64 maxBands = f.HoriCutPage == 1 ? std::max(1, s.ColEnd - s.ColStart + 1) : 1;
            const int extra = PageInfoLineCount(maxRows, maxBands) - 1;
            if (extra > 0)
                height -= extra * (furnitureLine + 50);
        }
    }
    const qint32 usableH = roundHalfEven(height);

    // 9. Body row height and rows per page.
    const qint16 rowMm = std::max<qint16>(rowHeightMm, 0);
    const qint16 rows = std::max<qint16>(rowCount, 0);
    s.LineHeightTw = roundHalfEven(rowMm * kTwipsPerMm);
    double linesPerPage = rows;
    if (rowMm != 0) {
        linesPerPage = std::floor(double(usableH) / s.LineHeightTw);
    } else if (rows != 0) {
        s.LineHeightTw = qint32(std::floor(double(usableH) / rows));
    } else {
        s.LineHeightTw = grid ? gridBodyRowHeight(s, *grid) : 0;
        linesPerPage = s.LineHeightTw < 1 ? 1 : std::floor(double(usableH) / s.LineHeightTw);
    }
    if (linesPerPage < 1) {
        ShowMessage(QStringLiteral("行的高度小于网格高度，请重新设置行高\n最小行高:")
                        + QString::number(usableH / 57),
                    48);
        linesPerPage = 1;
    }
    s.LinesPerPage = toCount(linesPerPage, "rows per page");

    // 10. Row bands. The grids drawn with a heading row print it even without body rows.
    const qint32 bodyRows = s.GridRows - s.FixedRowsTop - s.FixedRowsBottom;
    s.RowPageCount = toCount(std::floor(double(bodyRows) / s.LinesPerPage + 0.999), "pages");
    if (kind >= 3 && kind <= 7 && s.RowPageCount < 1)
        s.RowPageCount = 1;

    // 11. Columns.
    s.FirstBodyCol = s.ColStart;
    if (f.MultFixCol == 1 && s.FirstBodyCol < s.FixedCols)
        s.FirstBodyCol = kind == 1 ? s.FixedCols + 1 : s.FixedCols;
    s.LastBodyCol = s.ColEnd;
    s.ColBandStarts = { s.FirstBodyCol };
    s.FixedColsWidthTw = 0;

    // 12. Repeated fixed columns and column bands.
    if (grid) {
        const auto width = [&](qint32 col) -> double {
            // A hidden spreadsheet column takes no room: its renderer skips it.
            return kind == 1 && grid->colHidden(col) ? 0 : grid->colWidth(col);
        };
        if (f.MultFixCol == 1 && kind != 8) {
            double fixed = 0;
            for (qint32 c = 0; c < s.FixedCols; ++c)
                fixed += width(kind == 1 ? c + 1 : c);
            s.FixedColsWidthTw = roundHalfEven(fixed);
            if (s.PageWidthTw < s.FixedColsWidthTw)
                ShowMessage(QStringLiteral("固定列宽度超过页面宽度"), 0);
        }
        if (f.HoriCutPage == 1) {
            s.ColBandStarts = PlanColumnBands(s.FirstBodyCol, s.LastBodyCol, s.PageWidthTw,
                                              s.FixedColsWidthTw, f.MultFixCol == 1, width);
        }
    }
    s.ColPageCount = qint32(s.ColBandStarts.size());

    // 13. Start at the first sheet.
    s.CurRowPage = s.CurColPage = s.CurSheet = 1;
    s.SheetCount = toCount(std::floor(double(s.RowPageCount) * s.ColPageCount
                                          / (double(s.PagesDown) * s.PagesAcross)
                                      + 0.999),
                           "sheets");
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

void SelectColumnBand(EngineState &s)
{
    if (s.ColBandStarts.empty())
        return;
    const std::size_t band = std::clamp<std::size_t>(std::size_t(std::max(s.CurColPage, 1)) - 1, 0,
                                                     s.ColBandStarts.size() - 1);
    s.FirstBodyCol = s.ColBandStarts[band];
    s.LastBodyCol = band + 1 < s.ColBandStarts.size() ? s.ColBandStarts[band + 1] - 1 : s.ColEnd;
}

} // namespace quillon

namespace quillon {

QString LayoutDump()
{
    const EngineState &s = engineState();
    const std::pair<const char *, qint64> fields[] = {
        { "PaperWidthTw", s.PaperWidthTw },     { "PaperHeightTw", s.PaperHeightTw },
        { "OffsetX", s.OffsetX },               { "OffsetY", s.OffsetY },
        { "TopMarginTw", s.TopMarginTw },       { "BottomMarginTw", s.BottomMarginTw },
        { "LeftMarginTw", s.LeftMarginTw },     { "RightMarginTw", s.RightMarginTw },
        { "UsableWidthTw", s.UsableWidthTw },   { "UsableHeightTw", s.UsableHeightTw },
        { "PageWidthTw", s.PageWidthTw },       { "PageHeightTw", s.PageHeightTw },
        { "PagesAcross", s.PagesAcross },       { "PagesDown", s.PagesDown },
        { "LogoHeightTw", s.LogoHeightTw },     { "LineHeightTw", s.LineHeightTw },
        { "LinesPerPage", s.LinesPerPage },     { "RowPageCount", s.RowPageCount },
        { "FirstBodyCol", s.FirstBodyCol },     { "LastBodyCol", s.LastBodyCol },
        { "FixedColsWidthTw", s.FixedColsWidthTw }, { "ColPageCount", s.ColPageCount },
        { "SheetCount", s.SheetCount },
    };
    QString text;
    for (const auto &[name, value] : fields)
        text += QLatin1String(name) + QLatin1Char('=') + QString::number(value) + QLatin1Char('\n');
    return text;
}

} // namespace quillon
