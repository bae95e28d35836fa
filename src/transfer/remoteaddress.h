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
    // FTP: the server's own commands (servercommands.h) and replies, paths from its starting folder.
    bool ftp;
    // SFTP: the server is known by its host key, checked against known_hosts; its commands take
    // paths from its root, give no replies to read, and cannot rename onto an existing file
    // (libssh2 speaks SFTP version 3, without the POSIX rename extension).
    bool overSsh;
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
    QString serverPath;    // the file as they name it: folderPath and fileName
    QString origin;        // scheme://host:port, to tell servers apart
    QString host;
    int port = 0;          // the default port of the scheme when the address names none

    // The same folder with another file name.
    QByteArray siblingUrl(const QString &name) const;
    // The file or folder at name beside this one ("photo.jpg", or "img/photo.jpg" below its folder).
    RemoteAddress sibling(const QString &name) const;
};

RemoteAddress parseAddress(const QString &address);

#endif // REMOTEADDRESS_H
