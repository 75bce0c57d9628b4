#pragma once

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>

#include <functional>
#include <optional>

class QPainter;

namespace quillon {

/// The picture in @p content when it is an SVG or a Windows metafile, rasterized for print at
/// its natural size; a null image when it is one of them but damaged, or past the limits of
/// records, elements or drawing, which @p pastLimit then names for the user; nullopt for
/// anything else. The platform installs it as the engine's vector decoder.
std::optional<QImage> decodeVectorPicture(const QByteArray &content, QString *pastLimit = nullptr);

/// A vector picture @p twips in size, drawn by @p paint (antialiased, over transparency) on a
/// canvas of 600 dpi, less for a picture so large that it would take too much memory, with
/// dots per metre that give the size back. Null for a size that is empty or beyond any page,
/// and for a drawing that touches pixels past the limit (said in @p pastLimit): drawing costs
/// time in proportion to what is drawn (LinearPaintDevice), and the limit bounds that.
QImage rasterizeVector(QSizeF twips, const std::function<void(QPainter &painter)> &paint,
    QString *pastLimit = nullptr);

} // namespace quillon
