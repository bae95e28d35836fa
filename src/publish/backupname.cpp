#include "publish/backupname.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

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

namespace {

QRegularExpressionMatch automaticMatch(const QString &name)
{
    static const QRegularExpression automatic(
        QStringLiteral(R"(^backup_(\d\d-\d\d-\d{4}_\d\d-\d\d-\d\d)(?:_(\d+))?\.bak$)"));
    return automatic.match(name);
}

QDateTime timeIn(const QRegularExpressionMatch &match)
{
    return match.hasMatch() ? QLocale::c().toDateTime(match.captured(1), QStringLiteral("dd-MM-yyyy_hh-mm-ss"))
                            : QDateTime();
}

} // namespace

QDateTime automaticBackupTime(const QString &name)
{
    return timeIn(automaticMatch(name));
}

QVector<AutomaticBackup> automaticBackups(const QDir &directory)
{
    // By the time in the name: copying a folder changes the files' own times.
    QVector<AutomaticBackup> backups;
    for (const QString &name : directory.entryList({QStringLiteral("backup_*.bak")}, QDir::Files)) {
        const QRegularExpressionMatch match = automaticMatch(name);
        const QDateTime time = timeIn(match);
        if (time.isValid())
            backups.append({name, time, qMax(1, match.captured(2).toInt())});
    }
    std::sort(backups.begin(), backups.end(), [](const AutomaticBackup &a, const AutomaticBackup &b) {
        return a.time != b.time ? a.time > b.time : a.number > b.number;
    });
    return backups;
}

QString newestAutomaticBackup(const QDir &directory)
{
    const QVector<AutomaticBackup> backups = automaticBackups(directory);
    return backups.isEmpty() ? QString() : directory.filePath(backups.first().name);
}

QStringList backupsBeyond(const QDir &directory, int keep, const QString &spare)
{
    QStringList beyond;
    if (keep <= 0)
        return beyond;
    const QVector<AutomaticBackup> backups = automaticBackups(directory);
    int kept = 0;
    for (const AutomaticBackup &backup : backups) {
        if (backup.name == spare)
            continue;
        // The command's own backup is one of those kept.
        if (++kept > keep - (spare.isEmpty() ? 0 : 1))
            beyond << backup.name;
    }
    return beyond;
}
