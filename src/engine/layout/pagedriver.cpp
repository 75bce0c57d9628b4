#include "pagedriver.h"

#include "engine/convert.h"
#include "engine/device/clsprinter.h"
#include "engine/draw/furniture.h"
#include "engine/draw/logo.h"
#include "engine/draw/textprimitives.h"
#include "engine/grids/flexgridrenderer.h"
#include "engine/grids/gridaccess.h"
#include "engine/grids/gridkinds.h"
#include "engine/state/enginestate.h"
#include "engine/state/platformservices.h"
#include "engine/state/previewsinks.h"
#include "engine/state/printproperties.h"
#include "engine/state/registry.h"
#include "platform/interfaces/surface.h"
#include "printer/printingsystem.h"

#include <quillon/error.h>

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScopeGuard>

namespace quillon {

namespace {

bool previewUi(const EngineState &s)
{
    return s.OutputMode == 2 && s.PreviewUiActive;
}

void setProgress(EngineState &s, double value)
{
    if (previewUi(s) && s.PreviewProgressBar)
        s.PreviewProgressBar->setValue(value);
}

/// The hourglass while a sheet is drawn, where there is a screen.
class BusyCursor
{
public:
    BusyCursor()
        : m_active(qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr)
    {
        if (m_active)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~BusyCursor()
    {
        if (m_active)
            QGuiApplication::restoreOverrideCursor();
    }

private:
    bool m_active;
};

void renderGrid(int kind)
{
    if (const GridKindRules *rules = gridKindRules(kind))
        rules->render();
    else
        RenderFlexGrid(); // it says which kind it cannot read
}

/// Cut marks around the logical page at (x0, y0) when several share the sheet.
void drawCellMarks(const EngineState &s, qint32 x0, qint32 y0)
{
    DrawCutMarks(x0 - s.LeftMarginTw + s.OffsetX, y0 - s.TopMarginTw + s.OffsetY,
        s.PageWidthTw + s.LeftMarginTw + s.RightMarginTw - 2 * s.OffsetX,
        s.PageHeightTw + s.TopMarginTw + s.BottomMarginTw - 2 * s.OffsetY);
}

void drawPrintableAreaMarks(const EngineState &s)
{
    const PrinterSurface *printer = printingSystem().currentPrinter();
    if (printer)
        DrawCutMarks(s.OffsetX, s.OffsetY, roundHalfEven(printer->ScaleWidth()),
            roundHalfEven(printer->ScaleHeight()));
}

/// Titles, logo, head lines, grid, foot lines, page-info line and logo text of one logical
/// page whose origin is (x0, y0).
void drawLogicalPage(EngineState &s, qint32 x0, qint32 y0)
{
    PrintProperties &print = *s.printObject();
    DrawTitles();
    DrawLogoPicture(s.Format.LogPic);
    DrawHeadLines();
    setProgress(s, 10);
    renderGrid(int(print.GridType));
    DrawFootLines();
    DrawPageInfoLine();
    DrawLogoText(x0, y0);
    setProgress(s, 100);
}

QString paperName(EngineState &s)
{
    const PrinterSurface *printer = printingSystem().currentPrinter();
    if (!printer)
        return QStringLiteral("未知纸张");
    auto &cached = s.StatusPaper;
    if (cached.name.isEmpty() || cached.device != printer->DeviceName()
        || cached.code != s.Format.PaperSize || cached.printerPaper != printer->PaperName()) {
        cached.device = printer->DeviceName();
        cached.code = s.Format.PaperSize;
        cached.printerPaper = printer->PaperName();
        const QList<PaperInfo> papers = printerPapers(cached.device);
        const qsizetype entry = paperEntry(papers, cached.code, cached.printerPaper);
        cached.name = entry >= 0 ? papers[entry].name.trimmed() : QStringLiteral("未知纸张");
    }
    return cached.name;
}

/// The zoom as the user chose it: a stored zoom is a Single, whose binary value (1.1 is
/// 1.10000002384…) must not show, so the figure keeps the Single's 7 significant digits.
QString zoomPercent(double zoom)
{
    return QString::number(double(float(zoom)) * 100, 'g', 7);
}

void drawSheet(EngineState &s)
{
    PrintProperties &print = *s.printObject();
    applyPrinterColour(s, printingSystem().currentPrinter());
    s.PageOriginX = s.LeftMarginTw;
    s.PageOriginY = s.TopMarginTw;

    if (s.OutputMode == 2) {
        s.DrawTarget->Cls();
        if (s.PreviewUiActive) {
            if (s.PreviewProgressBar)
                s.PreviewProgressBar->setVisible(true);
            if (s.PreviewStatusBar) {
                s.PreviewStatusBar->setPanelText(
                    1, QStringLiteral("第 %1 页 共 %2 页").arg(s.CurSheet).arg(s.SheetCount));
                s.PreviewStatusBar->setPanelText(2, QStringLiteral("纸张:") + paperName(s));
                s.PreviewStatusBar->setPanelText(
                    3, QStringLiteral("显示比例:") + zoomPercent(s.ZoomRate) + QLatin1Char('%'));
            }
        }
    }

    s.LastPageDone = false;
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();

    const bool severalPerSheet = s.PagesAcross + s.PagesDown > 2;
    bool allRowsRan = true;
    for (int r = 1; r <= s.PagesDown; ++r) {
        for (int c = 1; c <= s.PagesAcross; ++c) {
            const qint32 x0 = s.PageOriginX;
            const qint32 y0 = s.PageOriginY;
            if (severalPerSheet && s.Format.Cutline == 1)
                drawCellMarks(s, x0, y0);
            else if (s.OutputMode == 2)
                drawPrintableAreaMarks(s);
            drawLogicalPage(s, x0, y0);

            if (s.CurColPage == s.ColPageCount) {
                ++s.CurRowPage;
                s.CurColPage = 1;
            } else {
                ++s.CurColPage;
            }
            if (s.CurRowPage > s.RowPageCount) {
                s.LastPageDone = true;
                break;
            }
            if (s.PagesAcross + s.PagesDown >= 3) {
                s.PageOriginX = cellLeft(s, c);
                s.PageOriginY = rowTop(s, r - 1);
                setProgress(s, 0);
            }
        }
        if (s.PageOriginY >= s.UsableHeightTw / 2.0 + 2.0 * s.TopMarginTw)
            print.MuitGrid = false;
        s.PageOriginX = s.LeftMarginTw;
        s.PageOriginY = rowTop(s, r);
        if (s.LastPageDone) {
            s.SheetNav[1] = true;
            allRowsRan = false;
            break;
        }
    }
    if (allRowsRan)
        s.SheetNav[1] = s.LastPageDone;
}

} // namespace

qint32 cellLeft(const EngineState &s, int c)
{
    if (s.Format.HCenter != 1)
        return s.LeftMarginTw
            + c * (s.PageWidthTw + s.LeftMarginTw + s.RightMarginTw - 2 * s.OffsetX);
    return roundHalfEven(
        (c + 0.5) * s.UsableWidthTw / s.PagesAcross - s.PageWidthTw / 2.0 + s.OffsetX);
}

/// The top of the logical pages of row r (from 0) of the sheet.
qint32 rowTop(const EngineState &s, int r)
{
    if (s.Format.VCenter != 1)
        return s.TopMarginTw
            + r * (s.PageHeightTw + s.TopMarginTw + s.BottomMarginTw - 2 * s.OffsetY);
    return roundHalfEven(
        (r + 0.5) * s.UsableHeightTw / s.PagesDown - s.PageHeightTw / 2.0 + s.OffsetY);
}

void applyPrinterColour(EngineState &s, PrinterSurface *printer)
{
    if (!printer || printer->ColorMode() < 1) {
        s.LineColor = 0;
    } else if (s.Format.ColorPrint == 1) {
        printer->setColorMode(2);
        s.LineColor = s.Format.GridColor;
    } else {
        printer->setColorMode(1);
        s.LineColor = 0;
    }
}

LogicalPage firstPageOfSheet(int sheet)
{
    const EngineState &s = engineState();
    const int perSheet = std::max(1, s.PagesDown * s.PagesAcross);
    const int bands = std::max<int>(1, s.ColPageCount);
    const qint64 index = qint64(sheet - 1) * perSheet;
    return { int(index / bands) + 1, int(index % bands) + 1 };
}

bool RenderSheet()
{
    EngineState &s = engineState();
    // Drawing lets pending events through once; one of them must not start a second sheet
    // on the one engine state.
    if (s.SheetInProgress) {
        ShowMessage(QStringLiteral("正在绘制另一页，请稍候再试。"), 48);
        return false;
    }
    s.SheetInProgress = true;
    const auto done = qScopeGuard([&s] { s.SheetInProgress = false; });
    const qint32 rowPage = s.CurRowPage;
    const qint32 colPage = s.CurColPage;
    bool ok = true;
    {
        BusyCursor busy;
        try {
            drawSheet(s);
        } catch (const Error &e) {
            ok = false;
            ShowMessage(QStringLiteral("[%1]%2").arg(e.number()).arg(e.description()), 48);
        } catch (const std::exception &e) {
            ok = false;
            ShowMessage(QStringLiteral("[%1]%2")
                            .arg(ErrorNumber::Unexpected)
                            .arg(QString::fromLocal8Bit(e.what())),
                48);
        }
    }
    if (!ok)
        return false; // the page state stays as the error found it
    s.CurRowPage = rowPage;
    s.CurColPage = colPage;
    s.SheetNav[0] = rowPage == 1 && colPage == 1;
    if (s.OutputMode == 2 && s.PreviewProgressBar)
        s.PreviewProgressBar->setVisible(false);
    return true;
}

bool PrintMuitGrid()
{
    EngineState &s = engineState();
    if (!printingSystem().hasPrinter()) {
        ShowMessage(QStringLiteral("请先安装打印机。"), 48);
        return false;
    }
    if (!RenderSheet())
        return false;
    PrintProperties &print = *s.printObject();
    if (!print.MuitGrid || !print.DatagridSecond)
        return true;

    const QPointer<QObject> grid = print.Datagrid;
    const QString title = print.MainTitle;
    const qint32 rows = s.GridRows, cols = s.GridCols, colEnd = s.ColEnd;
    const qint32 fixedTop = s.FixedRowsTop, fixedBottom = s.FixedRowsBottom;
    s.SavedHeadLines = s.HeadLines;
    s.SavedFootLines = s.FootLines;
    const auto restore = qScopeGuard([&] {
        print.Datagrid = grid;
        print.MainTitle = title;
        s.HeadLines = s.SavedHeadLines;
        s.FootLines = s.SavedFootLines;
        s.GridRows = rows;
        s.GridCols = cols;
        s.ColEnd = colEnd;
        s.FixedRowsTop = fixedTop;
        s.FixedRowsBottom = fixedBottom;
    });
    print.Datagrid = print.DatagridSecond;
    s.HeadLines = s.HeadLines1;
    s.FootLines = s.FootLines1;
    print.MainTitle = print.MainTitle1;
    s.PageOriginX = s.LeftMarginTw;
    s.PageOriginY = roundHalfEven(s.UsableHeightTw / 2.0 + 2.0 * s.TopMarginTw);
    try {
        // The second grid keeps the first one's page layout but is read within its own size:
        // a shorter or narrower second grid must not be asked for rows or columns it lacks.
        const auto second = GridAccess::create(int(print.GridType), print.Datagrid, print.gridrows);
        s.GridRows = second->rowCount();
        s.GridCols = second->colCount();
        s.FixedRowsTop = second->fixedRowsTop();
        s.FixedRowsBottom = second->fixedRowsBottom();
        s.ColEnd = std::min(s.ColEnd, second->firstIndex() + s.GridCols - 1);
        drawLogicalPage(s, s.PageOriginX, s.PageOriginY);
    } catch (const Error &e) {
        ShowMessage(QStringLiteral("[%1]%2").arg(e.number()).arg(e.description()), 48);
        return false;
    }
    return true;
}

void RenderContPage()
{
    EngineState &s = engineState();
    const qint32 x0 = s.PageOriginX;
    const qint32 y0 = s.PageOriginY;
    if (s.PagesAcross + s.PagesDown < 3 || s.Format.Cutline != 1)
        drawPrintableAreaMarks(s);
    else
        drawCellMarks(s, x0, y0);
    drawLogicalPage(s, x0, y0);
}

} // namespace quillon
