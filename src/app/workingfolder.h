#ifndef WORKINGFOLDER_H
#define WORKINGFOLDER_H

#include <QString>

// The folder the program works in: it holds settings.ini, the working copy, the backups and the kept
// state, all named relative to it.
struct WorkingFolder
{
    QString path;             // absolute, native separators
    bool userFolder = false;  // the user's own folder, not the one the program was started in
    bool noSite = false;      // the user's folder holds no site set up yet
    QString failure;          // why the user's folder could not be made
};

// Makes the current directory the working folder: the one the program was started in when that holds
// settings.ini (a site's folder, opened from a terminal), otherwise the folder of the site chosen last
// among the user's ($XDG_DATA_HOME/newsadder, by default ~/.local/share/newsadder, made on first
// start), or that folder itself while no site is set up.
WorkingFolder enterWorkingFolder();

#endif // WORKINGFOLDER_H
