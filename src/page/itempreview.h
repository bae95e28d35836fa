#ifndef ITEMPREVIEW_H
#define ITEMPREVIEW_H

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QUrl>

// The page's background where nothing on it declares one: the items are yellow, so a dark one.
extern const char DefaultPreviewBackground[];

// The background colour the page gives its body: the body's own style, else a body rule of its style
// sheet, else the body's bgcolor, as browsers rank them. Invalid when the page declares none.
QColor pageBackground(const QByteArray &page);

// A page of the item alone as it shows on the news page: inside the marker's yellow font, on background
// (the default dark one when invalid).
QString previewHtml(const QString &item, const QColor &background);

// Where a browser showing the page at pageUrl fetches reference from: an http(s) address as it stands, a
// relative one resolved against pageUrl. Invalid for anything else, local files included, and for a
// relative reference without a web address for the page.
QUrl webAddress(const QString &reference, const QString &pageUrl);

#endif // ITEMPREVIEW_H
