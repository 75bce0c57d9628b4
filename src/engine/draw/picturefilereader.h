#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

namespace quillon {

/// Reads the picture files a report prints (the logo), for the layout and the drawing alike so
/// that both agree on what is a picture. Raster formats are recognised by their content, not by
/// their suffix; vector formats come from the decoder the platform installs. A picture carries
/// its physical size in its dots per metre.
class PictureFileReader
{
public:
    /// How the last read ended.
    enum class Status { NotRead, Read, Unreadable, NotAPicture };

    /// Decodes the formats QImageReader lacks: nullopt when @p content is none of them, a null
    /// image when it is one but damaged.
    using VectorDecoder = std::optional<QImage> (*)(const QByteArray &content);

    explicit PictureFileReader(const QString &path);

    /// The picture, or a null image when the file cannot be read or holds no picture.
    QImage read();
    /// Unreadable means the file could not be opened or read, which is not the picture's fault.
    Status status() const { return m_status; }
    /// Why the last read gave no picture, for the log.
    QString errorString() const { return m_errorString; }

    /// Installs the platform's vector decoder (nullptr removes it).
    static void setVectorDecoder(VectorDecoder decoder);

private:
    QImage readRaster(const QByteArray &content);

    QString m_path;
    Status m_status = Status::NotRead;
    QString m_errorString;
};

} // namespace quillon
