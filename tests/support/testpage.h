#pragma once

// The page a drawing routine under test draws: the first grid of the thread's state as the
// test set it up, on its drawing target.

#include "engine/draw/pagecontext.h"

inline quillon::PageContext testPage()
{
    return quillon::PageContext::firstGrid(quillon::engineState());
}
