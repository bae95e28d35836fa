#include "ftpserver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

FtpServer::FtpServer(const QStringList &extraArgs)
    : FtpServer(QStringLiteral(TEST_SUPPORT_DIR "/ftpserver.py"), QStringLiteral("ftp"), extraArgs)
{
}

FtpServer::FtpServer(const QString &script, const QString &scheme, const QStringList &extraArgs)
    : m_script(script), m_scheme(scheme), m_extraArgs(extraArgs)
{
}

FtpServer::~FtpServer()
{
    stop();
}

bool FtpServer::start()
{
    if (!m_root.isValid() || !m_logDir.isValid())
        return false;
    QStringList args{m_script,
                     QStringLiteral("--root"), m_root.path(),
                     QStringLiteral("--user"), user(),
                     QStringLiteral("--password"), m_password,
                     QStringLiteral("--log"), logPath()};
    args += m_extraArgs;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Debian's interpreter: the first python3 on PATH may not see python3-pyftpdlib.
    m_process.start(QStringLiteral("/usr/bin/python3"), args);
    if (!m_process.waitForStarted(10000))
        return false;
    QDeadlineTimer deadline(15000);
    while (!m_process.canReadLine() && !deadline.hasExpired()) {
        if (!m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
    }
    if (!m_process.canReadLine())
        return false;
    bool ok = false;
    m_port = quint16(m_process.readLine().trimmed().toUInt(&ok));
    return ok && m_port != 0;
}

void FtpServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

bool FtpServer::isRunning() const
{
    return m_process.state() == QProcess::Running;
}

QString FtpServer::url(const QString &name) const
{
    return QStringLiteral("%1://127.0.0.1:%2/%3").arg(m_scheme).arg(m_port).arg(name);
}

QString FtpServer::logPath() const
{
    return m_logDir.filePath(QStringLiteral("ftp.log"));
}

QByteArray FtpServer::log() const
{
    QFile file(logPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int FtpServer::openSessions() const
{
    const QByteArray text = log();
    return text.count("FTP session opened (connect)") - text.count("FTP session closed (disconnect).");
}

int FtpServer::commandCount(const char *command) const
{
    const QByteArray word = QByteArray("<- ") + command;
    int count = 0;
    for (const QByteArray &line : log().split('\n')) {
        const int at = line.indexOf(word);
        if (at >= 0 && (line.size() == at + word.size() || line.at(at + word.size()) == ' '))
            ++count;
    }
    return count;
}

QByteArray FtpServer::fileContents(const QString &name) const
{
    QFile file(QDir(m_root.path()).filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool FtpServer::hasFile(const QString &name) const
{
    return QFile::exists(QDir(m_root.path()).filePath(name));
}

void FtpServer::putFile(const QString &name, const QByteArray &contents) const
{
    QFile file(QDir(m_root.path()).filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(contents);
}
