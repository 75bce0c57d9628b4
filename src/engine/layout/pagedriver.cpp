#include "pagedriver.h"

#include "engine/convert.h"
#include "engine/device/clsprinter.h"
#include "engine/draw/furniture.h"
#include "engine/draw/logo.h"
#include "engine/draw/pagecontext.h"
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
#include "printer/papercodes.h"
#include "printer/printingsystem.h"

#include <quillon/error.h>

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QThread>

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

/// The hourglass while a sheet is drawn, where there is a screen: on the application's thread
/// only. The cursor stack is the GUI thread's; exports of other threads pushing and popping it
/// at once corrupted the heap.
class BusyCursor
{
public:
    BusyCursor()
        : m_active(qobject_cast<QGuiApplication *>(QCoreApplication::instance())
            && QThread::currentThread() == QCoreApplication::instance()->thread())
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

void renderGrid(const PageContext &pc)
{
    if (pc.rules)
        pc.rules->render(pc);
    else
        RenderFlexGrid(pc); // it says which kind it cannot read
}

/// Cut marks around the logical page at (x0, y0) when several share the sheet.
void drawCellMarks(const PageContext &pc, qint32 x0, qint32 y0)
{
    const EngineState &s = pc.s;
    DrawCutMarks(pc, x0 - s.LeftMarginTw + s.OffsetX, y0 - s.TopMarginTw + s.OffsetY,
        s.PageWidthTw + s.LeftMarginTw + s.RightMarginTw - 2 * s.OffsetX,
        s.PageHeightTw + s.TopMarginTw + s.BottomMarginTw - 2 * s.OffsetY);
}

void drawPrintableAreaMarks(const PageContext &pc)
{
    const EngineState &s = pc.s;
    if (const PrinterSurface *printer = s.printer())
        DrawCutMarks(pc, s.OffsetX, s.OffsetY, roundHalfEven(printer->ScaleWidth()),
            roundHalfEven(printer->ScaleHeight()));
}

/// Titles, logo, head lines, grid, foot lines, page-info line and logo text of one logical
/// page whose origin is (x0, y0).
void drawLogicalPage(const PageContext &pc, qint32 x0, qint32 y0)
{
    EngineState &s = pc.s;
    DrawTitles(pc);
    DrawLogoPicture(pc, s.Format.LogPic);
    DrawHeadLines(pc);
    setProgress(s, 10);
    renderGrid(pc);
    DrawFootLines(pc);
    DrawPageInfoLine(pc);
    DrawLogoText(pc, x0, y0);
    setProgress(s, 100);
}

QString paperName(EngineState &s)
{
    const PrinterSurface *printer = s.printer();
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
        cached.name = entry >= 0 ? PaperCodes::shownName(papers[entry].code, papers[entry].name)
                                 : QStringLiteral("未知纸张");
    }
    return cached.name;
}

/// The zoom as the user chose it: a stored zoom is a Single, whose binary value (1.1 is
/// 1.10000002384…) must not show, so the figure keeps the Single's 7 significant digits.
QString zoomPercent(double zoom)
{
    return QString::number(double(float(zoom)) * 100, 'g', 7);
}

void drawSheet(const PageContext &pc)
{
    EngineState &s = pc.s;
    PrintProperties &print = pc.print;
    applyPrinterColour(s, s.printer());
    s.PageOriginX = s.LeftMarginTw;
    s.PageOriginY = s.TopMarginTw;

    if (s.OutputMode == 2) {
        pc.surface.Cls();
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
    // The windows' jobs let the window repaint; a job of another thread has no events here.
    if (const QCoreApplication *app = QCoreApplication::instance();
        app && QThread::currentThread() == app->thread())
        QCoreApplication::processEvents();

    const bool severalPerSheet = s.PagesAcross + s.PagesDown > 2;
    bool allRowsRan = true;
    for (int r = 1; r <= s.PagesDown; ++r) {
        for (int c = 1; c <= s.PagesAcross; ++c) {
            const qint32 x0 = s.PageOriginX;
            const qint32 y0 = s.PageOriginY;
            if (severalPerSheet && s.Format.Cutline == 1)
                drawCellMarks(pc, x0, y0);
            else if (s.OutputMode == 2)
                drawPrintableAreaMarks(pc);
            drawLogicalPage(pc, x0, y0);

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

LogicalPage firstPageOfSheet(const EngineState &s, int sheet)
{
    const int perSheet = std::max(1, s.PagesDown * s.PagesAcross);
    const int bands = std::max<int>(1, s.ColPageCount);
    const qint64 index = qint64(sheet - 1) * perSheet;
    return { int(index / bands) + 1, int(index % bands) + 1 };
}

bool RenderSheet(EngineState &s)
{
    // Drawing lets pending events through once; one of them must not start a second sheet
    // on the one engine state.
    if (s.SheetInProgress) {
        ShowMessage(s, QStringLiteral("正在绘制另一页，请稍候再试。"), 48);
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
            drawSheet(PageContext::firstGrid(s));
        } catch (const Error &e) {
            ok = false;
            ShowMessage(s, QStringLiteral("[%1]%2").arg(e.number()).arg(e.description()), 48);
        } catch (const std::exception &e) {
            ok = false;
            ShowMessage(s,
                QStringLiteral("[%1]%2")
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

bool PrintMuitGrid(EngineState &s)
{
    if (!s.printer()) {
        ShowMessage(s, QStringLiteral("请先安装打印机。"), 48);
        return false;
    }
    if (!RenderSheet(s))
        return false;
    PrintProperties &print = *s.printObject();
    if (!print.MuitGrid || !print.DatagridSecond)
        return true;
    s.PageOriginX = s.LeftMarginTw;
    s.PageOriginY = roundHalfEven(s.UsableHeightTw / 2.0 + 2.0 * s.TopMarginTw);
    try {
        // The second grid keeps the first one's page layout with its own grid, title and lines.
        const PageContext second = PageContext::firstGrid(s).secondGrid();
        drawLogicalPage(second, s.PageOriginX, s.PageOriginY);
    } catch (const Error &e) {
        ShowMessage(s, QStringLiteral("[%1]%2").arg(e.number()).arg(e.description()), 48);
        return false;
    }
    return true;
}

void RenderContPage(EngineState &s)
{
    const PageContext pc = PageContext::firstGrid(s);
    const qint32 x0 = s.PageOriginX;
    const qint32 y0 = s.PageOriginY;
    if (s.PagesAcross + s.PagesDown < 3 || s.Format.Cutline != 1)
        drawPrintableAreaMarks(pc);
    else
        drawCellMarks(pc, x0, y0);
    drawLogicalPage(pc, x0, y0);
}

} // namespace quillon
