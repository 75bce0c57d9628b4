#pragma once

#include "engine/state/registry.h"

#include <quillon/error.h>

#include <exception>

namespace quillon {

/// Runs a button's action so that no exception crosses the event loop: an error is shown the
/// way a sheet's error is, and the dialog stays usable.
template <typename Action> void runGuarded(Action &&action)
{
    try {
        action();
    } catch (const Error &e) {
        ShowMessage(QStringLiteral("[%1]%2").arg(e.number()).arg(e.description()), 48);
    } catch (const std::exception &e) {
        ShowMessage(QStringLiteral("[%1]%2")
                        .arg(ErrorNumber::Unexpected)
                        .arg(QString::fromLocal8Bit(e.what())),
            48);
    }
}

} // namespace quillon
