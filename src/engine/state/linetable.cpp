#include "linetable.h"

#include "engine/convert.h"

namespace quillon {

std::optional<qint32> LineTable::newlineValue(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return -1;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return 0;
    return toLong(t);
}

} // namespace quillon
