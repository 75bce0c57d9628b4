#pragma once

#include "engine/draw/textprimitives.h"

#include <QtGlobal>

#include <algorithm>

#include <functional>

namespace quillon {

struct EngineState;
struct PageContext;
enum class FrameStyle : qint32;

/// A run of rows or columns that prints as one block on a page (the header rows, the page's
/// body rows, a band of columns); a merged or spanned area never leaves its run.
struct IndexRun
{
    qint32 first = 0;
    qint32 last = -1;

    bool contains(qint32 index) const { return index >= first && index <= last; }
    IndexRun clippedTo(IndexRun other) const
    {
        return { std::max(first, other.first), std::min(last, other.last) };
    }
};

/// The run of printed columns that column col lies in on the current logical page: the
/// repeated fixed columns or the column band, or both together when the band goes on where
/// the fixed columns end.
IndexRun PrintedColumnRun(const EngineState &s, qint32 col);

/// The last steps of a grid renderer: the frame from the grid's top-left corner (entryX,
/// entryY, page twips) to the page width and the current line (CurY), DrawWidth 1, the kind's
/// own finishing step if any, DrawWidth 1 again, and PageOriginY 100 twips below the grid.
void FinishGridPage(const PageContext &pc, qint32 entryX, qint32 entryY,
    const std::function<void()> &afterFrame = nullptr);
/// FinishGridPage with a frame of the given style, whatever the print object's BorderStyle.
void FinishGridPage(const PageContext &pc, qint32 entryX, qint32 entryY,
    const std::function<void()> &afterFrame, FrameStyle style);

/// What the grid renderers do alike on one logical page: the cursor in surface units, the
/// column band and its scale, plain cell borders, the page's body rows with the preview's
/// progress and blank filler rows, and the frame and final steps.
class GridPage
{
public:
    explicit GridPage(const PageContext &context);

protected:
    /// Page twips as surface units.
    qint32 surface(double pageTwips) const;
    /// The step the cursor takes past a column of this width: its drawn width.
    qint32 advance(double width) const;
    /// The cursor back to the left edge, at PageOriginY.
    void newLine();
    /// Remembers the entry origin, puts the cursor there, selects the page's column band and
    /// sets DrawWidth 1.
    void begin();
    /// Scales the band so that columns of this total width fill the page width exactly.
    void setBandScale(double totalWidth);
    /// The cell's bottom edge, then its right edge, in LineColor.
    void plainBorders(const CellBox &box) const;
    void bottomEdge(const CellBox &box) const;
    void rightEdge(const CellBox &box) const;
    /// Draws body rows first to last, each LineHeightTw high. Rows past lastDataRow end the body
    /// unless the format fills the page with blank rows; drawRow gets the row and whether it is
    /// blank.
    void drawBodyRows(qint64 first, qint64 last, qint64 lastDataRow,
        const std::function<void(qint32, bool)> &drawRow);
    /// The frame around what was drawn since begin(), DrawWidth 1, and PageOriginY 100 below.
    void finish();
    /// finish() with a frame of the given style.
    void finish(FrameStyle style);

    const PageContext &pc;
    EngineState &s;
    const double zoom;
    double scale = 0;

private:
    qint32 m_entryX = 0;
    qint32 m_entryY = 0;
};

} // namespace quillon
