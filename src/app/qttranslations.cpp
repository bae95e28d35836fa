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
    if (!translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::location(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return app->installTranslator(translator);
}
