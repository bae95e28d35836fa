#include "transfer/ftpcommands.h"

#include "transfer/remoteaddress.h"
#include "transfer/transfersession.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QRegularExpression>

#include <curl/curl.h>

curl_slist *quoteList(const QStringList &commands, bool mayFail)
{
    curl_slist *list = nullptr;
    const QByteArray prefix = mayFail ? "*" : "";
    for (const QString &command : commands)
        list = curl_slist_append(list, (prefix + command.toUtf8()).constData());
    return list;
}

size_t collectReply(char *data, size_t size, size_t count, void *replies)
{
    const QByteArray line = QByteArray(data, int(size * count)).trimmed();
    if (line.size() >= 4 && line.at(3) == ' ')
        static_cast<QStringList *>(replies)->append(QString::fromUtf8(line));
    return size * count;
}

size_t collectLines(char *data, size_t size, size_t count, void *lines)
{
    static_cast<QStringList *>(lines)->append(QString::fromUtf8(QByteArray(data, int(size * count)).trimmed()));
    return size * count;
}

void readRefusal(const QStringList &commands, const QStringList &replies, TransferResult *result)
{
    if (!result->succeeded() || replies.size() < commands.size() || replies.last().startsWith('2'))
        return;
    result->status = TransferResult::Failed;
    result->curlCode = CURLE_QUOTE_ERROR;
    result->responseCode = replies.last().left(3).toLong();
    result->curlError = result->errorText = QCoreApplication::translate("NewsAdder", "сервер ответил на %1: %2")
                                                .arg(commands.last().section(' ', 0, 0), replies.last());
}

QString sizeCommand(const SchemeInfo &scheme, const QString &path)
{
    return QLatin1String(scheme.sizeCommand) + QLatin1Char(' ') + path;
}

QStringList stampCommands(const SchemeInfo &scheme, const QString &path)
{
    return {QLatin1String(scheme.timeCommand) + QLatin1Char(' ') + path, sizeCommand(scheme, path)};
}

RemoteStamp stampIn(const QStringList &replies, int first)
{
    return RemoteStamp{numberIn(replies.value(first + 1)), timeIn(replies.value(first))};
}

qint64 numberIn(const QString &reply)
{
    bool ok = false;
    const qint64 number = reply.startsWith(QLatin1String("213 ")) ? reply.mid(4).toLongLong(&ok) : -1;
    return ok ? number : -1;
}

bool opensTransfer(const QString &reply)
{
    return reply.startsWith(QLatin1String("150 ")) || reply.startsWith(QLatin1String("125 "));
}

qint64 announcedIn(const QString &reply)
{
    static const QRegularExpression bytes(QStringLiteral("\\((\\d+) bytes\\)"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = bytes.match(reply);
    bool ok = false;
    const qint64 size = opensTransfer(reply) && match.hasMatch() ? match.captured(1).toLongLong(&ok) : -1;
    return ok ? size : -1;
}

// As curl reads it for a download's file time.
qint64 timeIn(const QString &reply)
{
    if (!reply.startsWith(QLatin1String("213 ")))
        return -1;
    QDateTime time = QDateTime::fromString(reply.mid(4, 14), QStringLiteral("yyyyMMddHHmmss"));
    time.setTimeSpec(Qt::UTC);
    return time.isValid() ? time.toSecsSinceEpoch() : -1;
}

// Each command's refusal is read from its reply in replies: curl, told of it, would take the
// connection for broken and log in anew for the next request.
TransferResult TransferSession::quote(const QString &folderUrl, const Login &login, const QStringList &commands,
                                      QStringList *replies, QStringList *lines)
{
    prepare(folderUrl.toLatin1(), login);
    // SFTP gives no replies to read, so there curl itself reports a refusal.
    curl_slist *list = quoteList(commands, !m_target.scheme->overSsh);
    QStringList every;
    curl_easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(m_curl, CURLOPT_QUOTE, list);
    curl_easy_setopt(m_curl, CURLOPT_HEADERFUNCTION, collectLines);
    curl_easy_setopt(m_curl, CURLOPT_HEADERDATA, &every);
    TransferResult result = perform();
    curl_easy_setopt(m_curl, CURLOPT_QUOTE, nullptr);
    curl_slist_free_all(list);
    QStringList all;
    for (const QString &line : every) {
        if (line.size() >= 4 && line.at(3) == QLatin1Char(' '))
            all << line;
    }
    if (lines)
        *lines = every;
    if (replies)
        *replies = all.mid(all.size() - commands.size());
    readRefusal(commands, all, &result);
    return result;
}

// The page's size and time as the server reports them, -1 for what it cannot say.
TransferResult TransferSession::pageStamp(const RemoteAddress &remote, const Login &login, RemoteStamp *page)
{
    if (!remote.scheme->sizeCommand)
        return stamp(remote.url, login, true, page);
    QStringList replies;
    const TransferResult result = quote(remote.folderUrl, login,
                                        stampCommands(*remote.scheme, remote.folderPath + remote.fileName), &replies);
    *page = stampIn(replies, 0);
    return result;
}

// The size the server reports for the uploaded temporary file and, withPage, the page's size and
// time; -1 for what it cannot say.
TransferResult TransferSession::facts(const RemoteAddress &remote, const Login &login, const QString &tempName,
                                      bool withPage, qint64 *tempSize, RemoteStamp *page)
{
    const SchemeInfo &scheme = *remote.scheme;
    if (scheme.sizeCommand) {
        QStringList commands{sizeCommand(scheme, remote.folderPath + tempName)};
        if (withPage)
            commands << stampCommands(scheme, remote.folderPath + remote.fileName);
        QStringList replies;
        TransferResult result = quote(remote.folderUrl, login, commands, &replies);
        // Refusals here are facts too (no such file): only the last one would have failed the list.
        if (result.curlCode == CURLE_QUOTE_ERROR)
            result.status = TransferResult::Succeeded;
        *tempSize = numberIn(replies.value(0));
        if (withPage)
            *page = stampIn(replies, 1);
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
