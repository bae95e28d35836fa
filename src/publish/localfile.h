#ifndef LOCALFILE_H
#define LOCALFILE_H

#include <QByteArray>
#include <QString>

// Whole-file reads and writes of the local copies, byte for byte. Both report any failure by returning
// false, and the system's words for it in error when given.

bool readWholeFile(const QString &fileName, QByteArray &contents, QString *error = nullptr);

// The file is replaced only once every byte has reached the disk; on failure it keeps its old contents.
bool saveWholeFile(const QString &fileName, const QByteArray &contents, QString *error = nullptr);

#endif // LOCALFILE_H
