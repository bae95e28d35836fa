#ifndef TRANSFER_H
#define TRANSFER_H

#include <QByteArray>
#include <QString>
#include <QUrl>

// The outcome of one GET or PUT, read from its reply before the reply is released.
struct TransferResult
{
    enum Status {
        Succeeded,  // finished without error; a download's file holds the whole reply
        Failed,     // finished with an error; errorText says why
        Unfinished, // the wait ended before the reply finished
        SaveFailed  // fetched whole, but the local file could not take it; it keeps its old contents
    };
    Status status = Unfinished;
    QString errorText;  // the network module's text without the address's password, or the program's own

    bool succeeded() const { return status == Succeeded; }
};

// How long a transfer may go without moving a byte before the server counts as no longer answering.
const int DefaultIdleTimeout = 60 * 1000;  // milliseconds

// Each blocks its caller in a local event loop, with a busy cursor, until the reply has finished,
// no byte has moved for idleTimeout milliseconds (Failed), or the application quits (Unfinished).
// The network access manager, and with it the connection to the server, lives only as long as the
// operation. An address whose user name or password holds a control character is refused unsent.
// A download's body goes to fileName as it arrives and replaces the file only once all of it is
// there; a network failure is reported before a local one.
TransferResult putUrl(const QUrl &url, const QByteArray &data, int idleTimeout = DefaultIdleTimeout);
TransferResult fetchUrlToFile(const QUrl &url, const QString &fileName, int idleTimeout = DefaultIdleTimeout);

// Why the address's user name or password cannot go into the FTP command stream, or an empty text.
QString credentialsProblem(const QUrl &url);

// The upload address with the login and password set exactly as typed: nothing decoded or re-encoded.
QUrl urlWithCredentials(const QString &address, const QString &login, const QString &password);

// text without the password of url, in any spelling it may take inside an address.
QString withoutPassword(const QString &text, const QUrl &url);

#endif // TRANSFER_H
