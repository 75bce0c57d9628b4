#pragma once

#include <QtGlobal>

namespace quillon {

/// The grid kinds a print object names with GridType. Held in 16 bits, as the host's value
/// is; a number that names no kind stays as it was set, and gridKindRules() has no rules for it.
enum class GridKind : qint16 {
    None = 0, ///< no kind picked yet
    Sheet = 1, ///< spreadsheet grid
    Voucher = 2,
    DBGrid = 3, ///< data grid
    DataGrid = 4,
    Flex = 5,
    HFlex = 6, ///< hierarchical flex grid
    Plain = 7,
    Spread = 8,
};

} // namespace quillon
