#pragma once

#include <QDateTime>
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

/// Whether a text counts as a number, and its value. Accepted, with blanks around it:
/// an optional sign ("-12", "+3"), digits with comma grouping anywhere between digits
/// ("1,234,567.50"), a decimal point with or without digits before it (".5", "12."), an
/// exponent ("1.5e3"), a leading currency sign (¥, ￥, $), accounting negatives in
/// parentheses ("(1,200.00)") and percentages, a per-cent sign (% or ％) at the end with or
/// without blanks before it ("76.4%" is 0.764, "-3%", "12.5 %"). Not numbers: empty texts,
/// "1.2.3", "12-", "--1", "0x1F", "%", "5%%", "%5".
std::optional<double> numericValue(const QString &text);
inline bool isNumericText(const QString &text)
{
    return numericValue(text).has_value();
}

/// Whether a text counts as a date: year-month-day with "-", "/" or "." between the parts
/// ("2026-12-07", "2026/12/7", "2026.12.7"), "2026年12月7日", or month/day/year ("12/7/2026"),
/// each optionally followed by a time "10:30" or "10:30:15" (ISO "2026-12-07T10:30" too).
/// The date must exist: "2026-02-30" is not a date.
bool isDateText(const QString &text);

/// Formats a number with a pattern of the usual kind: "0" a digit that is always shown, "#" a
/// digit shown when significant, "," anywhere in the integer part groups thousands, "." the
/// decimal point, "%" multiplies by 100; other characters are copied, and text in double
/// quotes or after a backslash is literal. Up to three sections separated by ";" apply to
/// positive, negative and zero values; with one section a negative number gets a leading "-".
/// Rounding is half away from zero on the decimal value ("##,###,###,###.00": 1234.5 →
/// "1,234.50", 0.5 → ".50"; "##,##0.00": 1.005 → "1.01").
QString formatNumber(double value, const QString &pattern);

/// A date text as a date and time: the forms isDateText accepts; nothing for any other text.
std::optional<QDateTime> dateValue(const QString &text);

/// A spreadsheet cell's text under its number format:
/// - "General" (any case) and "@" (text): the text as it is;
/// - number formats of formatNumber ("0", "0.00", "#,##0", "#,##0.00", "0%", "0.00%", up to
///   three sections, quoted or escaped literal text, currency signs): applied to a numeric text;
/// - date and time formats of y, m, d, h and s ("yyyy-mm-dd", "yyyy/m/d", "yyyy年m月d日",
///   "m/d/yyyy", "hh:mm", "yyyy-mm-dd hh:mm:ss"): applied to a date text, or to a number as
///   days since 1899-12-30 (the fraction is the time of day).
/// A text the format does not apply to (a name under "0.00") stays as it is. Nothing for a format
/// of any other kind (colours or conditions in brackets, scientific "0.00E+00", fractions, month
/// and weekday names, AM/PM).
std::optional<QString> formatCellText(const QString &text, const QString &format);

} // namespace quillon
