// The session's operations on files and folders beside the page: the server's own commands, and
// the facts of files asked in as few of them as the server allows.
#include "transfer/transfersession.h"

#include "transfer/failurereason.h"
#include "transfer/filemode.h"
#include "transfer/servercommands.h"

#include <curl/curl.h>

#include <algorithm>

namespace {

// Refusals among questions are answers too (no such file, no such command).
TransferResult answered(TransferResult result)
{
    if (result.curlCode == CURLE_QUOTE_ERROR)
        result.status = TransferResult::Succeeded;
    return result;
}

} // namespace

// Each command's refusal is read from its reply: curl, told of it, would take the connection for
// broken and log in anew for the next request.
TransferResult TransferSession::commands(const RemoteAddress &where, const Login &login, const QStringList &commands,
                                         QList<ServerReply> *replies)
{
    prepare(where, where.folderUrl.toLatin1(), login);
    // SFTP gives no replies to read, so there curl itself reports a refusal.
    curl_slist *list = quoteList(commands, !where.scheme->overSsh);
    QStringList lines;
    curl_easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(m_curl, CURLOPT_QUOTE, list);
    curl_easy_setopt(m_curl, CURLOPT_HEADERFUNCTION, collectLines);
    curl_easy_setopt(m_curl, CURLOPT_HEADERDATA, &lines);
    TransferResult result = perform();
    curl_easy_setopt(m_curl, CURLOPT_QUOTE, nullptr);
    curl_slist_free_all(list);
    // A new connection's greeting and login come first.
    const QList<ServerReply> all = repliesIn(lines);
    if (replies)
        *replies = all.mid(std::max(0, int(all.size() - commands.size())));
    readRefusal(commands, all, &result);
    return result;
}

TransferResult TransferSession::request(const RemoteAddress &target, const Login &login, const char *method)
{
    prepare(target, target.url, login);
    if (qstrcmp(method, "HEAD") == 0)
        curl_easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
    else
        curl_easy_setopt(m_curl, CURLOPT_CUSTOMREQUEST, method);
    return perform();
}

TransferResult TransferSession::makeFolder(const RemoteAddress &folder, const Login &login)
{
    return commands(folder, login, {folderCommand(*folder.scheme, FolderAction::Make, folder.serverPath)});
}

TransferResult TransferSession::removeFolder(const RemoteAddress &folder, const Login &login)
{
    return commands(folder, login, {folderCommand(*folder.scheme, FolderAction::Remove, folder.serverPath)});
}

TransferResult TransferSession::rename(const RemoteAddress &from, const RemoteAddress &to, const Login &login,
                                       QList<ServerReply> *replies)
{
    return commands(from, login, renameCommands(*from.scheme, from.serverPath, to.serverPath), replies);
}

TransferResult TransferSession::remove(const RemoteAddress &file, const Login &login)
{
    return commands(file, login, {removeCommand(*file.scheme, file.serverPath)});
}

TransferResult TransferSession::setMode(const RemoteAddress &file, const Login &login, int mode)
{
    return commands(file, login, {chmodCommand(*file.scheme, file.serverPath, mode)});
}

TransferResult TransferSession::facts(const Login &login, QVector<FactsAsked> *asked)
{
    if (asked->isEmpty())
        return TransferResult{TransferResult::Succeeded, QString()};
    if (asked->first().file.scheme->ftp) {
        const TransferResult result = ftpFacts(login, asked);
        if (!result.succeeded())
            return result;
    }
    return listedFacts(login, asked);
}

// MLST tells size, time and (asked for once per connection with OPTS MLST) the mode in one reply.
TransferResult TransferSession::ftpFacts(const Login &login, QVector<FactsAsked> *asked)
{
    const RemoteAddress &where = asked->first().file;
    ServerHabits &habits = m_habits[where.origin];
    if (habits.facts == ServerHabits::No)
        return TransferResult{TransferResult::Succeeded, QString()};
    QStringList questions;
    const bool options = !habits.factsOptionsAsked;
    if (options)
        questions << factsOptionsCommand();
    for (const FactsAsked &one : *asked)
        questions << factsCommand(one.file.serverPath);
    QList<ServerReply> replies;
    const TransferResult result = answered(commands(where, login, questions, &replies));
    if (!result.succeeded() || replies.size() != questions.size())
        return result;
    habits.factsOptionsAsked = options || habits.factsOptionsAsked;
    for (int i = 0; i < asked->size(); ++i) {
        const ServerReply &reply = replies.at(i + (options ? 1 : 0));
        if (reply.unknownCommand()) {
            habits.facts = ServerHabits::No;
            break;
        }
        habits.facts = ServerHabits::Yes;
        (*asked)[i].found = factsIn(reply);
    }
    return result;
}

