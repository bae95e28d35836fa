#include "publish/localfile.h"

#include <QFile>
#include <QFileInfo>
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

bool removeLinkInPlace(const QString &fileName, QString *error)
{
    QFile link(fileName);
    if (!QFileInfo(fileName).isSymLink() || link.remove())
        return true;
    return failed(link, error);
}

bool saveWholeFile(const QString &fileName, const QByteArray &contents, QString *error)
{
    if (!removeLinkInPlace(fileName, error))
        return false;
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
