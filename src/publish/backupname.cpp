#include "backupname.h"

#include <QFileInfo>

QString withBackupExtension(const QString &name)
{
    if (!QFileInfo(name).suffix().isEmpty())
        return name;
    return name.endsWith(QLatin1Char('.')) ? name + QLatin1String("bak") : name + QLatin1String(".bak");
}
