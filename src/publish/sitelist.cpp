#include "publish/sitelist.h"

#include "page/picturename.h"
#include "publish/inifile.h"
#include "publish/localfile.h"
#include "publish/settings.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("SiteList", text);
}

const char LastSiteFile[] = ".last";

QString settingsIn(const QString &folder)
{
    return QDir(folder).filePath(QString::fromLatin1(SettingsFileName));
}

} // namespace

QString siteName(const QString &settingsFile, const QString &fallback, bool *readable)
{
    QFile file(settingsFile);
    const bool canRead = file.open(QIODevice::ReadOnly);
    if (readable)
        *readable = canRead;
    if (!canRead)
        return fallback;
    file.close();
    const QString name = iniValue(settingsFile, QStringLiteral("name")).trimmed();
    if (!name.isEmpty())
        return name;
    const QString host = iniValue(settingsFile, QStringLiteral("host")).trimmed();
    return host.isEmpty() ? fallback : host;
}

bool folderHoldsSite(const QString &folder)
{
    const Settings settings = readSettings(settingsIn(folder));
    return !settings.remotePath.trimmed().isEmpty() || !settings.remoteFtpPath.trimmed().isEmpty();
}

SiteList::SiteList(const QString &userFolder)
    : m_userFolder(userFolder.isEmpty() ? defaultUserFolder() : userFolder)
{
}

QString SiteList::defaultUserFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/newsadder");
}

QString SiteList::sitesFolder() const
{
    return m_userFolder + QStringLiteral("/sites");
}

QVector<Site> SiteList::sites() const
{
    QVector<Site> found;
    if (folderHoldsSite(m_userFolder))
        found.append({siteName(settingsIn(m_userFolder), QDir(m_userFolder).dirName()), m_userFolder, true});
    // One listing, then a file's open per site: what is not a folder is passed over unread.
    const QDir sites(sitesFolder());
    const QStringList folders = sites.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &entry : folders) {
        Site site;
        site.folder = sites.filePath(entry);
        site.name = siteName(settingsIn(site.folder), entry, &site.readable);
        if (!site.readable)
            site.name = tr("%1 (настройки не читаются)").arg(entry);
        found.append(site);
    }
    return found;
}

QString SiteList::folderOf(const QString &name) const
{
    for (const Site &site : sites()) {
        if (site.name == name)
            return site.folder;
    }
    return QString();
}

QString SiteList::makeFolder(const QString &name, QString *error) const
{
    QString base = cleanedName(name);
    // A dot first would hide the folder, as .removed is.
    while (base.startsWith(QLatin1Char('.')))
        base.remove(0, 1);
    if (base.isEmpty())
        base = QStringLiteral("site");
    const QDir sites(sitesFolder());
    QString folder = base;
    for (int n = 2; sites.exists(folder); ++n)
        folder = base + QLatin1Char('-') + QString::number(n);
    const QString path = sites.filePath(folder);
    if (!QDir().mkpath(path)) {
        *error = tr("Папка сайта %1 не создана: нет прав на запись.").arg(QDir::toNativeSeparators(path));
        return QString();
    }
    return path;
}

bool SiteList::remove(const QString &folder, QString *error) const
{
    const QString removed = sitesFolder() + QStringLiteral("/.removed");
    const QString target = removed + QLatin1Char('/') + QFileInfo(folder).fileName() + QLatin1Char('-')
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_hh-mm-ss"));
    if (QDir().mkpath(removed) && QDir().rename(folder, target))
        return true;
    *error = tr("Папка сайта %1 не перенесена в %2: нет прав на запись.")
                 .arg(QDir::toNativeSeparators(folder), QDir::toNativeSeparators(removed));
    return false;
}

QString SiteList::lastFolder() const
{
    QByteArray text;
    if (!readWholeFile(QDir(sitesFolder()).filePath(QString::fromLatin1(LastSiteFile)), text))
        return QString();
    const QString folder = QString::fromUtf8(text).trimmed();
    return folder.isEmpty() ? QString() : QDir(m_userFolder).absoluteFilePath(folder);
}

bool SiteList::setLastFolder(const QString &folder) const
{
    if (!QDir().mkpath(sitesFolder()))
        return false;
    return saveWholeFile(QDir(sitesFolder()).filePath(QString::fromLatin1(LastSiteFile)),
                         QDir(m_userFolder).relativeFilePath(folder).toUtf8() + '\n');
}

QString editorsFolder(const QString &siteFolder)
{
    QDir parent(QFileInfo(siteFolder).absolutePath());
    if (parent.dirName() == QLatin1String("sites") && parent.cdUp())
        return parent.absolutePath();
    return QFileInfo(siteFolder).absoluteFilePath();
}
