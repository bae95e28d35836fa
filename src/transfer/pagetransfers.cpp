// The session's downloads and uploads of the page, and the requests they are made of.
#include "transfer/transfersession.h"

#include "transfer/failurereason.h"
#include "transfer/ftpcommands.h"
#include "transfer/pagereplacement.h"

#include <QSaveFile>

#include <curl/curl.h>

#include <algorithm>

namespace {

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

    const bool remember = uploadAddress == address;
    if (!uploadAddress.isEmpty() && !remember)
        rememberPage(uploadAddress, login, password);

    m_target = remote;
    QSaveFile file(fileName);
    // A file that cannot be opened is reported after the transfer, so that a network failure wins.
    bool fileFailed = !file.open(QIODevice::WriteOnly);
    RemoteStamp seen;
    TransferResult result = fetch(remote, who, &file, &fileFailed, remember ? &seen : nullptr);
    if (who.given && !remote.hasUser && result.curlCode == CURLE_LOGIN_DENIED)
        m_logins.refuse(remote, login, password, result);
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
    if (!remote.scheme->replacedByRename || !m_logins.mayTry(remote, login, password))
        return;
    m_target = remote;
    RemoteStamp seen;
    if (pageStamp(remote, Login::of(login, password), &seen).succeeded())
        m_seen.insert(address, seen);
}

TransferResult TransferSession::upload(const QString &address, const QByteArray &data, const QString &login,
                                       const QString &password, bool checkUnchanged)
{
    const TransferResult checked = checkedCredentials(login, password);
    if (!checked.succeeded())
        return checked;
    const RemoteAddress remote = parseAddress(address);
    // Asked once already in this command: a second try would only count as another failed login.
    if (const TransferResult *refused = m_logins.refusal(remote, login, password))
        return *refused;
    const Login who = Login::of(login, password);
    m_target = remote;
    if (!remote.scheme->replacedByRename)
        return put(remote.url, who, data);
    return PageReplacement(*this, address, who).run(data, checkUnchanged);
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

TransferResult TransferSession::fetch(const RemoteAddress &remote, const Login &login, QSaveFile *file, bool *fileFailed,
                                      RemoteStamp *seen)
{
    prepare(remote.url, login);
    Sink sink{file, fileFailed};
    curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, writeToFile);
    curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(m_curl, CURLOPT_FILETIME, seen ? 1L : 0L);
    // FTP: curl would stop at the size the server announces and take that for the whole file. It
    // reads to the end instead, and the size, asked just before, is compared afterwards.
    const bool overFtp = remote.scheme->sizeCommand != nullptr;
    QStringList replies;
    curl_slist *asked = nullptr;
    if (overFtp) {
        asked = quoteList({sizeCommand(*remote.scheme, remote.folderPath + remote.fileName)}, true);
        curl_easy_setopt(m_curl, CURLOPT_PREQUOTE, asked);
        curl_easy_setopt(m_curl, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
        curl_easy_setopt(m_curl, CURLOPT_HEADERFUNCTION, collectReply);
        curl_easy_setopt(m_curl, CURLOPT_HEADERDATA, &replies);
    }
    TransferResult result = perform();
    curl_easy_setopt(m_curl, CURLOPT_PREQUOTE, nullptr);
    curl_slist_free_all(asked);
    curl_off_t arrived = -1;
    curl_easy_getinfo(m_curl, CURLINFO_SIZE_DOWNLOAD_T, &arrived);
    if (seen) {
        curl_off_t time = -1;
        curl_easy_getinfo(m_curl, CURLINFO_FILETIME_T, &time);
        *seen = RemoteStamp{qint64(arrived), qint64(time)};
    }
    // The reply that opened the transfer, and SIZE's just before it.
    int opening = replies.size() - 1;
    while (opening >= 0 && !opensTransfer(replies.at(opening)))
        --opening;
    if (result.succeeded() && opening >= 0) {
        for (const qint64 announced : {numberIn(replies.value(opening - 1)), announcedIn(replies.at(opening))}) {
            if (announced >= 0 && announced != qint64(arrived)) {
                result.status = TransferResult::Failed;
                result.errorText = sizeMismatch(announced, qint64(arrived));
                break;
            }
        }
    }
    return result;
}

TransferResult TransferSession::listFolder(const RemoteAddress &remote, const Login &login, QByteArray *listing)
{
    prepare(remote.folderUrl.toLatin1(), login);
    curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, appendToBytes);
    curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, listing);
    return perform();
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
