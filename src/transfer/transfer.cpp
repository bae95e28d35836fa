#include "transfer.h"

#include "knownhosts.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QEventLoop>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QSaveFile>

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// Over the whole application while a transfer waits, never over the message boxes that follow.
class BusyCursor
{
public:
    BusyCursor()
        : m_shown(qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr)
    {
        if (m_shown)
            QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    }
    ~BusyCursor()
    {
        if (m_shown)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    bool m_shown;
};

bool hasControlCharacter(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

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

struct Sink
{
    QSaveFile *file;
    bool *failed;
};

size_t writeToFile(char *data, size_t size, size_t count, void *sink)
{
    const Sink *target = static_cast<Sink *>(sink);
    const qint64 length = qint64(size * count);
    // Once the disk has refused, the rest is taken and dropped, so that a network failure still wins.
    if (!*target->failed && target->file->write(data, length) != length)
        *target->failed = true;
    return size * count;
}

// Whatever curl would print of replies nobody reads: FTP's file facts, a web server's error page.
size_t discard(char *, size_t size, size_t count, void *)
{
    return size * count;
}

struct Source
{
    const QByteArray *data;
    qint64 offset;
};

size_t readFromData(char *buffer, size_t size, size_t count, void *source)
{
    Source *from = static_cast<Source *>(source);
    const qint64 length = std::min<qint64>(qint64(size * count), from->data->size() - from->offset);
    std::copy_n(from->data->constData() + from->offset, length, buffer);
    from->offset += length;
    return size_t(length);
}

// Seconds for curl's options that count in whole seconds, never shorter than the limit.
long wholeSeconds(int msecs)
{
    return std::max(1L, long((msecs + 999) / 1000));
}

QString randomToken()
{
    return QString::number(QRandomGenerator::global()->generate() | 0x10000000u, 16);
}

// A wait cut short or a server that stopped answering: no point in asking it anything more.
bool serverGone(const TransferResult &result)
{
    return result.status == TransferResult::Unfinished || result.curlCode == CURLE_OPERATION_TIMEDOUT;
}

// An upload that failed once its data had begun to flow, so that a part of it may lie on the server.
bool partlyStored(const TransferResult &result)
{
    switch (result.curlCode) {
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_FTP_WEIRD_SERVER_REPLY:
    case CURLE_WRITE_ERROR:
        return true;
    default:
        return false;
    }
}

} // namespace

QString stoppedAnswering(int idleTimeout)
{
    return QCoreApplication::translate("NewsAdder", "Сервер перестал отвечать: за %1 с не передано ни одного байта.")
        .arg(QString::number(idleTimeout / 1000.0));
}

QString credentialsProblem(const QString &login, const QString &password)
{
    // A line end would let the rest of the text pass for a command of its own on the FTP control connection.
    if (hasControlCharacter(login))
        return QCoreApplication::translate("NewsAdder", "Логин содержит управляющий символ (перевод строки, "
                                                        "возврат каретки или другой). На сервер ничего не "
                                                        "отправлено; исправьте логин и повторите.");
    if (hasControlCharacter(password))
        return QCoreApplication::translate("NewsAdder", "Пароль содержит управляющий символ (перевод строки, "
                                                        "возврат каретки или другой). На сервер ничего не "
                                                        "отправлено; исправьте пароль и повторите.");
    return QString();
}

TransferSession::TransferSession(int idleTimeout, const QString &caCertFile)
    : m_idleTimeout(idleTimeout)
    , m_caCertFile(caCertFile.toLocal8Bit())
    , m_knownHostsFile(QFile::encodeName(QDir::current().absoluteFilePath(QStringLiteral("known_hosts"))))
{
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    Q_UNUSED(initialised)
    m_curl = curl_easy_init();
}

TransferSession::~TransferSession()
{
    curl_easy_cleanup(m_curl);
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
    const auto tr = [](const char *text) { return QCoreApplication::translate("NewsAdder", text); };
    const QString host = KnownHosts::hostName(m_target.host, m_target.port);
    const QString type = KnownHosts::keyTypeName(curlKeyType, key);
    if (type.isEmpty()) {
        m_hostKeyRefusal = tr("сервер %1 предъявил ключ неизвестного вида, такой ключ проверить нельзя. "
                              "На сервер ничего не отправлено.").arg(host);
        return false;
    }
    const QByteArray line = KnownHosts::line(m_target.host, m_target.port, type, key);
    const QString declined = tr("ключ сервера %1 не принят. На сервер ничего не отправлено.").arg(host);
    if (m_hostKeyAnswers.contains(line)) {
        if (!m_hostKeyAnswers.value(line))
            m_hostKeyRefusal = declined;
        return m_hostKeyAnswers.value(line);
    }
    const QString path = QFile::decodeName(m_knownHostsFile);
    QFile file(path);
    if (file.exists() && !file.open(QIODevice::ReadOnly)) {
        m_hostKeyRefusal = tr("файл %1 не читается (%2), ключ сервера %3 проверить нельзя. На сервер ничего не "
                              "отправлено.").arg(QDir::toNativeSeparators(path), file.errorString(), host);
        return false;
    }
    const QByteArray known = file.isOpen() ? file.readAll() : QByteArray();
    switch (KnownHosts::check(KnownHosts::parse(known), m_target.host, m_target.port, type, key)) {
    case KnownHosts::Match:
        return true;
    case KnownHosts::Mismatch:
    case KnownHosts::Revoked:
        m_hostKeyRefusal =
            tr("ВНИМАНИЕ: ключ сервера %1 изменился, он не тот, что записан в known_hosts (сейчас %2 %3). Это "
               "может быть атака (кто-то выдаёт себя за сервер) или переустановка сервера. На сервер ничего не "
               "отправлено. Свяжитесь с хостинг-провайдером и сверьте отпечаток ключа; только если он верен, "
               "удалите старую строку сервера из known_hosts.")
                .arg(host, type, KnownHosts::fingerprint(key));
        return false;
    case KnownHosts::Unknown:
        break;
    }
    const HostKeyFacts facts{host, type, KnownHosts::fingerprint(key)};
    const HostKeyQuestion question = m_hostKeyQuestion;
    const bool trusted = question && askUser([question, facts] { return question(facts); });
    m_hostKeyAnswers.insert(line, trusted);
    if (!trusted) {
        m_hostKeyRefusal = declined;
        return false;
    }
    QString error;
    if (!KnownHosts::append(path, line, &error)) {
        m_hostKeyAnswers.remove(line);
        m_hostKeyRefusal = tr("ключ сервера %1 не записан в %2: %3. На сервер ничего не отправлено.")
                               .arg(host, QDir::toNativeSeparators(path), error);
        return false;
    }
    return true;
}

// The options every transfer has, and those of its kind of address: set here and nowhere else.
void TransferSession::prepare(const QByteArray &url, const Login &login)
{
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
    if (m_target.scheme && m_target.scheme->tlsRequired)
        curl_easy_setopt(m_curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    // SSH: curl checks no host key unless both of these are set; the verdict is checkHostKey's.
    curl_easy_setopt(m_curl, CURLOPT_SSH_KNOWNHOSTS, m_knownHostsFile.constData());
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
    m_abort = false;
    m_stalled = false;
    m_lastCount = -1;
    m_lastMove = monotonicMsecs();
    m_hostKeyRefusal.clear();
    std::atomic<bool> done{false};
    CURLcode code = CURLE_OK;
    QEventLoop loop;
    std::thread worker([&] {
        code = curl_easy_perform(m_curl);
        done = true;
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    if (!done) {
        const BusyCursor busy;
        // Returns early when the application is quitting: then the transfer is aborted.
        loop.exec();
    }
    if (!done)
        m_abort = true;
    worker.join();

    TransferResult result;
    result.curlCode = code;
    curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &result.responseCode);
    result.curlError = QString::fromUtf8(m_errorBuffer[0] ? m_errorBuffer : curl_easy_strerror(code));
    if ((code == CURLE_ABORTED_BY_CALLBACK || m_abort) && !m_stalled) {
        result.status = TransferResult::Unfinished;
    } else if (code != CURLE_OK && !m_hostKeyRefusal.isEmpty()) {
        result.status = TransferResult::HostKeyRefused;
        result.errorText = m_hostKeyRefusal;
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
        result.errorText = QCoreApplication::translate("NewsAdder", "сервер перенаправляет %1 (HTTP %2) на %3; "
                                                                    "укажите этот адрес в настройках.")
                               .arg(QString::fromUtf8(effective), QString::number(result.responseCode),
                                    target ? shownAddress(QString::fromUtf8(target)) : QStringLiteral("?"));
    } else {
        result.status = TransferResult::Succeeded;
    }
    return result;
}

TransferResult TransferSession::put(const QByteArray &url, const Login &login, const QByteArray &data)
{
    prepare(url, login);
    Source source{&data, 0};
    curl_easy_setopt(m_curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(m_curl, CURLOPT_READFUNCTION, readFromData);
    curl_easy_setopt(m_curl, CURLOPT_READDATA, &source);
    curl_easy_setopt(m_curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(data.size()));
    return perform();
}

TransferResult TransferSession::fetch(const QByteArray &url, const Login &login, QSaveFile *file, bool *fileFailed,
                                      RemoteStamp *seen)
{
    prepare(url, login);
    Sink sink{file, fileFailed};
    curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, writeToFile);
    curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(m_curl, CURLOPT_FILETIME, seen ? 1L : 0L);
    const TransferResult result = perform();
    if (seen) {
        curl_off_t time = -1;
        curl_off_t size = -1;
        curl_easy_getinfo(m_curl, CURLINFO_FILETIME_T, &time);
        curl_easy_getinfo(m_curl, CURLINFO_SIZE_DOWNLOAD_T, &size);
        *seen = RemoteStamp{qint64(size), qint64(time)};
    }
    return result;
}

TransferResult TransferSession::stamp(const QByteArray &url, const Login &login, bool withTime, RemoteStamp *seen)
{
    prepare(url, login);
    curl_easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(m_curl, CURLOPT_FILETIME, withTime ? 1L : 0L);
    const TransferResult result = perform();
    curl_off_t time = -1;
    curl_off_t size = -1;
    if (result.succeeded()) {
        curl_easy_getinfo(m_curl, CURLINFO_FILETIME_T, &time);
        curl_easy_getinfo(m_curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size);
    }
    *seen = RemoteStamp{qint64(size), withTime ? qint64(time) : -1};
    return result;
}

size_t collectReply(char *data, size_t size, size_t count, void *replies)
{
    // The last line of each of the server's replies: three digits and a space.
    const QByteArray line = QByteArray(data, int(size * count)).trimmed();
    if (line.size() >= 4 && line.at(3) == ' ')
        static_cast<QStringList *>(replies)->append(QString::fromUtf8(line));
    return size * count;
}

// Each command's refusal is read from its reply in replies: curl, told of it, would take the
// connection for broken and log in anew for the next request.
TransferResult TransferSession::quote(const QString &folderUrl, const Login &login, const QStringList &commands,
                                     QStringList *replies)
{
    prepare(folderUrl.toLatin1(), login);
    curl_slist *list = nullptr;
    // SFTP gives no replies to read, so there curl itself reports a refusal.
    const QByteArray mayFail = m_target.scheme->overSsh ? "" : "*";
    for (const QString &command : commands)
        list = curl_slist_append(list, (mayFail + command.toUtf8()).constData());
    QStringList all;
    curl_easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(m_curl, CURLOPT_QUOTE, list);
    curl_easy_setopt(m_curl, CURLOPT_HEADERFUNCTION, collectReply);
    curl_easy_setopt(m_curl, CURLOPT_HEADERDATA, &all);
    TransferResult result = perform();
    curl_easy_setopt(m_curl, CURLOPT_QUOTE, nullptr);
    curl_slist_free_all(list);
    if (replies)
        *replies = all.mid(all.size() - commands.size());
    if (result.succeeded() && all.size() >= commands.size() && !all.last().startsWith('2')) {
        result.status = TransferResult::Failed;
        result.curlCode = CURLE_QUOTE_ERROR;
        result.responseCode = all.last().left(3).toLong();
        result.curlError = result.errorText = QCoreApplication::translate("NewsAdder", "сервер ответил на %1: %2")
                                                  .arg(commands.last().section(' ', 0, 0), all.last());
    }
    return result;
}

static qint64 numberIn(const QString &reply)
{
    bool ok = false;
    const qint64 number = reply.startsWith(QLatin1String("213 ")) ? reply.mid(4).toLongLong(&ok) : -1;
    return ok ? number : -1;
}

// MDTM's YYYYMMDDhhmmss in UTC, as curl reads it for a download's file time.
static qint64 timeIn(const QString &reply)
{
    if (!reply.startsWith(QLatin1String("213 ")))
        return -1;
    QDateTime time = QDateTime::fromString(reply.mid(4, 14), QStringLiteral("yyyyMMddHHmmss"));
    time.setTimeSpec(Qt::UTC);
    return time.isValid() ? time.toSecsSinceEpoch() : -1;
}

// The size the server reports for the uploaded temporary file and, withPage, the page's size and
// time; -1 for what it cannot say.
TransferResult TransferSession::facts(const QString &address, const Login &login, const QString &tempName,
                                      bool withPage, qint64 *tempSize, RemoteStamp *page)
{
    const RemoteAddress remote = parseAddress(address);
    const SchemeInfo &scheme = *remote.scheme;
    if (scheme.sizeCommand) {
        const QString size = QLatin1String(scheme.sizeCommand) + QLatin1Char(' ');
        const QString time = QLatin1String(scheme.timeCommand) + QLatin1Char(' ');
        const QString pagePath = remote.folderPath + remote.fileName;
        QStringList commands{size + remote.folderPath + tempName};
        if (withPage)
            commands << time + pagePath << size + pagePath;
        QStringList replies;
        TransferResult result = quote(remote.folderUrl, login, commands, &replies);
        // Refusals here are facts too (no such file): only the last one would have failed the list.
        if (result.curlCode == CURLE_QUOTE_ERROR)
            result.status = TransferResult::Succeeded;
        *tempSize = numberIn(replies.value(0));
        if (withPage)
            *page = RemoteStamp{numberIn(replies.value(2)), timeIn(replies.value(1))};
        return result;
    }
    RemoteStamp stored;
    TransferResult result = stamp(remote.siblingUrl(tempName), login, false, &stored);
    *tempSize = stored.size;
    if (result.succeeded() && withPage) {
        result = stamp(remote.url, login, true, page);
        if (result.curlCode == CURLE_REMOTE_FILE_NOT_FOUND)
            result.status = TransferResult::Succeeded;
    }
    return result;
}

static QString loginKey(const RemoteAddress &remote, const QString &login, const QString &password)
{
    // Neither may hold a line end, so the key cannot be mistaken.
    return remote.origin + QLatin1Char('\n') + login + QLatin1Char('\n') + password;
}

TransferResult TransferSession::download(const QString &address, const QString &fileName, const QString &login,
                                         const QString &password, const QString &uploadAddress)
{
    const RemoteAddress remote = parseAddress(address);
    Login who;
    if (remote.hasUser) {
        const QString problem = credentialsProblem(remote.userName, remote.password);
        if (!problem.isEmpty()) {
            TransferResult refused;
            refused.status = TransferResult::Failed;
            refused.errorText = problem;
            return refused;
        }
        who = Login{true, remote.userName.toUtf8(), remote.password.toUtf8()};
    } else if (!login.isEmpty() && credentialsProblem(login, password).isEmpty()
               && !m_refusedLogins.contains(loginKey(remote, login, password))) {
        who = Login{true, login.toUtf8(), password.toUtf8()};
    }

    const bool remember = uploadAddress == address;
    if (!uploadAddress.isEmpty() && !remember)
        rememberPage(uploadAddress, login, password);

    m_target = remote;
    QSaveFile file(fileName);
    // A file that cannot be opened is reported after the transfer, so that a network failure wins.
    bool fileFailed = !file.open(QIODevice::WriteOnly);
    RemoteStamp seen;
    TransferResult result = fetch(remote.url, who, &file, &fileFailed, remember ? &seen : nullptr);
    if (who.given && !remote.hasUser && result.curlCode == CURLE_LOGIN_DENIED) {
        // Many hosts read only with the account; those that refuse it may still let anyone read.
        m_refusedLogins.insert(loginKey(remote, login, password), result);
        result = fetch(remote.url, Login(), &file, &fileFailed, remember ? &seen : nullptr);
    }
    if (result.succeeded()) {
        if (remember && remote.scheme->replacedByRename)
            m_seen.insert(address, seen);
        // commit() alone can accept a short file when the disk fills, so the writes and the flush count too.
        if (fileFailed || !file.flush() || !file.commit())
            result = TransferResult{TransferResult::SaveFailed, file.errorString()};
    }
    if (file.isOpen())
        file.cancelWriting();
    return result;
}

void TransferSession::rememberPage(const QString &address, const QString &login, const QString &password)
{
    const RemoteAddress remote = parseAddress(address);
    if (!remote.scheme->replacedByRename || !credentialsProblem(login, password).isEmpty()
        || m_refusedLogins.contains(loginKey(remote, login, password)))
        return;
    m_target = remote;
    const Login who{true, login.toUtf8(), password.toUtf8()};
    RemoteStamp seen;
    TransferResult result;
    if (remote.scheme->sizeCommand) {
        const QString page = remote.folderPath + remote.fileName;
        QStringList replies;
        result = quote(remote.folderUrl, who,
                       {QLatin1String(remote.scheme->timeCommand) + QLatin1Char(' ') + page,
                        QLatin1String(remote.scheme->sizeCommand) + QLatin1Char(' ') + page},
                       &replies);
        seen = RemoteStamp{numberIn(replies.value(1)), timeIn(replies.value(0))};
    } else {
        result = stamp(remote.url, who, true, &seen);
    }
    if (result.succeeded())
        m_seen.insert(address, seen);
}

TransferResult TransferSession::upload(const QString &address, const QByteArray &data, const QString &login,
                                       const QString &password, bool checkUnchanged)
{
    TransferResult result;
    result.status = TransferResult::Failed;
    result.errorText = credentialsProblem(login, password);
    if (!result.errorText.isEmpty())
        return result;
    const RemoteAddress remote = parseAddress(address);
    // Asked once already in this command: a second try would only count as another failed login.
    const QString key = loginKey(remote, login, password);
    if (m_refusedLogins.contains(key))
        return m_refusedLogins.value(key);
    const Login who{true, login.toUtf8(), password.toUtf8()};
    m_target = remote;
    if (!remote.scheme->replacedByRename)
        return put(remote.url, who, data);
    return replaceWhole(address, data, who, checkUnchanged);
}

// The new page goes up under a hidden temporary name beside the page and takes its place only once
// the server holds all of it: the page on the server is the old one or the new one, never a part.
TransferResult TransferSession::replaceWhole(const QString &address, const QByteArray &data, const Login &login,
                                             bool checkUnchanged)
{
    const RemoteAddress remote = parseAddress(address);
    const SchemeInfo &scheme = *remote.scheme;
    const QString token = randomToken();
    const QString tempName = QLatin1Char('.') + remote.fileName + QStringLiteral(".newsadder-") + token
                             + QStringLiteral(".tmp");
    const QString tempPath = remote.folderPath + tempName;
    const QString pagePath = remote.folderPath + remote.fileName;
    const QByteArray tempUrl = remote.siblingUrl(tempName);
    const auto removeTemp = [&](const TransferResult &failure) {
        if (!serverGone(failure))
            quote(remote.folderUrl, login, {scheme.removeCommand(tempPath)});
        return failure;
    };

    TransferResult result = put(tempUrl, login, data);
    if (!result.succeeded())
        return partlyStored(result) ? removeTemp(result) : result;
    const bool checkPage = checkUnchanged && m_seen.contains(address);
    qint64 stored = -1;
    RemoteStamp now;
    result = facts(address, login, tempName, checkPage, &stored, &now);
    if (!result.succeeded())
        return removeTemp(result);
    if (stored != data.size()) {
        result.status = TransferResult::Failed;
        result.errorText = QCoreApplication::translate("NewsAdder", "сервер сохранил %1 байт из %2; страница на "
                                                                    "сервере осталась прежней.")
                               .arg(stored).arg(data.size());
        return removeTemp(result);
    }
    if (checkPage && now != m_seen.value(address)) {
        result.status = TransferResult::PageChanged;
        return removeTemp(result);
    }
    m_seen.remove(address);

    TransferResult renamed;
    if (!scheme.overSsh) {
        QStringList replies;
        renamed = quote(remote.folderUrl, login, scheme.renameCommands(tempPath, pagePath), &replies);
        // Only a refusal of the new name itself (the old name was taken) calls for the second way.
        if (renamed.succeeded() || renamed.curlCode != CURLE_QUOTE_ERROR || replies.size() != 2
            || replies.first().startsWith(QLatin1String("5")))
            return renamed.succeeded() ? renamed : removeTemp(renamed);
    }

    // Some servers will not rename onto an existing file: the old page steps aside first, and is
    // deleted only once the new one is in its place.
    const QString asidePath = remote.folderPath + QLatin1Char('.') + remote.fileName + QStringLiteral(".newsadder-")
                              + token + QStringLiteral(".old");
    const TransferResult aside = quote(remote.folderUrl, login, scheme.renameCommands(pagePath, asidePath));
    if (!aside.succeeded() && scheme.overSsh && !serverGone(aside)) {
        // No page to step aside (the first send): the new one takes a free name, or nothing changes.
        const TransferResult first = quote(remote.folderUrl, login, scheme.renameCommands(tempPath, pagePath));
        return first.succeeded() ? first : removeTemp(first);
    }
    if (!aside.succeeded())
        return removeTemp(scheme.overSsh ? aside : renamed);
    const TransferResult in = quote(remote.folderUrl, login, scheme.renameCommands(tempPath, pagePath));
    if (!in.succeeded()) {
        if (!serverGone(in))
            quote(remote.folderUrl, login, scheme.renameCommands(asidePath, pagePath));
        return removeTemp(in);
    }
    // Should this fail, a hidden copy of the old page stays behind; the page itself is complete.
    quote(remote.folderUrl, login, {scheme.removeCommand(asidePath)});
    return in;
}
