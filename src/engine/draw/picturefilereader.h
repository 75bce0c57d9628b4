#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

class QImageReader;

namespace quillon {

/// Reads the picture files a report prints (the logo), for the layout and the drawing alike so
/// that both agree on what is a picture. Raster formats are recognised by their content, not by
/// their suffix; vector formats come from the decoder the platform installs. A picture carries
/// its physical size in its dots per metre. Only regular files are read (a pipe would block),
/// and only within limits of size, pixels, records and drawing.
class PictureFileReader
{
public:
    /// How the last read ended. NotAFile and PastLimits come with a refusal().
    enum class Status { NotRead, Read, Unreadable, NotAPicture, NotAFile, PastLimits };

    /// Decodes the formats QImageReader lacks: nullopt when @p content is none of them, a null
    /// image when it is one but damaged or past the decoder's limits (then named in
    /// @p pastLimit, in the user's language).
    using VectorDecoder = std::optional<QImage> (*)(const QByteArray &content, QString *pastLimit);

    explicit PictureFileReader(const QString &path);

    /// The picture, or a null image when the file cannot be read or holds no picture.
    QImage read();
    /// Unreadable means the file could not be opened or read, which is not the picture's fault.
    Status status() const { return m_status; }
    /// Why the last read gave no picture, for the log.
    QString errorString() const { return m_errorString; }
    /// Why the file was refused, in the user's language: what it is when it is no regular
    /// file ("是文件夹"), or the limit it passed ("文件有 300 MB，超过上限 64 MB").
    QString refusal() const { return m_refusal; }

    /// Installs the platform's vector decoder (nullptr removes it).
    static void setVectorDecoder(VectorDecoder decoder);

private:
    QImage readRaster(const QByteArray &content);
    QImage refuse(Status status, const QString &refusal);
    /// Refuses a picture whose header gives more pixels than the limit.
    bool tooManyPixels(QImageReader &reader);

    QString m_path;
    Status m_status = Status::NotRead;
    QString m_errorString;
    QString m_refusal;
};

} // namespace quillon
