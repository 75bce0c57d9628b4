#pragma once

#include <QtGlobal>

#include <array>
#include <optional>

namespace quillon {

struct EngineState;

/// The sheet commands of the preview and the full-screen view.
enum class SheetMove { First, Previous, Next, Last };

/// A sheet on screen or asked for: the logical page it starts at, its number in the preview,
/// and the SheetNav marks (first sheet, last logical page on it) its drawing leaves.
struct SheetPosition
{
    qint32 rowPage = 1;
    qint32 colPage = 1;
    qint32 sheet = 1;
    std::array<bool, 2> nav {};
};

/// The sheet that starts at this logical page, with the marks its drawing will leave.
SheetPosition sheetPositionAt(const EngineState &s, qint32 rowPage, qint32 colPage, qint32 sheet);

/// Where `move` leads from `from`, with the marks the drawing of that sheet will leave, or
/// nothing when the command does not apply there (First or Previous on the first sheet, Next
/// or Last when the last logical page is on it). The preview keeps the sheet number with the
/// move (`keepSheetNumber`); the full-screen view leaves it alone.
std::optional<SheetPosition> movedSheet(
    const EngineState &s, const SheetPosition &from, SheetMove move, bool keepSheetNumber);

/// Where sheet `sheet` (kept within 1 to SheetCount) starts, seen from `from`, with the marks
/// its drawing will leave, or nothing when `from` already starts there. The preview takes the
/// sheet's number with it (`keepSheetNumber`); the full-screen view keeps its own.
std::optional<SheetPosition> numberedSheet(
    const EngineState &s, const SheetPosition &from, qint32 sheet, bool keepSheetNumber);

/// The sheet on screen as the state tells it: the current logical page, CurSheet and SheetNav.
SheetPosition currentSheet(const EngineState &s);
/// Makes this sheet the current one: the logical page it starts at and its number.
void setCurrentSheet(EngineState &s, const SheetPosition &sheet);

/// Moves the current logical page (CurRowPage, CurColPage) to the start of the first,
/// previous, next or last sheet, as the sheet on screen and SheetNav tell. False, with nothing
/// changed, when the command does not apply; the caller renders only after true.
bool MoveSheet(EngineState &s, SheetMove move, bool keepSheetNumber);

} // namespace quillon
