#include "printproperties.h"

#include "enginestate.h"

namespace quillon {

PrintProperties::~PrintProperties()
{
    forgetPrintObject(this);
}

} // namespace quillon
