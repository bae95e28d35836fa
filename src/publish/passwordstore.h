#ifndef PASSWORDSTORE_H
#define PASSWORDSTORE_H

#include <QObject>
#include <QString>

#include <functional>

// The desktop's secret store (Secret Service over D-Bus: GNOME Keyring, KWallet) through QtKeychain,
// holding one password per server and login. Every operation answers once, within TimeoutMsecs.
class PasswordStore : public QObject
{
    Q_OBJECT

public:
    static const int TimeoutMsecs = 5000;

    explicit PasswordStore(QObject *parent = nullptr);

    // Why no secret store can be used in this session; empty when one is running or can be started.
    static QString unavailableReason();
    // The entry's name: the login at the server of address (scheme, host and port; never a password).
    static QString entryFor(const QString &address, const QString &login);

    // problem is empty on success; a password not stored reads as an empty one without a problem.
    using Answer = std::function<void(const QString &password, const QString &problem)>;
    void read(const QString &entry, const Answer &answer);
    void write(const QString &entry, const QString &password, const Answer &answer);
    void remove(const QString &entry, const Answer &answer);
};

#endif // PASSWORDSTORE_H
