#include "sheetjob.h"

#include "computelayout.h"
#include "pagedriver.h"

#include "engine/layout/loadsettings.h"
#include "engine/state/enginestate.h"
#include "engine/state/formatio.h"
#include "engine/state/messagesink.h"
#include "engine/state/platformservices.h"
#include "engine/state/printproperties.h"
#include "platform/interfaces/surface.h"
#include "printer/printingsystem.h"

#include <quillon/error.h>

#include <algorithm>
#include <utility>

namespace quillon {

EngineSnapshot::EngineSnapshot()
{
    const EngineState &s = engineState();
    m_drawTarget = s.DrawTarget;
    m_zoomRate = s.ZoomRate;
    m_outputMode = s.OutputMode;
    m_previewUiActive = s.PreviewUiActive;
    m_lineColor = s.LineColor;
    m_curRowPage = s.CurRowPage;
    m_curColPage = s.CurColPage;
    m_curSheet = s.CurSheet;
    m_sheetNav = s.SheetNav;
}

EngineSnapshot::~EngineSnapshot()
{
    EngineState &s = engineState();
    s.DrawTarget = m_drawTarget;
    s.ZoomRate = m_zoomRate;
    s.OutputMode = m_outputMode;
    s.PreviewUiActive = m_previewUiActive;
    s.LineColor = m_lineColor;
    s.CurRowPage = m_curRowPage;
    s.CurColPage = m_curColPage;
    s.CurSheet = m_curSheet;
    s.SheetNav = m_sheetNav;
}

SheetJob::SheetJob(PrintProperties &print)
    : m_print(print)
{
}

SheetJob::~SheetJob() = default;

SheetJob::LayoutMessages::LayoutMessages(SheetJob &job)
    : m_previous(std::exchange(engineState().JobAnswers, &job.m_answers))
{
}

SheetJob::LayoutMessages::~LayoutMessages()
{
    engineState().JobAnswers = m_previous;
}

bool SheetJob::fail(const QString &message, int icon)
{
    m_error = message;
    m_errorIcon = icon;
    return false;
}

bool SheetJob::prepare(int outputMode, Surface *measuring, Checks checks, bool throwLoad)
{
    m_error.clear();
    m_sheets = 0;
    messageSink().beginJob();
    EngineState &s = engineState();
    m_answers.clear();
    s.StatusPaper = {};
    PrintingSystem &printing = printingSystem();
    if (!printing.hasPrinter() || !printing.currentPrinter())
        return fail(QStringLiteral("请先安装打印机。"), 48);
    s.setPrintObject(&m_print);
    const bool noKind = int(m_print.GridType) == 0;
    const bool noGrid = !m_print.Datagrid;
    switch (checks) {
    case Checks::GridKindFirst:
        if (noKind)
            return fail(QStringLiteral("网格类型(gridtype)不能为空。"));
        if (noGrid)
            return fail(QStringLiteral("网格数据（.datagrid）没有指定。"));
        break;
    case Checks::GridFirst:
        if (noGrid)
            return fail(QStringLiteral("网格数据（.datagrid）没有指定。"));
        if (noKind)
            return fail(QStringLiteral("网格类型(.gridtype)不能为空。"));
        break;
    case Checks::PrinterOnly:
        break;
    }
    s.OutputMode = qint16(outputMode);
    s.PreviewUiActive = false;
    s.DrawTarget = measuring ? measuring : static_cast<Surface *>(printing.currentPrinter());
    const LayoutMessages once(*this);
    try {
        LoadFormat();
        // The format may name another printer: the layout is measured on the one that prints.
        if (!measuring)
            s.DrawTarget = printing.currentPrinter();
        LoadSettings();
    } catch (const Error &e) {
        if (throwLoad)
            throw;
        return fail(QStringLiteral("[%1]%2").arg(e.number()).arg(e.description()));
    }
    m_sheets = s.SheetCount;
    return true;
}

bool SheetJob::layOut(Surface *surface, double zoom)
{
    EngineState &s = engineState();
    s.DrawTarget = surface;
    s.ZoomRate = zoom;
    const LayoutMessages once(*this);
    try {
        ComputeLayout(s.Format.LineHeight, s.Format.LineCount);
    } catch (const Error &e) {
        return fail(QStringLiteral("[%1]%2").arg(e.number()).arg(e.description()));
    }
    m_sheets = s.SheetCount;
    return true;
}

bool SheetJob::renderSheet(int sheet, Surface &surface)
{
    const LogicalPage first = firstPageOfSheet(sheet);
    return renderSheetFrom(first.rowPage, first.colPage, surface);
}

bool SheetJob::renderSheetFrom(qint32 rowPage, qint32 colPage, Surface &surface)
{
    EngineState &s = engineState();
    const qint64 perSheet = std::max(1, s.PagesDown * s.PagesAcross);
    const qint64 index = qint64(rowPage - 1) * std::max<qint32>(1, s.ColPageCount) + colPage - 1;
    s.DrawTarget = &surface;
    s.CurSheet = qint32(index / perSheet + 1);
    s.CurRowPage = rowPage;
    s.CurColPage = colPage;
    return PrintMuitGrid();
}

} // namespace quillon
