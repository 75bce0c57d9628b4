#pragma once

#include <QByteArray>
#include <QString>

namespace quillon {

/// Writes a whole file by the library's file rules (platform/outputfile.h): the bytes take the
/// target's place only once all of them are written, a symbolic link is followed, and a
/// read-only file or anything but a regular file is refused. False, with the reason in
/// `error`, when the file was not written; the target then stays as it was. The platform layer
/// implements it, so that the layers above the interfaces write files the same way.
bool writeWholeFile(const QString &path, const QByteArray &bytes, QString *error);

} // namespace quillon
