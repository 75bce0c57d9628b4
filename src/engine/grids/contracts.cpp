#include <quillon/abstractdatagrid.h>
#include <quillon/abstractflexgrid.h>
#include <quillon/abstractsheetgrid.h>
#include <quillon/abstractspreadgrid.h>
#include <quillon/abstractvouchergrid.h>

namespace quillon {

// Out of line so that each contract has one home for its type information.
AbstractPlainGrid::~AbstractPlainGrid() = default;
AbstractFlexGrid::~AbstractFlexGrid() = default;
AbstractHFlexGrid::~AbstractHFlexGrid() = default;
AbstractDataGrid::~AbstractDataGrid() = default;
AbstractSpreadGrid::~AbstractSpreadGrid() = default;
AbstractVoucherGrid::~AbstractVoucherGrid() = default;
AbstractSheetGrid::~AbstractSheetGrid() = default;

} // namespace quillon
