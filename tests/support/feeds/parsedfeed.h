#ifndef PARSEDFEED_H
#define PARSEDFEED_H

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// What real parsers make of an Atom feed: xmllint's verdict on the XML, and feedparser's reading of
// it as a feed reader's (id, title, links, entries with id, title, published, updated, link, content, base).
struct ParsedFeed
{
    QString problem;  // empty when both took it as well-formed Atom 1.0
    QJsonObject feed;
};

ParsedFeed parsedFeed(const QByteArray &feed);

#endif // PARSEDFEED_H
