#pragma once

// A page of a PDF file as a picture, for tests that look at what was printed.

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QString>

/// The first page of the PDF at this resolution, rendered by pdftoppm into base + ".png".
inline QImage pdfPagePicture(const QString &pdf, const QString &base, int dpi = 150)
{
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
        { QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
            QStringLiteral("-singlefile"), pdf, base });
    render.waitForFinished(60000);
    return QImage(base + QStringLiteral(".png"));
}

/// How many pixels are clearly red (text in a red colour; black, grey and green lines are not).
inline int redPixels(const QImage &image)
{
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() - c.green() > 80 && c.red() - c.blue() > 80;
        }
    }
    return red;
}
