#ifndef SITEDIALOG_H
#define SITEDIALOG_H

#include <QDialog>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

#include "publish/inifile.h"
#include "publish/siteaddress.h"

class SiteCheck;
class WindowUserInterface;

namespace Ui {
class SiteDialog;
}

// A site's settings as fields: where its page is, how the program reaches it, and the login.
// «Проверить» tries the fields as typed, before anything is saved; OK saves without a check too.
class SiteDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SiteDialog(QWidget *parent = nullptr);
    ~SiteDialog() override;

    // The fields from a site's settings.ini; a new site's stay empty. knownHosts: where a trusted SSH
    // key goes (the site's own file), a file of the dialog's own for a site not saved yet.
    void setSettingsFile(const QString &fileName);
    void setKnownHostsFile(const QString &fileName) { m_knownHosts = fileName; }
    QString knownHostsFile() const { return m_knownHosts; }
    // Names of the other sites: this one's must differ.
    void setTakenNames(const QStringList &names) { m_takenNames = names; }
    // Removing is offered for a saved site in the list only.
    void setRemovable(bool removable);
    void setLogin(const QString &login, const QString &password, bool remember);
    void setIdleTimeout(int msecs) { m_idleTimeout = msecs; }

    QString siteName() const;
    QString login() const;
    QString password() const;
    bool rememberPassword() const;
    // What settings.ini is to hold, key by key.
    IniValues values() const;
    bool removeRequested() const { return m_removeRequested; }

    // The first field that is wrong, in words that name it; empty when all can be saved.
    QString fieldProblem() const;

    void done(int result) override;

private slots:
    void on_testConnectionButton_clicked();
    void on_removeSiteButton_clicked();
    void on_caCertButton_clicked();

private:
    SiteFields fields() const;
    void showFields(const SiteFields &fields);
    void hostEdited(const QString &text);
    void transportChosen();
    void accept() override;

    Ui::SiteDialog *ui;
    std::unique_ptr<WindowUserInterface> m_user;
    std::unique_ptr<SiteCheck> m_check;
    QStringList m_takenNames;
    QString m_knownHosts;
    QTemporaryDir m_unsaved;  // a new site's known_hosts until it is saved
    int m_idleTimeout;
    bool m_removeRequested = false;
    int m_hostTyped = 0;  // the host field's length after its last edit
};

#endif // SITEDIALOG_H
