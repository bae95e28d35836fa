#ifndef PUBLISHEDPAGES_H
#define PUBLISHEDPAGES_H

#include "page/newsitem.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

// News pages with items published one after another, as the program's sends leave them.

using Sent = QPair<QString, QDateTime>;  // the editor's text and the item's date

inline QDateTime on(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute));
}

// page with items sent in turn, the last sent coming first.
inline QByteArray withSent(QByteArray page, const QList<Sent> &items)
{
    for (const Sent &item : items)
        page = insertNewsItemIntoPage(page, composeNewsItem(item.first, item.second)).page;
    return page;
}

// Three items, the third from the top with a typo, on a windows-1251 page with CRLF line ends.
inline QByteArray threeItemPage()
{
    return withSent("<html>\r\n<body>\r\n<font color=yellow>\r\n</font>\r\n</body>\r\n</html>\r\n",
                    {{QString::fromUtf8("Открыта рeгистрация\nна летний лагерь"), on(1, 9)},
                     {QString::fromUtf8("Собрание в пятницу"), on(3, 18, 30)},
                     {QString::fromUtf8("<b>Важно:</b> новый адрес"), on(5, 12)}});
}

#endif // PUBLISHEDPAGES_H
