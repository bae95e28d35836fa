#include "sftpserver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

SftpServer::SftpServer() = default;

SftpServer::~SftpServer()
{
    stop();
}

QByteArray SftpServer::readLine(int timeout)
{
    QDeadlineTimer deadline(timeout);
    while (!m_process.canReadLine() && !deadline.hasExpired()) {
        if (!m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
    }
    return m_process.canReadLine() ? m_process.readLine().trimmed() : QByteArray();
}

bool SftpServer::start()
{
    if (!m_root.isValid() || !m_logDir.isValid())
        return false;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral(TEST_SUPPORT_DIR "/sftpserver.py"), QStringLiteral("--root"), root(),
                     QStringLiteral("--port"), QString::number(m_port), QStringLiteral("--host-key-type"),
                     m_hostKeyType, QStringLiteral("--log"), logPath()});
    if (!m_process.waitForStarted(10000))
        return false;
    // Through standard input, so no argument encoding touches the characters.
    m_process.write(m_user.toUtf8() + '\n' + m_password.toUtf8() + '\n');
    // An RSA host key takes a moment to make.
    bool ok = false;
    const quint16 port = quint16(readLine(30000).toUInt(&ok));
    m_knownHostsLine = QString::fromUtf8(readLine(5000));
    m_fingerprint = QString::fromUtf8(readLine(5000));
    if (!ok || port == 0 || !m_fingerprint.startsWith(QLatin1String("SHA256:")))
        return false;
    m_port = port;
    return true;
}

void SftpServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

bool SftpServer::isRunning() const
{
    return m_process.state() == QProcess::Running;
}

QString SftpServer::url(const QString &name) const
{
    return QStringLiteral("sftp://127.0.0.1:%1/%2").arg(m_port).arg(name);
}

QString SftpServer::logPath() const
{
    return m_logDir.filePath(QStringLiteral("sftp.log"));
}

QByteArray SftpServer::log() const
{
    QFile file(logPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList SftpServer::logLines() const
{
    return QString::fromUtf8(log()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

int SftpServer::logCount(const QString &words) const
{
    int count = 0;
    for (const QString &line : logLines()) {
        if (line == words || line.startsWith(words + QLatin1Char(' ')))
            ++count;
    }
    return count;
}

QByteArray SftpServer::fileContents(const QString &name) const
{
    QFile file(QDir(root()).filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool SftpServer::hasFile(const QString &name) const
{
    return QFile::exists(QDir(root()).filePath(name));
}

void SftpServer::putFile(const QString &name, const QByteArray &contents) const
{
    QFile file(QDir(root()).filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(contents);
}
