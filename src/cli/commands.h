#ifndef COMMANDS_H
#define COMMANDS_H

#include <QString>

#include <functional>

// Makes the working folder the current directory as the window's start does, and returns it; problem
// says why it could not be made.
using EnterWorkingFolder = std::function<QString(QString *problem)>;

// The program run from a terminal or a script: no window, no display, nothing drawn. Parses the
// command line, runs its command through the same Publisher as the window, its messages on standard
// error, and returns an ExitCode.
int runCommandLine(int &argc, char **argv, const EnterWorkingFolder &enterWorkingFolder);

#endif // COMMANDS_H
