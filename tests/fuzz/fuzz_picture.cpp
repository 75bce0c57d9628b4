// libFuzzer target: a logo picture file (a Windows metafile, SVG, BMP, ICO, DIB, PNG or any
// other bytes) is read as the layout reads it and drawn scaled as a page draws it. Whatever the
// bytes, nothing may crash or hang, and no picture may take more than the limits allow.

#include "engine/draw/picturefilereader.h"
#include "platform/vectorpictures.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdint>

using namespace quillon;

namespace {

QString &inputPath()
{
    static QString path;
    return path;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    static QTemporaryDir dir;
    // A DIB has no signature and is known by its suffix, tried after the content.
    inputPath() = dir.filePath(QStringLiteral("logo.dib"));
    PictureFileReader::setVectorDecoder(decodeVectorPicture);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QFile file(inputPath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    PictureFileReader reader(inputPath());
    const QImage picture = reader.read();
    if (!picture.isNull()) {
        QImage page(200, 100, QImage::Format_ARGB32_Premultiplied);
        page.fill(Qt::white);
        QPainter painter(&page);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(10, 10, 180, 80), picture);
    }
    return 0;
}
