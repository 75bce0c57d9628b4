#pragma once

#include <QByteArray>
#include <QImage>
#include <QSizeF>

#include <functional>
#include <optional>

class QPainter;

namespace quillon {

/// The picture in @p content when it is an SVG or a Windows metafile, rasterized for print at
/// its natural size; a null image when it is one of them but damaged; nullopt for anything
/// else. The platform installs it as the engine's vector decoder.
std::optional<QImage> decodeVectorPicture(const QByteArray &content);

/// A vector picture @p twips in size, drawn by @p paint (antialiased, over transparency) on a
/// canvas of 600 dpi, less for a picture so large that it would take too much memory, with
/// dots per metre that give the size back. Null for a size that is empty or beyond any page.
QImage rasterizeVector(QSizeF twips, const std::function<void(QPainter &painter)> &paint);

} // namespace quillon
