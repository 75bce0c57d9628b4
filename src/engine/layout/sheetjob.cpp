#include "sheetjob.h"

#include "computelayout.h"
#include "pagedriver.h"

#include "engine/layout/loadsettings.h"
#include "engine/state/enginestate.h"
#include "engine/state/formatio.h"
#include "engine/state/messagesink.h"
#include "engine/state/platformservices.h"
#include "engine/state/printproperties.h"
#include "engine/state/registry.h"
#include "platform/interfaces/surface.h"
#include "printer/printingsystem.h"

#include <quillon/error.h>

#include <algorithm>
#include <utility>

namespace quillon {

EngineSnapshot::EngineSnapshot(EngineState &state)
    : m_state(state)
    , m_drawTarget(state.DrawTarget)
    , m_zoomRate(state.ZoomRate)
    , m_outputMode(state.OutputMode)
    , m_previewUiActive(state.PreviewUiActive)
    , m_lineColor(state.LineColor)
    , m_curRowPage(state.CurRowPage)
    , m_curColPage(state.CurColPage)
    , m_curSheet(state.CurSheet)
    , m_sheetNav(state.SheetNav)
{
}

EngineSnapshot::~EngineSnapshot()
{
    EngineState &s = m_state;
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

namespace {

/// A new job's own state, with what the host set on this thread for it; none when the job
/// runs inside another job of this thread and shares its state.
std::unique_ptr<EngineState> ownState()
{
    if (jobRunsOnThisThread())
        return nullptr;
    const EngineState &host = engineState();
    auto state = std::make_unique<EngineState>();
    state->HeadLines = host.HeadLines;
    state->FootLines = host.FootLines;
    state->HeadLines1 = host.HeadLines1;
    state->FootLines1 = host.FootLines1;
    return state;
}

} // namespace

SheetJob::SheetJob(PrintProperties &print, Printer printer)
    : m_own(ownState())
    , m_state(m_own ? m_own.get() : &engineState())
    , m_current(*m_state)
    , m_print(print)
{
    if (!m_own)
        m_snapshot.emplace(*m_state);
    m_state->PrivatePrinter = m_own && printer == Printer::Private;
}

SheetJob::~SheetJob() = default;

SheetJob::LayoutMessages::LayoutMessages(SheetJob &job)
    : m_state(job.state())
    , m_previous(std::exchange(m_state.JobAnswers, &job.m_answers))
{
}

SheetJob::LayoutMessages::~LayoutMessages()
{
    m_state.JobAnswers = m_previous;
}

void SheetJob::setMessageSink(MessageSink *sink)
{
    m_state->Messages = sink;
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
    EngineState &s = *m_state;
    jobMessageSink(s).beginJob();
    m_answers.clear();
    s.StatusPaper = {};
    {
        const auto lock = lockPrinting();
        PrintingSystem &printing = printingSystem();
        PrinterSurface *current = printing.hasPrinter() ? printing.currentPrinter() : nullptr;
        if (current && s.PrivatePrinter && !s.OwnPrinter)
            s.OwnPrinter = printing.openPrinter(current->DeviceName());
        // A system that cannot open a printer twice leaves the job the current one.
        if (s.PrivatePrinter && !s.OwnPrinter)
            s.PrivatePrinter = false;
        if (!current)
            return fail(QStringLiteral("请先安装打印机。"), 48);
    }
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
    s.DrawTarget = measuring ? measuring : static_cast<Surface *>(s.printer());
    const LayoutMessages once(*this);
    try {
        LoadFormat(s);
        // The format may name another printer: the layout is measured on the one that prints.
        if (!measuring)
            s.DrawTarget = s.printer();
        LoadSettings(s);
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
    EngineState &s = *m_state;
    s.DrawTarget = surface;
    s.ZoomRate = zoom;
    const LayoutMessages once(*this);
    try {
        ComputeLayout(s, s.Format.LineHeight, s.Format.LineCount);
    } catch (const Error &e) {
        return fail(QStringLiteral("[%1]%2").arg(e.number()).arg(e.description()));
    }
    m_sheets = s.SheetCount;
    return true;
}

void SheetJob::usePageSetup(const PageSetupValues &values)
{
    m_state->Format = values.format;
    m_state->FontTable = values.fonts;
    m_state->FormatDirty = 1;
}

void SheetJob::savePageSetup(const PageSetupValues &values)
{
    usePageSetup(values);
    SaveFormat(*m_state);
}

bool SheetJob::renderSheet(int sheet, Surface &surface)
{
    const LogicalPage first = firstPageOfSheet(*m_state, sheet);
    return renderSheetFrom(first.rowPage, first.colPage, surface);
}

bool SheetJob::renderSheetFrom(qint32 rowPage, qint32 colPage, Surface &surface)
{
    EngineState &s = *m_state;
    const qint64 perSheet = std::max(1, s.PagesDown * s.PagesAcross);
    const qint64 index = qint64(rowPage - 1) * std::max<qint32>(1, s.ColPageCount) + colPage - 1;
    s.DrawTarget = &surface;
    s.CurSheet = qint32(index / perSheet + 1);
    s.CurRowPage = rowPage;
    s.CurColPage = colPage;
    return PrintMuitGrid(s);
}

} // namespace quillon
