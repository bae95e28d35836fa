#ifndef PAGELOCK_H
#define PAGELOCK_H

#include "transfer/loginpolicy.h"
#include "transfer/remoteaddress.h"
#include "transfer/transferresult.h"

#include <QString>

class TransferSession;

// How long a command waits for another editor's lock before it gives up.
const int DefaultLockWait = 20 * 1000;  // milliseconds
// From this age on a lock was left behind (a program killed, a connection lost) and is taken over.
const qint64 StaleLockAge = 5 * 60;  // seconds

// A folder beside the page (".news.html.newsadder-lock") that one send or restore holds from its
// first download to its rename. Making a folder is atomic on every server (MKD, SFTP mkdir), so of
// two editors only one replaces the page at a time. For addresses whose scheme is replacedByRename,
// over the session's connection.
class PageLock
{
public:
    PageLock(TransferSession &session, const RemoteAddress &page, const Login &login);

    static QString folderName(const QString &pageName);

    // Succeeded once the folder is made, or when the server lets no one make it (nothing to wait
    // for then); Locked when someone else's stays for wait ms; else the server's failure.
    TransferResult take(int wait);
    // Removes the folder if this lock made it.
    void release();

private:
    enum class Found { Nothing, Fresh, Stale };
    Found look();

    TransferSession &m_session;
    const RemoteAddress m_folder;
    const Login m_login;
    bool m_held = false;
};

#endif // PAGELOCK_H
