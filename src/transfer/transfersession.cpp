#include "transfer/transfersession.h"

#include "transfer/failurereason.h"
#include "transfer/pagelock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

qint64 monotonicMsecs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int progress(void *session, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent)
{
    return static_cast<TransferSession *>(session)->keepGoing(qint64(received) + qint64(sent)) ? 0 : 1;
}

int checkHostKey(CURL *, const curl_khkey *, const curl_khkey *found, curl_khmatch, void *session)
{
    // libssh2 hands the raw key (len > 0); a base64 text is told by a zero length.
    const QByteArray key = found->len > 0 ? QByteArray(found->key, int(found->len))
                                          : QByteArray::fromBase64(QByteArray(found->key));
    return static_cast<TransferSession *>(session)->acceptHostKey(found->keytype, key) ? CURLKHSTAT_FINE
                                                                                       : CURLKHSTAT_REJECT;
}

// Whatever curl would print of replies nobody reads: FTP's file facts, a web server's error page.
size_t discard(char *, size_t size, size_t count, void *)
{
    return size * count;
}

// What a transfer may take once the application quits: the page put back, the lock removed.
const long QuittingTransferTime = 4000;  // milliseconds

bool connectionLost(const TransferResult &result)
{
    switch (result.curlCode) {
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_ABORTED_BY_CALLBACK:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
        return true;
    default:
        return result.status == TransferResult::Unfinished;
    }
}

// Seconds for curl's options that count in whole seconds, never shorter than the limit.
long wholeSeconds(int msecs)
{
    return std::max(1L, long((msecs + 999) / 1000));
}

} // namespace

TransferSession::TransferSession(int idleTimeout, const QString &caCertFile)
    : m_idleTimeout(idleTimeout)
    , m_caCertFile(caCertFile.toLocal8Bit())
    , m_lockWait(DefaultLockWait)
{
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    Q_UNUSED(initialised)
    m_curl = curl_easy_init();
    m_connections = curl_multi_init();
}

TransferSession::~TransferSession()
{
    if (m_lock)
        m_lock->release();
    curl_easy_cleanup(m_curl);
    curl_multi_cleanup(m_connections);
}

TransferResult TransferSession::lock(const QString &address, const QString &login, const QString &password)
{
    const RemoteAddress remote = parseAddress(address);
    if (!remote.scheme->replacedByRename || m_lock)
        return TransferResult{TransferResult::Succeeded, QString()};
    const TransferResult checked = checkedCredentials(login, password);
    if (!checked.succeeded())
        return checked;
    if (login.isEmpty() && remote.scheme->overSsh)
        return TransferResult{TransferResult::Failed, noLoginOverSsh()};
    m_lock.reset(new PageLock(*this, remote, login.isEmpty() ? Login() : Login::of(login, password)));
    const TransferResult taken = m_lock->take(m_lockWait);
    if (taken.curlCode == CURLE_LOGIN_DENIED || (taken.curlCode == CURLE_QUOTE_ERROR && taken.responseCode == 530))
        m_logins.refuse(remote, login, password, taken);
    return taken;
}

bool TransferSession::pause(int msecs)
{
    if (m_quitting)
        return false;
    QEventLoop loop;
    QTimer::singleShot(msecs, &loop, [&loop] { loop.exit(1); });
    if (m_waitObserver)
        m_waitObserver(true);
    m_waiting = &loop;
    // Anything but the timer's 1 means the application is quitting, or the user stopped.
    m_quitting = loop.exec() != 1;
    m_waiting = nullptr;
    if (m_waitObserver)
        m_waitObserver(false);
    return !m_quitting;
}

void TransferSession::stop()
{
    m_quitting = true;
    m_abort = true;
    if (m_waiting)
        m_waiting->exit(2);
}

bool TransferSession::keepGoing(qint64 moved)
{
    const qint64 now = monotonicMsecs();
    if (moved != m_lastCount) {
        m_lastCount = moved;
        m_lastMove = now;
    }
    if (now - m_lastMove >= m_idleTimeout)
        m_stalled = true;
    return !m_abort && !m_stalled;
}

