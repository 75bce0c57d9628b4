#include "reportfonts.h"

#include "platform/interfaces/reportfontfaces.h"

#include <QFont>
#include <QHash>

namespace quillon {

namespace {

const QString kSong = QStringLiteral("AR PL UMing CN");
const QString kKai = QStringLiteral("AR PL UKai CN");
const QString kHei = QStringLiteral("WenQuanYi Zen Hei");

const QHash<QString, QString> &mapping()
{
    static const QHash<QString, QString> table = [] {
        QHash<QString, QString> t;
        for (const char16_t *name : { u"宋体", u"新宋体", u"仿宋", u"仿宋_GB2312", u"SimSun",
                 u"NSimSun", u"FangSong", u"FangSong_GB2312" })
            t.insert(QString::fromUtf16(name).toCaseFolded(), kSong);
        for (const char16_t *name : { u"楷体", u"楷体_GB2312", u"KaiTi", u"KaiTi_GB2312" })
            t.insert(QString::fromUtf16(name).toCaseFolded(), kKai);
        for (const char16_t *name : { u"黑体", u"微软雅黑", u"SimHei", u"Microsoft YaHei" })
            t.insert(QString::fromUtf16(name).toCaseFolded(), kHei);
        return t;
    }();
    return table;
}

} // namespace

QString ReportFonts::family(const QString &reportName)
{
    const QString name = reportName.trimmed();
    if (name.isEmpty())
        return kSong;
    return mapping().value(name.toCaseFolded(), name);
}

QStringList ReportFonts::families(const QString &reportName)
{
    QStringList list { family(reportName) };
    for (const QString &fallback : { kSong, kHei }) {
        if (!list.contains(fallback))
            list << fallback;
    }
    return list;
}

QStringList reportFontFamilies(const QString &reportName)
{
    return ReportFonts::families(reportName);
}

void ReportFonts::installSubstitutions()
{
    for (auto it = mapping().cbegin(); it != mapping().cend(); ++it)
        QFont::insertSubstitution(it.key(), it.value());
}

} // namespace quillon
