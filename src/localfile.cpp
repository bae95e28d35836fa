#include "localfile.h"

#include <QFile>
#include <QSaveFile>

bool readWholeFile(const QString &fileName, QByteArray &contents)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    contents = file.readAll();
    return file.error() == QFileDevice::NoError;
}

bool saveWholeFile(const QString &fileName, const QByteArray &contents)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // commit() alone can accept a short file when the disk fills, so every step is checked.
    if (file.write(contents) != contents.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
