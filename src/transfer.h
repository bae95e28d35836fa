#ifndef TRANSFER_H
#define TRANSFER_H

#include <QByteArray>
#include <QString>
#include <QUrl>

class QObject;

// The outcome of one GET or PUT, read from its reply before the reply is released.
struct TransferResult
{
    enum Status {
        Succeeded,  // finished without error; body holds the whole reply
        Failed,     // finished with an error; errorText says why
        Unfinished  // the wait ended before the reply finished
    };
    Status status = Unfinished;
    QByteArray body;
    QString errorText;  // the network module's text, with the address's password removed

    bool succeeded() const { return status == Succeeded; }
};

// Each blocks its caller in a local event loop until the reply has finished.
// The network access manager is created for the one operation, as a child of owner.
TransferResult fetchUrl(QObject *owner, const QUrl &url);
TransferResult putUrl(QObject *owner, const QUrl &url, const QByteArray &data);

// The upload address with the login and password set exactly as typed: nothing decoded or re-encoded.
QUrl urlWithCredentials(const QString &address, const QString &login, const QString &password);

// text without the password of url, in any spelling it may take inside an address.
QString withoutPassword(const QString &text, const QUrl &url);

#endif // TRANSFER_H
