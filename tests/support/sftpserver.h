#ifndef SFTPSERVER_H
#define SFTPSERVER_H

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// A real SFTP server (asyncssh, sftpserver.py) on a free 127.0.0.1 port, serving a fresh temporary
// root as "/" to one user with a password. Each start makes a new host key, so stopping and starting
// again on the same port is a host whose key changed. Stopped when the object goes out of scope.
class SftpServer
{
public:
    SftpServer();
    ~SftpServer();

    // Starts on port() when one is set (a restart), on a free port otherwise.
    bool start();
    void stop();
    bool isRunning() const;

    quint16 port() const { return m_port; }
    QString root() const { return m_root.path(); }
    QString user() const { return m_user; }
    void setUser(const QString &user) { m_user = user; }
    QString password() const { return m_password; }
    void setPassword(const QString &password) { m_password = password; }
    // ssh-ed25519 (the default), ecdsa-sha2-nistp256/384/521 or ssh-rsa; for the next start.
    void setHostKeyType(const QString &type) { m_hostKeyType = type; }

    // This run's host key as OpenSSH writes it to known_hosts ("[127.0.0.1]:PORT TYPE BASE64"), and
    // its fingerprint as ssh-keygen -l shows it ("SHA256:" and unpadded base64).
    QString knownHostsLine() const { return m_knownHostsLine; }
    QString fingerprint() const { return m_fingerprint; }

    // sftp://127.0.0.1:PORT/NAME, without credentials.
    QString url(const QString &name) const;
    // One line per login ("login USER accepted|refused") and change: "open /PATH read|write",
    // "wrote /PATH BYTES", "rename /OLD /NEW" (or "... refused"), "remove /PATH". Root and log are
    // kept across a restart.
    QByteArray log() const;
    QStringList logLines() const;
    // How many log lines start with WORDS (as "login editor accepted", "rename").
    int logCount(const QString &words) const;

    QByteArray fileContents(const QString &name) const;
    bool hasFile(const QString &name) const;
    void putFile(const QString &name, const QByteArray &contents) const;

private:
    QString logPath() const;
    QByteArray readLine(int timeout);

    QTemporaryDir m_root;
    QTemporaryDir m_logDir;
    QString m_user = QStringLiteral("editor");
    QString m_password = QStringLiteral("secret");
    QString m_hostKeyType = QStringLiteral("ssh-ed25519");
    QString m_knownHostsLine;
    QString m_fingerprint;
    QProcess m_process;
    quint16 m_port = 0;
};

#endif // SFTPSERVER_H
