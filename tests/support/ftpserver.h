#ifndef FTPSERVER_H
#define FTPSERVER_H

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// A real FTP server (pyftpdlib) on a free 127.0.0.1 port with a fresh temporary root.
// It is stopped when the object goes out of scope, on every path out of a test.
class FtpServer
{
public:
    explicit FtpServer(const QStringList &extraArgs = {});
    ~FtpServer();

    bool start();
    void stop();
    bool isRunning() const;

    quint16 port() const { return m_port; }
    QString root() const { return m_root.path(); }
    QString user() const { return m_user; }
    void setUser(const QString &user) { m_user = user; }
    QString password() const { return m_password; }
    void setPassword(const QString &password) { m_password = password; }

    // ftp://127.0.0.1:PORT/NAME (ftpes://, ftps:// for FtpsServer), without credentials.
    QString url(const QString &name) const;
    // The FTP command log of the server (written when started with logging on).
    QString logPath() const;
    QByteArray log() const;
    // Control connections the server holds open at the moment (sessions opened minus closed, by the log).
    int openSessions() const;
    // How often a client sent COMMAND (as "RETR", "STOR", "USER").
    int commandCount(const char *command) const;

    QByteArray fileContents(const QString &name) const;
    bool hasFile(const QString &name) const;
    void putFile(const QString &name, const QByteArray &contents) const;

protected:
    // The same server run by another script that takes ftpserver.py's options, with URLs of SCHEME.
    FtpServer(const QString &script, const QString &scheme, const QStringList &extraArgs);

private:
    QString m_script;
    QString m_scheme;
    QTemporaryDir m_root;
    QTemporaryDir m_logDir;
    QStringList m_extraArgs;
    QString m_user = QStringLiteral("editor");
    QString m_password = QStringLiteral("secret");
    QProcess m_process;
    quint16 m_port = 0;
};

#endif // FTPSERVER_H
