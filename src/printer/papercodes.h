#pragma once

#include <QList>
#include <QPageSize>
#include <QString>

namespace quillon {

/// The platform's paper codes: 1 to 41 name standard sizes (9 is A4, 8 A3, 11 A5, 1 Letter,
/// 5 Legal, ...), 256 a user-defined size.
class PaperCodes
{
public:
    static constexpr qint16 UserDefined = 256;
    static constexpr qint16 A4 = 9;

    /// The page size of a standard code; an invalid size for 256 and unknown codes.
    static QPageSize pageSize(qint16 code);
    /// The code of a page size: its standard code, else 256.
    static qint16 code(const QPageSize &size);
    /// A name for the code to show the user ("A4", "Letter", "自定义").
    static QString name(qint16 code);
    /// The papers of a printer that lists none of its own: A4, A3, A5, B5, B4, Letter, Legal,
    /// Tabloid and Executive.
    static QList<qint16> common();
};

} // namespace quillon
