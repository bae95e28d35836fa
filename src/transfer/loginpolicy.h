#ifndef LOGINPOLICY_H
#define LOGINPOLICY_H

#include "transfer/transferresult.h"

#include <QByteArray>
#include <QHash>
#include <QString>

struct RemoteAddress;

// Why login or password cannot go to the server (a control character), or an empty text.
QString credentialsProblem(const QString &login, const QString &password);

// Failed with credentialsProblem's text when login or password cannot go to the server, else Succeeded.
TransferResult checkedCredentials(const QString &login, const QString &password);

// The login a transfer gives curl.
struct Login
{
    bool given = false;  // otherwise anonymous
    QByteArray user;
    QByteArray password;

    static Login of(const QString &user, const QString &password) { return {true, user.toUtf8(), password.toUtf8()}; }
};

// The logins the servers of one session have refused, so that none is tried twice: each try would
// only count as another failed login.
class LoginPolicy
{
public:
    // Whether login and password may be tried on remote's server: they can go there and it has
    // not refused them yet.
    bool mayTry(const RemoteAddress &remote, const QString &login, const QString &password) const;
    // The server's refusal of login and password, or null when it has not refused them.
    const TransferResult *refusal(const RemoteAddress &remote, const QString &login, const QString &password) const;
    void refuse(const RemoteAddress &remote, const QString &login, const QString &password,
                const TransferResult &result);

private:
    QHash<QString, TransferResult> m_refused;  // origin + login -> the server's refusal
};

#endif // LOGINPOLICY_H