// What MLST did not tell: the mode from a listing of the folder (with the sizes in it), time and
// size from MDTM and SIZE over FTP, from a stat elsewhere.
TransferResult TransferSession::listedFacts(const Login &login, QVector<FactsAsked> *asked)
{
    const auto lacking = [](const FactsAsked &one, RemoteFacts::Fact fact) {
        if (!(one.wanted & fact) || one.found.presence == RemoteFacts::Absent)
            return false;
        return fact == RemoteFacts::Size ? one.found.size < 0
                                         : fact == RemoteFacts::Time ? one.found.time < 0 : one.found.mode < 0;
    };
    QString listed;
    QByteArray listing;
    bool listingTold = false;
    for (FactsAsked &one : *asked) {
        if (!lacking(one, RemoteFacts::Mode) || one.file.scheme->replacedByRename == false)
            continue;
        if (listed != one.file.folderUrl) {
            const TransferResult result = listFolder(one.file, login, &listing);
            if (serverStoppedAnswering(result))
                return result;
            listingTold = result.succeeded();
            if (!listingTold)
                listing.clear();
            listed = one.file.folderUrl;
        }
        if (one.wanted & RemoteFacts::Folder) {
            one.found.mode = folderModeInListing(listing, one.file.fileName);
            if (listingTold)
                one.found.presence = one.found.mode == NotListed ? RemoteFacts::Absent : RemoteFacts::Present;
            continue;
        }
        one.found.mode = modeInListing(listing, one.file.fileName);
        if (one.found.size < 0)
            one.found.size = sizeInListing(listing, one.file.fileName);
    }
    const RemoteAddress &where = asked->first().file;
    if (!where.scheme->ftp) {
        for (FactsAsked &one : *asked) {
            const bool time = lacking(one, RemoteFacts::Time);
            if (!time && !lacking(one, RemoteFacts::Size))
                continue;
            RemoteStamp stamp;
            const TransferResult result = stat(one.file, login, time, &stamp);
            if (result.curlCode == CURLE_REMOTE_FILE_NOT_FOUND) {
                one.found.presence = RemoteFacts::Absent;
                continue;
            }
            if (!result.succeeded())
                return result;
            one.found.presence = RemoteFacts::Present;
            one.found.size = stamp.size;
            if (time)
                one.found.time = stamp.time;
        }
        return TransferResult{TransferResult::Succeeded, QString()};
    }
    QStringList questions;
    QList<QPair<int, RemoteFacts::Fact>> about;
    for (int i = 0; i < asked->size(); ++i) {
        const FactsAsked &one = asked->at(i);
        if (lacking(one, RemoteFacts::Size)) {
            questions << sizeCommand(one.file.serverPath);
            about.append({i, RemoteFacts::Size});
        }
        if (lacking(one, RemoteFacts::Time)) {
            questions << timeCommand(one.file.serverPath);
            about.append({i, RemoteFacts::Time});
        }
    }
    if (questions.isEmpty())
        return TransferResult{TransferResult::Succeeded, QString()};
    // Servers tell a size in binary mode only, and a listing leaves the connection in ASCII.
    if (std::any_of(about.cbegin(), about.cend(), [](const auto &one) { return one.second == RemoteFacts::Size; })) {
        questions.prepend(binaryTypeCommand());
        about.prepend({-1, RemoteFacts::Size});
    }
    QList<ServerReply> replies;
    const TransferResult result = answered(commands(where, login, questions, &replies));
    for (int i = 0; result.succeeded() && i < replies.size() && i < about.size(); ++i) {
        if (about.at(i).first < 0)
            continue;
        RemoteFacts &found = (*asked)[about.at(i).first].found;
        if (about.at(i).second == RemoteFacts::Size)
            found.size = numberIn(replies.at(i).text);
        else
            found.time = timeIn(replies.at(i).text);
    }
    return result;
}
