#ifndef SETTINGS_H
#define SETTINGS_H

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "page/atomfeed.h"

// settings.ini, looked for in the working directory.
extern const char SettingsFileName[];
// Where pictures from the editor's disk go, relative to the page's folder, unless imagefolder says otherwise.
extern const char DefaultImageFolder[];

struct Settings
{
    QString remotePath;     // remotepath: where the news page is downloaded from
    QString remoteFtpPath;  // remoteFTPpath: where it is uploaded to
    QString host;
    int port = 0;
    QString caCertFile;     // cacert: certificates to trust instead of the system's; empty for the system's
    QString pageUrl;        // pageurl: the page's public web address, for the preview's pictures and links
    QString imageFolder = QString::fromLatin1(DefaultImageFolder);  // imagefolder: pictures' folder beside the page
    QString feed;           // feed: the Atom feed's file name beside the page; empty for none
    int feedItems = DefaultFeedItems;  // feeditems: how many of the newest items the feed holds
    // Values the INI syntax cut or split, each with how to write it instead, and keys given more than
    // once; the first few, then how many more. No password shows in them.
    QStringList problems;
};

// Reads the file as UTF-8, the way people write it, or as UTF-16 or UTF-32 after a byte-order mark;
// a missing file or key reads as empty (port 0). Of a key given twice the last value counts, as
// QSettings reads it. An unquoted ',' makes a list of a value (read as empty), an unquoted ';' starts
// a comment.
Settings readSettings(const QString &fileName);

// Why folder cannot be the pictures' folder (a way out of the page's folder, an absolute path, a
// scheme), for the user; empty when it can.
QString imageFolderProblem(const QString &folder);

// Why the feed cannot be written with these settings (a name that is no file name beside the page,
// no absolute pageurl for its links), for the user; empty when it can or when feed is empty.
QString feedProblem(const QString &feed, const QString &pageUrl);

// What a command needs the settings for: the download address alone, or both.
enum class AddressesNeeded { Download, DownloadAndUpload };

// Why a command cannot start with these addresses: names the first empty one's key, the settings
// file and the folder it is looked for in. Empty when the needed addresses are set.
QString missingAddressMessage(const QString &remotePath, const QString &remoteFtpPath, AddressesNeeded needed);

#endif // SETTINGS_H
