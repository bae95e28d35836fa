#ifndef SITEFOLDERS_H
#define SITEFOLDERS_H

#include <QString>
#include <QVector>

struct CommandLine;

// A site a command works on: its name and its folder (settings.ini, the working copy, the backups,
// the kept state, queue/).
struct SiteFolder
{
    QString name;  // empty for the working folder
    QString path;
};

// The folders line's command works in: the one --site names, or all with --all-sites, or the working
// folder (as the window picks it: workingFolder). Empty, and problem set, when --site names none.
QVector<SiteFolder> siteFolders(const CommandLine &line, const QString &workingFolder, QString *problem);

#endif // SITEFOLDERS_H
