#pragma once

namespace quillon {

/// The sheet commands of the preview and the full-screen view.
enum class SheetMove { First, Previous, Next, Last };

/// Moves the current logical page (CurRowPage, CurColPage) to the start of the first,
/// previous, next or last sheet, as the sheet on screen and SheetNav tell. False, with nothing
/// changed, when the command does not apply (First or Previous on the first sheet, Next or Last
/// when the last logical page is on screen); the caller renders only after true. The preview
/// keeps CurSheet with the move (`keepSheetNumber`); the full-screen view leaves it alone.
bool MoveSheet(SheetMove move, bool keepSheetNumber);

} // namespace quillon
