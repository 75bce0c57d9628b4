#pragma once

#include <QtGlobal>

#include <functional>

namespace quillon {

struct EngineState;
enum class FrameStyle : qint32;

/// The frame around a drawn grid (surface units), by the print object's BorderStyle:
/// 1 a single box at DrawWidth 2; 2 a box at DrawWidth 1 and a second one 30 × 15 units
/// outside it; 3 top and bottom lines only, the right edge painted out in white; 4 and 5 none.
void DrawGridFrame(qint32 left, qint32 top, qint32 right, qint32 bottom);
/// The frame of the given style, whatever the print object's BorderStyle.
void DrawGridFrame(FrameStyle style, qint32 left, qint32 top, qint32 right, qint32 bottom);

/// The steps every grid renderer takes around its table on one logical page: the cursor at
/// the page origin, the column band, the band scale, the page's body rows with blank filler
/// rows, the frame and the final steps.
class GridTable
{
public:
    /// The page's rows of a block, as the grid numbers them.
    struct Rows
    {
        qint64 first;
        qint64 last;
    };

    /// Remembers the page origin as the table's corner, puts the cursor there and selects the
    /// column band of the current logical page.
    GridTable();

    /// Page twips as surface units.
    qint32 surface(double pageTwips) const;
    /// The table's top-left corner in surface units.
    qint32 left() const { return surface(m_entryX); }
    qint32 top() const { return surface(m_entryY); }
    /// The cursor to the left edge of the row at PageOriginY.
    void newLine() const;

    /// PageWidthTw over the width of the columns this page draws: the repeated fixed columns
    /// and those of the band, each as width(col) gives it; 0 when that is not positive.
    double bandScale(const std::function<double(qint32)> &width) const;

    /// The body rows of the current page: LinesPerPage rows, the first page's first being
    /// firstBodyRow.
    Rows bodyRows(qint64 firstBodyRow) const;
    /// Draws the rows one after the other, each LineHeightTw lower, with the preview's
    /// progress. Rows from endOfData on are past the grid: the page ends there, or, with
    /// FillBlankLine, this and every later row of the page is blank.
    void drawBodyRows(Rows rows, qint64 endOfData,
        const std::function<void(qint32 row, bool blank)> &drawRow) const;

    /// The frame down to the cursor's row, DrawWidth 1 and PageOriginY 100 twips below it.
    void finish() const;
    /// finish() with a frame of the given style.
    void finish(FrameStyle style) const;

private:
    EngineState &s;
    const qint32 m_entryX;
    const qint32 m_entryY;
};

} // namespace quillon
