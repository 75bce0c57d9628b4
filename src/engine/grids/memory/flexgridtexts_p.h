#pragma once

#include <quillon/flexgrid.h>

#include <memory>

namespace quillon {

class TextRows;

/// Gives a flex grid texts kept outside it, which it reads through instead of copying.
class FlexGridTexts
{
public:
    /// The grid takes the rows' size; its cells and their alignments are dropped.
    static void setBase(FlexGrid &grid, std::shared_ptr<const TextRows> rows);
};

} // namespace quillon
