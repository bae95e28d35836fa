#include "hostkeyquestion.h"

#include <QCoreApplication>
#include <QMessageBox>

bool trustUnknownHostKey(const HostKeyFacts &facts)
{
    const auto tr = [](const char *text) { return QCoreApplication::translate("NewsAdder", text); };
    QMessageBox question(QMessageBox::Question, tr("Неизвестный сервер"),
                         tr("Сервер %1 ещё не знаком программе: его ключа нет в файле known_hosts.\n\n"
                            "Ключ: %2\nОтпечаток: %3\n\n"
                            "Сверьте отпечаток с тем, что сообщает хостинг-провайдер. Если они совпадают, "
                            "ключ будет записан в known_hosts и больше об этом сервере спрашивать не будем. "
                            "Доверять этому серверу?")
                             .arg(facts.host, facts.keyType, facts.fingerprint),
                         QMessageBox::Yes | QMessageBox::No);
    question.setDefaultButton(QMessageBox::No);
    // The fingerprint can be selected and copied for comparing.
    question.setTextInteractionFlags(Qt::TextSelectableByMouse);
    return question.exec() == QMessageBox::Yes;
}
