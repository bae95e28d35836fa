#ifndef PUBLISHEDITEMS_H
#define PUBLISHEDITEMS_H

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>

#include "page/newsitem.h"

// An item on the page in the shape the program writes it: after the marker, framed by line breaks,
// its text without a line break of its own, its date last.
struct PublishedItem
{
    QByteArray bytes;  // exactly as on the page, in its charset and line ends
    // Date and time apart: a local QDateTime asks the system's time zone files each time it is made.
    QDate day;
    QTime time;
    QString text;      // as the editor held it: each <br> of the text a line break
    int number = 0;    // counted from the marker, the newest 0
    int below = 0;     // items of this shape after it
    int at = 0;        // where its bytes start in the page it was found in

    bool isNull() const { return bytes.isEmpty(); }
    QDateTime date() const { return QDateTime(day, time); }
};

struct PublishedItems
{
    PageEdit::Outcome outcome = PageEdit::Edited;  // Edited when the page could be read
    QVector<PublishedItem> items;
    QByteArray charsetName;  // the unknown name the page declares
};

// The page's items after its marker, newest first; text between them that the program did not write
// is passed over, as are items hidden in comments, scripts or style sheets.
PublishedItems publishedItems(const QByteArray &page);

// The item's text as a reader sees it: tags left out, entities decoded, white space simplified, cut
// at 80 characters with "…".
QString visibleItemText(const QString &text);
// The same cut at length characters, or not at all when length is negative.
QString visibleText(const QString &text, int length);

// The item's date as the list shows it: "dd.MM.yyyy hh:mm".
QString shownDate(const PublishedItem &item);

// "dd.MM.yyyy hh:mm — " and the visible text.
QString publishedItemSummary(const PublishedItem &item);

// The page with item replaced by newItem, in the page's charset and line ends, or without it when
// newItem is null. ItemChanged, nothing edited, unless the page holds item's bytes once, as the same
// item counted from the marker with only newer items added before it.
PageEdit replacePublishedItem(const QByteArray &page, const PublishedItem &item, const QString &newItem);

#endif // PUBLISHEDITEMS_H
