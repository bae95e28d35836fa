#include "localfile.h"

#include <QFile>
#include <QSaveFile>

namespace {

bool failed(const QFileDevice &file, QString *error)
{
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace

bool readWholeFile(const QString &fileName, QByteArray &contents, QString *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return failed(file, error);
    contents = file.readAll();
    return file.error() == QFileDevice::NoError || failed(file, error);
}

bool saveWholeFile(const QString &fileName, const QByteArray &contents, QString *error)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file, error);
    // commit() alone can accept a short file when the disk fills, so every step is checked.
    if (file.write(contents) != contents.size() || !file.flush()) {
        failed(file, error);
        file.cancelWriting();
        return false;
    }
    return file.commit() || failed(file, error);
}
