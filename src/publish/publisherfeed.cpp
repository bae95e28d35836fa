// The Atom feed beside the page, rebuilt from the page by every command that changed it.
#include "publish/publisher.h"

#include "page/atomfeed.h"
#include "publish/backupname.h"
#include "publish/settings.h"
#include "transfer/failurereason.h"

#include <QDir>
#include <QFile>
#include <QUrl>

namespace {

// The file name beside the address's file: addresses end in a file name (addressProblem).
QString beside(const QString &address, const QString &name)
{
    return address.left(address.lastIndexOf(QLatin1Char('/')) + 1) + QString::fromLatin1(QUrl::toPercentEncoding(name));
}

} // namespace

QString Publisher::writeFeed(const QByteArray &page)
{
    if (m_access.feedName.isEmpty() || !feedProblem(m_access.feedName, m_access.pageUrl).isEmpty())
        return QString();
    const QString from = beside(m_access.downloadAddress, m_access.feedName);
    const QString to = beside(m_access.uploadAddress, m_access.feedName);
    FeedSettings settings;
    settings.pageUrl = m_access.pageUrl.trimmed();
    settings.feedName = m_access.feedName;
    settings.itemCount = m_access.feedItems;
    settings.now = m_clock();

    // The feed on the server is read for the times of its corrections, and kept aside unless it is
    // this program's own, which the page rebuilds anyway.
    const QString kept = freeBackupName(settings.now, QDir::current(), QStringLiteral("feed_"));
    const TransferResult fetched = session().download(from, kept, m_access.login, m_access.password);
    if (fetched.status == TransferResult::SaveFailed)
        return localFileProblem(kept, LocalAccess::Write, fetched.errorText);
    if (!fetched.succeeded() && !fileMissing(fetched))
        return failureReason(fetched, from);
    if (fetched.succeeded()) {
        QFile file(kept);
        const QByteArray old = file.open(QIODevice::ReadOnly) ? file.read(OldFeedReadLimit + 1) : QByteArray();
        file.close();
        const OldFeed read = readOldFeed(old, settings.pageUrl);
        settings.old = read.entries;
        if (read.ours)
            QFile::remove(kept);
    }
    // Readable by the web server, also where the server makes new files private (vsftpd's umask 077).
    const int readableByAll = 0644;
    const TransferResult stored =
        session().upload(to, atomFeed(page, settings), m_access.login, m_access.password, false, readableByAll);
    return stored.succeeded() ? QString() : failureReason(stored, to);
}
