#pragma once

#include "paintersurface.h"

#include <QPdfWriter>
#include <QSizeF>

namespace quillon {

/// Sheets written into one PDF file, each the size of the printer's paper, with the drawing
/// origin at the printer's printable corner, so the file shows what the printer would print.
class PdfSheetSurface : private QPdfWriter, public PainterSurface
{
public:
    /// Writes into an output device; sheetTwips: the whole sheet; offsetTwips: the
    /// unprintable strip at the left and top.
    PdfSheetSurface(
        QIODevice *output, QSizeF sheetTwips, QPointF offsetTwips, const QString &title);

protected:
    void paintingStarted(QPainter &painter) override;

private:
    QPointF m_offset;
};

} // namespace quillon
