#pragma once

#include "engine/layout/sheetnavigation.h"

#include <functional>
#include <optional>

namespace quillon {

/// Draws a window's sheet and keeps what the user asks for while one is being drawn. Drawing
/// lets events through, so a key held down, a quick double click or a menu command arrives in
/// the middle of it: a move then lands where it would from the sheet asked for before it (or
/// the one being drawn), and when the drawing is done the latest sheet asked for is drawn.
/// The picture and the status bar thus always show one sheet, and the window never meets the
/// engine's refusal of a second sheet.
class SheetRequests
{
public:
    /// `keepsSheetNumber`: the preview keeps CurSheet with each move, the full-screen view
    /// leaves it alone. `draw` draws the current sheet; false when it could not be drawn.
    SheetRequests(bool keepsSheetNumber, std::function<bool()> draw);

    bool drawing() const { return m_drawing; }
    /// Draws the current sheet now, or once more when the sheet being drawn is done.
    bool draw();
    /// Moves to another sheet and draws it. False when the move does not apply.
    bool move(SheetMove move);
    /// Goes to the sheet of this number (kept within the sheets there are) and draws it. False
    /// when that sheet is the one shown or asked for already.
    bool moveTo(qint32 sheet);
    /// Runs `action` now, or when the drawing is done; a later one replaces one still waiting.
    void whenIdle(std::function<void()> action);

private:
    /// Where `target` leads from the sheet shown or asked for last; drawn now or when the
    /// drawing is done.
    bool go(const std::function<std::optional<SheetPosition>(const SheetPosition &)> &target);

    bool m_keepsSheetNumber;
    std::function<bool()> m_draw;
    bool m_drawing = false;
    bool m_redraw = false;
    SheetPosition m_onScreen;
    std::optional<SheetPosition> m_pending;
    std::function<void()> m_action;
};

} // namespace quillon
