#include "settingsstore.h"

#include <QStringList>

namespace quillon {

QString SettingsStore::normalizedKey(const QString &keyPath)
{
    return keyPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts)
        .join(QLatin1Char('\\'))
        .toCaseFolded();
}

} // namespace quillon
