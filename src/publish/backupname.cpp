#include "publish/backupname.h"

#include <QFileInfo>
#include <QLocale>

QString withBackupExtension(const QString &name)
{
    if (!QFileInfo(name).suffix().isEmpty())
        return name;
    return name.endsWith(QLatin1Char('.')) ? name + QLatin1String("bak") : name + QLatin1String(".bak");
}

QString automaticBackupName(const QDateTime &now)
{
    return QLatin1String("backup_") + QLocale::c().toString(now, QStringLiteral("dd-MM-yyyy_hh-mm-ss"))
           + QLatin1String(".bak");
}

QString freeBackupName(const QDateTime &now, const QDir &directory)
{
    const QString first = automaticBackupName(now);
    QString name = first;
    // A dangling link counts as taken too: nothing is ever written through one.
    const auto taken = [&directory](const QString &name) {
        const QFileInfo file(directory.filePath(name));
        return file.exists() || file.isSymLink();
    };
    for (int number = 2; taken(name); ++number)
        name = first.chopped(4) + QLatin1Char('_') + QString::number(number) + QLatin1String(".bak");
    return name;
}
