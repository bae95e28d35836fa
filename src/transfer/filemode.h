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

// The same for the folder name ("drwx------ 2 web web 4096 Dec  9 03:10 images").
int folderModeInListing(const QByteArray &listing, const QString &name);

// Whether any line of a listing may name name: an ls -l line, MLSD's facts line, NLST's bare name
// or path. When in doubt, it does: a name thought taken is never written over.
bool nameInListing(const QByteArray &listing, const QString &name);

// The size of the regular file name in such a listing, -1 when it shows none.
qint64 sizeInListing(const QByteArray &listing, const QString &name);

#endif // FILEMODE_H
