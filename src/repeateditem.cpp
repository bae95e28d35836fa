#include "repeateditem.h"

#include <QTextCodec>

bool pageHoldsItem(const QByteArray &page, const QString &item)
{
    // The item ends with "<br>" date "<br><br>"; the date is the one part that may differ.
    const QString dateEndMark = QStringLiteral("<br><br>");
    const int dateEnd = item.lastIndexOf(dateEndMark);
    const int dateStart = dateEnd < 0 ? -1 : item.lastIndexOf(QLatin1String("<br>"), dateEnd - 1);
    if (dateStart < 0)
        return false;
    const QString head = item.left(dateStart + 4);
    const QString tail = item.mid(dateEnd);

    // The page is windows-1251 text; only its line ends may have changed on the way.
    QString text = QTextCodec::codecForName("windows-1251")->toUnicode(page);
    text.remove(QLatin1Char('\r'));
    const int longestDate = 40;
    for (int at = text.indexOf(head); at >= 0; at = text.indexOf(head, at + 1)) {
        const int from = at + head.size();
        const int end = text.indexOf(tail, from);
        if (end < 0)
            return false;
        const QStringRef date = text.midRef(from, end - from);
        if (date.size() <= longestDate && !date.contains(QLatin1Char('<')) && !date.contains(QLatin1Char('\n')))
            return true;
    }
    return false;
}
