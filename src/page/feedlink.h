#ifndef FEEDLINK_H
#define FEEDLINK_H

#include <QString>

// Whether the page's text has a <link rel="alternate" type="application/atom+xml" href="feed">
// (attributes in any order and case, quoted either way) that names the feed file beside it, by its name
// or by an address ending in "/" and its name.
bool pageLinksFeed(const QString &pageText, const QString &feed);

#endif // FEEDLINK_H
