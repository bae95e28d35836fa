#ifndef SITELIST_H
#define SITELIST_H

#include <QString>
#include <QVector>

// A site the editor publishes to: a folder holding its settings.ini, working copy, backups,
// known_hosts and kept state.
struct Site
{
    QString name;    // as the list shows it
    QString folder;  // absolute
    bool readable = true;  // false: its settings.ini is missing or cannot be read
};

// The sites of the user's folder ($XDG_DATA_HOME/newsadder): the folder itself when its settings.ini
// names the page (the way of earlier versions), then each folder in its sites/, by name. A site is
// called by its settings' name, else its host, else its folder's name.
class SiteList
{
public:
    // userFolder: where sites/ lies; the user's folder unless given.
    explicit SiteList(const QString &userFolder = QString());

    static QString defaultUserFolder();
    QString userFolder() const { return m_userFolder; }
    QString sitesFolder() const;

    QVector<Site> sites() const;
    // The folder of the site called name (as listed), empty when there is none.
    QString folderOf(const QString &name) const;

    // A new folder in sites/ for a site called name, named as pictures are ("Школа 5" -> shkola-5),
    // made unique; empty with error set when it cannot be made.
    QString makeFolder(const QString &name, QString *error) const;
    // The site's folder moved to sites/.removed/<name>-<time>/, never deleted; false with error set.
    bool remove(const QString &folder, QString *error) const;

    // The site chosen last, for the next start; empty when none was.
    QString lastFolder() const;
    bool setLastFolder(const QString &folder) const;

private:
    QString m_userFolder;
};

// The name a site's settings give it: the name key, else the host, else fallback.
QString siteName(const QString &settingsFile, const QString &fallback, bool *readable = nullptr);

// Whether the folder's settings.ini names the page (a commented file to fill in counts as no site).
bool folderHoldsSite(const QString &folder);

// Where the editor's own files (the word list) lie for a site's folder: the user's folder for a site
// in its sites/, else the site's folder itself.
QString editorsFolder(const QString &siteFolder);

#endif // SITELIST_H
