#ifndef BACKUPNAME_H
#define BACKUPNAME_H

#include <QDateTime>
#include <QDir>
#include <QString>

// A backup file name as chosen, with ".bak" added when it has no extension of its own.
QString withBackupExtension(const QString &name);

// "backup_dd-MM-yyyy_hh-mm-ss.bak", relative to the working directory; the feed's start "feed_".
QString automaticBackupName(const QDateTime &now, const QString &prefix = QStringLiteral("backup_"));

// The automatic backup name, or the first of its "_2", "_3", ... forms under which nothing exists
// in directory yet (not even a link), so that no earlier backup is overwritten.
QString freeBackupName(const QDateTime &now, const QDir &directory, const QString &prefix = QStringLiteral("backup_"));

// The automatic backup with the latest time in its name, as a path in directory; empty without one.
QString newestAutomaticBackup(const QDir &directory);

#endif // BACKUPNAME_H
