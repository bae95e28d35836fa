#ifndef PAGEREPLACEMENT_H
#define PAGEREPLACEMENT_H

#include "transfer/loginpolicy.h"
#include "transfer/remoteaddress.h"
#include "transfer/transferresult.h"

#include <QByteArray>
#include <QString>

class TransferSession;

// The hidden names beside the page that one replacement of it uses: the new page's while it goes
// up, the old page's while it steps aside. Both start with the page's name and ".newsadder-".
struct ReplacementNames
{
    QString temporary;  // ".news.html.newsadder-XXXXXXXX.tmp"
    QString setAside;   // ".news.html.newsadder-XXXXXXXX.old"

    // Names no other replacement of pageName uses.
    static ReplacementNames fresh(const QString &pageName);
};

// The new page goes up under a hidden temporary name beside the page and takes its place only once
// the server holds all of it: the page on the server is the old one or the new one, never a part.
// For addresses whose scheme is replacedByRename, over the session's connection.
class PageReplacement
{
public:
    PageReplacement(TransferSession &session, const RemoteAddress &page, const Login &login);

    // With expected, the page must still have that size and time (else PageChanged, nothing replaced).
    // A file made new gets newFileMode where given, as the server may make it private.
    TransferResult run(const QByteArray &data, const RemoteStamp *expected, int newFileMode = -1);

private:
    // The temporary file is removed after failure unless the server is gone; failure is returned.
    TransferResult removeTemporary(const TransferResult &failure);
    TransferResult renameViaAside(const TransferResult &renamed);
    TransferResult putBack(const TransferResult &failure);
    // Gives the temporary file the page's mode; inPlace when the server lets that be neither read nor set.
    TransferResult giveMode(const RemoteFacts &temporary, const RemoteFacts &page, int newFileMode, bool *inPlace);

    TransferSession &m_session;
    const RemoteAddress m_page;
    const Login m_login;
    const ReplacementNames m_names;
    const RemoteAddress m_temporary;
    const RemoteAddress m_aside;
};

#endif // PAGEREPLACEMENT_H
