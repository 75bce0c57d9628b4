#include "loadsettings.h"

#include "computelayout.h"

#include "engine/state/enginestate.h"
#include "engine/state/formatio.h"

namespace quillon {

void LoadSettings(EngineState &s)
{
    LoadFontsAndValues(s);
    ComputeLayout(s, s.Format.LineHeight, s.Format.LineCount);
}

} // namespace quillon
