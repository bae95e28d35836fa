// The session's downloads and uploads of the page, and the requests they are made of.
#include "transfer/transfersession.h"

#include "transfer/failurereason.h"
#include "transfer/pagereplacement.h"
#include "transfer/servercommands.h"

#include <QBuffer>
#include <QSaveFile>

#include <curl/curl.h>

#include <algorithm>

#include <sys/mman.h>
#include <unistd.h>

namespace {

// Room kept after a page held in memory, so that the item goes in without moving the page again.
const qint64 ItemRoom = 64 * 1024;
// A size the server announces is believed up to this much; a larger page grows as it comes.
const qint64 MaxReserved = 64 * 1024 * 1024;

struct Sink
{
    QIODevice *device;
    bool *failed;
    CURL *curl;
    qint64 expected;  // the size known before the transfer, or -1
    bool started;
};

// The memory the page will fill, made ready in one step: touched a page at a time, 10 MB cost 2,560
// page faults, 40 ms on a virtual machine. Large pages where the system allows them.
void prepareMemory(char *start, qint64 size)
{
    const quintptr pageSize = quintptr(sysconf(_SC_PAGESIZE));
    const quintptr first = (quintptr(start) + pageSize - 1) & ~(pageSize - 1);
    const quintptr end = (quintptr(start) + quintptr(size)) & ~(pageSize - 1);
    if (end <= first)
        return;
    void *aligned = reinterpret_cast<void *>(first);
    madvise(aligned, end - first, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
    madvise(aligned, end - first, MADV_POPULATE_WRITE);  // Linux 5.14 on; refused harmlessly before
#endif
}

// A page held in memory gets its whole size at once: growing by doubling copied it and touched
// fresh memory several times over.
void reserveForPage(const Sink &sink)
{
    QBuffer *buffer = qobject_cast<QBuffer *>(sink.device);
    if (!buffer)
        return;
    curl_off_t size = sink.expected;
    if (size < 0)
        curl_easy_getinfo(sink.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size);
    if (size <= 0 || size > MaxReserved)
        return;
    QByteArray &page = buffer->buffer();
    page.reserve(int(size + ItemRoom));
    prepareMemory(page.data(), size);
}

size_t writeToDevice(char *data, size_t size, size_t count, void *sink)
{
    Sink *target = static_cast<Sink *>(sink);
    if (!target->started) {
        target->started = true;
        reserveForPage(*target);
    }
    const qint64 length = qint64(size * count);
    // Once the disk has refused, the rest is taken and dropped, so that a network failure still wins.
    if (!*target->failed && target->device->write(data, length) != length)
        *target->failed = true;
    return size * count;
}

struct Source
{
    const QByteArray *data;
    qint64 offset;
};

size_t appendToBytes(char *data, size_t size, size_t count, void *bytes)
{
    static_cast<QByteArray *>(bytes)->append(data, int(size * count));
    return size * count;
}

size_t readFromData(char *buffer, size_t size, size_t count, void *source)
{
    Source *from = static_cast<Source *>(source);
    const qint64 length = std::min<qint64>(qint64(size * count), from->data->size() - from->offset);
    std::copy_n(from->data->constData() + from->offset, length, buffer);
    from->offset += length;
    return size_t(length);
}

} // namespace

TransferResult TransferSession::download(const QString &address, const QString &fileName, const QString &login,
                                         const QString &password, const QString &uploadAddress)
{
    QSaveFile file(fileName);
    // A file that cannot be opened is reported after the transfer, so that a network failure wins.
    bool fileFailed = !file.open(QIODevice::WriteOnly);
    TransferResult result = downloadInto(address, &file, &fileFailed, login, password, uploadAddress);
    // commit() alone can accept a short file when the disk fills, so the writes and the flush count too.
    if (result.succeeded() && (fileFailed || !file.flush() || !file.commit()))
        result = TransferResult{TransferResult::SaveFailed, file.errorString()};
    if (file.isOpen())
        file.cancelWriting();
    return result;
}

TransferResult TransferSession::download(const QString &address, QByteArray *page, const QString &login,
                                         const QString &password, const QString &uploadAddress)
{
    page->clear();
    QBuffer buffer(page);
    buffer.open(QIODevice::WriteOnly);
    bool failed = false;
    const TransferResult result = downloadInto(address, &buffer, &failed, login, password, uploadAddress);
    if (!result.succeeded())
        page->clear();
    return result;
}

TransferResult TransferSession::downloadInto(const QString &address, QIODevice *into, bool *intoFailed,
                                             const QString &login, const QString &password,
                                             const QString &uploadAddress)
{
    const RemoteAddress remote = parseAddress(address);
    Login who;
    if (remote.hasUser) {
        const TransferResult checked = checkedCredentials(remote.userName, remote.password);
        if (!checked.succeeded())
            return checked;
        who = Login::of(remote.userName, remote.password);
    } else if (!login.isEmpty()) {
        const TransferResult checked = checkedCredentials(login, password);
        if (!checked.succeeded())
            return checked;
        // Refused once in this command: a second try would only count as another failed login.
        if (const TransferResult *refused = m_logins.refusal(remote, login, password))
            return *refused;
        who = Login::of(login, password);
    } else if (remote.scheme->overSsh) {
        // SSH knows no anonymous login: curl would log in with an empty user name.
        return TransferResult{TransferResult::Failed, noLoginOverSsh()};
    }

    const bool remember = uploadAddress == address && remote.scheme->replacedByRename;
    if (!uploadAddress.isEmpty() && uploadAddress != address)
        rememberPage(uploadAddress, login, password);

    // The size and time an upload compares with are asked together where the server allows it.
    QVector<FactsAsked> asked{{remote, RemoteFacts::Size | RemoteFacts::Time, RemoteFacts()}};
    TransferResult result{TransferResult::Succeeded, QString()};
    // Without MLST the download asks SIZE and MDTM itself, once curl has made the connection binary.
    if (remember && remote.scheme->ftp)
        result = ftpFacts(who, &asked);
    RemoteStamp seen;
    if (result.succeeded())
        result = fetch(remote, who, into, intoFailed, asked.first().found, remember ? &seen : nullptr);
    if (who.given && !remote.hasUser && result.curlCode == CURLE_LOGIN_DENIED)
        m_logins.refuse(remote, login, password, result);
    if (result.succeeded() && remember)
        m_seen.insert(address, seen);
    return result;
}

void TransferSession::rememberPage(const QString &address, const QString &login, const QString &password)
{
    const RemoteAddress remote = parseAddress(address);
    if (!remote.scheme->replacedByRename || !m_logins.mayTry(remote, login, password))
        return;
    QVector<FactsAsked> asked{{remote, RemoteFacts::Size | RemoteFacts::Time, RemoteFacts()}};
    if (facts(Login::of(login, password), &asked).succeeded())
        m_seen.insert(address, asked.first().found.stamp());
}

TransferResult TransferSession::upload(const QString &address, const QByteArray &data, const QString &login,
                                       const QString &password, bool checkUnchanged, int newFileMode)
{
    const TransferResult checked = checkedCredentials(login, password);
    if (!checked.succeeded())
        return checked;
    const RemoteAddress remote = parseAddress(address);
    // Asked once already in this command: a second try would only count as another failed login.
    if (const TransferResult *refused = m_logins.refusal(remote, login, password))
        return *refused;
    const Login who = Login::of(login, password);
    if (!remote.scheme->replacedByRename)
        return store(remote, who, data);
    const bool checkPage = checkUnchanged && m_seen.contains(address);
    const RemoteStamp expected = m_seen.take(address);
    const TransferResult result = PageReplacement(*this, remote, who).run(data, checkPage ? &expected : nullptr, newFileMode);
    // Not replaced: the next try compares with the same page.
    if (result.status == TransferResult::PageChanged)
        m_seen.insert(address, expected);
    return result;
}

TransferResult TransferSession::store(const RemoteAddress &file, const Login &login, const QByteArray &data)
{
    prepare(file, file.url, login);
    Source source{&data, 0};
    curl_easy_setopt(m_curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(m_curl, CURLOPT_READFUNCTION, readFromData);
    curl_easy_setopt(m_curl, CURLOPT_READDATA, &source);
    curl_easy_setopt(m_curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(data.size()));
    return perform();
}

TransferResult TransferSession::fetch(const RemoteAddress &file, const Login &login, QIODevice *into,
                                      bool *intoFailed, const RemoteFacts &known, RemoteStamp *arrived)
{
    prepare(file, file.url, login);
    Sink sink{into, intoFailed, m_curl, known.size, false};
    curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, writeToDevice);
    curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(m_curl, CURLOPT_FILETIME, arrived && known.time < 0 ? 1L : 0L);
    // FTP: curl would stop at the size the server announces and take that for the whole file. It
    // reads to the end instead, and the size, known or asked just before, is compared afterwards.
    QStringList lines;
    curl_slist *asked = nullptr;
    if (file.scheme->ftp) {
        if (known.size < 0) {
            asked = quoteList({sizeCommand(file.serverPath)}, true);
            curl_easy_setopt(m_curl, CURLOPT_PREQUOTE, asked);
        }
        curl_easy_setopt(m_curl, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
        curl_easy_setopt(m_curl, CURLOPT_HEADERFUNCTION, collectLines);
        curl_easy_setopt(m_curl, CURLOPT_HEADERDATA, &lines);
    }
    TransferResult result = perform();
    curl_easy_setopt(m_curl, CURLOPT_PREQUOTE, nullptr);
    curl_slist_free_all(asked);
    curl_off_t size = -1;
    curl_easy_getinfo(m_curl, CURLINFO_SIZE_DOWNLOAD_T, &size);
    if (arrived) {
        curl_off_t time = known.time;
        if (known.time < 0)
            curl_easy_getinfo(m_curl, CURLINFO_FILETIME_T, &time);
        *arrived = RemoteStamp{qint64(size), qint64(time)};
    }
    // The reply that opened the transfer, and SIZE's just before it.
    const QList<ServerReply> replies = repliesIn(lines);
    int opening = replies.size() - 1;
    while (opening >= 0 && !opensTransfer(replies.at(opening).text))
        --opening;
    if (result.succeeded() && file.scheme->ftp) {
        const qint64 sized = known.size >= 0 || opening < 1 ? known.size : numberIn(replies.at(opening - 1).text);
        const qint64 opened = opening >= 0 ? announcedIn(replies.at(opening).text) : -1;
        for (const qint64 announced : {sized, opened}) {
            if (announced >= 0 && announced != qint64(size)) {
                result.status = TransferResult::Failed;
                result.errorText = sizeMismatch(announced, qint64(size));
                break;
            }
        }
    }
    return result;
}

TransferResult TransferSession::listFolder(const RemoteAddress &file, const Login &login, QByteArray *listing,
                                           bool namesWanted)
{
    if (!file.scheme->ftp)
        return list(file, login, QString(), listing);
    ServerHabits &habits = m_habits[file.origin];
    QStringList ways = listCommands().mid(habits.listing);
    if (namesWanted && habits.facts == ServerHabits::Yes)
        ways.prepend(namesCommand());
    TransferResult result;
    for (const QString &way : qAsConst(ways)) {
        listing->clear();
        result = list(file, login, way, listing);
        if (result.succeeded() && way != namesCommand())
            habits.listing = listCommands().indexOf(way);
        // ls options are a convention, not the protocol: a server may refuse them, or the folder.
        if (result.succeeded() || result.responseCode < 500 || serverStoppedAnswering(result))
            break;
    }
    return result;
}

TransferResult TransferSession::list(const RemoteAddress &file, const Login &login, const QString &command,
                                     QByteArray *listing)
{
    prepare(file, file.folderUrl.toLatin1(), login);
    if (!command.isEmpty())
        curl_easy_setopt(m_curl, CURLOPT_CUSTOMREQUEST, command.toLatin1().constData());
    curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, appendToBytes);
    curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, listing);
    return perform();
}

TransferResult TransferSession::stat(const RemoteAddress &file, const Login &login, bool withTime, RemoteStamp *seen)
{
    prepare(file, file.url, login);
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
