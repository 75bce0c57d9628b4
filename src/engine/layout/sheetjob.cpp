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

SheetJob::~SheetJob()
{
    engineState().JobAnswers.reset();
}

bool SheetJob::fail(const QString &message)
{
    m_error = message;
    return false;
}

bool SheetJob::prepare(int outputMode, Surface *measuring)
{
    m_error.clear();
    m_sheets = 0;
    messageSink().beginJob();
    EngineState &s = engineState();
    s.JobAnswers.emplace();
    PrintingSystem &printing = printingSystem();
    if (!printing.hasPrinter() || !printing.currentPrinter())
        return fail(QStringLiteral("请先安装打印机。"));
    s.setPrintObject(&m_print);
    if (int(m_print.GridType) == 0)
        return fail(QStringLiteral("网格类型(gridtype)不能为空。"));
    if (!m_print.Datagrid)
        return fail(QStringLiteral("网格数据（.datagrid）没有指定。"));
    s.OutputMode = qint16(outputMode);
    s.PreviewUiActive = false;
    s.DrawTarget = measuring ? measuring : static_cast<Surface *>(printing.currentPrinter());
    try {
        LoadFormat();
        LoadSettings();
    } catch (const Error &e) {
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
    EngineState &s = engineState();
    const LogicalPage first = firstPageOfSheet(sheet);
    s.DrawTarget = &surface;
    s.CurSheet = sheet;
    s.CurRowPage = first.rowPage;
    s.CurColPage = first.colPage;
    return RenderSheet();
}

} // namespace quillon
