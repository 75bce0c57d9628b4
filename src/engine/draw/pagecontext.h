#pragma once

#include "engine/state/enginestate.h"
#include "engine/state/printproperties.h"

#include <QPointer>
#include <QString>

namespace quillon {

class GridKindRules;
class LineTable;
class Surface;

/// The grid a logical page shows and the furniture that belongs to it: the first grid with
/// MainTitle, HeadLines and FootLines, or the second with MainTitle1, HeadLines1 and
/// FootLines1. Its size is its own: a shorter or narrower second grid is never asked for rows
/// or columns it lacks.
struct PageGrid
{
    QObject *grid = nullptr;
    QString title;
    const LineTable *headLines = nullptr;
    const LineTable *footLines = nullptr;
    qint32 rows = 0;
    qint32 cols = 0;
    qint32 fixedRowsTop = 0;
    qint32 fixedRowsBottom = 0;
    qint32 colEnd = 0;
};

/// What every drawing routine draws with: the job's state (its format, fonts, zoom, layout
/// result and page position), the surface, the print object, the grid kind's rules and the
/// grid of this page. A routine reads nothing else, so two jobs draw side by side in two
/// threads.
struct PageContext
{
    EngineState &s;
    Surface &surface;
    PrintProperties &print;
    const GridKindRules *rules = nullptr; ///< null for a kind without rules
    PageGrid grid;

    double zoom() const { return s.ZoomRate; }

    /// The page of the job's first grid on the job's drawing target.
    static PageContext firstGrid(EngineState &s);
    /// The same page showing the print object's second grid, read within its own size.
    PageContext secondGrid() const;
};

} // namespace quillon
