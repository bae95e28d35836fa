#ifndef SECRETSTORE_H
#define SECRETSTORE_H

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A desktop's secret store of its own: gnome-keyring-daemon, unlocked, on a private D-Bus session bus
// (dbus-run-session), its keyrings in a temporary folder. This process is pointed at that bus; both
// end when the object goes out of scope.
class SecretStore
{
public:
    SecretStore() = default;
    ~SecretStore();
    SecretStore(const SecretStore &) = delete;
    SecretStore &operator=(const SecretStore &) = delete;

    // False, and why in errorString(), when the store does not come up within ten seconds.
    bool start();
    QString errorString() const { return m_error; }
    QString folder() const { return m_home.path(); }
    // A store that stops answering, as a hung one does, or answers again.
    bool setAnswering(bool answering);

private:
    QTemporaryDir m_home;
    QProcess m_process;
    QString m_error;
};

#endif // SECRETSTORE_H
