#ifndef FILEMODE_H
#define FILEMODE_H

#include <QByteArray>
#include <QString>

// A file's permission bits (07777 at most) as the servers show them; -1 stands for "not told".
const int NotListed = -2;

// The mode of the regular file name in a folder listing of ls -l lines, as FTP's LIST and SFTP's
// directory listing give it ("-rw-r--r--   1 web  web  2048 Dec  8 01:37 news.html"); NotListed
// when no line ends in the name, -1 when no such line shows a regular file's mode (a link, a folder).
int modeInListing(const QByteArray &listing, const QString &name);

// The mode in an MLST reply's facts ("type=file;UNIX.mode=0644;size=2048; news.html"), -1 when the
// server names none.
int modeInFacts(const QString &factsLine);

// The mode as SITE CHMOD and SFTP's chmod take it: octal digits, "644".
QString modeText(int mode);

#endif // FILEMODE_H
