#include "sheetrequests.h"

#include "engine/state/enginestate.h"

#include <QScopeGuard>

namespace quillon {

SheetRequests::SheetRequests(bool keepsSheetNumber, std::function<bool()> draw)
    : m_keepsSheetNumber(keepsSheetNumber)
    , m_draw(std::move(draw))
{
}

bool SheetRequests::draw()
{
    if (m_drawing) {
        m_redraw = true;
        return true;
    }
    bool drawn = false;
    {
        m_drawing = true;
        const auto idle = qScopeGuard([this] {
            m_drawing = false;
            m_pending.reset();
        });
        do {
            m_redraw = false;
            const EngineState &s = engineState();
            m_onScreen = sheetPositionAt(s, s.CurRowPage, s.CurColPage, s.CurSheet);
            drawn = m_draw();
            if (m_pending) {
                EngineState &state = engineState();
                state.CurRowPage = m_pending->rowPage;
                state.CurColPage = m_pending->colPage;
                if (m_keepsSheetNumber)
                    state.CurSheet = m_pending->sheet;
                m_pending.reset();
                m_redraw = true;
            }
        } while (m_redraw);
    }
    if (m_action)
        std::exchange(m_action, nullptr)();
    return drawn;
}

bool SheetRequests::move(SheetMove move)
{
    return go([this, move](const SheetPosition &from) {
        return movedSheet(engineState(), from, move, m_keepsSheetNumber);
    });
}

bool SheetRequests::moveTo(qint32 sheet)
{
    return go([this, sheet](const SheetPosition &from) {
        return numberedSheet(engineState(), from, sheet, m_keepsSheetNumber);
    });
}

bool SheetRequests::go(
    const std::function<std::optional<SheetPosition>(const SheetPosition &)> &target)
{
    EngineState &s = engineState();
    const std::optional<SheetPosition> to
        = target(m_drawing ? m_pending.value_or(m_onScreen) : currentSheet(s));
    if (!to)
        return false;
    if (m_drawing) {
        m_pending = to;
        return true;
    }
    setCurrentSheet(s, *to);
    return draw();
}

void SheetRequests::whenIdle(std::function<void()> action)
{
    if (m_drawing)
        m_action = std::move(action);
    else
        action();
}

} // namespace quillon
