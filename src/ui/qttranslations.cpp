#include "qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QThread>
#include <QTranslator>

#include <memory>

namespace quillon {

void useQtTranslations()
{
    QCoreApplication *app = QCoreApplication::instance();
    // Translators belong to the application's thread, as windows do; only that thread gets
    // past here, so what follows needs no lock.
    if (!app || QThread::currentThread() != app->thread())
        return;
    static QPointer<QTranslator> ours;
    // Once ours is in, or when a translator of the host's already answers for Qt's texts:
    // a second one would only hide the host's choice.
    if (ours || QCoreApplication::translate("QPlatformTheme", "Cancel") != u"Cancel")
        return;
    const QLocale locale;
    if (locale.language() == QLocale::English || locale.language() == QLocale::C)
        return; // Qt's own texts are English
    auto translator = std::make_unique<QTranslator>(app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // qtbase holds the widgets' texts; some languages have only the older qt catalogue.
    for (const QString &catalogue : { u"qtbase"_qs, u"qt"_qs }) {
        if (translator->load(locale, catalogue, u"_"_qs, folder)) {
            ours = translator.get();
            QCoreApplication::installTranslator(translator.release());
            return;
        }
    }
}

} // namespace quillon
