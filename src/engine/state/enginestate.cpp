#include "enginestate.h"

#include "engine/ignoringerrors.h"

#include <quillon/myprint.h>

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
EngineState::~EngineState() = default;

MyPrint *EngineState::printObject()
{
    if (m_printObject.isNull()) {
        if (!m_defaultPrintObject)
            m_defaultPrintObject = std::make_unique<MyPrint>();
        m_printObject = m_defaultPrintObject.get();
    }
    return m_printObject.data();
}

void EngineState::setPrintObject(MyPrint *object)
{
    m_printObject = object;
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