bool TransferSession::askUser(const std::function<bool()> &question)
{
    // Nobody is left to answer.
    if (m_quitting)
        return false;
    struct Pending
    {
        std::mutex mutex;
        std::condition_variable answered;
        bool done = false;
        bool answer = false;
    };
    // Shared, as the GUI thread may get to the question only after this side has stopped waiting.
    const auto pending = std::make_shared<Pending>();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [pending, question] {
            const bool answer = question();
            const std::lock_guard<std::mutex> lock(pending->mutex);
            pending->answer = answer;
            pending->done = true;
            pending->answered.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock<std::mutex> lock(pending->mutex);
    // A blocking call into the GUI thread could wait forever: that thread stops serving its event
    // loop to join this one when the application quits.
    while (!pending->done && !m_abort)
        pending->answered.wait_for(lock, std::chrono::milliseconds(50));
    return pending->done && pending->answer;
}

bool TransferSession::acceptHostKey(int curlKeyType, const QByteArray &key)
{
    return m_hostKeys.accept(m_keyHost, m_keyPort, curlKeyType, key,
                             [this](const std::function<bool()> &question) { return askUser(question); });
}

// The options every transfer has, and those of its kind of address: set here and nowhere else.
void TransferSession::prepare(const RemoteAddress &remote, const QByteArray &url, const Login &login)
{
    m_keyHost = remote.host;
    m_keyPort = remote.port;
    m_overSsh = remote.scheme->overSsh;
    curl_easy_reset(m_curl);
    m_errorBuffer[0] = '\0';
    curl_easy_setopt(m_curl, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(m_curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(m_curl, CURLOPT_PROTOCOLS_STR, curlProtocols().constData());
    curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
    // Large pieces: fewer calls into the file and fewer wake-ups per megabyte.
    curl_easy_setopt(m_curl, CURLOPT_BUFFERSIZE, 512L * 1024);
    curl_easy_setopt(m_curl, CURLOPT_UPLOAD_BUFFERSIZE, 512L * 1024);
    if (login.given) {
        curl_easy_setopt(m_curl, CURLOPT_USERNAME, login.user.constData());
        curl_easy_setopt(m_curl, CURLOPT_PASSWORD, login.password.constData());
    }
    curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, discard);
    curl_easy_setopt(m_curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(m_curl, CURLOPT_XFERINFOFUNCTION, progress);
    curl_easy_setopt(m_curl, CURLOPT_XFERINFODATA, this);
    // The 60 s rule: the progress callback above counts the bytes; curl's own limits catch what it
    // does not see (a server that never greets or never answers a command).
    curl_easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT_MS, long(m_idleTimeout));
    curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_TIME, wholeSeconds(m_idleTimeout));
    curl_easy_setopt(m_curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, wholeSeconds(m_idleTimeout));
    curl_easy_setopt(m_curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(m_curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(m_curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(m_curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!m_caCertFile.isEmpty())
        curl_easy_setopt(m_curl, CURLOPT_CAINFO, m_caCertFile.constData());
    // FTP over TLS: the login only once the connection is encrypted, never a fall-back to plain.
    if (remote.scheme->tlsRequired) {
        curl_easy_setopt(m_curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
        // Under TLS 1.3 every data connection hands out session tickets of its own, and curl resumes
        // the next one from those: servers that require the control connection's session (vsftpd,
        // proftpd) refuse it. Under 1.2 each data connection resumes the control connection's session.
        curl_easy_setopt(m_curl, CURLOPT_SSLVERSION, long(CURL_SSLVERSION_DEFAULT | CURL_SSLVERSION_MAX_TLSv1_2));
    }
    // SSH: curl checks no host key unless both of these are set; the verdict is checkHostKey's.
    if (remote.scheme->overSsh)
        curl_easy_setopt(m_curl, CURLOPT_SSH_KNOWNHOSTS, m_hostKeys.offeredKeys(remote.host, remote.port).constData());
    curl_easy_setopt(m_curl, CURLOPT_SSH_KEYFUNCTION, checkHostKey);
    curl_easy_setopt(m_curl, CURLOPT_SSH_KEYDATA, this);
    // The typed password only, never whatever keys lie in ~/.ssh.
    curl_easy_setopt(m_curl, CURLOPT_SSH_AUTH_TYPES, long(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
    // FTP: no changing of folders, so the server takes every path (also the quote commands') from
    // its starting folder.
    curl_easy_setopt(m_curl, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_NOCWD));
    m_overHttp = url.startsWith("http");
}

TransferResult TransferSession::perform()
{
    int code = wait();
    // The server took none of the key types curl asked for: the next one the host is known by.
    while (m_overSsh && (code == CURLE_FAILED_INIT || code == CURLE_SSH) && !m_quitting
           && m_hostKeys.offerNextKey(m_keyHost, m_keyPort)) {
        curl_easy_setopt(m_curl, CURLOPT_SSH_KNOWNHOSTS, m_hostKeys.offeredKeys(m_keyHost, m_keyPort).constData());
        code = wait();
    }
    return classify(code);
}

int TransferSession::wait()
{
    m_abort = false;
    m_stalled = false;
    m_lastCount = -1;
    m_lastMove = monotonicMsecs();
    m_hostKeys.clearRefusal();
    if (m_quitting) {
        curl_easy_setopt(m_curl, CURLOPT_TIMEOUT_MS, QuittingTransferTime);
        return curl_easy_perform(m_curl);
    }
    std::atomic<bool> done{false};
    int code = CURLE_OK;
    QEventLoop loop;
    std::thread worker([&] {
        code = performPolled();
        done = true;
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    if (!done) {
        if (m_waitObserver)
            m_waitObserver(true);
        // Returns early when the application is quitting or the user stops: then the transfer is aborted.
        m_waiting = &loop;
        loop.exec();
        m_waiting = nullptr;
        if (m_waitObserver)
            m_waitObserver(false);
    }
    if (!done)
        m_abort = true;
    worker.join();
    return code;
}

TransferResult TransferSession::classify(int code)
{
    TransferResult result;
    result.curlCode = code;
    curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &result.responseCode);
    result.curlError = QString::fromUtf8(m_errorBuffer[0] ? m_errorBuffer : curl_easy_strerror(CURLcode(code)));
    if ((code == CURLE_ABORTED_BY_CALLBACK || m_abort) && !m_stalled) {
        result.status = TransferResult::Unfinished;
        m_quitting = true;
    } else if (code != CURLE_OK && !m_hostKeys.refusal().isEmpty()) {
        result.status = TransferResult::HostKeyRefused;
        result.errorText = m_hostKeys.refusal();
    } else if (m_stalled || code == CURLE_OPERATION_TIMEDOUT) {
        result.status = TransferResult::Failed;
        result.curlCode = CURLE_OPERATION_TIMEDOUT;
        result.errorText = stoppedAnswering(m_idleTimeout);
    } else if (code != CURLE_OK) {
        result.status = TransferResult::Failed;
        result.errorText = result.curlError;
    } else if (m_overHttp && result.responseCode >= 300 && result.responseCode <= 399) {
        // Not followed: nothing was fetched or stored at the address asked for.
        const char *target = nullptr;
        curl_easy_getinfo(m_curl, CURLINFO_REDIRECT_URL, &target);
        const char *effective = nullptr;
        curl_easy_getinfo(m_curl, CURLINFO_EFFECTIVE_URL, &effective);
        result.status = TransferResult::Failed;
        result.errorText = redirected(QString::fromUtf8(effective), result.responseCode,
                                      target ? shownAddress(QString::fromUtf8(target)) : QStringLiteral("?"));
    } else {
        result.status = TransferResult::Succeeded;
    }
    if (connectionLost(result))
        dropConnections();
    return result;
}

// curl may keep a connection whose server went silent or whose transfer was cut for the next
// request; the page's return and the lock's removal need one that answers.
void TransferSession::dropConnections()
{
    // The goodbye to a silent server waits a second at most.
    curl_easy_setopt(m_curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, 1L);
    curl_easy_cleanup(m_curl);
    curl_multi_cleanup(m_connections);
    m_curl = curl_easy_init();
    m_connections = curl_multi_init();
    // The next connection starts with the server's own choice of facts.
    for (ServerHabits &habits : m_habits)
        habits.factsOptionsAsked = false;
}

// curl_easy_perform's own wait can miss an FTP data connection that is already up, and then
// sleeps a whole second before the upload (libcurl 7.88): the same transfer, woken often.
int TransferSession::performPolled()
{
    curl_multi_add_handle(m_connections, m_curl);
    CURLcode code = CURLE_OK;
    int running = 1;
    while (running) {
        if (curl_multi_perform(m_connections, &running) != CURLM_OK) {
            code = CURLE_OUT_OF_MEMORY;
            break;
        }
        if (running)
            curl_multi_poll(m_connections, nullptr, 0, 10, nullptr);
    }
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(m_connections, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == m_curl)
            code = message->data.result;
    }
    curl_multi_remove_handle(m_connections, m_curl);
    return code;
}
