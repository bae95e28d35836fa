#include "cli/sitefolders.h"

#include "cli/commandline.h"

#include <QCoreApplication>
#include <QDir>

QVector<SiteFolder> siteFolders(const CommandLine &line, const QString &workingFolder, QString *problem)
{
    // No sites of their own yet: every command works in the working folder.
    if (!line.site.isEmpty()) {
        *problem = QCoreApplication::translate("CommandLine", "Сайта «%1» нет: сайты не заведены, команды работают "
                                                              "в папке %2 без --site.")
                       .arg(line.site, QDir::toNativeSeparators(workingFolder));
        return {};
    }
    return {SiteFolder{QString(), workingFolder}};
}
