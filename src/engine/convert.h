#pragma once

#include <QtGlobal>

#include <cmath>
#include <limits>

namespace quillon {

/// Rounds to the nearest whole number, halves to the even neighbour (2.5 → 2, 3.5 → 4), and
/// saturates at the 32-bit range.
inline qint32 roundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    const double r = std::nearbyint(value); // the default rounding mode is to nearest, even
    if (r >= double(std::numeric_limits<qint32>::max()))
        return std::numeric_limits<qint32>::max();
    if (r <= double(std::numeric_limits<qint32>::min()))
        return std::numeric_limits<qint32>::min();
    return qint32(r);
}

} // namespace quillon
