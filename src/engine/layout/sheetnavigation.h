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

/// Moves the current logical page (CurRowPage, CurColPage) to the start of the first,
/// previous, next or last sheet, as the sheet on screen and SheetNav tell. False, with nothing
/// changed, when the command does not apply; the caller renders only after true.
bool MoveSheet(EngineState &s, SheetMove move, bool keepSheetNumber);

} // namespace quillon
