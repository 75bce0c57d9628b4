#include "pagelist.h"

#include <QRegularExpression>
#include <QSet>

namespace quillon {

namespace {

const QString kExample = QStringLiteral("页码的写法如 1-3,5,8。");

} // namespace

PageList parsePageList(const QString &text, qint32 pageCount)
{
    PageList list;
    const auto fail = [&list](const QString &why) {
        list.pages.clear();
        list.error = QStringLiteral("指定页码无效：%1\n").arg(why) + kExample;
        return list;
    };
    // Full-width digits, commas and dashes, as a Chinese input method types them.
    const QString plain = text.normalized(QString::NormalizationForm_KC);
    const QStringList parts
        = plain.split(QRegularExpression(QStringLiteral("[,、]")), Qt::KeepEmptyParts);
    if (plain.trimmed().isEmpty())
        return fail(QStringLiteral("没有输入页码。"));
    static const QRegularExpression item(
        QStringLiteral("^\\s*([0-9]+)\\s*(?:[-~]\\s*([0-9]+)\\s*)?$"));
    QSet<qint32> seen;
    for (const QString &part : parts) {
        if (part.trimmed().isEmpty())
            continue; // "1,,3" and a comma at the end
        const QRegularExpressionMatch m = item.match(part);
        if (!m.hasMatch())
            return fail(QStringLiteral("“%1”不是页码或页码范围。").arg(part.trimmed()));
        const bool range = m.hasCaptured(2);
        bool firstOk = false, lastOk = true;
        const qint64 first = m.captured(1).toLongLong(&firstOk);
        const qint64 last = range ? m.captured(2).toLongLong(&lastOk) : first;
        if (firstOk && first < 1)
            return fail(QStringLiteral("页码从 1 开始，没有第 0 页。"));
        if (firstOk && lastOk && first > last)
            return fail(QStringLiteral("“%1”的起始页大于结束页。").arg(part.trimmed()));
        if (!firstOk || !lastOk || last > pageCount) {
            const QString beyond = !firstOk || first > pageCount ? m.captured(1) : m.captured(2);
            return fail(QStringLiteral("报表共 %1 页，没有第 %2 页。").arg(pageCount).arg(beyond));
        }
        for (qint64 page = first; page <= last; ++page) {
            if (!seen.contains(qint32(page))) {
                seen.insert(qint32(page));
                list.pages.append(qint32(page));
            }
        }
    }
    if (list.pages.isEmpty())
        return fail(QStringLiteral("没有输入页码。"));
    return list;
}

} // namespace quillon
