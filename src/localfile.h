#ifndef LOCALFILE_H
#define LOCALFILE_H

#include <QByteArray>
#include <QIODevice>
#include <QString>

// Whole-file reads and writes of the local copies. Both report any failure by returning false.

bool readWholeFile(const QString &fileName, QByteArray &contents, QIODevice::OpenMode extraMode = {});

// The file is replaced only once every byte has reached the disk; on failure it keeps its old contents.
bool saveWholeFile(const QString &fileName, const QByteArray &contents, QIODevice::OpenMode extraMode = {});

#endif // LOCALFILE_H
