#include "pdfsheetsurface.h"

#include <QPageLayout>

namespace quillon {

namespace {
QPdfWriter &configured(QPdfWriter &writer, QSizeF sheetTwips, const QString &title)
{
    writer.setResolution(1440);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Quillon"));
    writer.setPageLayout(QPageLayout(
        QPageSize(sheetTwips / 20.0, QPageSize::Point, QString(), QPageSize::ExactMatch),
        QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    return writer;
}
} // namespace

PdfSheetSurface::PdfSheetSurface(
    QIODevice *output, QSizeF sheetTwips, QPointF offsetTwips, const QString &title)
    : QPdfWriter(output)
    , PainterSurface(&configured(*this, sheetTwips, title))
    , m_offset(offsetTwips)
{
}

void PdfSheetSurface::paintingStarted(QPainter &painter)
{
    painter.translate(toDeviceX(m_offset.x()), toDeviceY(m_offset.y()));
}

} // namespace quillon
