#include "ftpserver.h"

FtpServer::FtpServer(const QStringList &extraArgs)
    : FtpServer(QStringLiteral(TEST_SUPPORT_DIR "/servers/ftpserver.py"), QStringLiteral("ftp"), extraArgs)
{
}

FtpServer::FtpServer(const QString &script, const QString &scheme, const QStringList &extraArgs)
    : TestServer(scheme, QStringLiteral("ftp.log")), m_script(script), m_extraArgs(extraArgs)
{
}

bool FtpServer::start()
{
    if (!startScript(m_script, QStringList{QStringLiteral("--root"), root(), QStringLiteral("--user"), user(),
                                           QStringLiteral("--password"), password(), QStringLiteral("--log"), logPath()}
                                   + m_extraArgs))
        return false;
    bool ok = false;
    m_port = quint16(readLine(15000).toUInt(&ok));
    return ok && m_port != 0;
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

QStringList FtpServer::commands() const
{
    QStringList sent;
    for (const QByteArray &line : log().split('\n')) {
        const int at = line.indexOf("] <- ");
        if (at >= 0)
            sent << QString::fromLatin1(line.mid(at + 5).split(' ').first());
    }
    return sent;
}
