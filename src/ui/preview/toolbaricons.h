#pragma once

#include <QIcon>

namespace quillon {

/// The icon of the desktop's theme by its freedesktop name ("go-next", "zoom-in",
/// "document-print"…), or a small drawn one of ours where the theme has none, in the
/// palette's text colour.
QIcon toolbarIcon(const QString &themeName);

} // namespace quillon
