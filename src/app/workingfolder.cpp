#include "app/workingfolder.h"

#include "publish/settings.h"
#include "publish/sitelist.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("WorkingFolder", text);
}

} // namespace

WorkingFolder enterWorkingFolder()
{
    WorkingFolder folder;
    if (QFileInfo::exists(QString::fromLatin1(SettingsFileName))) {
        folder.path = QDir::toNativeSeparators(QDir::currentPath());
        return folder;
    }
    const QString own = SiteList::defaultUserFolder();
    folder.userFolder = true;
    folder.path = QDir::toNativeSeparators(own);
    if (!QDir().mkpath(own) || !QDir::setCurrent(own)) {
        folder.failure = tr("Папка %1 не создана: нет прав на запись.").arg(folder.path);
        folder.path = QDir::toNativeSeparators(QDir::currentPath());
        return folder;
    }
    // The site chosen last, else the first; the user's folder itself while none is set up.
    const SiteList list(own);
    const QVector<Site> sites = list.sites();
    const QString last = list.lastFolder();
    QString chosen = sites.isEmpty() ? QString() : sites.first().folder;
    for (const Site &site : sites) {
        if (QFileInfo(site.folder) == QFileInfo(last))
            chosen = site.folder;
    }
    folder.noSite = chosen.isEmpty();
    if (!chosen.isEmpty() && QDir::setCurrent(chosen))
        folder.path = QDir::toNativeSeparators(chosen);
    return folder;
}
