#ifndef TRANSFERSESSION_H
#define TRANSFERSESSION_H

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

#include "transfer/hostkeypolicy.h"
#include "transfer/loginpolicy.h"
#include "transfer/remoteaddress.h"
#include "transfer/transferresult.h"

class PageLock;
class QSaveFile;

typedef void CURL;
typedef void CURLM;

// How long a transfer may go without moving a byte before the server counts as no longer answering.
const int DefaultIdleTimeout = 60 * 1000;  // milliseconds

// The transfers of one command over one curl handle, so over one connection and one login per
// server; the connections close when the session is destroyed, at the end of the command.
// Each call blocks its caller in a local event loop (the window repainting) while a worker
// thread runs the transfer; it ends when the transfer does, when no byte has moved for idleTimeout
// milliseconds (Failed), or when the application quits (Unfinished, the transfer aborted).
// Addresses must have passed addressProblem().
class TransferSession
{
public:
    TransferSession(int idleTimeout, const QString &caCertFile);
    ~TransferSession();
    TransferSession(const TransferSession &) = delete;
    TransferSession &operator=(const TransferSession &) = delete;

    // The page into fileName, replaced only once all of it is there; a network failure is reported
    // before a local one. An address without a user logs in with login and password; should the
    // server refuse them, this and the session's later downloads log in anonymously.
    // With uploadAddress, the page's size and time there are kept for that upload's checkUnchanged:
    // from this download when the addresses are the same, else asked just before it.
    TransferResult download(const QString &address, const QString &fileName, const QString &login,
                            const QString &password, const QString &uploadAddress = QString());
    // data to address with login and password exactly as typed. Over FTP the page is replaced whole
    // or not at all; with checkUnchanged the page must still be what this session's last download of
    // it saw (else PageChanged, nothing replaced).
    TransferResult upload(const QString &address, const QByteArray &data, const QString &login,
                          const QString &password, bool checkUnchanged);
    bool hasSeen(const QString &address) const { return m_seen.contains(address); }

    // The page at address locked for the rest of the session (see PageLock), with login and
    // password as upload takes them; removed when the session ends, also when the application quits.
    // Waits up to lockWait ms for someone else's lock; Locked then.
    TransferResult lock(const QString &address, const QString &login, const QString &password);
    void setLockWait(int msecs) { m_lockWait = msecs; }

    // Told on the GUI thread when a call starts waiting in its local event loop (true) and when
    // that wait ends (false); a transfer over before the wait would begin tells nothing.
    void setWaitObserver(const std::function<void(bool waiting)> &observer) { m_waitObserver = observer; }

    // From the worker thread, with the bytes moved so far: false ends the transfer (quitting, or
    // idleTimeout passed without a byte).
    bool keepGoing(qint64 moved);
    // From a curl callback on the worker thread that needs the user (an unknown SSH host key):
    // runs question on the GUI thread, which keeps its event loop, and returns the answer; false
    // once the transfer is being given up (the application quits) and the answer cannot come.
    bool askUser(const std::function<bool()> &question);

    // SSH host keys are checked against the file known_hosts in the working directory; one it does
    // not hold is put to question once per session, and written there when trusted.
    void setHostKeyQuestion(const HostKeyQuestion &question) { m_hostKeys.setQuestion(question); }
    // From curl's key function on the worker thread: whether the key of the server being
    // connected to may be used.
    bool acceptHostKey(int curlKeyType, const QByteArray &key);

private:
    friend class PageReplacement;
    friend class PageLock;

    // transfersession.cpp: every curl option in one place, and the wait for the worker thread.
    void prepare(const QByteArray &url, const Login &login);
    TransferResult perform();
    // msecs in a local event loop with the busy cursor; false when the application quits meanwhile.
    bool pause(int msecs);
    void dropConnections();
    int performPolled();  // a CURLcode
    // pagetransfers.cpp: one request each.
    TransferResult put(const QByteArray &url, const Login &login, const QByteArray &data);
    TransferResult fetch(const RemoteAddress &remote, const Login &login, QSaveFile *file, bool *fileFailed,
                         RemoteStamp *seen);
    // The listing of the address's folder: ls -l lines over FTP (LIST) and SFTP.
    TransferResult listFolder(const RemoteAddress &remote, const Login &login, QByteArray *listing);
    TransferResult stamp(const QByteArray &url, const Login &login, bool withTime, RemoteStamp *seen);
    void rememberPage(const QString &address, const QString &login, const QString &password);
    // ftpcommands.cpp: the server's own commands.
    // lines: every line of the replies, such as MLST's facts.
    TransferResult quote(const QString &folderUrl, const Login &login, const QStringList &commands,
                         QStringList *replies = nullptr, QStringList *lines = nullptr);
    TransferResult pageStamp(const RemoteAddress &remote, const Login &login, RemoteStamp *page);
    TransferResult facts(const RemoteAddress &remote, const Login &login, const QString &tempName, bool withPage,
                         qint64 *tempSize, RemoteStamp *page);

    // The address the running call is about: its scheme's options and, over SSH, whose key is checked.
    RemoteAddress m_target;
    CURL *m_curl;
    CURLM *m_connections;  // keeps the command's connections, and so its login, between transfers
    int m_idleTimeout;
    QByteArray m_caCertFile;
    char m_errorBuffer[256];
    std::atomic<bool> m_abort{false};
    std::atomic<bool> m_stalled{false};
    std::atomic<qint64> m_lastMove{0};
    qint64 m_lastCount = -1;
    bool m_overHttp = false;
    std::function<void(bool)> m_waitObserver;
    QHash<QString, RemoteStamp> m_seen;  // address -> the page as downloaded
    LoginPolicy m_logins;
    HostKeyPolicy m_hostKeys;
    std::unique_ptr<PageLock> m_lock;
    int m_lockWait;
    // The application quits: no more event loops, and what is left (putting the page back, the
    // lock's removal) runs on the calling thread for a few seconds at most.
    bool m_quitting = false;
};

#endif // TRANSFERSESSION_H
