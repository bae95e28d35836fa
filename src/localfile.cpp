#include "localfile.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

bool readWholeFile(const QString &fileName, QByteArray &contents, QIODevice::OpenMode extraMode)
{
    // Text mode only drops carriage returns on reading; QIODevice does that a byte at a time, five
    // times slower than reading the file whole and dropping them in one pass.
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | (extraMode & ~QIODevice::OpenMode(QIODevice::Text))))
        return false;
    contents = file.readAll();
    if (extraMode & QIODevice::Text)
        contents.resize(int(std::remove(contents.begin(), contents.end(), '\r') - contents.begin()));
    return file.error() == QFileDevice::NoError;
}

bool saveWholeFile(const QString &fileName, const QByteArray &contents, QIODevice::OpenMode extraMode)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | extraMode))
        return false;
    // commit() alone can accept a short file when the disk fills, so every step is checked.
    if (file.write(contents) != contents.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
