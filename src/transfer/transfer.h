#ifndef TRANSFER_H
#define TRANSFER_H

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

#include "remoteaddress.h"

class QSaveFile;

typedef void CURL;

// The outcome of one download or upload.
struct TransferResult
{
    enum Status {
        Succeeded,   // finished without error; a download's file holds the whole page
        Failed,      // finished with an error; errorText says why
        Unfinished,  // the wait ended because the application quits
        SaveFailed,  // fetched whole, but the local file could not take it; it keeps its old contents
        PageChanged, // not uploaded: the page on the server is no longer the one downloaded
        HostKeyRefused  // the SSH server's key changed or was not trusted: nothing sent, the command ends
    };
    Status status = Unfinished;
    QString errorText;     // curl's text or the program's own (SaveFailed: the local file's), never with the password
    // For telling failures apart: curl's code (CURLcode), the server's last reply code, curl's own words.
    int curlCode = 0;
    long responseCode = 0;
    QString curlError;

    bool succeeded() const { return status == Succeeded; }
};

// How long a transfer may go without moving a byte before the server counts as no longer answering.
const int DefaultIdleTimeout = 60 * 1000;  // milliseconds

// Size and modification time of a file on the server, to notice that someone else replaced it.
struct RemoteStamp
{
    qint64 size = -1;
    qint64 time = -1;
    bool operator==(const RemoteStamp &other) const { return size == other.size && time == other.time; }
    bool operator!=(const RemoteStamp &other) const { return !(*this == other); }
};

// An SSH server's key that known_hosts does not hold, as the user is shown it to decide on it.
struct HostKeyFacts
{
    QString host;         // "host" for port 22, "[host]:port" otherwise, as known_hosts names it
    QString keyType;      // "ssh-ed25519", "ecdsa-sha2-nistp256", ...
    QString fingerprint;  // "SHA256:..."
};
// Runs on the GUI thread; true when the user trusts the key.
using HostKeyQuestion = std::function<bool(const HostKeyFacts &)>;

// The transfers of one command over one curl handle, so over one connection and one login per
// server; the connections close when the session is destroyed, at the end of the command.
// Each call blocks its caller in a local event loop (busy cursor, window repainting) while a worker
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

    // From the worker thread, with the bytes moved so far: false ends the transfer (quitting, or
    // idleTimeout passed without a byte).
    bool keepGoing(qint64 moved);
    // From a curl callback on the worker thread that needs the user (an unknown SSH host key):
    // runs question on the GUI thread, which keeps its event loop, and returns the answer; false
    // once the transfer is being given up (the application quits) and the answer cannot come.
    bool askUser(const std::function<bool()> &question);

    // SSH host keys are checked against the file known_hosts in the working directory; one it does
    // not hold is put to question once per session, and written there when trusted.
    void setHostKeyQuestion(const HostKeyQuestion &question) { m_hostKeyQuestion = question; }
    // From curl's key function on the worker thread: whether the key of the server being
    // connected to may be used.
    bool acceptHostKey(int curlKeyType, const QByteArray &key);

private:
    struct Login
    {
        bool given = false;  // otherwise anonymous
        QByteArray user;
        QByteArray password;
    };
    void prepare(const QByteArray &url, const Login &login);
    TransferResult perform();
    TransferResult put(const QByteArray &url, const Login &login, const QByteArray &data);
    TransferResult fetch(const QByteArray &url, const Login &login, QSaveFile *file, bool *fileFailed,
                         RemoteStamp *seen);
    TransferResult stamp(const QByteArray &url, const Login &login, bool withTime, RemoteStamp *seen);
    TransferResult quote(const QString &folderUrl, const Login &login, const QStringList &commands,
                         QStringList *replies = nullptr);
    TransferResult facts(const QString &address, const Login &login, const QString &tempName, bool withPage,
                         qint64 *tempSize, RemoteStamp *page);
    void rememberPage(const QString &address, const QString &login, const QString &password);
    TransferResult replaceWhole(const QString &address, const QByteArray &data, const Login &login,
                                bool checkUnchanged);

    // The address the running call is about: its scheme's options and, over SSH, whose key is checked.
    RemoteAddress m_target;
    CURL *m_curl;
    int m_idleTimeout;
    QByteArray m_caCertFile;
    char m_errorBuffer[256];
    std::atomic<bool> m_abort{false};
    std::atomic<bool> m_stalled{false};
    std::atomic<qint64> m_lastMove{0};
    qint64 m_lastCount = -1;
    bool m_overHttp = false;
    QHash<QString, RemoteStamp> m_seen;           // address -> the page as downloaded
    QHash<QString, TransferResult> m_refusedLogins;  // origin + login -> the server's refusal
    QByteArray m_knownHostsFile;
    HostKeyQuestion m_hostKeyQuestion;
    QHash<QByteArray, bool> m_hostKeyAnswers;  // known_hosts line -> the user's answer in this session
    QString m_hostKeyRefusal;                  // why the last transfer's server key was refused
};

// Why login or password cannot go to the server (a control character), or an empty text.
QString credentialsProblem(const QString &login, const QString &password);

// The failure text of the 60 s rule, with the configured time.
QString stoppedAnswering(int idleTimeout);

#endif // TRANSFER_H
