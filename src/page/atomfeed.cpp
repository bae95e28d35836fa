#include "page/atomfeed.h"

#include "page/newsitem.h"
#include "page/publisheditems.h"

#include <QHash>
#include <QLocale>
#include <QTextCodec>
#include <QUrl>
#include <QXmlStreamReader>

#ifndef NEWSADDER_VERSION
#define NEWSADDER_VERSION ""
#endif

namespace {

const char AtomNamespace[] = "http://www.w3.org/2005/Atom";
const char Generator[] = "NewsAdder";
const int TitleLength = 100;
// The page's title is looked for in its head, not through a page of many megabytes.
const int HeadLength = 256 * 1024;

bool allowedInXml(uint c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
           || (c >= 0x10000 && c <= 0x10FFFF);
}

// text without the characters XML 1.0 does not allow (control characters, lone surrogates).
QString xmlCharacters(const QString &text)
{
    QString kept;
    kept.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            kept += c;
            kept += text.at(++i);
        } else if (!c.isSurrogate() && allowedInXml(c.unicode())) {
            kept += c;
        }
    }
    return kept;
}

// Escaped for element text or an attribute value; text holds only characters XML allows.
QString escaped(const QString &text)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;  // "]]>" is not allowed in text
        case '"': out += QLatin1String("&quot;"); break;
        case '\r': out += QLatin1String("&#13;"); break;  // a parser would read a bare one as a line feed
        default: out += c;
        }
    }
    return out;
}

