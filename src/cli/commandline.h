#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include <QDateTime>
#include <QString>
#include <QStringList>

// How the program ends when run from a terminal or a script.
enum ExitCode {
    ExitDone = 0,
    ExitFailed = 1,
    ExitUsage = 2,
    ExitRefused = 3,      // a question it could not ask, no password, an untrusted host key
    ExitInterrupted = 4   // SIGINT or SIGTERM
};

// A command word and its options, as the terminal gave them.
struct CommandLine
{
    enum Command { Window, Send, List, Backup, Restore, Sites, Help, Version };
    Command command = Window;
    QString site;          // --site NAME; empty for the working folder
    bool allSites = false; // --all-sites, with send --due
    bool due = false;      // send --due: the queued items whose time has come
    QDateTime date;        // --date "yyyy-MM-dd hh:mm"; invalid for now
    QString file;          // the item's text (send; empty or "-" for standard input), the backup's file
    QString login;         // --login; empty for the one last used
    QString passwordFile;  // --password-file
    QString acceptedKey;   // --accept-host-key SHA256:...
    bool yes = false;      // --yes: a repeated or empty item, a send without a backup
    bool quiet = false;    // --quiet: failures only
    QString problem;       // why the words make no command; the usage follows it
};

// A command line rather than the window: the first argument is a command word or a long option.
// Qt's own single-dash options (-platform, -style) leave it to the window.
bool wantsCommandLine(const QStringList &arguments);

// arguments without the program's name.
CommandLine parseCommandLine(const QStringList &arguments);

// --help's text.
QString usageText();

#endif // COMMANDLINE_H
