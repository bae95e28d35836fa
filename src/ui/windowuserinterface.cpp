#include "ui/windowuserinterface.h"

#include "page/publisheditems.h"
#include "publish/history.h"
#include "transfer/remoteaddress.h"
#include "transfer/transfersession.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("NewsAdder", text);
}

} // namespace

WindowUserInterface::WindowUserInterface(QWidget *window)
    : m_window(window)
{
}

bool WindowUserInterface::askYesNo(const QString &title, const QString &text, Qt::TextInteractionFlags textFlags)
{
    QMessageBox question(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, m_window);
    question.setDefaultButton(QMessageBox::No);
    question.setTextFormat(Qt::PlainText);
    if (textFlags)
        question.setTextInteractionFlags(textFlags);
    return question.exec() == QMessageBox::Yes;
}

void WindowUserInterface::showMessage(const QString &text)
{
    QMessageBox box(m_window);
    // Server replies, addresses and the marker itself may hold '<' and '&', shown as written.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.exec();
}

bool WindowUserInterface::goOnWithoutBackup()
{
    QMessageBox question(m_window);
    question.setWindowTitle(tr("Ошибка"));
    question.setIcon(QMessageBox::Warning);
    question.setTextFormat(Qt::PlainText);
    question.setText(tr("Произошла ошибка при создании резервной копии. Без резервной копии "
                        "восстановление будет невозможно. Всё равно продолжить загрузку? "));
    question.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    question.setDefaultButton(QMessageBox::Cancel);
    return question.exec() == QMessageBox::Ok;
}

bool WindowUserInterface::confirmRestore(const QString &fileName, const QString &address)
{
    // The address may carry a password; the question never shows it.
    const QString page = shownAddress(address);
    return askYesNo(tr("Восстановление резервной копии"),
                    tr("Заменить страницу новостей на сервере:\n%1\nсодержимым файла\n%2?\n\n"
                       "Текущая страница сервера перед заменой будет сохранена в резервную копию.")
                        .arg(page, QDir::toNativeSeparators(fileName)));
}

bool WindowUserInterface::confirmRepeatedItem()
{
    return askYesNo(tr("Повтор новости"),
                    tr("Эта новость уже есть на странице (с этой или другой датой). Опубликовать её ещё раз?"));
}

bool WindowUserInterface::confirmEmptyPassword()
{
    return askYesNo(tr("Пустой пароль"), tr("Пароль не введён. Отправить без пароля?"));
}

bool WindowUserInterface::confirmEmptyItem()
{
    return askYesNo(tr("Пустая новость"),
                    tr("В новости нет текста: на странице появится только дата. Всё равно опубликовать?"));
}

bool WindowUserInterface::confirmRemoval(const PublishedItem &item)
{
    return askYesNo(tr("Удаление новости"), tr("Удалить с сайта новость от %1: «%2»?")
                                                 .arg(shownDate(item),
                                                      visibleItemText(item.text)));
}

bool WindowUserInterface::trustUnknownHostKey(const HostKeyFacts &facts)
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

bool WindowUserInterface::confirmRollback(const QDateTime &version, const QStringList &goneItems)
{
    return askYesNo(tr("Возврат к прежней версии"), rollbackQuestion(version, goneItems));
}

QString WindowUserInterface::backupFileToSave()
{
    // The dialog adds the extension itself, and asks before replacing the file under that name.
    QFileDialog dialog(m_window, tr("Выберите имя сохраняемого файла"), QString(), tr("BAK file (*.bak)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("bak"));
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

QString WindowUserInterface::backupFileToRestore()
{
    return QFileDialog::getOpenFileName(m_window, tr("Выберите имя сохраняемого файла"), QString(),
                                        tr("BAK file (*.bak)"));
}

void WindowUserInterface::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    else
        QApplication::restoreOverrideCursor();
}
