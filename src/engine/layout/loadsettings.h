#pragma once

namespace quillon {

struct EngineState;

/// Loads the fonts, then the page format values and the common zoom, then lays the report out.
/// It lives with the layout: the state layer below knows nothing of layouts.
void LoadSettings(EngineState &s);

} // namespace quillon
