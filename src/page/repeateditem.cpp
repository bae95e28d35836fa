#include "page/repeateditem.h"

#include "page/newsitem.h"

#include <QTextCodec>

namespace {

// A quick no for the usual case, a new item: its longest line is nowhere in the page's bytes.
// Only for charsets that write each character on its own, where the text's bytes stand in the page
// as the encoder writes them.
bool mayHoldText(const QByteArray &page, const QString &text, QTextCodec *codec)
{
    static const QList<int> plainCharsets{106, 2251, 2084, 2088, 8, 4, 2252};  // UTF-8, windows-1251, KOI8-R/U, ISO-8859-5/-1, windows-1252
    if (!plainCharsets.contains(codec->mibEnum()))
        return true;
    QString longest;
    for (const QString &line : text.split(QStringLiteral("<br>"))) {
        const QString trimmed = line.trimmed();
        if (trimmed.size() > longest.size())
            longest = trimmed;
    }
    return longest.isEmpty() || page.contains(encodeForNewsPage(longest, codec));
}

} // namespace

bool pageHoldsItem(const QByteArray &page, const QString &item)
{
    // The item ends with "<br>" date "<br><br>"; the date is the one part that may differ.
    const QString dateEndMark = QStringLiteral("<br><br>");
    const int dateEnd = item.lastIndexOf(dateEndMark);
    const int dateStart = dateEnd < 0 ? -1 : item.lastIndexOf(QLatin1String("<br>"), dateEnd - 1);
    if (dateStart < 0)
        return false;
    QString head = item.left(dateStart + 4);
    QString tail = item.mid(dateEnd);

    // Compared as text in the page's charset, the item as the insertion writes it (&#N; for what the
    // charset lacks), and line ends left out: older items may have other ones than the page.
    QTextCodec *codec = pageCharset(page).codec;
    if (!codec)
        return false;
    if (!mayHoldText(page, item.left(dateStart), codec))
        return false;
    const auto asOnPage = [codec](const QString &text) {
        return codec->toUnicode(encodeForNewsPage(text, codec)).remove(QLatin1Char('\r'));
    };
    // Only what a browser shows counts, as only there the insertion writes; a hidden stretch parts the
    // text around it with a character no item holds.
    PageTags tags(page, codec);
    while (tags.next() >= 0) {
    }
    QString text;
    int from = 0;
    for (const QPair<int, int> &hidden : tags.hidden()) {
        text += codec->toUnicode(page.mid(from, hidden.first - from)) + QChar(QChar::Null);
        from = hidden.second;
    }
    text += codec->toUnicode(page.mid(from));
    text.remove(QLatin1Char('\r'));
    head = asOnPage(head);
    tail = asOnPage(tail);
    const int longestDate = 40;
    for (int at = text.indexOf(head); at >= 0; at = text.indexOf(head, at + 1)) {
        const int from = at + head.size();
        const int end = text.indexOf(tail, from);
        if (end < 0)
            return false;
        const QStringView date = QStringView(text).mid(from, end - from);
        if (date.size() <= longestDate && !date.contains(QLatin1Char('<')) && !date.contains(QLatin1Char('\n')))
            return true;
    }
    return false;
}
