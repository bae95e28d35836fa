#include "cli/sitefolders.h"

#include "cli/commandline.h"
#include "publish/settings.h"
#include "publish/sitelist.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

QVector<SiteFolder> siteFolders(const CommandLine &line, const QString &workingFolder, QString *problem)
{
    // The sites as the window lists them: those of the user's folder, or, started in a site's folder
    // of its own (opened from a terminal), that folder alone.
    const QVector<Site> listed = SiteList().sites();
    bool inList = false;
    for (const Site &site : listed)
        inList = inList || QFileInfo(site.folder) == QFileInfo(workingFolder);
    QVector<SiteFolder> all;
    if (inList) {
        for (const Site &site : listed) {
            if (site.readable)
                all << SiteFolder{site.name, site.folder};
        }
    } else if (folderHoldsSite(workingFolder)) {
        all << SiteFolder{siteName(QDir(workingFolder).filePath(QString::fromLatin1(SettingsFileName)),
                                   QFileInfo(workingFolder).fileName()),
                          workingFolder};
    }
    if (!line.site.isEmpty()) {
        QStringList names;
        for (const SiteFolder &site : all) {
            if (site.name == line.site)
                return {site};
            names << site.name;
        }
        *problem = names.isEmpty()
                       ? QCoreApplication::translate("CommandLine", "Сайта «%1» нет: сайты не заведены, команды работают "
                                                                    "в папке %2 без --site.")
                             .arg(line.site, QDir::toNativeSeparators(workingFolder))
                       : QCoreApplication::translate("CommandLine", "Сайта «%1» нет. Сайты: %2.")
                             .arg(line.site, names.join(QLatin1String(", ")));
        return {};
    }
    if ((line.allSites || line.command == CommandLine::Sites) && !all.isEmpty())
        return all;
    return {SiteFolder{QString(), workingFolder}};
}
