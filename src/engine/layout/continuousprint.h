#pragma once

#include <functional>

namespace quillon {

class SheetJob;

/// Continuous printing on the current printer for a prepared job: data set after data set,
/// each sheet a print document of its own, no column bands. When a data set's last logical
/// page is drawn the head and foot lines are emptied and `dataSetDone` runs (the host's
/// PrintOver: it may refill the grid, add lines and set PrintEnd); the grid's new row count is
/// read right after it. The job ends when PrintEnd is set then, when the new data set has no
/// rows to print, or, with a message, when a sheet did not reach the printer. Drawing errors
/// reach the caller, with the open document discarded.
void PrintContinuous(SheetJob &job, const std::function<void()> &dataSetDone);

} // namespace quillon
