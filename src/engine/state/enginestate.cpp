#include "enginestate.h"

#include "engine/ignoringerrors.h"
#include "engine/state/platformservices.h"
#include "printer/printingsystem.h"

#include "printproperties.h"

#include "platform/interfaces/surface.h"

#include <QSet>

#include <algorithm>
#include <vector>

#include <mutex>

namespace quillon {

Q_LOGGING_CATEGORY(lcEngine, "quillon.engine")

namespace {

/// Every live state, so that print properties going away in one thread are forgotten by the
/// states of all.
struct LiveStates
{
    std::mutex mutex;
    QSet<EngineState *> states;
};

LiveStates &liveStates()
{
    // Never destroyed: thread-local states may go away after static destruction began.
    static auto *live = new LiveStates;
    return *live;
}

std::unique_ptr<EngineState> &threadState()
{
    thread_local std::unique_ptr<EngineState> state;
    return state;
}

/// The jobs running on this thread, innermost last. A window's job ends when its window goes,
/// which need not be in the order the jobs began.
thread_local std::vector<EngineState *> runningJobs;

} // namespace

EngineState::EngineState()
{
    LiveStates &live = liveStates();
    const std::lock_guard lock(live.mutex);
    live.states.insert(this);
}

EngineState::~EngineState()
{
    {
        LiveStates &live = liveStates();
        const std::lock_guard lock(live.mutex);
        live.states.remove(this);
    }
    m_printObject = nullptr;
    m_defaultPrintObject.reset();
}

PrintProperties *EngineState::printObject() const
{
    if (!m_printObject) {
        if (!m_defaultPrintObject) {
            m_defaultPrintObject = std::make_unique<PrintProperties>();
            // Like any new print object, the default one clears the lines.
            auto &self = const_cast<EngineState &>(*this);
            self.HeadLines.reset();
            self.FootLines.reset();
            self.HeadLines1.reset();
            self.FootLines1.reset();
        }
        m_printObject = m_defaultPrintObject.get();
    }
    return m_printObject;
}

void EngineState::setPrintObject(PrintProperties *object)
{
    m_printObject = object;
}

PrinterSurface *EngineState::printer() const
{
    return PrivatePrinter ? OwnPrinter.get() : printingSystem().currentPrinter();
}

bool EngineState::usePrinter(const QString &deviceName)
{
    const auto lock = lockPrinting();
    if (!PrivatePrinter)
        return printingSystem().selectPrinter(deviceName);
    if (OwnPrinter && OwnPrinter->DeviceName() == deviceName)
        return true;
    std::unique_ptr<PrinterSurface> opened = printingSystem().openPrinter(deviceName);
    if (!opened)
        return false;
    OwnPrinter = std::move(opened);
    return true;
}

void forgetPrintObject(const PrintProperties *object)
{
    LiveStates &live = liveStates();
    const std::lock_guard lock(live.mutex);
    for (EngineState *state : std::as_const(live.states)) {
        if (state->m_printObject == object)
            state->m_printObject = nullptr;
    }
}

EngineState &engineState()
{
    if (!runningJobs.empty())
        return *runningJobs.back();
    auto &slot = threadState();
    if (!slot)
        slot = std::make_unique<EngineState>();
    return *slot;
}

CurrentJobScope::CurrentJobScope(EngineState &state)
    : m_state(&state)
{
    runningJobs.push_back(m_state);
}

CurrentJobScope::~CurrentJobScope()
{
    const auto it = std::find(runningJobs.rbegin(), runningJobs.rend(), m_state);
    if (it != runningJobs.rend())
        runningJobs.erase(std::next(it).base());
}

bool jobRunsOnThisThread()
{
    return !runningJobs.empty();
}

void resetEngineState()
{
    threadState() = std::make_unique<EngineState>();
}

} // namespace quillon
