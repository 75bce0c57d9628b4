#include "logo.h"

#include "engine/convert.h"
#include "engine/state/enginestate.h"
#include "engine/state/registry.h"
#include "markers_p.h"
#include "pagecontext.h"
#include "picturefilereader.h"
#include "platform/interfaces/surface.h"
#include "textprimitives.h"

#include <QFileInfo>

namespace quillon {

namespace {

/// A picture's natural size in twips, by its own resolution (96 dpi when it has none).
QSizeF twipsOf(const QImage &picture)
{
    const double dpiX = picture.dotsPerMeterX() > 0 ? picture.dotsPerMeterX() * 0.0254 : 96.0;
    const double dpiY = picture.dotsPerMeterY() > 0 ? picture.dotsPerMeterY() * 0.0254 : 96.0;
    return { picture.width() * 1440.0 / dpiX, picture.height() * 1440.0 / dpiY };
}

/// The logo picture, read once per file rather than once per page.
QImage logoPicture(EngineState &s, const QString &path)
{
    const QFileInfo info(path);
    if (!s.LogoPicture.isNull() && s.LogoPath == path && s.LogoTime == info.lastModified())
        return s.LogoPicture;
    const QImage picture = PictureFileReader(path).read();
    if (!picture.isNull()) {
        s.LogoPicture = picture;
        s.LogoPath = path;
        s.LogoTime = info.lastModified();
    }
    return picture;
}

} // namespace

QImage sealMarker()
{
    static const QImage image(kSealMarker);
    return image;
}

QImage stampMarker()
{
    static const QImage image(kStampMarker);
    return image;
}

void DrawLogoPicture(const PageContext &pc, const QString &path)
{
    EngineState &s = pc.s;
    if (s.Format.LogPicPrt != 1)
        return;
    const QImage picture = logoPicture(s, path);
    if (picture.isNull())
        return; // a missing or broken file draws nothing
    const QSizeF size = twipsOf(picture);
    const double w = size.width();
    const double h = size.height();
    s.LogoHeightTw = roundHalfEven(h);

    const double X = s.PageOriginX;
    const double Y = s.PageOriginY;
    const double footY = Y + s.PageHeightTw - h - s.BottomMarginTw;
    double x = X + (s.PageWidthTw - w) / 2;
    double y = Y;
    bool inFlow = true;
    switch (s.Format.LogPicLoc) {
    case 1:
        x = X;
        break;
    case 2:
        x = X + s.PageWidthTw - w;
        break;
    case 3:
        x = X;
        y = footY;
        inFlow = false;
        break;
    case 4:
        x = X + s.PageWidthTw - w;
        y = footY;
        inFlow = false;
        break;
    case 5:
        y = footY;
        inFlow = false;
        break;
    default:
        break;
    }
    const double zoom = s.ZoomRate;
    s.CurX = roundHalfEven(x * zoom);
    s.CurY = roundHalfEven(y * zoom);
    pc.surface.PaintPicture(
        picture, s.CurX, s.CurY, roundHalfEven(w * zoom), roundHalfEven(h * zoom));
    if (inFlow)
        s.PageOriginY += roundHalfEven(h);
}

void DrawLogoText(const PageContext &pc, qint32 pageLeft, qint32 pageTop)
{
    EngineState &s = pc.s;
    const PageFormat &f = s.Format;
    const double t = ApplyFont(pc, f.LogText, s.FontTable[8]).width;
    if (f.LogTextPrt != 1)
        return;

    const int code = f.LogTextLoc >= 0 && f.LogTextLoc <= 11 ? f.LogTextLoc : 0;
    const bool stamp = code == 2 || code == 3 || code == 5 || code == 7 || code == 8 || code == 10;
    const QImage marker = stamp ? stampMarker() : sealMarker();
    if (marker.isNull()) {
        ShowMessage(s,
            QStringLiteral("文件 图形数据不符! \n\n请选择图形文件(*.wmf;*.bmp;*.ico;*.dib)"), 48,
            QStringLiteral("图标打印"));
        return;
    }
    const QSizeF natural = twipsOf(marker);
    const double mw = natural.width() / 4;
    const double mh = natural.height() / 4;

    const double left = pageLeft - s.LeftMarginTw;
    const double top = pageTop - s.TopMarginTw;
    const double FW = s.PageWidthTw + s.LeftMarginTw + s.RightMarginTw;
    const double FH = s.PageHeightTw + s.TopMarginTw + s.BottomMarginTw;
    const double L = left + s.OffsetX;
    const double R = FW - mw + left - s.OffsetX;
    const double CX = (FW - mw) / 2 + left;
    const double T = top + s.OffsetY;
    const double B = FH - mh + top - s.OffsetY;
    const double CY = (FH - mh) / 2 + top;

    struct Place
    {
        double x, y;
        int text; // 1 right of the marker, -1 left of it, 0 none
    };
    const Place places[] = {
        { CX, T, 1 },
        { L, T, 1 },
        { L, T, 0 },
        { L, CY, 0 },
        { L, B, 1 },
        { L, B, 0 },
        { R, T, -1 },
        { R, T, 0 },
        { R, CY, 0 },
        { R, B, -1 },
        { R, B, 0 },
        { CX, B, 1 },
    };
    const Place &p = places[code];
    const double zoom = s.ZoomRate;
    Surface &surface = pc.surface;
    surface.PaintPicture(marker, roundHalfEven(p.x * zoom), roundHalfEven(p.y * zoom),
        roundHalfEven(mw * zoom), roundHalfEven(mh * zoom));
    if (p.text == 0)
        return;
    const qint32 y = roundHalfEven(p.y * zoom);
    const qint32 x = p.text > 0 ? roundHalfEven(p.x * zoom) + roundHalfEven(mw * zoom)
                                : roundHalfEven(p.x * zoom) - roundHalfEven(t * zoom);
    ApplyFont(pc, f.LogText, s.FontTable[7]);
    surface.setCurrentX(x);
    surface.setCurrentY(y);
    surface.Print(f.LogText);
    s.CurX = x;
    s.CurY = y;
}

} // namespace quillon
