#include "questions.h"

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>

#include "remoteaddress.h"

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("NewsAdder", text);
}

bool askYesNo(const QString &title, const QString &text, Qt::TextInteractionFlags textFlags = {})
{
    QMessageBox question(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No);
    question.setDefaultButton(QMessageBox::No);
    if (textFlags)
        question.setTextInteractionFlags(textFlags);
    return question.exec() == QMessageBox::Yes;
}

} // namespace

void showMessage(const QString &text)
{
    QMessageBox box;
    box.setText(text);
    box.exec();
}

bool goOnWithoutBackup()
{
    QMessageBox question;
    question.setWindowTitle(tr("Ошибка"));
    question.setIcon(QMessageBox::Warning);
    question.setText(tr("Произошла ошибка при создании резервной копии. Без резервной копии "
                        "восстановление будет невозможно. Всё равно продолжить загрузку? "));
    question.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    question.setDefaultButton(QMessageBox::Cancel);
    if (question.exec() != QMessageBox::Ok) {
        showMessage(tr("Загрузка на сервер отменена."));
        return false;
    }
    showMessage(tr("Запуск процедуры загрузки на сервер без резервной копии."));
    return true;
}

bool confirmRestore(const QString &fileName, const QString &address)
{
    // The address may carry a password; the question never shows it.
    const QString page = shownAddress(address);
    return askYesNo(tr("Восстановление резервной копии"),
                    tr("Заменить страницу новостей на сервере:\n%1\nсодержимым файла\n%2?\n\n"
                       "Текущая страница сервера перед заменой будет сохранена в резервную копию.")
                        .arg(page, QDir::toNativeSeparators(fileName)));
}

bool confirmRepeatedItem()
{
    return askYesNo(tr("Повтор новости"),
                    tr("Эта новость уже есть на странице (с этой или другой датой). Опубликовать её ещё раз?"));
}

bool trustUnknownHostKey(const HostKeyFacts &facts)
{
    // The fingerprint can be selected and copied for comparing.
    return askYesNo(tr("Неизвестный сервер"),
                    tr("Сервер %1 ещё не знаком программе: его ключа нет в файле known_hosts.\n\n"
                       "Ключ: %2\nОтпечаток: %3\n\n"
                       "Сверьте отпечаток с тем, что сообщает хостинг-провайдер. Если они совпадают, "
                       "ключ будет записан в known_hosts и больше об этом сервере спрашивать не будем. "
                       "Доверять этому серверу?")
                        .arg(facts.host, facts.keyType, facts.fingerprint),
                    Qt::TextSelectableByMouse);
}
