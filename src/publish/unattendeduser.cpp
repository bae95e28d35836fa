#include "publish/unattendeduser.h"

#include "transfer/transferresult.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("UnattendedUser", text);
}

} // namespace

UnattendedUser::UnattendedUser(const Answers &answers, std::function<void(const QString &)> said)
    : m_answers(answers)
    , m_said(std::move(said))
{
}

void UnattendedUser::showMessage(const QString &text)
{
    m_messages << text;
    if (m_said)
        m_said(text);
}

bool UnattendedUser::yesOr(const QString &refusal)
{
    if (m_answers.yes)
        return true;
    showMessage(refusal);
    return false;
}

bool UnattendedUser::goOnWithoutBackup()
{
    return yesOr(tr("Резервная копия не сделана, а без неё восстановление невозможно: отправить всё равно можно с --yes."));
}

// The command itself names the file to put in the page's place.
bool UnattendedUser::confirmRestore(const QString &, const QString &)
{
    return true;
}

bool UnattendedUser::confirmRepeatedItem()
{
    return yesOr(tr("Эта новость уже есть на странице: опубликовать её ещё раз можно с --yes."));
}

bool UnattendedUser::confirmEmptyItem()
{
    return yesOr(tr("В новости нет текста, на странице появится только дата: опубликовать её можно с --yes."));
}

bool UnattendedUser::confirmRemoval(const PublishedItem &)
{
    return false;
}

bool UnattendedUser::confirmEmptyPassword()
{
    showMessage(tr("Нет пароля: ни сохранённого в хранилище паролей, ни в NEWSADDER_PASSWORD, ни в --password-file."));
    return false;
}

bool UnattendedUser::trustUnknownHostKey(const HostKeyFacts &facts)
{
    if (!m_answers.acceptedKey.isEmpty() && m_answers.acceptedKey == facts.fingerprint)
        return true;
    if (m_answers.acceptedKey.isEmpty()) {
        showMessage(tr("Ключ сервера %1 ещё неизвестен: %2 %3. Если это ключ вашего сервера, повторите команду с "
                       "--accept-host-key %3")
                        .arg(facts.host, facts.keyType, facts.fingerprint));
    } else {
        showMessage(tr("Ключ сервера %1 (%2 %3) не тот, что указан в --accept-host-key: %4")
                        .arg(facts.host, facts.keyType, facts.fingerprint, m_answers.acceptedKey));
    }
    return false;
}
