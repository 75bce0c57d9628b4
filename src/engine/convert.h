#pragma once

#include <QString>
#include <QtGlobal>

#include <cmath>
#include <limits>
#include <optional>

namespace quillon {

/// Rounds to the nearest whole number, halves to the even neighbour (2.5 → 2, 3.5 → 4), and
/// saturates at the 32-bit range; NaN gives 0.
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

/// The number a text stands for: blanks around it are ignored, a decimal point and an exponent
/// are allowed ("12", " -3 ", "10.5", "1e3"). Nothing for any other text.
std::optional<double> parseNumber(const QString &text);

/// A text as a 16-bit Integer (rounded half to even); nothing when it is no number or does not
/// fit.
std::optional<qint16> toInteger(const QString &text);
/// A text as a 32-bit Long (rounded half to even); nothing when it is no number or does not fit.
std::optional<qint32> toLong(const QString &text);
/// A text as a single-precision number; nothing when it is no number or out of range.
std::optional<float> toSingle(const QString &text);

/// The shortest decimal text that reads back as the same single-precision number ("10.5",
/// "0.75", "24").
QString singleToText(float value);

} // namespace quillon
