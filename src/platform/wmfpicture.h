#pragma once

#include <QByteArray>
#include <QImage>

namespace quillon {

/// Whether @p content starts like a Windows metafile (placeable or plain).
bool isWindowsMetafile(const QByteArray &content);

/// Plays a Windows metafile onto a picture at its natural size (the placeable header's, else
/// the player's estimate), rasterized for print. A null image when the file is damaged.
QImage renderWindowsMetafile(const QByteArray &content);

} // namespace quillon
