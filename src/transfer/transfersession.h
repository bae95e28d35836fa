#ifndef TRANSFERSESSION_H
#define TRANSFERSESSION_H

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <atomic>
#include <functional>
#include <memory>

#include "transfer/hostkeypolicy.h"
#include "transfer/loginpolicy.h"
#include "transfer/remoteaddress.h"
#include "transfer/servercommands.h"
#include "transfer/transferresult.h"

class PageLock;
class QIODevice;
class QSaveFile;

typedef void CURL;
typedef void CURLM;

// How long a transfer may go without moving a byte before the server counts as no longer answering.
const int DefaultIdleTimeout = 60 * 1000;  // milliseconds

// One file's facts asked of its server: which ones, and what it told.
struct FactsAsked
{
    RemoteAddress file;
    int wanted;  // RemoteFacts::Fact values, or'ed
    RemoteFacts found;
};

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
    // The same into page, which holds the whole page or is left empty.
    TransferResult download(const QString &address, QByteArray *page, const QString &login, const QString &password,
                            const QString &uploadAddress = QString());
    // data to address with login and password exactly as typed. Over FTP the page is replaced whole
    // or not at all; with checkUnchanged the page must still be what this session's last download of
    // it saw (else PageChanged, nothing replaced).
    // A file made new gets newFileMode where given.
    TransferResult upload(const QString &address, const QByteArray &data, const QString &login,
                          const QString &password, bool checkUnchanged, int newFileMode = -1);
    bool hasSeen(const QString &address) const { return m_seen.contains(address); }

    // The page at address locked for the rest of the session (see PageLock), with login and
    // password as upload takes them; removed when the session ends, also when the application quits.
    // Waits up to lockWait ms for someone else's lock; Locked then.
    TransferResult lock(const QString &address, const QString &login, const QString &password);
    void setLockWait(int msecs) { m_lockWait = msecs; }

    // The connection's own operations, each on the file or folder at the address it is given (of a
    // scheme that is replacedByRename unless said otherwise), with login. A refusal is Failed with
    // CURLE_QUOTE_ERROR.
    // The file into into (any scheme); intoFailed is set once into refuses a write. A download counts
    // only when it ended at the size the server announces: known.size when given, else over FTP the
    // reply to a SIZE just before it, and the one that opens the transfer. With arrived, the size
    // that arrived and the file's time (known.time when given).
    TransferResult fetch(const RemoteAddress &file, const Login &login, QIODevice *into, bool *intoFailed,
                         const RemoteFacts &known = RemoteFacts(), RemoteStamp *arrived = nullptr);
    // data into the file, created or written over (any scheme).
    TransferResult store(const RemoteAddress &file, const Login &login, const QByteArray &data);
    // What the servers tell of each file asked, in as few commands as each server allows: FTP's MLST
    // where the server has it, else SIZE, MDTM and a LIST of the folder for the mode; SFTP's stat,
    // and its listing for the mode. A file that is not there is no failure (its presence says so).
    TransferResult facts(const Login &login, QVector<FactsAsked> *asked);
    // The ls -l lines of the folder the file lies in (FTP's LIST, SFTP's listing); over FTP the first
    // of listCommands() the server takes, remembered for the session. With namesWanted, MLSD's lines
    // where the server has MLST.
    TransferResult listFolder(const RemoteAddress &file, const Login &login, QByteArray *listing,
                              bool namesWanted = false);
    TransferResult makeFolder(const RemoteAddress &folder, const Login &login);
    TransferResult removeFolder(const RemoteAddress &folder, const Login &login);
    // Onto a name that is free; some servers also replace a file that has it. replies: FTP's two.
    TransferResult rename(const RemoteAddress &from, const RemoteAddress &to, const Login &login,
                          QList<ServerReply> *replies = nullptr);
    TransferResult remove(const RemoteAddress &file, const Login &login);
    TransferResult setMode(const RemoteAddress &file, const Login &login, int mode);
    // A WebDAV request without a body on the address (HTTP and HTTPS): "MKCOL", "DELETE", or "HEAD"
    // to learn whether the file is there. A refusal is Failed with the server's status in responseCode.
    TransferResult request(const RemoteAddress &target, const Login &login, const char *method);
    // commands (servercommands.h) on the server of where, in order; over FTP a refused one does not
    // stop those after it, and the result is Failed only when the last was refused.
    TransferResult commands(const RemoteAddress &where, const Login &login, const QStringList &commands,
                            QList<ServerReply> *replies = nullptr);
    // msecs in a local event loop with the busy cursor; false when the application quits meanwhile.
    bool pause(int msecs);

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
    // What this session has learnt of an FTP server's commands.
    struct ServerHabits
    {
        enum Answer { Untried, Yes, No };
        Answer facts = Untried;         // MLST
        bool factsOptionsAsked = false; // OPTS MLST, once per connection
        int listing = 0;                // the first of listCommands() not refused
    };

    // transfersession.cpp: every curl option in one place, and the wait for the worker thread.
    void prepare(const RemoteAddress &remote, const QByteArray &url, const Login &login);
    TransferResult perform();
    // The transfer run to its end, or cut short when the application quits; a CURLcode.
    int wait();
    TransferResult classify(int code);
    void dropConnections();
    int performPolled();  // a CURLcode
    // pagetransfers.cpp
    TransferResult downloadInto(const QString &address, QIODevice *into, bool *intoFailed, const QString &login,
                                const QString &password, const QString &uploadAddress);
    void rememberPage(const QString &address, const QString &login, const QString &password);
    TransferResult stat(const RemoteAddress &file, const Login &login, bool withTime, RemoteStamp *seen);
    TransferResult list(const RemoteAddress &file, const Login &login, const QString &command, QByteArray *listing);
    // fileoperations.cpp
    TransferResult ftpFacts(const Login &login, QVector<FactsAsked> *asked);
    TransferResult listedFacts(const Login &login, QVector<FactsAsked> *asked);

    // The server the running transfer connects to, whose SSH host key is checked.
    QString m_keyHost;
    int m_keyPort = 0;
    bool m_overSsh = false;
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
    QHash<QString, ServerHabits> m_habits;  // origin -> what its server does
    LoginPolicy m_logins;
    HostKeyPolicy m_hostKeys;
    std::unique_ptr<PageLock> m_lock;
    int m_lockWait;
    // The application quits: no more event loops, and what is left (putting the page back, the
    // lock's removal) runs on the calling thread for a few seconds at most.
    bool m_quitting = false;
};

#endif // TRANSFERSESSION_H
