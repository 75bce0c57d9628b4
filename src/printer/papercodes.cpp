#include "papercodes.h"

#include "printer/printingsystem.h"

namespace quillon {

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
