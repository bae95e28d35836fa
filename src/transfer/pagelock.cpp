#include "transfer/pagelock.h"

#include "transfer/failurereason.h"
#include "transfer/ftpcommands.h"
#include "transfer/transfersession.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QRegularExpression>

#include <curl/curl.h>

namespace {

// Between two tries at another editor's lock.
const int LockRetryInterval = 500;  // milliseconds

// The time of an MLST fact line ("type=dir;modify=20261208021500; /path") in seconds since the
// epoch, -1 when it has none.
qint64 modifiedIn(const QStringList &lines)
{
    static const QRegularExpression modify(QStringLiteral("(?:^|;)modify=(\\d{14})"),
                                           QRegularExpression::CaseInsensitiveOption);
    for (const QString &line : lines) {
        const QRegularExpressionMatch match = modify.match(line);
        if (!match.hasMatch())
            continue;
        QDateTime time = QDateTime::fromString(match.captured(1), QStringLiteral("yyyyMMddHHmmss"));
        time.setTimeSpec(Qt::UTC);
        return time.isValid() ? time.toSecsSinceEpoch() : -1;
    }
    return -1;
}

} // namespace

PageLock::PageLock(TransferSession &session, const QString &address, const Login &login)
    : m_session(session)
    , m_remote(parseAddress(address))
    , m_login(login)
    , m_name(folderName(m_remote.fileName))
    , m_path(m_remote.folderPath + m_name)
{
}

QString PageLock::folderName(const QString &pageName)
{
    return QLatin1Char('.') + pageName + QStringLiteral(".newsadder-lock");
}

TransferResult PageLock::folder(FolderAction action)
{
    m_session.m_target = m_remote;
    return m_session.quote(m_remote.folderUrl, m_login, {folderCommand(*m_remote.scheme, action, m_path)});
}

TransferResult PageLock::take(int wait)
{
    QElapsedTimer waited;
    waited.start();
    bool tookOver = false;
    for (;;) {
        TransferResult made = folder(FolderAction::Make);
        if (made.succeeded()) {
            m_held = true;
            return made;
        }
        // Only a refused folder may be someone else's; a server that cannot be used ends it here.
        if (made.curlCode != CURLE_QUOTE_ERROR || serverUnusable(made))
            return made;
        const Found found = look();
        if (found == Found::Nothing)
            return TransferResult{TransferResult::Succeeded, QString()};
        if (found == Found::Stale && !tookOver) {
            tookOver = true;
            folder(FolderAction::Remove);
            continue;
        }
        if (waited.elapsed() >= wait)
            return TransferResult{TransferResult::Locked, someoneElsePublishing(m_name)};
        if (!m_session.pause(LockRetryInterval))
            return TransferResult{TransferResult::Unfinished, QString()};
    }
}

void PageLock::release()
{
    if (m_held)
        folder(FolderAction::Remove);
    m_held = false;
}

// Whether the lock folder is there and how old: MLST's modify fact over FTP (MDTM where the server
// has no MLST), the folder's time over SFTP. A server that tells neither has it fresh: only its
// holder or the editor removes it then.
PageLock::Found PageLock::look()
{
    m_session.m_target = m_remote;
    qint64 time = -1;
    if (m_remote.scheme->overSsh) {
        RemoteStamp stamp;
        const TransferResult result = m_session.stamp(m_remote.siblingUrl(m_name), m_login, true, &stamp);
        if (result.curlCode == CURLE_REMOTE_FILE_NOT_FOUND)
            return Found::Nothing;
        time = stamp.time;
    } else {
        QStringList replies;
        QStringList lines;
        m_session.quote(m_remote.folderUrl, m_login, {QStringLiteral("MLST ") + m_path}, &replies, &lines);
        const QString reply = replies.value(0);
        if (reply.startsWith(QLatin1String("550")))
            return Found::Nothing;
        time = modifiedIn(lines);
        if (time < 0 && !reply.startsWith(QLatin1Char('2'))) {
            m_session.quote(m_remote.folderUrl, m_login, {QStringLiteral("MDTM ") + m_path}, &replies);
            time = timeIn(replies.value(0));
        }
    }
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    return time >= 0 && now - time > StaleLockAge ? Found::Stale : Found::Fresh;
}
