#include "testserver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <sys/stat.h>

TestServer::TestServer(const QString &scheme, const QString &logName) : m_scheme(scheme), m_logName(logName) {}

TestServer::~TestServer()
{
    stop();
}

bool TestServer::startScript(const QString &script, const QStringList &args)
{
    if (!m_root.isValid() || !m_logDir.isValid())
        return false;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("/usr/bin/python3"), QStringList{script} + args);
    return m_process.waitForStarted(10000);
}

QByteArray TestServer::readLine(int timeout)
{
    QDeadlineTimer deadline(timeout);
    while (!m_process.canReadLine() && !deadline.hasExpired()) {
        if (!m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
    }
    return m_process.canReadLine() ? m_process.readLine().trimmed() : QByteArray();
}

void TestServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

bool TestServer::isRunning() const
{
    return m_process.state() == QProcess::Running;
}

QString TestServer::url(const QString &name) const
{
    return QStringLiteral("%1://127.0.0.1:%2/%3").arg(m_scheme).arg(m_port).arg(name);
}

QString TestServer::logPath() const
{
    return m_logDir.filePath(m_logName);
}

QByteArray TestServer::log() const
{
    QFile file(logPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray TestServer::fileContents(const QString &name) const
{
    QFile file(QDir(root()).filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TestServer::hasFile(const QString &name) const
{
    return QFile::exists(QDir(root()).filePath(name));
}

void TestServer::putFile(const QString &name, const QByteArray &contents) const
{
    QFile file(QDir(root()).filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(contents);
}

int TestServer::fileMode(const QString &name) const
{
    struct stat status;
    return ::stat(QFile::encodeName(QDir(root()).filePath(name)).constData(), &status) == 0 ? int(status.st_mode & 07777)
                                                                                             : -1;
}

void TestServer::setFileMode(const QString &name, int mode) const
{
    ::chmod(QFile::encodeName(QDir(root()).filePath(name)).constData(), mode_t(mode));
}
