#ifndef UNATTENDEDUSER_H
#define UNATTENDEDUSER_H

#include "publish/userinterface.h"

#include <QStringList>

#include <functional>

// The user of a command nobody watches (a terminal's, a script's, a queued item's): it cannot be asked,
// so every question is refused with a message saying how to allow it, unless the answers given at
// the start allow it already. Messages go to said as they come.
class UnattendedUser : public UserInterface
{
public:
    struct Answers
    {
        bool yes = false;      // a repeated or empty item, a send without a backup
        QString acceptedKey;   // the one unknown host key to trust, "SHA256:..."
        QString file;          // the backup's file, saved to or restored from
    };

    UnattendedUser() = default;
    UnattendedUser(const Answers &answers, std::function<void(const QString &)> said);

    // Every message of the commands so far, in order.
    const QStringList &messages() const { return m_messages; }

    void showMessage(const QString &text) override;
    bool goOnWithoutBackup() override;
    bool confirmRestore(const QString &fileName, const QString &address) override;
    bool confirmRepeatedItem() override;
    bool confirmEmptyItem() override;
    bool confirmRemoval(const PublishedItem &item) override;
    bool confirmEmptyPassword() override;
    bool trustUnknownHostKey(const HostKeyFacts &facts) override;
    QString backupFileToSave() override { return m_answers.file; }
    QString backupFileToRestore() override { return m_answers.file; }
    void setBusy(bool) override {}

private:
    bool yesOr(const QString &refusal);

    Answers m_answers;
    std::function<void(const QString &)> m_said;
    QStringList m_messages;
};

#endif // UNATTENDEDUSER_H
