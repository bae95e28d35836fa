#include "sftpserver.h"

SftpServer::SftpServer(const QStringList &extraArgs)
    : TestServer(QStringLiteral("sftp"), QStringLiteral("sftp.log")), m_extraArgs(extraArgs)
{
}

bool SftpServer::start()
{
    if (!startScript(QStringLiteral(TEST_SUPPORT_DIR "/servers/sftpserver.py"),
                     QStringList{QStringLiteral("--root"), root(), QStringLiteral("--port"), QString::number(m_port),
                                 QStringLiteral("--host-key-type"), m_hostKeyType, QStringLiteral("--log"), logPath()}
                         + m_extraArgs))
        return false;
    // Through standard input, so no argument encoding touches the characters.
    m_process.write(user().toUtf8() + '\n' + password().toUtf8() + '\n');
    // An RSA host key takes a moment to make.
    bool ok = false;
    const quint16 port = quint16(readLine(30000).toUInt(&ok));
    const int keys = readLine(5000).toInt();
    m_knownHostsLines.clear();
    for (int key = 0; key < keys; ++key)
        m_knownHostsLines << QString::fromUtf8(readLine(5000));
    m_fingerprint = QString::fromUtf8(readLine(5000));
    if (!ok || port == 0 || !m_fingerprint.startsWith(QLatin1String("SHA256:")))
        return false;
    m_port = port;
    return true;
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
