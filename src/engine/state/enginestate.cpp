#include "enginestate.h"

#include "engine/ignoringerrors.h"

#include "printproperties.h"

namespace quillon {

Q_LOGGING_CATEGORY(lcEngine, "quillon.engine")

namespace {
std::unique_ptr<EngineState> &stateSlot()
{
    static std::unique_ptr<EngineState> state;
    return state;
}
} // namespace

EngineState::EngineState() = default;
EngineState::~EngineState()
{
    m_printObject = nullptr;
    m_defaultPrintObject.reset();
}

PrintProperties *EngineState::printObject()
{
    if (!m_printObject) {
        if (!m_defaultPrintObject) {
            m_defaultPrintObject = std::make_unique<PrintProperties>();
            HeadLines.reset();
            FootLines.reset();
            HeadLines1.reset();
            FootLines1.reset();
        }
        m_printObject = m_defaultPrintObject.get();
    }
    return m_printObject;
}

void EngineState::setPrintObject(PrintProperties *object)
{
    m_printObject = object;
}

void forgetPrintObject(const PrintProperties *object)
{
    EngineState *state = stateSlot().get();
    if (state && state->m_printObject == object)
        state->m_printObject = nullptr;
}

EngineState &engineState()
{
    auto &slot = stateSlot();
    if (!slot)
        slot = std::make_unique<EngineState>();
    return *slot;
}

void resetEngineState()
{
    stateSlot() = std::make_unique<EngineState>();
}

} // namespace quillon
