#ifndef FTPSERVER_H
#define FTPSERVER_H

#include "testserver.h"

#include <QStringList>

// A real FTP server (pyftpdlib) on a free 127.0.0.1 port with a fresh temporary root.
// It is stopped when the object goes out of scope, on every path out of a test.
class FtpServer : public TestServer
{
public:
    explicit FtpServer(const QStringList &extraArgs = {});

    bool start() override;

    // log() is the FTP command log of the server (written when started with logging on).
    // Control connections the server holds open at the moment (sessions opened minus closed, by the log).
    int openSessions() const;
    // How often a client sent COMMAND (as "RETR", "STOR", "USER").
    int commandCount(const char *command) const;
    // Every command clients sent, in order, without its argument ("USER", "MLST", ...).
    QStringList commands() const;

protected:
    // The same server run by another script that takes ftpserver.py's options, with URLs of SCHEME
    // (ftpes://, ftps:// for FtpsServer).
    FtpServer(const QString &script, const QString &scheme, const QStringList &extraArgs);

private:
    QString m_script;
    QStringList m_extraArgs;
};

#endif // FTPSERVER_H
