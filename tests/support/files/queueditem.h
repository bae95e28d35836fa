#ifndef QUEUEDITEM_H
#define QUEUEDITEM_H

#include "publish/itemqueue.h"

// An item as «Отправить позже…» queues it: sent at its own date.
inline QueuedItem queuedItem(const QDateTime &date, const QString &text, const QStringList &pictures = {})
{
    QueuedItem item;
    item.date = date;
    item.time = date;
    item.text = text;
    item.pictures = pictures;
    return item;
}

#endif // QUEUEDITEM_H
