#ifndef ATOMFEED_H
#define ATOMFEED_H

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTimeZone>
#include <QVector>

// Entries a feed holds unless the settings' key feeditems says otherwise, and the most it may say.
const int DefaultFeedItems = 50;
const int MaxFeedItems = 1000;
// Of the feed on the server no more than this is read.
const int OldFeedReadLimit = 8 * 1024 * 1024;

// What the feed on the server held of one entry: the only things a new feed takes from it.
struct FeedEntry
{
    QString id;
    QString content;    // the markup, unescaped
    QDateTime updated;  // invalid when it had none that reads
};

struct OldFeed
{
    QVector<FeedEntry> entries;
    // A feed this program wrote for the page: Atom, its generator and the page's address as its id,
    // read to its end. Anything else is someone else's file, kept aside before it is replaced.
    bool ours = false;
};

// The feed on the server, as far as it reads as Atom within its first 8 MB; empty bytes: no feed.
OldFeed readOldFeed(const QByteArray &feed, const QString &pageUrl);

struct FeedSettings
{
    QString pageUrl;   // the page's public address, absolute
    QString feedName;  // the feed's file name beside the page
    int itemCount = DefaultFeedItems;
    QDateTime now;     // the command's time: a corrected entry's updated
    QTimeZone zone = QTimeZone::systemTimeZone();  // the editor's, in which the items' dates are written
    QVector<FeedEntry> old;
};

// The Atom feed (RFC 4287, UTF-8) of the page's items in the program's shape, the newest
// settings.itemCount of them, newest first.
QByteArray atomFeed(const QByteArray &page, const FeedSettings &settings);

#endif // ATOMFEED_H
