#pragma once

namespace quillon {

/// Loads the report's key, the grid facts, the printer and the paper, and the printed column
/// range. Errors of the grid before the paper is set reach the caller as quillon::Error.
void LoadFormat();
/// Loads the fonts, then the page format values and the common zoom, in one batch of the
/// settings store. LoadSettings (engine/layout/loadsettings.h) then lays the report out.
void LoadFontsAndValues();
/// Loads the ten report fonts (FontTable 0 to 9).
void LoadFonts();
/// Loads the common zoom and the page format values that LoadFormat does not.
void LoadValues();
/// Writes the page format and fonts back to the report's key and clears FormatDirty and
/// FormatDeclined.
void SaveFormat();
/// Writes ColorPrint alone: the print dialog's own choice, kept while the rest of the format
/// holds changes the user declined to save.
void SaveColorPrint();

} // namespace quillon
