#ifndef PICTUREUPLOAD_H
#define PICTUREUPLOAD_H

#include "transfer/loginpolicy.h"
#include "transfer/remoteaddress.h"
#include "transfer/transferresult.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class TransferSession;

// The pictures of one send, uploaded into a folder beside the page over the session's connection.
// None overwrites a file already there, and none shows under its final name before it is whole:
// over FTP and SFTP each goes up under a hidden temporary name and is renamed once complete; over
// HTTP(S) it is one PUT, which a WebDAV server stores whole or not at all.
class PictureUpload
{
public:
    // folder: the folder's parts below the page's folder, decoded ("images", or "pics", "2026").
    PictureUpload(TransferSession &session, const QString &pageAddress, const QStringList &folder,
                  const QString &login, const QString &password);

    // The folder, made where missing (MKD, mkdir, MKCOL), level by level.
    TransferResult makeFolder();
    // data under name, or under name-2, name-3, … where that is taken; storedName gets the name taken.
    // A temporary name left by a failure is removed where the server still answers, quitting too.
    TransferResult put(const QString &name, const QByteArray &data, QString *storedName);
    // One line for each folder makeFolder() made that others may not enter, the server refusing to
    // open it.
    QStringList closedFolders() const { return m_closedFolders; }
    // The pictures put() stored, and the folders makeFolder() made (not over HTTP), are removed again (a later step
    // of the send failed).
    void removeStored();

private:
    RemoteAddress inFolder(const QString &name) const;
    TransferResult folderFacts(const RemoteAddress &folder, RemoteFacts *found);
    // path: as the settings name it.
    TransferResult openToOthers(const RemoteAddress &folder, const QString &path);
    bool overHttp() const { return !m_page.scheme->replacedByRename; }
    TransferResult putRenamed(const QString &name, const QByteArray &data, QString *storedName);
    TransferResult putOverHttp(const QString &name, const QByteArray &data, QString *storedName);
    // The temporary file removed after failure unless the server stopped answering; failure is returned.
    TransferResult removeTemporary(const RemoteAddress &temporary, const TransferResult &failure);

    TransferSession &m_session;
    const RemoteAddress m_page;
    const QStringList m_folder;
    const Login m_login;
    QList<RemoteAddress> m_stored;
    QList<RemoteAddress> m_madeFolders;
    QStringList m_closedFolders;
};

#endif // PICTUREUPLOAD_H
