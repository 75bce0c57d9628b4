#include "papercodes.h"

#include "printer/printingsystem.h"

#include <QRegularExpression>
#include <QSet>

namespace quillon {

namespace {

/// A size that Chinese users know by a name of its own.
struct CommonPaper
{
    QPageSize::PageSizeId id;
    const char16_t *shown;
    /// What drivers call it besides Qt's name and its PPD keyword, '|' between the names.
    const char16_t *otherNames;
};

const CommonPaper kCommonPapers[] = {
    { QPageSize::Letter, u"信纸", u"US Letter" },
    { QPageSize::LetterSmall, u"小号信纸", u"" },
    { QPageSize::Legal, u"法律专用纸", u"US Legal" },
    { QPageSize::ExecutiveStandard, u"行政纸", u"US Executive" },
    { QPageSize::Tabloid, u"小报", u"" },
    { QPageSize::Ledger, u"账簿纸", u"" },
    { QPageSize::Statement, u"报表纸", u"" },
    { QPageSize::Folio, u"对开纸", u"" },
    { QPageSize::Quarto, u"四开纸", u"" },
    { QPageSize::Note, u"便笺", u"" },
    { QPageSize::A4Small, u"小号 A4", u"" },
    { QPageSize::Envelope9, u"9 号信封", u"Envelope #9|#9 Envelope|Com 9" },
    { QPageSize::Envelope10, u"10 号信封", u"Envelope #10|#10 Envelope|Com 10|Comm 10" },
    { QPageSize::Envelope11, u"11 号信封", u"Envelope #11|#11 Envelope|Com 11" },
    { QPageSize::Envelope12, u"12 号信封", u"Envelope #12|#12 Envelope|Com 12" },
    { QPageSize::Envelope14, u"14 号信封", u"Envelope #14|#14 Envelope|Com 14" },
    { QPageSize::EnvelopeDL, u"DL 信封", u"DL|DL Envelope" },
    // A bare "C5" may be the sheet of that size: only "Envelope C5" and the like are envelopes.
    { QPageSize::EnvelopeC3, u"C3 信封", u"C3 Envelope" },
    { QPageSize::EnvelopeC4, u"C4 信封", u"C4 Envelope" },
    { QPageSize::EnvelopeC5, u"C5 信封", u"C5 Envelope" },
    { QPageSize::EnvelopeC6, u"C6 信封", u"C6 Envelope" },
    { QPageSize::EnvelopeC65, u"C65 信封", u"C65 Envelope" },
    { QPageSize::EnvelopeB4, u"B4 信封", u"B4 Envelope" },
    { QPageSize::EnvelopeB5, u"B5 信封", u"B5 Envelope" },
    { QPageSize::EnvelopeB6, u"B6 信封", u"B6 Envelope" },
    { QPageSize::EnvelopeMonarch, u"Monarch 信封", u"Monarch|Monarch Envelope" },
};

/// A name reduced to its letters and digits in lower case: "Envelope #10", "envelope 10" and
/// "Envelope-10" are one name.
QString folded(QStringView name)
{
    QString key;
    for (const QChar c : name) {
        if (c.isLetterOrNumber())
            key += c.toLower();
    }
    return key;
}

/// The common size named `name` under `code`. A size without a code of its own (Folio) goes
/// by its name alone.
const CommonPaper *commonPaper(qint16 code, QStringView name)
{
    static const std::vector<qint16> ownCodes = [] {
        std::vector<qint16> codes;
        for (const CommonPaper &paper : kCommonPapers)
            codes.push_back(PaperCodes::code(QPageSize(paper.id)));
        return codes;
    }();
    const QString key = folded(name);
    for (size_t i = 0; i < std::size(kCommonPapers); ++i) {
        const CommonPaper &paper = kCommonPapers[i];
        if (ownCodes[i] != code && ownCodes[i] != PaperCodes::UserDefined)
            continue;
        // Qt's name is read each time: it is in the language of the translators installed.
        QStringList names = QString::fromUtf16(paper.otherNames).split(u'|', Qt::SkipEmptyParts);
        names << QPageSize::name(paper.id) << QPageSize::key(paper.id);
        for (const QString &n : std::as_const(names)) {
            if (folded(n) == key)
                return &paper;
        }
    }
    return nullptr;
}

} // namespace

QPageSize PaperCodes::pageSize(qint16 code)
{
    // 14 has no standard size of its own.
    if (code < 1 || code > 41 || code == 14)
        return QPageSize();
    const QPageSize::PageSizeId id = QPageSize::id(int(code));
    return id == QPageSize::Custom ? QPageSize() : QPageSize(id);
}

qint16 PaperCodes::code(const QPageSize &size)
{
    if (!size.isValid())
        return UserDefined;
    const int windowsId = size.windowsId();
    // Keep only codes that map back to an equivalent size: Qt answers a neighbour's code for
    // some sizes.
    if (windowsId >= 1 && windowsId <= 41 && pageSize(qint16(windowsId)).isEquivalentTo(size))
        return qint16(windowsId);
    for (qint16 c = 1; c <= 41; ++c) {
        if (pageSize(c).isValid() && pageSize(c).isEquivalentTo(size))
            return c;
    }
    return UserDefined;
}

QString PaperCodes::name(qint16 code)
{
    const QPageSize size = pageSize(code);
    return size.isValid() ? size.name() : QStringLiteral("自定义");
}

qint16 PaperCodes::codeOfKey(const QString &key)
{
    // "A4.Fullbleed" is a variant of "A4".
    const QString size = key.section(u'.', 0, 0);
    for (qint16 c = 1; c <= 41; ++c) {
        if (pageSize(c).isValid() && pageSize(c).key() == size)
            return c;
    }
    return UserDefined;
}

QString PaperCodes::shownName(qint16 code, const QString &name)
{
    const QString trimmed = name.trimmed();
    if (const CommonPaper *paper = commonPaper(code, trimmed))
        return QString::fromUtf16(paper->shown);
    // "Letter (Borderless)", "Envelope #10 (4.12 x 9.5 inches)": the size, then a note.
    static const QRegularExpression variant(u"^(.+?)\\s*\\(([^()]*)\\)$"_qs);
    const QRegularExpressionMatch m = variant.match(trimmed);
    if (!m.hasMatch())
        return trimmed;
    const CommonPaper *paper = commonPaper(code, m.captured(1));
    const QString note = m.captured(2).trimmed();
    const bool borderless = folded(note) == u"borderless"_qs || folded(note) == u"fullbleed"_qs;
    if (!paper && !borderless)
        return trimmed;
    return (paper ? QString::fromUtf16(paper->shown) : m.captured(1)) + u" ("_qs
        + (borderless ? u"无边距"_qs : note) + u')';
}

QStringList PaperCodes::shownNames(const QList<PaperInfo> &papers)
{
    QStringList shown;
    for (const PaperInfo &paper : papers)
        shown << shownName(paper.code, paper.name);
    // Two driver names of one size ("Letter", "US Letter") would show as one.
    QSet<QString> seen, twice;
    for (const QString &name : std::as_const(shown)) {
        if (seen.contains(name))
            twice.insert(name);
        seen.insert(name);
    }
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (twice.contains(shown[i]))
            shown[i] = papers[i].name.trimmed();
    }
    return shown;
}

QList<qint16> PaperCodes::common()
{
    return { 9, 8, 11, 13, 12, 1, 5, 3, 7 };
}

qsizetype paperEntry(const QList<PaperInfo> &papers, qint16 code, const QString &preferred)
{
    qsizetype plainest = -1;
    for (qsizetype i = 0; i < papers.size(); ++i) {
        if (papers[i].code != code)
            continue;
        const QString name = papers[i].name.trimmed();
        if (!preferred.isEmpty() && name == preferred.trimmed())
            return i;
        if (plainest < 0 || name.size() < papers[plainest].name.trimmed().size())
            plainest = i;
    }
    return plainest;
}

} // namespace quillon
