#pragma once

#include <QImage>
#include <QString>

namespace quillon {

struct PageContext;

/// The logo picture of the page format, placed by LogPicLoc; codes 0 to 2 put it in the flow
/// below the titles (the head lines move down), 3 to 5 over the foot of the page.
void DrawLogoPicture(const PageContext &pc, const QString &path);
/// The logo text with its marker picture, placed by LogTextLoc around the logical page whose
/// origin was (pageLeft, pageTop).
void DrawLogoText(const PageContext &pc, qint32 pageLeft, qint32 pageTop);

/// The marker pictures: the seal beside a text, and the stamp drawn alone.
QImage sealMarker();
QImage stampMarker();

} // namespace quillon
