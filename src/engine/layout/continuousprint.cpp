#include "continuousprint.h"

#include "pagedriver.h"
#include "printrange.h"
#include "sheetjob.h"

#include "engine/convert.h"
#include "engine/grids/gridaccess.h"
#include "engine/state/enginestate.h"
#include "engine/state/platformservices.h"
#include "engine/state/printproperties.h"
#include "engine/state/registry.h"
#include "platform/interfaces/surface.h"
#include "printer/printingsystem.h"

#include <cmath>

namespace quillon {

namespace {

qint32 rowPagesOf(const EngineState &s)
{
    const double bodyRows = double(s.GridRows) - s.FixedRowsTop - s.FixedRowsBottom;
    return qint32(std::floor(bodyRows / std::max<qint32>(1, s.LinesPerPage) + 0.999));
}

/// The grid's size after the host refilled it, whatever its kind.
void readGridSize(EngineState &s, PrintProperties &print)
{
    const auto grid = GridAccess::create(int(print.GridType), print.Datagrid, print.gridrows);
    s.GridRows = grid->rowCount();
    s.GridCols = grid->colCount();
}

void reportFailure(const EngineState &s, const PrinterSurface &printer)
{
    ShowMessage(s, QStringLiteral("打印机“%1”出错，文档没有送出。").arg(printer.DeviceName()), 48);
}

} // namespace

void PrintContinuous(SheetJob &job, const std::function<void()> &dataSetDone)
{
    EngineState &s = job.state();
    PrinterSurface *printer = s.printer();
    // The layout has said why: rows off the paper are not worth printing, set after set.
    if (!printer || s.GridDoesNotFit)
        return;
    PrintProperties &print = job.properties();
    s.DrawTarget = printer;
    s.ZoomRate = 1;
    s.CurRowPage = 1;
    s.ColPageCount = 1;
    s.CurColPage = 1;
    applyPrinterColour(s, printer);
    printer->setDocumentName(printDocumentName(print));

    try {
        for (;;) {
            s.PageOriginX = s.LeftMarginTw;
            s.PageOriginY = s.TopMarginTw;
            for (int i = 1; i <= s.PagesDown; ++i) {
                for (int j = 1; j <= s.PagesAcross; ++j) {
                    RenderContPage(s);
                    if (++s.CurRowPage > s.RowPageCount) {
                        s.HeadLines.reset();
                        s.FootLines.reset();
                        dataSetDone();
                        s.setPrintObject(&print);
                        readGridSize(s, print);
                        s.CurRowPage = 1;
                        s.RowPageCount = rowPagesOf(s);
                        // A data set with nothing to print would start an endless run of
                        // empty pages: it ends the job like PrintEnd.
                        if (print.PrintEnd || s.RowPageCount < 1) {
                            printer->EndDoc();
                            s.setPrintObject(nullptr);
                            if (printer->failed())
                                reportFailure(s, *printer);
                            return;
                        }
                    }
                    if (s.PagesAcross + s.PagesDown > 2) {
                        s.PageOriginX = cellLeft(s, j);
                        s.PageOriginY = rowTop(s, i - 1);
                    }
                }
                s.PageOriginX = s.LeftMarginTw;
                s.PageOriginY = rowTop(s, i);
            }
            printer->EndDoc();
            // A printer that went away would take every later sheet too, silently.
            if (printer->failed()) {
                s.setPrintObject(nullptr);
                reportFailure(s, *printer);
                return;
            }
            printer->setPaperSize(s.Format.PaperSize);
        }
    } catch (...) {
        printer->KillDoc();
        throw;
    }
}

} // namespace quillon
