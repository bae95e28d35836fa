#ifndef LOCALFILE_H
#define LOCALFILE_H

#include <QByteArray>
#include <QString>

// Whole-file reads and writes of the local copies, byte for byte. Both report any failure by returning
// false, and the system's words for it in error when given.

bool readWholeFile(const QString &fileName, QByteArray &contents, QString *error = nullptr);

// The file is replaced only once every byte has reached the disk; on failure it keeps its old contents.
// A symbolic link in its place is replaced by a file of its own.
bool saveWholeFile(const QString &fileName, const QByteArray &contents, QString *error = nullptr);

// QSaveFile writes through a symbolic link into the file it points to, which may be anything anywhere:
// a link at fileName is removed, so that the program's own file takes its place and the linked file
// stays as it was.
bool removeLinkInPlace(const QString &fileName, QString *error = nullptr);

#endif // LOCALFILE_H
