#include "transfer/pagereplacement.h"

#include "transfer/failurereason.h"
#include "transfer/filemode.h"
#include "transfer/transfersession.h"

#include <QRandomGenerator>

#include <algorithm>

#include <curl/curl.h>

namespace {


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

PageReplacement::PageReplacement(TransferSession &session, const RemoteAddress &page, const Login &login)
    : m_session(session)
    , m_page(page)
    , m_login(login)
    , m_names(ReplacementNames::fresh(page.fileName))
    , m_temporary(page.sibling(m_names.temporary))
    , m_aside(page.sibling(m_names.setAside))
{
}

TransferResult PageReplacement::run(const QByteArray &data, const RemoteStamp *expected, int newFileMode)
{
    TransferResult result = m_session.store(m_temporary, m_login, data);
    if (!result.succeeded())
        return partlyStored(result) ? removeTemporary(result) : result;
    // What the rename needs to know, asked together.
    const int pageFacts = RemoteFacts::Mode | (expected ? RemoteFacts::Size | RemoteFacts::Time : 0);
    QVector<FactsAsked> asked{{m_temporary, RemoteFacts::Size | RemoteFacts::Mode, RemoteFacts()},
                              {m_page, pageFacts, RemoteFacts()}};
    result = m_session.facts(m_login, &asked);
    if (!result.succeeded())
        return removeTemporary(result);
    const RemoteFacts &temporary = asked.at(0).found;
    const RemoteFacts &page = asked.at(1).found;
    if (temporary.size != data.size()) {
        result.status = TransferResult::Failed;
        result.errorText = partlyStoredPage(temporary.size, data.size());
        return removeTemporary(result);
    }
    if (expected && page.stamp() != *expected) {
        result.status = TransferResult::PageChanged;
        return removeTemporary(result);
    }

    bool inPlace = false;
    result = giveMode(temporary, page, newFileMode, &inPlace);
    if (!result.succeeded())
        return removeTemporary(result);
    if (inPlace) {
        // Written over where it lies, the page keeps its mode; the backup has been taken.
        result = m_session.store(m_page, m_login, data);
        removeTemporary(result);
        return result;
    }

    TransferResult renamed;
    if (!m_page.scheme->overSsh) {
        QList<ServerReply> replies;
        renamed = m_session.rename(m_temporary, m_page, m_login, &replies);
        // Only a refusal of the new name itself (the old name was taken) calls for the second way.
        if (renamed.succeeded() || renamed.curlCode != CURLE_QUOTE_ERROR || replies.size() != 2
            || replies.first().code >= 500)
            return renamed.succeeded() ? renamed : removeTemporary(renamed);
    }
    return renameViaAside(renamed);
}

// Some servers will not rename onto an existing file: the old page steps aside first, and is
// deleted only once the new one is in its place.
TransferResult PageReplacement::renameViaAside(const TransferResult &renamed)
{
    const bool overSsh = m_page.scheme->overSsh;
    const TransferResult aside = m_session.rename(m_page, m_aside, m_login);
    if (!aside.succeeded() && overSsh && !serverStoppedAnswering(aside)) {
        // No page to step aside (the first send): the new one takes a free name, or nothing changes.
        const TransferResult first = m_session.rename(m_temporary, m_page, m_login);
        return first.succeeded() ? first : removeTemporary(first);
    }
    if (!aside.succeeded()) {
        // Cut short, the rename may still have been done: the page goes back, if it went.
        if (serverStoppedAnswering(aside))
            putBack(aside);
        return removeTemporary(overSsh ? aside : renamed);
    }
    const TransferResult in = m_session.rename(m_temporary, m_page, m_login);
    if (!in.succeeded())
        return putBack(in);
    // Should this fail, a hidden copy of the old page stays behind; the page itself is complete.
    m_session.remove(m_aside, m_login);
    return in;
}

// The old page back under its name after failure, on a fresh connection if the server stopped
// answering on this one; failure is returned, saying where the page is should it stay aside.
TransferResult PageReplacement::putBack(const TransferResult &failure)
{
    if (m_session.rename(m_aside, m_page, m_login).succeeded()) {
        m_session.remove(m_temporary, m_login);
        return failure;
    }
    TransferResult missing = failure;
    missing.errorText = failureReason(failure, QString::fromLatin1(m_page.url)) + QLatin1Char(' ')
                        + pageMissing(m_names.setAside);
    return removeTemporary(missing);
}

// A new file may be made for its owner alone (vsftpd's local_umask=077): renamed over the page as
// it is, it would leave the page unreadable to the web server.
TransferResult PageReplacement::giveMode(const RemoteFacts &temporary, const RemoteFacts &page, int newFileMode,
                                         bool *inPlace)
{
    const TransferResult done{TransferResult::Succeeded, QString()};
    // A new file that must be readable all the same (a listing without it tells it is new): a server
    // that will not set modes leaves it as made.
    const bool absent = page.presence == RemoteFacts::Absent || page.mode == NotListed;
    if (absent && newFileMode >= 0 && temporary.mode != newFileMode) {
        const TransferResult set = m_session.setMode(m_temporary, m_login, newFileMode);
        return set.succeeded() || serverStoppedAnswering(set) ? set : done;
    }
    // No page yet: the new one takes the mode the server gives it.
    if (page.presence == RemoteFacts::Absent || page.mode == NotListed || (page.mode >= 0 && page.mode == temporary.mode))
        return done;
    if (page.mode >= 0) {
        const TransferResult set = m_session.setMode(m_temporary, m_login, page.mode);
        if (set.succeeded() || serverStoppedAnswering(set))
            return set;
    }
    *inPlace = true;
    return done;
}

TransferResult PageReplacement::removeTemporary(const TransferResult &failure)
{
    if (!serverStoppedAnswering(failure))
        m_session.remove(m_temporary, m_login);
    return failure;
}
