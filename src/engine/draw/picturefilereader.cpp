#include "picturefilereader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace quillon {

namespace {

// A logo is small; a file past this is refused before it is read into memory.
constexpr qint64 kMaxFileBytes = 256 * 1024 * 1024;

PictureFileReader::VectorDecoder &vectorDecoder()
{
    static PictureFileReader::VectorDecoder decoder = nullptr;
    return decoder;
}

} // namespace

PictureFileReader::PictureFileReader(const QString &path)
    : m_path(path)
{
}

void PictureFileReader::setVectorDecoder(VectorDecoder decoder)
{
    vectorDecoder() = decoder;
}

QImage PictureFileReader::read()
{
    m_errorString.clear();
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_status = Status::Unreadable;
        m_errorString = file.errorString();
        return {};
    }
    if (file.size() > kMaxFileBytes) {
        m_status = Status::NotAPicture;
        m_errorString = QStringLiteral("the file is too large for a picture");
        return {};
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_status = Status::Unreadable;
        m_errorString = file.errorString();
        return {};
    }

    const std::optional<QImage> vector = vectorDecoder() ? vectorDecoder()(content) : std::nullopt;
    const QImage picture = vector ? *vector : readRaster(content);
    m_status = picture.isNull() ? Status::NotAPicture : Status::Read;
    if (picture.isNull() && m_errorString.isEmpty())
        m_errorString = QStringLiteral("the file holds no picture that can be read");
    return picture;
}

QImage PictureFileReader::readRaster(const QByteArray &content)
{
    QBuffer buffer;
    buffer.setData(content);
    buffer.open(QIODevice::ReadOnly);
    QImageReader byContent(&buffer);
    QImage picture = byContent.read();
    if (!picture.isNull())
        return picture;
    m_errorString = byContent.errorString();

    // Formats without a signature (a DIB without its file header) are known by suffix only.
    const QByteArray suffix = QFileInfo(m_path).suffix().toLower().toLatin1();
    if (suffix.isEmpty())
        return {};
    buffer.seek(0);
    QImageReader bySuffix(&buffer, suffix);
    return bySuffix.read();
}

} // namespace quillon
