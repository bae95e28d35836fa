#include "secretstore.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

namespace {

// The keyring is created unlocked with a password of its own on stdin; "STOP" and "CONT" lines freeze
// and thaw it, and the end of stdin stops it.
const char Session[] =
    "printf 'unlock' | gnome-keyring-daemon --foreground --unlock --components=secrets >/dev/null 2>&1 &\n"
    "keyring=$!\n"
    "trap 'kill -CONT $keyring 2>/dev/null; kill $keyring 2>/dev/null; wait $keyring 2>/dev/null' EXIT\n"
    "echo \"$DBUS_SESSION_BUS_ADDRESS\"\n"
    "while read -r signal; do kill -$signal $keyring; echo done; done\n";

} // namespace

bool SecretStore::start()
{
    QDir home(m_home.path());
    home.mkpath("data");
    home.mkpath("run");
    QFile::setPermissions(home.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home.path());
    environment.insert("XDG_DATA_HOME", home.filePath("data"));
    environment.insert("XDG_RUNTIME_DIR", home.filePath("run"));
    environment.remove("DBUS_SESSION_BUS_ADDRESS");
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start("dbus-run-session", {"--", "sh", "-c", Session});
    if (!m_process.waitForStarted(5000) || !m_process.waitForReadyRead(10000)) {
        m_error = "dbus-run-session did not start: " + m_process.errorString();
        return false;
    }
    const QByteArray address = m_process.readLine().trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    QDBusConnection bus = QDBusConnection::sessionBus();
    for (QDeadlineTimer deadline(10000); !deadline.hasExpired(); QThread::msleep(50)) {
        if (bus.isConnected() && bus.interface()->isServiceRegistered("org.freedesktop.secrets"))
            return true;
    }
    m_error = "no secret service on " + QString::fromLatin1(address);
    return false;
}

bool SecretStore::setAnswering(bool answering)
{
    m_process.write(answering ? "CONT\n" : "STOP\n");
    return m_process.waitForReadyRead(5000) && m_process.readLine() == "done\n";
}

SecretStore::~SecretStore()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}
