#ifndef FTPCOMMANDS_H
#define FTPCOMMANDS_H

#include "transfer/transferresult.h"

#include <QString>
#include <QStringList>

#include <cstddef>

struct SchemeInfo;
struct curl_slist;

// The server's own commands that curl sends before or after a transfer (its quote list), and
// what their replies say.

// commands as curl's quote list, to be freed with curl_slist_free_all; with mayFail a refused
// command does not end the list, its refusal is read from the replies instead.
curl_slist *quoteList(const QStringList &commands, bool mayFail);

// curl's header function: appends the last line of each of the server's replies (three digits
// and a space) to the QStringList at replies.
size_t collectReply(char *data, size_t size, size_t count, void *replies);

// curl's header function: appends every line of the server's replies, trimmed, to the QStringList at lines.
size_t collectLines(char *data, size_t size, size_t count, void *lines);

// A result that succeeded turns Failed when the reply to the last command (the last of replies)
// refused it.
void readRefusal(const QStringList &commands, const QStringList &replies, TransferResult *result);

// The command asking the size of the file at path (as the server names it); the scheme must have one.
QString sizeCommand(const SchemeInfo &scheme, const QString &path);
// The commands asking the modification time and the size of the file at path, in that order.
QStringList stampCommands(const SchemeInfo &scheme, const QString &path);
// What the replies to stampCommands, from replies[first] on, say; -1 for what they do not.
RemoteStamp stampIn(const QStringList &replies, int first);

// The number of a SIZE reply ("213 1234"), -1 for any other reply.
qint64 numberIn(const QString &reply);
// The size announced in the reply that opens a download ("150 ... (1234 bytes)", or 125), -1 for
// any other reply.
qint64 announcedIn(const QString &reply);
// Whether reply opens a transfer on the data connection (125 or 150).
bool opensTransfer(const QString &reply);
// The seconds since the epoch of an MDTM reply ("213 YYYYMMDDhhmmss" in UTC), -1 for any other reply.
qint64 timeIn(const QString &reply);

#endif // FTPCOMMANDS_H
