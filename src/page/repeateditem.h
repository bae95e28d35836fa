#ifndef REPEATEDITEM_H
#define REPEATEDITEM_H

#include <QByteArray>
#include <QString>

// Whether the page already holds item (as composeNewsItem makes it), with whatever date: the same
// text in the same item format, looked for as the insertion would write it into this page.
bool pageHoldsItem(const QByteArray &page, const QString &item);

#endif // REPEATEDITEM_H
