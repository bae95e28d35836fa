#ifndef USERINTERFACE_H
#define USERINTERFACE_H

#include <QDateTime>
#include <QString>
#include <QStringList>

struct HostKeyFacts;
struct PublishedItem;

// How a publishing command asks and tells the user. The window answers with message boxes and file
// dialogs; a test answers from a script. Every question is modal, has "no" (or cancel) as its
// default, and returns true only when the user chose to go on.
class UserInterface
{
public:
    virtual ~UserInterface() = default;

    // A plain message: text only, no title or icon, the one OK button.
    virtual void showMessage(const QString &text) = 0;

    // The automatic backup failed: go on without one?
    virtual bool goOnWithoutBackup() = 0;
    // Restore: replace the page at address with fileName's contents?
    virtual bool confirmRestore(const QString &fileName, const QString &address) = 0;
    // The downloaded page already holds the item: publish it a second time?
    virtual bool confirmRepeatedItem() = 0;
    // The item holds nothing but white space, so only its date would appear: publish it all the same?
    virtual bool confirmEmptyItem() = 0;
    // Remove item from the page?
    virtual bool confirmRemoval(const PublishedItem &item) = 0;
    // A login is typed but no password: connect without one?
    virtual bool confirmEmptyPassword() = 0;
    // The SSH server is not in known_hosts yet: trust its key? Shows the key's type and fingerprint.
    virtual bool trustUnknownHostKey(const HostKeyFacts &facts) = 0;

    // Rollback: the server's page becomes the version of version, and goneItems (visible texts) leave
    // it or change back: go on?
    virtual bool confirmRollback(const QDateTime &version, const QStringList &goneItems)
    {
        Q_UNUSED(version)
        Q_UNUSED(goneItems)
        return false;
    }

    // The file a backup is saved to, or restored from; empty when the user cancelled.
    virtual QString backupFileToSave() = 0;
    virtual QString backupFileToRestore() = 0;

    // A transfer is waiting for the server, or no longer.
    virtual void setBusy(bool busy) = 0;
};

#endif // USERINTERFACE_H
