#include "loadsettings.h"

#include "computelayout.h"

#include "engine/state/enginestate.h"
#include "engine/state/formatio.h"

namespace quillon {

void LoadSettings()
{
    LoadFontsAndValues();
    const PageFormat &f = engineState().Format;
    ComputeLayout(f.LineHeight, f.LineCount);
}

} // namespace quillon
