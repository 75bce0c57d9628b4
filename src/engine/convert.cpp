#include "convert.h"

#include <QLocale>

#include <charconv>

namespace quillon {

std::optional<double> parseNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<qint16> toInteger(const QString &text)
{
    const auto value = parseNumber(text);
    if (!value)
        return std::nullopt;
    const double r = std::nearbyint(*value);
    if (r < std::numeric_limits<qint16>::min() || r > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(r);
}

std::optional<qint32> toLong(const QString &text)
{
    const auto value = parseNumber(text);
    if (!value)
        return std::nullopt;
    const double r = std::nearbyint(*value);
    if (r < double(std::numeric_limits<qint32>::min())
        || r > double(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint32(r);
}

std::optional<float> toSingle(const QString &text)
{
    const auto value = parseNumber(text);
    if (!value || std::abs(*value) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return float(*value);
}

QString singleToText(float value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

} // namespace quillon