QString atomDate(const QDateTime &time)
{
    QString text = QLocale::c().toString(time, QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
    const int offset = time.offsetFromUtc();
    if (offset == 0)
        return text + QLatin1Char('Z');
    const int minutes = qAbs(offset) / 60;
    return text + (offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
           + QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

// The <title> of the page's head as a reader sees it; empty when it has none.
QString pageTitle(const QByteArray &page, int headEnd)
{
    QTextCodec *codec = pageCharset(page).codec;
    if (!codec)
        return {};
    // Whole characters: UTF-16 and UTF-32 take 2 and 4 bytes each.
    const QString head = codec->toUnicode(page.left(qMin(headEnd, HeadLength) & ~3));
    const int open = head.indexOf(QLatin1String("<title"), 0, Qt::CaseInsensitive);
    const int start = open < 0 ? -1 : head.indexOf(QLatin1Char('>'), open);
    const int end = start < 0 ? -1 : head.indexOf(QLatin1String("</title"), start, Qt::CaseInsensitive);
    return end < 0 ? QString() : visibleText(head.mid(start + 1, end - start - 1), -1);
}

QString entryTitle(const PublishedItem &item)
{
    QString title = visibleText(item.text.section(QLatin1Char('\n'), 0, 0), TitleLength);
    if (title.isEmpty())
        title = visibleText(item.text, TitleLength);
    return title.isEmpty() ? shownDate(item) : title;
}

// The entry's id: the page's host, the item's day, and its minute with its place among the items of
// that minute counted from the oldest, so that newer items and corrections leave it alone.
QString entryId(const QUrl &page, const PublishedItem &item, int place)
{
    QString path = QString::fromLatin1(page.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveQuery
                                                      | QUrl::RemoveFragment));
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    // Joined, not arg()'d: the path's percent escapes read as place markers.
    return QLatin1String("tag:") + page.host().toLower() + QLatin1Char(',')
           + QLocale::c().toString(item.day, QStringLiteral("yyyy-MM-dd")) + QLatin1Char(':') + path
           + QLocale::c().toString(item.time, QStringLiteral("HH-mm")) + QLatin1Char('/') + QString::number(place);
}

QString link(const char *rel, const char *type, const QString &href)
{
    return QStringLiteral("<link rel=\"%1\" type=\"%2\" href=\"%3\"/>")
        .arg(QLatin1String(rel), QLatin1String(type), escaped(xmlCharacters(href)));
}

} // namespace

OldFeed readOldFeed(const QByteArray &feed, const QString &pageUrl)
{
    OldFeed old;
    if (feed.isEmpty())
        return old;
    const QString atom = QString::fromLatin1(AtomNamespace);
    QXmlStreamReader xml(feed.left(OldFeedReadLimit));
    bool byUs = false;
    bool forPage = false;
    bool inEntry = false;
    FeedEntry entry;
    int depth = 0;
    while (!xml.atEnd() && !xml.hasError()) {
        xml.readNext();
        if (xml.isEndElement()) {
            if (depth == 2 && inEntry && !entry.id.isEmpty())
                old.entries << entry;
            inEntry = inEntry && depth != 2;
            --depth;
            continue;
        }
        if (!xml.isStartElement())
            continue;
        ++depth;
        const bool isAtom = xml.namespaceUri() == atom;
        const QString name = xml.name().toString();
        if (depth == 1 && (!isAtom || name != QLatin1String("feed")))
            return old;
        if (!isAtom || depth > 3 || (depth == 3 && !inEntry))
            continue;
        if (depth == 2 && name == QLatin1String("entry")) {
            inEntry = true;
            entry = FeedEntry();
            continue;
        }
        const bool text = name == QLatin1String("id") || name == QLatin1String("content")
                          || name == QLatin1String("updated") || (depth == 2 && name == QLatin1String("generator"));
        if (!text)
            continue;
        const QString value = xml.readElementText(QXmlStreamReader::SkipChildElements);
        --depth;  // its end element was read with it
        if (depth == 1 && name == QLatin1String("id"))
            forPage = value == pageUrl;
        else if (depth == 1 && name == QLatin1String("generator"))
            byUs = value == QLatin1String(Generator);
        else if (depth == 2 && name == QLatin1String("id"))
            entry.id = value.trimmed();
        else if (depth == 2 && name == QLatin1String("content"))
            entry.content = value;
        else if (depth == 2 && name == QLatin1String("updated"))
            entry.updated = QDateTime::fromString(value.trimmed(), Qt::ISODate);
    }
    old.ours = byUs && forPage && !xml.hasError() && depth == 0 && feed.size() <= OldFeedReadLimit;
    return old;
}

QByteArray atomFeed(const QByteArray &page, const FeedSettings &settings)
{
    const PublishedItems found = publishedItems(page);
    const QVector<PublishedItem> &items = found.items;
    const QUrl pageUrl(settings.pageUrl);
    QString title = pageTitle(page, items.isEmpty() ? page.size() : items.first().at);
    if (title.isEmpty())
        title = pageUrl.host();
    title = escaped(xmlCharacters(title));
    const QString pageLink = link("alternate", "text/html", settings.pageUrl);

    // Each item's place among those of its minute, counted from the oldest.
    QVector<int> places(items.size());
    QHash<qint64, int> inMinute;
    for (int i = items.size() - 1; i >= 0; --i)
        places[i] = ++inMinute[items.at(i).day.toJulianDay() * 1440 + items.at(i).time.msecsSinceStartOfDay() / 60000];
    QHash<QString, const FeedEntry *> old;
    for (const FeedEntry &entry : settings.old)
        old.insert(entry.id, &entry);

    const QDateTime now = settings.now.toTimeZone(settings.zone);
    const QString base = escaped(xmlCharacters(settings.pageUrl));
    QString entries;
    QDateTime newest;
    const int count = qMin(items.size(), qBound(1, settings.itemCount, MaxFeedItems));
    for (int i = 0; i < count; ++i) {
        const PublishedItem &item = items.at(i);
        const QString id = entryId(pageUrl, item, places.at(i));
        const QString markup = xmlCharacters(QString(item.text).replace(QLatin1Char('\n'), QLatin1String("<br>")));
        const QDateTime published(item.day, item.time, settings.zone);
        QDateTime updated = published;
        if (const FeedEntry *before = old.value(id)) {
            // A correction is news; an unchanged entry keeps the time of its last correction.
            if (before->content != markup)
                updated = now;
            else if (before->updated.isValid() && before->updated > published && before->updated <= now)
                updated = before->updated.toTimeZone(settings.zone);
        }
        if (!newest.isValid() || updated > newest)
            newest = updated;
        entries += QStringLiteral("  <entry>\n    <id>%1</id>\n    <title type=\"text\">%2</title>\n"
                                  "    <published>%3</published>\n    <updated>%4</updated>\n    %5\n"
                                  "    <content type=\"html\" xml:base=\"%6\">%7</content>\n  </entry>\n")
                       .arg(escaped(xmlCharacters(id)), escaped(xmlCharacters(entryTitle(item))), atomDate(published),
                            atomDate(updated), pageLink, base, escaped(markup));
    }
    const QString feedUrl = pageUrl.resolved(QUrl(settings.feedName)).toString(QUrl::FullyEncoded);
    const QString head =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                       "<feed xmlns=\"%1\" xml:lang=\"ru\">\n  <id>%2</id>\n  <title type=\"text\">%3</title>\n"
                       "  %4\n  %5\n  <updated>%6</updated>\n  <author><name>%3</name></author>\n"
                       "  <generator version=\"%7\">%8</generator>\n")
            .arg(QLatin1String(AtomNamespace), base, title, pageLink, link("self", "application/atom+xml", feedUrl),
                 atomDate(newest.isValid() ? newest : now), QLatin1String(NEWSADDER_VERSION), QLatin1String(Generator));
    return (head + entries + QLatin1String("</feed>\n")).toUtf8();
}
