#ifndef QTTRANSLATIONS_H
#define QTTRANSLATIONS_H

class QCoreApplication;

// Qt's own texts (standard buttons, file dialogs, the calendar's names) in Russian like the rest
// of the program: installs Qt's qtbase_ru translation and makes Russian the default locale.
// False when the translation is not installed; the program then runs with Qt's English texts.
bool loadQtTranslations(QCoreApplication *app);

#endif // QTTRANSLATIONS_H
