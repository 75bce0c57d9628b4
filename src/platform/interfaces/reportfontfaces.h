#pragma once

#include <QStringList>

namespace quillon {

/// The faces to ask for when a report names the font `reportName`, best first: "楷体" is the
/// installed Kai face, followed by faces with the Chinese glyphs it may lack. The platform layer
/// implements it with the mapping its surfaces print with, so that a window shows a report's
/// font in the face the page will have.
QStringList reportFontFamilies(const QString &reportName);

} // namespace quillon
