#include "toolbaricons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>

namespace quillon {

namespace {

const QColor kAccent(0x1f, 0x6f, 0xbf);

/// Draws the icon on a 16 × 16 grid; false for a name we have no drawing of.
bool drawIcon(QPainter &p, const QString &name, const QColor &ink)
{
    const QPen outline(ink, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const auto triangle = [&p](bool left, qreal from, qreal to) {
        const qreal tip = left ? from : to;
        const qreal base = left ? to : from;
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawPolygon(QPolygonF({ QPointF(base, 2.5), QPointF(tip, 8), QPointF(base, 13.5) }));
    };
    const auto glass = [&] {
        p.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10.2, 10.2), QPointF(14, 14));
        p.setPen(outline);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(6.5, 6.5), 4.8, 4.8);
        p.setPen(QPen(kAccent, 1.6, Qt::SolidLine, Qt::FlatCap));
    };
    if (name == QLatin1String("go-previous"))
        triangle(true, 4, 12);
    else if (name == QLatin1String("go-next"))
        triangle(false, 4, 12);
    else if (name == QLatin1String("go-first") || name == QLatin1String("go-last")) {
        const bool first = name == QLatin1String("go-first");
        triangle(first, first ? 6 : 2, first ? 14 : 10);
        p.drawRect(first ? QRectF(2, 2.5, 2.2, 11) : QRectF(11.8, 2.5, 2.2, 11));
    } else if (name == QLatin1String("zoom-in")) {
        glass();
        p.drawLine(QPointF(4, 6.5), QPointF(9, 6.5));
        p.drawLine(QPointF(6.5, 4), QPointF(6.5, 9));
    } else if (name == QLatin1String("zoom-out")) {
        glass();
        p.drawLine(QPointF(4, 6.5), QPointF(9, 6.5));
    } else if (name == QLatin1String("zoom-original")) {
        glass();
        p.drawLine(QPointF(4.5, 5), QPointF(8.5, 5));
        p.drawLine(QPointF(4.5, 8), QPointF(8.5, 8));
    } else if (name == QLatin1String("document-print")) {
        p.setPen(outline);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(0xd8, 0xd8, 0xd8));
        p.drawRoundedRect(QRectF(1.5, 5.5, 13, 6), 1.2, 1.2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 9.5, 7, 5));
        p.setPen(QPen(kAccent, 1));
        p.drawLine(QPointF(6, 11.5), QPointF(10, 11.5));
        p.drawLine(QPointF(6, 13.2), QPointF(9, 13.2));
    } else if (name == QLatin1String("document-page-setup")) {
        p.setPen(outline);
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF({ QPointF(2.5, 1.5), QPointF(10, 1.5), QPointF(13.5, 5),
            QPointF(13.5, 14.5), QPointF(2.5, 14.5) }));
        p.setPen(QPen(kAccent, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(4.5, 4.5, 7, 8));
    } else if (name == QLatin1String("document-save")) {
        p.setPen(outline);
        p.setBrush(kAccent);
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 1.5, 8, 5));
        p.drawRect(QRectF(4.5, 9.5, 7, 5));
    } else if (name == QLatin1String("view-fullscreen")) {
        p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        for (const QPointF corner :
            { QPointF(2, 2), QPointF(14, 2), QPointF(14, 14), QPointF(2, 14) }) {
            const qreal dx = corner.x() < 8 ? 4 : -4;
            const qreal dy = corner.y() < 8 ? 4 : -4;
            p.drawPolyline(QPolygonF({ corner + QPointF(dx, 0), corner, corner + QPointF(0, dy) }));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawRect(QRectF(5.5, 5.5, 5, 5));
    } else if (name == QLatin1String("window-close")) {
        p.setPen(QPen(QColor(0xb0, 0x30, 0x30), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    } else {
        return false;
    }
    return true;
}

QIcon drawnIcon(const QString &name)
{
    const QColor ink = QGuiApplication::palette().color(QPalette::WindowText);
    QIcon icon;
    // Drawn at each size up to four times the toolbar's: sharp on a screen of any pixel ratio.
    for (const int size : { 16, 24, 32, 48, 64 }) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        if (!drawIcon(painter, name, ink))
            return {};
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon toolbarIcon(const QString &themeName)
{
    if (QIcon::hasThemeIcon(themeName))
        return QIcon::fromTheme(themeName);
    return drawnIcon(themeName);
}

} // namespace quillon
