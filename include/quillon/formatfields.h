#pragma once

#include <quillon/quillon_global.h>

#include <QList>
#include <QString>

namespace quillon {

/// One value of a report's page format as it is stored under the report's key: its name, what
/// it holds, and the values that make sense. Lengths are millimetres, font sizes points.
struct QUILLON_EXPORT FormatField
{
    /// What a value holds.
    enum class Type {
        Text, ///< any text: a printer or font name, a logo's path or text
        Integer, ///< a whole number from low to high
        Flag, ///< 0 off or 1 on (a font's Bold also takes -1, on)
        /// RGB with red in the low byte, 0 to 16777215; JeLineColor and DotLineColor also take
        /// -1, the voucher grid's own colour.
        Color,
    };

    QString name; ///< as stored and as --format takes it (Top, LineCount, FONT0_Size, ...)
    Type type = Type::Integer; ///< what the value holds
    QString unit; ///< "毫米", "磅", "行" or empty
    QString defaultValue; ///< what a first load stores when the property below keeps its default
    QString property; ///< the print object property that supplies the default, if any
    qint32 low = 0; ///< smallest allowed number (not for texts)
    qint32 high = 0; ///< largest allowed number (not for texts)
    bool zeroIsAutomatic = false; ///< 0 (automatic) is allowed too, below `low`

    /// The type in words, for people: 文字, 整数, 开关 or 颜色.
    QString typeName() const;
    /// The allowed numbers in words, for people: "0 到 100", "0 或 3 到 100" or 任意文字.
    QString rangeText() const;
    /// Whether a stored number makes sense here; texts always do. The page setup, the loader
    /// and the command line all ask this.
    bool allows(qint64 value) const
    {
        return type == Type::Text || (value >= low && value <= high)
            || (zeroIsAutomatic && value == 0);
    }
};

/// Every value a page format keeps, in the order a load reads them.
QUILLON_EXPORT const QList<FormatField> &formatFields();
/// The field of that name (names are not case-sensitive), or null.
QUILLON_EXPORT const FormatField *findFormatField(const QString &name);
/// Empty when the text is a value the named field can take; otherwise why not, for the user.
QUILLON_EXPORT QString checkFormatValue(const QString &name, const QString &value);

} // namespace quillon
