#pragma once

namespace quillon {

struct EngineState;

/// Loads the report's key, the grid facts, the printer and the paper, and the printed column
/// range. Errors of the grid before the paper is set reach the caller as quillon::Error.
void LoadFormat(EngineState &s);
/// Loads the fonts, then the page format values and the common zoom, in one batch of the
/// settings store. LoadSettings (engine/layout/loadsettings.h) then lays the report out.
void LoadFontsAndValues(EngineState &s);
/// Loads the ten report fonts (FontTable 0 to 9).
void LoadFonts(EngineState &s);
/// Loads the common zoom and the page format values that LoadFormat does not.
void LoadValues(EngineState &s);
/// Writes the page format and fonts back to the report's key and clears FormatDirty and
/// FormatDeclined.
void SaveFormat(EngineState &s);
/// Writes ColorPrint alone: the print dialog's own choice, kept while the rest of the format
/// holds changes the user declined to save.
void SaveColorPrint(const EngineState &s);

} // namespace quillon
