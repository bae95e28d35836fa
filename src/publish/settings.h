#ifndef SETTINGS_H
#define SETTINGS_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// settings.ini, looked for in the working directory.
extern const char SettingsFileName[];

struct Settings
{
    QString remotePath;     // remotepath: where the news page is downloaded from
    QString remoteFtpPath;  // remoteFTPpath: where it is uploaded to
    QString host;
    int port = 0;
    QString caCertFile;     // cacert: certificates to trust instead of the system's; empty for the system's
    QString pageUrl;        // pageurl: the page's public web address, for the preview's pictures and links
    QStringList problems;   // values the INI syntax cut or split, each with how to write it instead
};

// Reads the file as UTF-8, the way people write it; a missing file or key reads as empty (port 0).
Settings readSettings(const QString &fileName);

// One message per key whose value Qt's INI syntax reads differently from how it stands in the
// text: an unquoted ',' makes a list of it (read as empty), an unquoted ';' starts a comment.
QStringList settingsSyntaxProblems(const QByteArray &iniText, const QString &fileName);

// What a command needs the settings for: the download address alone, or both.
enum class AddressesNeeded { Download, DownloadAndUpload };

// Why a command cannot start with these addresses: names the first empty one's key, the settings
// file and the folder it is looked for in. Empty when the needed addresses are set.
QString missingAddressMessage(const QString &remotePath, const QString &remoteFtpPath, AddressesNeeded needed);

#endif // SETTINGS_H
