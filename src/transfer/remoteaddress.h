#ifndef REMOTEADDRESS_H
#define REMOTEADDRESS_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// What differs between the kinds of address the program accepts, in one place.
struct SchemeInfo
{
    const char *name;       // as written in settings.ini
    const char *curlScheme; // as curl is given it
    int defaultPort;
    // TLS on control and data connections, with no fall-back to plain (FTP over TLS).
    bool tlsRequired;
    // The page is uploaded under a temporary name beside it and renamed over it; otherwise the
    // server replaces the page itself (an HTTP PUT).
    bool replacedByRename;
    // The server's commands (curl quote commands) for a rename and a removal; paths as the server
    // sees them (see serverPath).
    QStringList (*renameCommands)(const QString &from, const QString &to);
    QString (*removeCommand)(const QString &path);
    // The server's own commands for a file's size and modification time, asked in the same command
    // list; null where the server has none (the facts are then asked file by file).
    const char *sizeCommand;
    const char *timeCommand;
    // SFTP: the server is known by its host key, checked against known_hosts; its commands take
    // paths from its root, give no replies to read, and cannot rename onto an existing file
    // (libssh2 speaks SFTP version 3, without the POSIX rename extension).
    bool overSsh;
    // The command that gives a file a mode (octal digits, "644").
    QString (*chmodCommand)(const QString &path, const QString &mode);
};

// The entry for scheme (lower case), or null for an address the program does not speak.
const SchemeInfo *schemeInfo(const QString &scheme);
QStringList supportedSchemes();
// The protocols curl may speak for these schemes, comma-separated.
QByteArray curlProtocols();

// Why address cannot be used for a transfer, in words for the user that name the address without
// its password; empty when it can be used.
QString addressProblem(const QString &address);

// address with its password (if any) left out, for messages, or shown as passwordShownAs (":***"
// for the log). Whatever the password holds, none of it shows.
QString shownAddress(const QString &address, const QString &passwordShownAs = QString());

// A checked address split the way curl is given it: the credentials never inside the address.
struct RemoteAddress
{
    QByteArray url;        // encoded, without user name and password
    QString userName;      // decoded; empty with hasUser false when the address names no user
    QString password;
    bool hasUser = false;
    const SchemeInfo *scheme = nullptr;
    QString folderUrl;     // the folder the file lies in, encoded, ending in '/'
    QString fileName;      // decoded last path segment
    QString folderPath;    // the folder as the server's commands name it ("" or "dir/")
    QString origin;        // scheme://host:port, to tell servers apart
    QString host;
    int port = 0;          // the default port of the scheme when the address names none

    // The same folder with another file name.
    QByteArray siblingUrl(const QString &name) const;
};

RemoteAddress parseAddress(const QString &address);

// The server's command that makes or removes the folder at path (as the server names it), for a
// scheme that is replacedByRename.
enum class FolderAction { Make, Remove };
QString folderCommand(const SchemeInfo &scheme, FolderAction action, const QString &path);

#endif // REMOTEADDRESS_H
