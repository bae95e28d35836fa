#include "app/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool loadQtTranslations(QCoreApplication *app)
{
    // Month and day names come from the locale, not from the translation.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    auto translator = new QTranslator(app);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    const QString folder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#else
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#endif
    if (!translator->load(QStringLiteral("qtbase_ru"), folder)) {
        delete translator;
        return false;
    }
    return app->installTranslator(translator);
}
