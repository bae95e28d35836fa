#ifndef WINDOWUSERINTERFACE_H
#define WINDOWUSERINTERFACE_H

#include "publish/userinterface.h"

class QWidget;

// The publishing commands' questions and messages as modal message boxes and file dialogs over window.
class WindowUserInterface : public UserInterface
{
public:
    explicit WindowUserInterface(QWidget *window);

    void showMessage(const QString &text) override;
    bool goOnWithoutBackup() override;
    bool confirmRestore(const QString &fileName, const QString &address) override;
    bool confirmRepeatedItem() override;
    bool confirmEmptyItem() override;
    bool confirmRemoval(const PublishedItem &item) override;
    bool confirmEmptyPassword() override;
    bool trustUnknownHostKey(const HostKeyFacts &facts) override;
    bool confirmRollback(const QDateTime &version, const QStringList &goneItems) override;
    QString backupFileToSave() override;
    QString backupFileToRestore() override;
    void setBusy(bool busy) override;

private:
    bool askYesNo(const QString &title, const QString &text, Qt::TextInteractionFlags textFlags = {});

    QWidget *m_window;
    bool m_busy = false;
};

#endif // WINDOWUSERINTERFACE_H
