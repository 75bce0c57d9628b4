#pragma once

#include <quillon/error.h>

#include <QLoggingCategory>

namespace quillon {

Q_DECLARE_LOGGING_CATEGORY(lcEngine)

/// Runs a step whose failure loses only that step, where the engine goes on past a failing
/// call: the layout's first steps, the format load's paper steps, the data grids' cells. The
/// error is logged (quillon.engine) and swallowed; false when the step did not run to its end.
template <typename Step> bool ignoringErrors(const char *what, Step &&step)
{
    try {
        step();
        return true;
    } catch (const Error &e) {
        qCDebug(lcEngine) << "step skipped:" << what << e.what();
        return false;
    }
}

} // namespace quillon
