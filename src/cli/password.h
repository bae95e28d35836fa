#ifndef PASSWORD_H
#define PASSWORD_H

#include <QString>

// The password for login at address, from the first source that has one: the desktop's secret store
// (when the window was told to remember it), the NEWSADDER_PASSWORD environment variable, the file
// passwordFile. Empty when none has; problem says why the file was refused.
QString commandLinePassword(const QString &address, const QString &login, bool remembered,
                            const QString &passwordFile, QString *problem);

#endif // PASSWORD_H
