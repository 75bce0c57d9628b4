#pragma once

#include <QString>

namespace quillon {

/// One report font. Size is in points; Color is RGB with red in the low byte.
struct FontSpec
{
    QString Name;
    double Size = 0;
    bool Bold = false;
    bool Italic = false;
    bool Strikethru = false;
    bool Underline = false;
    qint32 Color = 0;

    friend bool operator==(const FontSpec &, const FontSpec &) = default;
};

} // namespace quillon
