#pragma once

#include "engine/state/printproperties.h"

#include <quillon/myprint.h>

namespace quillon {

/// A print object's values are the engine's PrintProperties: a job hands them to the engine.
class MyPrintPrivate : public PrintProperties
{
public:
    static PrintProperties &get(MyPrint &print) { return *print.d; }
};

} // namespace quillon
