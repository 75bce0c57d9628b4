#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace quillon {

/// Whether @p content starts like a Windows metafile (placeable or plain).
bool isWindowsMetafile(const QByteArray &content);

/// Plays a Windows metafile onto a picture at its natural size (the placeable header's, else
/// the player's estimate), rasterized for print. A null image when the file is damaged or
/// past the limits of records, points or drawing, which @p pastLimit then names.
QImage renderWindowsMetafile(const QByteArray &content, QString *pastLimit = nullptr);

} // namespace quillon
