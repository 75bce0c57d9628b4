#include "pagecontext.h"

#include "engine/grids/gridaccess.h"
#include "engine/grids/gridkinds.h"

#include <algorithm>

namespace quillon {

PageContext PageContext::firstGrid(EngineState &s)
{
    Q_ASSERT(s.DrawTarget);
    PrintProperties &print = *s.printObject();
    return { s, *s.DrawTarget, print, gridKindRules(int(print.GridType)),
        { print.Datagrid.data(), print.MainTitle, &s.HeadLines, &s.FootLines, s.GridRows,
            s.GridCols, s.FixedRowsTop, s.FixedRowsBottom, s.ColEnd } };
}

PageContext PageContext::secondGrid() const
{
    PageContext second = *this;
    PageGrid &g = second.grid;
    g.grid = print.DatagridSecond.data();
    g.title = print.MainTitle1;
    g.headLines = &s.HeadLines1;
    g.footLines = &s.FootLines1;
    const auto access = GridAccess::create(int(print.GridType), g.grid, print.gridrows);
    g.rows = access->rowCount();
    g.cols = access->colCount();
    g.fixedRowsTop = access->fixedRowsTop();
    g.fixedRowsBottom = access->fixedRowsBottom();
    g.colEnd = std::min(grid.colEnd, access->firstIndex() + g.cols - 1);
    return second;
}

} // namespace quillon
