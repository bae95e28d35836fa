#include "transfer/pagereplacement.h"

#include "transfer/failurereason.h"
#include "transfer/filemode.h"
#include "transfer/transfersession.h"

#include <QRandomGenerator>

#include <algorithm>

#include <curl/curl.h>

namespace {

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

ReplacementNames ReplacementNames::fresh(const QString &pageName)
{
    const QString token = QString::number(QRandomGenerator::global()->generate() | 0x10000000u, 16);
    const QString stem = QLatin1Char('.') + pageName + QStringLiteral(".newsadder-") + token;
    return {stem + QStringLiteral(".tmp"), stem + QStringLiteral(".old")};
}

PageReplacement::PageReplacement(TransferSession &session, const QString &address, const Login &login)
    : m_session(session)
    , m_address(address)
    , m_remote(parseAddress(address))
    , m_login(login)
    , m_names(ReplacementNames::fresh(m_remote.fileName))
    , m_pagePath(m_remote.folderPath + m_remote.fileName)
    , m_tempPath(m_remote.folderPath + m_names.temporary)
    , m_asidePath(m_remote.folderPath + m_names.setAside)
{
}

TransferResult PageReplacement::run(const QByteArray &data, bool checkUnchanged)
{
    TransferResult result = m_session.put(m_remote.siblingUrl(m_names.temporary), m_login, data);
    if (!result.succeeded())
        return partlyStored(result) ? removeTemporary(result) : result;
    const bool checkPage = checkUnchanged && m_session.m_seen.contains(m_address);
    qint64 stored = -1;
    RemoteStamp now;
    result = m_session.facts(m_remote, m_login, m_names.temporary, checkPage, &stored, &now);
    if (!result.succeeded())
        return removeTemporary(result);
    if (stored != data.size()) {
        result.status = TransferResult::Failed;
        result.errorText = partlyStoredPage(stored, data.size());
        return removeTemporary(result);
    }
    if (checkPage && now != m_session.m_seen.value(m_address)) {
        result.status = TransferResult::PageChanged;
        return removeTemporary(result);
    }
    m_session.m_seen.remove(m_address);

    bool inPlace = false;
    result = giveMode(&inPlace);
    if (!result.succeeded())
        return removeTemporary(result);
    if (inPlace) {
        // Written over where it lies, the page keeps its mode; the backup has been taken.
        result = m_session.put(m_remote.url, m_login, data);
        removeTemporary(result);
        return result;
    }

    TransferResult renamed;
    if (!m_remote.scheme->overSsh) {
        QStringList replies;
        renamed = rename(m_tempPath, m_pagePath, &replies);
        // Only a refusal of the new name itself (the old name was taken) calls for the second way.
        if (renamed.succeeded() || renamed.curlCode != CURLE_QUOTE_ERROR || replies.size() != 2
            || replies.first().startsWith(QLatin1String("5")))
            return renamed.succeeded() ? renamed : removeTemporary(renamed);
    }
    return renameViaAside(renamed);
}

// Some servers will not rename onto an existing file: the old page steps aside first, and is
// deleted only once the new one is in its place.
TransferResult PageReplacement::renameViaAside(const TransferResult &renamed)
{
    const bool overSsh = m_remote.scheme->overSsh;
    const TransferResult aside = rename(m_pagePath, m_asidePath);
    if (!aside.succeeded() && overSsh && !serverGone(aside)) {
        // No page to step aside (the first send): the new one takes a free name, or nothing changes.
        const TransferResult first = rename(m_tempPath, m_pagePath);
        return first.succeeded() ? first : removeTemporary(first);
    }
    if (!aside.succeeded()) {
        // Cut short, the rename may still have been done: the page goes back, if it went.
        if (serverGone(aside))
            putBack(aside);
        return removeTemporary(overSsh ? aside : renamed);
    }
    const TransferResult in = rename(m_tempPath, m_pagePath);
    if (!in.succeeded())
        return putBack(in);
    // Should this fail, a hidden copy of the old page stays behind; the page itself is complete.
    m_session.quote(m_remote.folderUrl, m_login, {m_remote.scheme->removeCommand(m_asidePath)});
    return in;
}

// The old page back under its name after failure, on a fresh connection if the server stopped
// answering on this one; failure is returned, saying where the page is should it stay aside.
TransferResult PageReplacement::putBack(const TransferResult &failure)
{
    if (rename(m_asidePath, m_pagePath).succeeded()) {
        m_session.quote(m_remote.folderUrl, m_login, {m_remote.scheme->removeCommand(m_tempPath)});
        return failure;
    }
    TransferResult missing = failure;
    missing.errorText = failureReason(failure, m_address) + QLatin1Char(' ') + pageMissing(m_names.setAside);
    return removeTemporary(missing);
}

// A new file may be made for its owner alone (vsftpd's local_umask=077): renamed over the page as
// it is, it would leave the page unreadable to the web server.
TransferResult PageReplacement::giveMode(bool *inPlace)
{
    int pageMode = -1;
    int tempMode = -1;
    TransferResult result;
    if (!m_remote.scheme->overSsh) {
        QStringList lines;
        result = m_session.quote(m_remote.folderUrl, m_login, {QStringLiteral("MLST ") + m_pagePath}, nullptr, &lines);
        if (serverGone(result))
            return result;
        for (const QString &line : lines)
            pageMode = std::max(pageMode, modeInFacts(line));
    }
    if (pageMode < 0) {
        QByteArray listing;
        result = m_session.listFolder(m_remote, m_login, &listing);
        if (serverGone(result))
            return result;
        if (result.succeeded()) {
            pageMode = modeInListing(listing, m_remote.fileName);
            tempMode = modeInListing(listing, m_names.temporary);
        }
    }
    result = TransferResult{TransferResult::Succeeded, QString()};
    // No page yet: the new one takes the mode the server gives it.
    if (pageMode == NotListed || (pageMode >= 0 && pageMode == tempMode))
        return result;
    if (pageMode >= 0) {
        const TransferResult set = m_session.quote(m_remote.folderUrl, m_login,
                                                   {m_remote.scheme->chmodCommand(m_tempPath, modeText(pageMode))});
        if (set.succeeded() || serverGone(set))
            return set;
    }
    *inPlace = true;
    return result;
}

TransferResult PageReplacement::removeTemporary(const TransferResult &failure)
{
    if (!serverGone(failure))
        m_session.quote(m_remote.folderUrl, m_login, {m_remote.scheme->removeCommand(m_tempPath)});
    return failure;
}

TransferResult PageReplacement::rename(const QString &from, const QString &to, QStringList *replies)
{
    return m_session.quote(m_remote.folderUrl, m_login, m_remote.scheme->renameCommands(from, to), replies);
}
