#ifndef ITEMPREVIEW_H
#define ITEMPREVIEW_H

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QUrl>

// The page's background where nothing on it declares one: the items are yellow, so a dark one.
extern const char DefaultPreviewBackground[];
// The links' colour on a page not known at all: readable on that background.
extern const char NeutralPreviewLink[];

// The colours a page gives its items' surroundings; invalid where it declares none.
struct PageColours
{
    QColor background;  // the body's own style, else a body rule of its style sheet, else its bgcolor
    QColor link;        // a rule for a or a:link, else the body's link attribute
};
PageColours pageColours(const QByteArray &page);
// Where no page is known: the dark background with readable links.
PageColours neutralPageColours();

// A page of the item alone as it shows on the news page: inside the marker's yellow font, on the page's
// background (the default dark one where it has none), its links in the page's colour.
QString previewHtml(const QString &item, const PageColours &colours);

// Where a browser showing the page at pageUrl fetches reference from: an http(s) address as it stands, a
// relative one resolved against pageUrl. Invalid for anything else, local files included, and for a
// relative reference without a web address for the page.
QUrl webAddress(const QString &reference, const QString &pageUrl);

#endif // ITEMPREVIEW_H
