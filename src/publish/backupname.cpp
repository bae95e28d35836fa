#include "publish/backupname.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

QString withBackupExtension(const QString &name)
{
    if (!QFileInfo(name).suffix().isEmpty())
        return name;
    return name.endsWith(QLatin1Char('.')) ? name + QLatin1String("bak") : name + QLatin1String(".bak");
}

QString automaticBackupName(const QDateTime &now, const QString &prefix)
{
    return prefix + QLocale::c().toString(now, QStringLiteral("dd-MM-yyyy_hh-mm-ss"))
           + QLatin1String(".bak");
}

QString freeBackupName(const QDateTime &now, const QDir &directory, const QString &prefix)
{
    const QString first = automaticBackupName(now, prefix);
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

QString newestAutomaticBackup(const QDir &directory)
{
    // By the time in the name: copying a folder changes the files' own times.
    static const QRegularExpression automatic(
        QStringLiteral(R"(^backup_(\d\d-\d\d-\d{4}_\d\d-\d\d-\d\d)(?:_(\d+))?\.bak$)"));
    QString newest;
    QDateTime newestTime;
    int newestNumber = 0;
    for (const QString &name : directory.entryList({QStringLiteral("backup_*.bak")}, QDir::Files)) {
        const QRegularExpressionMatch match = automatic.match(name);
        const QDateTime time = QLocale::c().toDateTime(match.captured(1), QStringLiteral("dd-MM-yyyy_hh-mm-ss"));
        const int number = match.captured(2).toInt();
        if (!time.isValid() || (newestTime.isValid() && (time < newestTime || (time == newestTime && number < newestNumber))))
            continue;
        newest = directory.filePath(name);
        newestTime = time;
        newestNumber = number;
    }
    return newest;
}
