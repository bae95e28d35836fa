#ifndef SITECHECK_H
#define SITECHECK_H

#include "publish/publisher.h"

#include <QString>
#include <QStringList>

#include <functional>

class TransferSession;
class UserInterface;

// A site's settings tried before they are saved, in the steps a send takes up to its download and
// no more: connected and logged in (the page's lock folder made, as a send does first), the page
// downloaded, its marker and items, the feed's link when there is a feed, then the lock folder
// removed, which shows that the page's folder takes writes. Nothing else is written.
// Each step gives one line, "✓ …" or "✗ …" with the reason.
class SiteCheck
{
public:
    explicit SiteCheck(UserInterface &user);
    ~SiteCheck();
    SiteCheck(const SiteCheck &) = delete;
    SiteCheck &operator=(const SiteCheck &) = delete;

    // known_hosts: the file an SSH server's trusted key is written to. feed: the feed's file name,
    // empty for none. report is called with each line as it is known; true when every step passed.
    bool run(const ServerAccess &access, const QString &knownHosts, const QString &feed,
             const std::function<void(const QString &line)> &report);
    bool isRunning() const { return m_session != nullptr; }
    // The running check ends at once (its lock folder still removed), with a line that says so.
    void stop();

private:
    bool steps(TransferSession &session, const ServerAccess &access, const QString &feed);
    bool fail(const QString &text);
    void pass(const QString &text);

    UserInterface &m_user;
    TransferSession *m_session = nullptr;
    bool m_stopped = false;
    std::function<void(const QString &)> m_report;
};

#endif // SITECHECK_H
