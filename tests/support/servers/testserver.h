#ifndef TESTSERVER_H
#define TESTSERVER_H

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// What the Python test servers share: a fresh temporary root, the one user and password they accept,
// a log in a folder of its own, and the server process, stopped when the object goes out of scope.
class TestServer
{
public:
    virtual ~TestServer();

    // Starts the server on a free port; false when it does not come up.
    virtual bool start() = 0;
    void stop();
    bool isRunning() const;

    quint16 port() const { return m_port; }
    QString root() const { return m_root.path(); }
    QString user() const { return m_user; }
    void setUser(const QString &user) { m_user = user; }
    QString password() const { return m_password; }
    void setPassword(const QString &password) { m_password = password; }

    // SCHEME://127.0.0.1:PORT/NAME, without credentials.
    QString url(const QString &name) const;
    QByteArray log() const;

    QByteArray fileContents(const QString &name) const;
    bool hasFile(const QString &name) const;
    void putFile(const QString &name, const QByteArray &contents) const;
    // The file's permission bits (as 0644), -1 when there is no such file; and setting them.
    int fileMode(const QString &name) const;
    void setFileMode(const QString &name, int mode) const;

protected:
    TestServer(const QString &scheme, const QString &logName);

    QString logPath() const;
    // Starts SCRIPT with Debian's interpreter: the first python3 on PATH may not see its modules.
    bool startScript(const QString &script, const QStringList &args);
    // The next line the server prints, trimmed; empty when none comes within TIMEOUT ms.
    QByteArray readLine(int timeout);

    QTemporaryDir m_root;
    QTemporaryDir m_logDir;
    QProcess m_process;
    quint16 m_port = 0;

private:
    QString m_scheme;
    QString m_logName;
    QString m_user = QStringLiteral("editor");
    QString m_password = QStringLiteral("secret");
};

#endif // TESTSERVER_H
