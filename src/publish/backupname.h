#ifndef BACKUPNAME_H
#define BACKUPNAME_H

#include <QDateTime>
#include <QDir>
#include <QString>
#include <QStringList>
#include <QVector>

// A backup file name as chosen, with ".bak" added when it has no extension of its own.
QString withBackupExtension(const QString &name);

// "backup_dd-MM-yyyy_hh-mm-ss.bak", relative to the working directory; the feed's start "feed_".
QString automaticBackupName(const QDateTime &now, const QString &prefix = QStringLiteral("backup_"));

// The automatic backup name, or the first of its "_2", "_3", ... forms under which nothing exists
// in directory yet (not even a link), so that no earlier backup is overwritten.
QString freeBackupName(const QDateTime &now, const QDir &directory, const QString &prefix = QStringLiteral("backup_"));

// The automatic backup with the latest time in its name, as a path in directory; empty without one.
QString newestAutomaticBackup(const QDir &directory);

// An automatic backup in a folder: its file name and the time in it.
struct AutomaticBackup
{
    QString name;
    QDateTime time;
    int number = 1;  // its "_N", 1 without one
};

// The time an automatic backup's name holds; invalid for any other name.
QDateTime automaticBackupTime(const QString &name);

// The files in directory named as automatic backups, newest first by the time in their names.
QVector<AutomaticBackup> automaticBackups(const QDir &directory);

// The automatic backups beyond the newest keep, oldest last, spare never among them; none when keep is 0.
QStringList backupsBeyond(const QDir &directory, int keep, const QString &spare);

#endif // BACKUPNAME_H
