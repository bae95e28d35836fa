#ifndef MESSAGES_H
#define MESSAGES_H

#include <QString>
#include <QStringList>

// The program's own texts, as the user reads them in its message boxes and dialogs. A text ending
// in ':' is followed by more words.

inline const QString Uploaded = QStringLiteral("Файл успешно передан на сервер.");
inline const QString DownloadFailed = QStringLiteral("Произошла ошибка загрузки файла новостей:");
inline const QString SaveFailed = QStringLiteral("Произошла ошибка сохранения файла на жестком диске.");
inline const QString UploadFailed = QStringLiteral("Произошла ошибка сохранения файла на сервере:");
inline const QString UnreadableUpload =
    QStringLiteral("Произошла ошибка загрузки файла новостей на сервер - файл не читается с диска");
inline const QString BadFile = QStringLiteral("Плохой файл на сервере (ошибка)");
inline const QString NoMarker = BadFile + QStringLiteral(
    " На странице нет метки <font color=yellow>, после которой встаёт новость. Метка должна стоять в тексте "
    "страницы именно так (строчными буквами, без кавычек), не внутри комментария <!-- -->, скрипта или стиля. "
    "Новость не добавлена, на сервер ничего не отправлено.");
inline const QString InsertionProblem = QStringLiteral("Проблема добавления новостей. Плохой файл с сервера?");
// %1: the charset name as the page declares it.
inline const QString UnknownCharset = QStringLiteral(
    "Страница новостей на сервере объявляет неизвестную кодировку «%1». Новость не добавлена, на сервер "
    "ничего не отправлено.");
inline const QString ReadFailed = QStringLiteral("Произошла ошибка добавления новости в файл. (чтение)");
inline const QString WriteFailed = QStringLiteral("Произошла ошибка записи новости в файл.");
inline const QString Question = QStringLiteral(
    "Произошла ошибка при создании резервной копии. Без резервной копии восстановление будет невозможно. "
    "Всё равно продолжить загрузку? ");
inline const QString GoingOn = QStringLiteral("Запуск процедуры загрузки на сервер без резервной копии.");
inline const QString Cancelled = QStringLiteral("Загрузка на сервер отменена.");
inline const QString Caption = QStringLiteral("Выберите имя сохраняемого файла");
inline const QString BackupCancelled = QStringLiteral("Создание резервной копии отменено");
inline const QString RestoreCancelled = QStringLiteral("Восстановление резервной копии отменено");
inline const QString BackupSaved = QStringLiteral("Резервная копия страницы с сервера сохранена в файл:");
inline const QString RestoreQuestion = QStringLiteral("Заменить страницу новостей на сервере:");
inline const QString RepeatQuestion =
    QStringLiteral("Эта новость уже есть на странице (с этой или другой датой). Опубликовать её ещё раз?");
inline const QString SomeoneElsePublishing = QStringLiteral(
    "Страницу новостей сейчас публикует кто-то другой, на сервер ничего не отправлено. Повторите немного "
    "позже. Если никто не публикует, удалите на сервере папку «.news.html.newsadder-lock» рядом со страницей.");
inline const QString StateNotKept = QStringLiteral("Черновик новости и логин не сохраняются до следующего запуска.");
inline const QString EmptyQuestion =
    QStringLiteral("В новости нет текста: на странице появится только дата. Всё равно опубликовать?");
inline const QString EmptyPasswordQuestion = QStringLiteral("Пароль не введён. Отправить без пароля?");
inline const QString StoppedAnswering = QStringLiteral("Сервер перестал отвечать");
inline const QString LoginRefused = QStringLiteral(
    "Логин содержит управляющий символ (перевод строки, возврат каретки или другой). "
    "На сервер ничего не отправлено; исправьте логин и повторите.");
inline const QString PasswordRefused = QStringLiteral(
    "Пароль содержит управляющий символ (перевод строки, возврат каретки или другой). "
    "На сервер ничего не отправлено; исправьте пароль и повторите.");
inline const QString Corrected = QStringLiteral("Новость исправлена на сервере.");
inline const QString Removed = QStringLiteral("Новость удалена с сервера.");
inline const QString ItemChanged = QStringLiteral(
    "Эта новость изменилась на сервере после того, как список был получен: ничего не отправлено. "
    "Откройте список заново.");
inline const QString HistoryNotKept = QStringLiteral("История отправок не дополнена:");
inline const QString HistoryChanged = QStringLiteral(
    "Страница на сайте изменилась, пока открыта история: ничего не отправлено. Откройте историю заново.");
inline const QString RolledBack = QStringLiteral("Страница возвращена к версии от");
// Followed by the item's date and text.
inline const QString RemoveQuestion = QStringLiteral("Удалить с сайта новость от ");

// A failure message: its prefix, a space, then why (a local failure: the file it concerns).
inline const QStringList FailurePrefixes{DownloadFailed, UploadFailed, SaveFailed, UnreadableUpload, ReadFailed,
                                         WriteFailed, StateNotKept};

// Messages compared in order; an expected text ending in ':' or a failure's prefix must be followed
// by more words.
inline bool sameMessages(const QStringList &seen, const QStringList &expected)
{
    if (seen.size() != expected.size())
        return false;
    for (int i = 0; i < seen.size(); ++i) {
        const bool failure = FailurePrefixes.contains(expected.at(i));
        const QString start = failure ? expected.at(i) + ' ' : expected.at(i);
        if (failure || start.endsWith(':') ? !(seen.at(i).startsWith(start) && seen.at(i).size() > start.size())
                                           : seen.at(i) != start)
            return false;
    }
    return true;
}

#endif // MESSAGES_H
