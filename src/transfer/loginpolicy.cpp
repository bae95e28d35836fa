#include "transfer/loginpolicy.h"

#include "transfer/remoteaddress.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

bool hasControlCharacter(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

QString loginKey(const RemoteAddress &remote, const QString &login, const QString &password)
{
    // Neither may hold a line end, so the key cannot be mistaken.
    return remote.origin + QLatin1Char('\n') + login + QLatin1Char('\n') + password;
}

} // namespace

QString credentialsProblem(const QString &login, const QString &password)
{
    // A line end would let the rest of the text pass for a command of its own on the FTP control connection.
    if (hasControlCharacter(login))
        return QCoreApplication::translate("NewsAdder", "Логин содержит управляющий символ (перевод строки, "
                                                        "возврат каретки или другой). На сервер ничего не "
                                                        "отправлено; исправьте логин и повторите.");
    if (hasControlCharacter(password))
        return QCoreApplication::translate("NewsAdder", "Пароль содержит управляющий символ (перевод строки, "
                                                        "возврат каретки или другой). На сервер ничего не "
                                                        "отправлено; исправьте пароль и повторите.");
    return QString();
}

TransferResult checkedCredentials(const QString &login, const QString &password)
{
    TransferResult result;
    result.errorText = credentialsProblem(login, password);
    result.status = result.errorText.isEmpty() ? TransferResult::Succeeded : TransferResult::Failed;
    return result;
}

bool LoginPolicy::mayTry(const RemoteAddress &remote, const QString &login, const QString &password) const
{
    return credentialsProblem(login, password).isEmpty() && !refusal(remote, login, password);
}

const TransferResult *LoginPolicy::refusal(const RemoteAddress &remote, const QString &login,
                                           const QString &password) const
{
    const auto found = m_refused.constFind(loginKey(remote, login, password));
    return found == m_refused.constEnd() ? nullptr : &found.value();
}

void LoginPolicy::refuse(const RemoteAddress &remote, const QString &login, const QString &password,
                         const TransferResult &result)
{
    m_refused.insert(loginKey(remote, login, password), result);
}
