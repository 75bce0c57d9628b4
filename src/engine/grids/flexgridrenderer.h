#pragma once

#include <QString>

namespace quillon {

struct PageContext;

class FlexGridAccess;

/// Draws the grid body of the current logical page for the data grids (kinds 3 and 4), the
/// flex grids (5 and 6) and the plain grid (7): the header rows, the page's band of body rows
/// within the current column band, stretched to exactly the page width, with borders, merged
/// cells and the frame. Leaves PageOriginY 100 twips below the table.
void RenderFlexGrid(const PageContext &pc);

/// Directions for MergedWithNeighbour.
enum class Neighbour { Below = 0, Right = 1, Above = 2, Left = 3 };

/// Whether cell (row, col) with this text merges with its neighbour: the merge mode and the
/// row's MergeRow (sideways) or the column's MergeCol (up and down) must allow it, the
/// neighbour must lie within [low, high], and its text must be the same. Selects the neighbour.
bool MergedWithNeighbour(FlexGridAccess &grid, int mode, qint32 row, qint32 col, qint32 low,
    qint32 high, const QString &text, Neighbour direction);

} // namespace quillon
