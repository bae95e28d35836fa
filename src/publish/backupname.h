#ifndef BACKUPNAME_H
#define BACKUPNAME_H

#include <QString>

// A backup file name as chosen, with ".bak" added when it has no extension of its own.
QString withBackupExtension(const QString &name);

#endif // BACKUPNAME_H
