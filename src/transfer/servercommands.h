#ifndef SERVERCOMMANDS_H
#define SERVERCOMMANDS_H

#include "transfer/transferresult.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstddef>

struct SchemeInfo;
struct curl_slist;

// The server's own commands that curl sends before or after a transfer (its quote list), FTP's and
// SFTP's, and what the FTP server's replies say. Paths are as the server's commands name them
// (RemoteAddress::serverPath).

// One reply of an FTP server: its code, its last line, and every line of it (MLST's facts among them).
struct ServerReply
{
    int code = 0;
    QString text;
    QStringList lines;

    bool accepted() const { return code >= 200 && code < 300; }
    // The server does not know the command (500, 502, 504) or its argument (501).
    bool unknownCommand() const { return code >= 500 && code <= 504 && code != 503; }
};

QStringList renameCommands(const SchemeInfo &scheme, const QString &from, const QString &to);
QString removeCommand(const SchemeInfo &scheme, const QString &path);
QString chmodCommand(const SchemeInfo &scheme, const QString &path, int mode);
enum class FolderAction { Make, Remove };
QString folderCommand(const SchemeInfo &scheme, FolderAction action, const QString &path);
// FTP's questions about one file.
QString sizeCommand(const QString &path);
QString timeCommand(const QString &path);
QString factsCommand(const QString &path);
QString binaryTypeCommand();
// The listings of a folder to try in turn: with its hidden files (where the new page waits under
// its temporary name) as most servers take ls options, then without options, then names alone.
QStringList listCommands();
// The names in a folder, where the server has MLST.
QString namesCommand();
// Asks MLST for the facts a send needs, the mode among them where the server has it.
QString factsOptionsCommand();

// commands as curl's quote list, to be freed with curl_slist_free_all; with mayFail a refused
// command does not end the list, its refusal is read from the replies instead.
curl_slist *quoteList(const QStringList &commands, bool mayFail);

// curl's header function: appends every line of the server's replies, trimmed, to the QStringList at lines.
size_t collectLines(char *data, size_t size, size_t count, void *lines);
// The complete replies among lines, in order.
QList<ServerReply> repliesIn(const QStringList &lines);

// A result that succeeded turns Failed when the reply to the last command (the last of replies)
// refused it.
void readRefusal(const QStringList &commands, const QList<ServerReply> &replies, TransferResult *result);

// The number of a SIZE reply ("213 1234"), -1 for any other reply.
qint64 numberIn(const QString &reply);
// The size announced in the reply that opens a download ("150 ... (1234 bytes)", or 125), -1 for
// any other reply.
qint64 announcedIn(const QString &reply);
// Whether reply opens a transfer on the data connection (125 or 150).
bool opensTransfer(const QString &reply);
// The seconds since the epoch of an MDTM reply ("213 YYYYMMDDhhmmss" in UTC), -1 for any other reply.
qint64 timeIn(const QString &reply);
// The facts of an MLST reply ("type=file;size=2048;modify=20261208013200;UNIX.mode=0644; news.html").
RemoteFacts factsIn(const ServerReply &reply);
// The mode among one MLST facts line, -1 when the server names none.
int modeInFacts(const QString &factsLine);
// Whether the reply to factsOptionsCommand says that MLST now names the mode.
bool modeInFactsOffered(const ServerReply &reply);

#endif // SERVERCOMMANDS_H
