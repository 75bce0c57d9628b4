#include "picturefilereader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace quillon {

namespace {

// A logo is small: a file, or a picture once decoded, past these is refused before it takes
// the memory. Qt's readers stop at 128 MB, 33 million pixels of four bytes.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;
constexpr qint64 kMaxPixels = 32'000'000;

PictureFileReader::VectorDecoder &vectorDecoder()
{
    static PictureFileReader::VectorDecoder decoder = nullptr;
    return decoder;
}

QString tooLarge(qint64 bytes)
{
    return QStringLiteral("文件有 %1 MB，超过上限 %2 MB")
        .arg((bytes + 1024 * 1024 - 1) / (1024 * 1024))
        .arg(kMaxFileBytes / (1024 * 1024));
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

QImage PictureFileReader::refuse(Status status, const QString &refusal)
{
    m_status = status;
    m_refusal = refusal;
    m_errorString = refusal;
    return {};
}

QImage PictureFileReader::read()
{
    m_status = Status::NotRead;
    m_errorString.clear();
    m_refusal.clear();
    // Opening a pipe waits for a writer and a device may never end: only files are read.
    const QFileInfo info(m_path);
    if (info.exists() && !info.isFile())
        return refuse(Status::NotAFile,
            info.isDir() ? QStringLiteral("是文件夹")
                         : QStringLiteral("不是普通文件（是命名管道、设备或套接字）"));
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_status = Status::Unreadable;
        m_errorString = file.errorString();
        return {};
    }
    if (file.size() > kMaxFileBytes)
        return refuse(Status::PastLimits, tooLarge(file.size()));
    // No more than the limit, whatever the file has grown to since.
    const QByteArray content = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        m_status = Status::Unreadable;
        m_errorString = file.errorString();
        return {};
    }
    if (content.size() > kMaxFileBytes)
        return refuse(Status::PastLimits, tooLarge(content.size()));

    QString pastLimit;
    const std::optional<QImage> vector
        = vectorDecoder() ? vectorDecoder()(content, &pastLimit) : std::nullopt;
    if (!pastLimit.isEmpty())
        return refuse(Status::PastLimits, pastLimit);
    const QImage picture = vector ? *vector : readRaster(content);
    if (m_status == Status::PastLimits)
        return {};
    m_status = picture.isNull() ? Status::NotAPicture : Status::Read;
    if (picture.isNull() && m_errorString.isEmpty())
        m_errorString = QStringLiteral("the file holds no picture that can be read");
    return picture;
}

bool PictureFileReader::tooManyPixels(QImageReader &reader)
{
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() <= kMaxPixels)
        return false;
    refuse(Status::PastLimits,
        QStringLiteral("图片有 %1 × %2 像素，超过上限 %3 万像素")
            .arg(size.width())
            .arg(size.height())
            .arg(kMaxPixels / 10000));
    return true;
}

QImage PictureFileReader::readRaster(const QByteArray &content)
{
    QBuffer buffer;
    buffer.setData(content);
    buffer.open(QIODevice::ReadOnly);
    QImageReader byContent(&buffer);
    if (tooManyPixels(byContent))
        return {};
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
    if (tooManyPixels(bySuffix))
        return {};
    return bySuffix.read();
}

} // namespace quillon
