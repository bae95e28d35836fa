#include "transfer/pagelock.h"

#include "transfer/failurereason.h"
#include "transfer/transfersession.h"

#include <QDateTime>
#include <QElapsedTimer>

#include <curl/curl.h>

namespace {

// Between two tries at another editor's lock.
const int LockRetryInterval = 500;  // milliseconds

} // namespace

PageLock::PageLock(TransferSession &session, const RemoteAddress &page, const Login &login)
    : m_session(session)
    , m_folder(page.sibling(folderName(page.fileName)))
    , m_login(login)
{
}

QString PageLock::folderName(const QString &pageName)
{
    return QLatin1Char('.') + pageName + QStringLiteral(".newsadder-lock");
}

TransferResult PageLock::take(int wait)
{
    QElapsedTimer waited;
    waited.start();
    bool tookOver = false;
    for (;;) {
        TransferResult made = m_session.makeFolder(m_folder, m_login);
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
            m_session.removeFolder(m_folder, m_login);
            continue;
        }
        if (waited.elapsed() >= wait)
            return TransferResult{TransferResult::Locked, someoneElsePublishing(m_folder.fileName)};
        if (!m_session.pause(LockRetryInterval))
            return TransferResult{TransferResult::Unfinished, QString()};
    }
}

void PageLock::release()
{
    if (m_held)
        m_session.removeFolder(m_folder, m_login);
    m_held = false;
}

// Whether the lock folder is there and how old: MLST's modify fact over FTP (MDTM where the server
// has no MLST), the folder's time over SFTP. A server that tells neither has it fresh: only its
// holder or the editor removes it then.
PageLock::Found PageLock::look()
{
    QVector<FactsAsked> asked{{m_folder, RemoteFacts::Time, RemoteFacts()}};
    m_session.facts(m_login, &asked);
    const RemoteFacts &found = asked.first().found;
    if (found.presence == RemoteFacts::Absent)
        return Found::Nothing;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    return found.time >= 0 && now - found.time > StaleLockAge ? Found::Stale : Found::Fresh;
}
