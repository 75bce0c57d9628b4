#pragma once

#include <QList>
#include <QPageSize>
#include <QString>
#include <QStringList>

namespace quillon {

struct PaperInfo;

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
    /// The name the virtual printers list for the code, Qt's ("A4", "Letter / ANSI A"), or
    /// "自定义"; the user sees it through shownName.
    static QString name(qint16 code);
    /// The code of a PPD page-size keyword ("Letter", "EnvC5", "A4.Fullbleed"), else 256.
    static qint16 codeOfKey(const QString &key);

    /// What the user sees for a paper a driver lists as `name` under `code`: the common Chinese
    /// name of a size known by one ("信纸" for Letter, "10 号信封" for Envelope #10, "对开纸"),
    /// a variant's note kept ("信纸 (无边距)" for "Letter (Borderless)"). Names that read alike
    /// in both languages (A4, JIS B5, 16K) and names the table does not know stay the driver's.
    static QString shownName(qint16 code, const QString &name);
    /// shownName of each paper; papers that would show alike keep the driver's names.
    static QStringList shownNames(const QList<PaperInfo> &papers);

    /// The papers of a printer that lists none of its own: A4, A3, A5, B5, B4, Letter, Legal,
    /// Tabloid and Executive.
    static QList<qint16> common();
};

} // namespace quillon
