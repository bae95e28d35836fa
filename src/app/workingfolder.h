#ifndef WORKINGFOLDER_H
#define WORKINGFOLDER_H

#include <QString>

struct Settings;

// The folder the program works in: it holds settings.ini, the working copy, the backups and the kept
// state, all named relative to it.
struct WorkingFolder
{
    QString path;             // absolute, native separators
    bool userFolder = false;  // the user's own folder, not the one the program was started in
    bool created = false;     // its commented settings.ini was written by this start
    QString failure;          // why the user's folder or its settings.ini could not be made
};

// Makes the current directory the working folder: the one the program was started in when that holds
// settings.ini (a site's folder, opened from a terminal), otherwise the user's own
// ($XDG_DATA_HOME/newsadder, by default ~/.local/share/newsadder), made on first start with a
// commented settings.ini to fill in.
WorkingFolder enterWorkingFolder();

// What the editor is told over the window about the user's folder: where the settings are to be
// filled in, or why they could not be made. Empty when the settings name the page's addresses.
QString workingFolderNotice(const WorkingFolder &folder, const Settings &settings);

#endif // WORKINGFOLDER_H
