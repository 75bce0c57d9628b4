#pragma once

#include <QImage>

#include <vector>

namespace quillon {

struct EngineState;

/// The page geometry a layout works out. The engine state holds the current one (it is a
/// LayoutResult), so every routine reads these fields by their names.
struct LayoutResult
{
    qint32 PaperWidthTw = 0;
    qint32 PaperHeightTw = 0;
    qint32 OffsetX = 0;
    qint32 OffsetY = 0;
    qint32 TopMarginTw = 0;
    qint32 BottomMarginTw = 0;
    qint32 LeftMarginTw = 0;
    qint32 RightMarginTw = 0;
    qint32 UsableWidthTw = 0;
    qint32 UsableHeightTw = 0;
    qint32 PageWidthTw = 0;
    qint32 PageHeightTw = 0;
    qint32 PagesAcross = 1;
    qint32 PagesDown = 1;
    qint32 LogoHeightTw = 0;
    QImage LogoPicture; ///< the logo picture loaded by the layout
    bool LogoSwitchedOff = false; ///< the logo file is missing or no picture
    qint32 LineHeightTw = 0;
    qint32 LinesPerPage = 1;
    /// Not one body row fits on a page (LinesPerPage is then 1 all the same), or the margins
    /// leave the page no width: printed, the rows would run off the pages, or the pages would
    /// hold no grid at all.
    bool GridDoesNotFit = false;
    qint32 RowPageCount = 0;
    qint32 FirstBodyCol = 0;
    qint32 LastBodyCol = 0;
    qint32 FixedColsWidthTw = 0;
    /// The column bands the layout planned: band p (from 0) starts at ColBandStarts[p] and ends
    /// before the next band's start, the last one at LastBodyCol. The renderers draw exactly
    /// these bands, so the band count shown on a page is the count printed.
    std::vector<qint32> ColBandStarts;
    qint32 ColPageCount = 1;
    qint32 SheetCount = 0;

    /// Makes this the engine's layout and starts at the first sheet.
    void applyTo(EngineState &s) const;
};

} // namespace quillon
