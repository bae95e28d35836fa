#ifndef SFTPSERVER_H
#define SFTPSERVER_H

#include "testserver.h"

#include <QStringList>

// A real SFTP server (asyncssh, sftpserver.py) on a free 127.0.0.1 port, serving a fresh temporary
// root as "/" to one user with a password. Each start makes a new host key, so stopping and starting
// again on the same port is a host whose key changed. Stopped when the object goes out of scope.
class SftpServer : public TestServer
{
public:
    // extraArgs: sftpserver.py's options for faults and a host's habits (--umask, --refuse-rename, ...).
    explicit SftpServer(const QStringList &extraArgs = {});

    // Starts on port() when one is set (a restart), on a free port otherwise.
    bool start() override;

    // ssh-ed25519 (the default), ecdsa-sha2-nistp256/384/521 or ssh-rsa, or several separated by
    // commas; for the next start.
    void setHostKeyType(const QString &type) { m_hostKeyType = type; }

    // This run's (first) host key as OpenSSH writes it to known_hosts ("[127.0.0.1]:PORT TYPE BASE64"),
    // and its fingerprint as ssh-keygen -l shows it ("SHA256:" and unpadded base64).
    QString knownHostsLine() const { return m_knownHostsLines.value(0); }
    // Each host key's line, in the order of setHostKeyType.
    QStringList knownHostsLines() const { return m_knownHostsLines; }
    QString fingerprint() const { return m_fingerprint; }

    // log(): one line per login ("login USER accepted|refused") and change: "open /PATH read|write",
    // "wrote /PATH BYTES", "rename /OLD /NEW" (or "... refused", "... stalled"), "chmod /PATH MODE"
    // (or "... refused"), "remove /PATH". Root and log are
    // kept across a restart.
    QStringList logLines() const;
    // How many log lines start with WORDS (as "login editor accepted", "rename").
    int logCount(const QString &words) const;

private:
    QString m_hostKeyType = QStringLiteral("ssh-ed25519");
    QStringList m_knownHostsLines;
    QString m_fingerprint;
    QStringList m_extraArgs;
};

#endif // SFTPSERVER_H
