#ifndef REMEMBEREDPASSWORD_H
#define REMEMBEREDPASSWORD_H

#include <QObject>
#include <QString>

#include <functional>

class PasswordStore;
class QCheckBox;
class QLineEdit;

// The «Запомнить пароль» box and the password field it fills: checked, a password that worked is kept
// in the desktop's secret store and comes back at the next start; unchecked, it is removed from there.
// Without a secret store the box is off, and its tooltip says why; so is any failure of the store.
class RememberedPassword : public QObject
{
    Q_OBJECT

public:
    // entry names the store's entry for the server and login as they stand now.
    RememberedPassword(QCheckBox *box, QLineEdit *password, std::function<QString()> entry, QObject *parent);

    // The box as the state file left it; the password is fetched for an empty field.
    void restore(bool remembered);
    // The password reached the server: kept if the box is checked.
    void worked(const QString &password);

signals:
    void rememberChanged(bool remember);

private:
    void toggled(bool remember);
    void fail(const QString &problem);

    QCheckBox *m_box;
    QLineEdit *m_password;
    std::function<QString()> m_entry;
    PasswordStore *m_store;
    QString m_baseTip;
    bool m_restoring = false;
    bool m_failureSaid = false;
};

#endif // REMEMBEREDPASSWORD_H
