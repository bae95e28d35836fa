#include "page/publisheditems.h"

#include <QHash>
#include <QLocale>
#include <QTextCodec>

#include <cstring>

namespace {

const char DateFormat[] = "dd/MM/yyyy hh:mm";
const int DateLength = int(sizeof(DateFormat)) - 1;
const int VisibleLength = 80;

// The pieces every item of the page is made of, in its charset and line ends.
class ItemFrame
{
public:
    ItemFrame(QTextCodec *codec, bool crLf)
        : lineFeed(encodedAscii("\n", codec))
        , blankLine(itemInPage(QStringLiteral("\n \n"), codec, crLf))
        , dateEnd(encodedAscii("<br><br>", codec))
        , middle(itemInPage(QStringLiteral("<br>\n \n<br>"), codec, crLf))
        , unit(lineFeed.size())
    {
        for (int i = 0; i < DateLength; ++i)
            m_dateCharacters << encodedAscii(QByteArray(1, DateFormat[i]).constData(), codec);
        for (char digit = '0'; digit <= '9'; ++digit)
            m_digits << encodedAscii(QByteArray(1, digit).constData(), codec);
        m_asciiDigits = m_digits.join() == "0123456789";
    }

    // The digit 0-9 at `at`, -1 for none; `at` within the page.
    int digitAt(const QByteArray &page, int at) const
    {
        if (m_asciiDigits) {
            const char c = page.at(at);
            return c >= '0' && c <= '9' ? c - '0' : -1;
        }
        for (int digit = 0; digit < 10; ++digit) {
            if (holds(page, at, m_digits.at(digit)))
                return digit;
        }
        return -1;
    }

    static bool holds(const QByteArray &page, int at, const QByteArray &word)
    {
        return at >= 0 && at + word.size() <= page.size()
               && std::memcmp(page.constData() + at, word.constData(), size_t(word.size())) == 0;
    }

    // The date written at `at` into item; false when there is none.
    bool dateAt(const QByteArray &page, int at, PublishedItem &item) const
    {
        if (at + DateLength * unit > page.size())
            return false;
        int fields[5] = {};  // day, month, year, hour, minute
        int field = 0;
        for (int i = 0; i < DateLength; ++i, at += unit) {
            if (std::strchr("dMyhm", DateFormat[i]) == nullptr) {
                if (!holds(page, at, m_dateCharacters.at(i)))
                    return false;
                ++field;
                continue;
            }
            const int digit = digitAt(page, at);
            if (digit < 0)
                return false;
            fields[field] = fields[field] * 10 + digit;
        }
        item.day = QDate(fields[2], fields[1], fields[0]);
        item.time = QTime(fields[3], fields[4]);
        return item.day.isValid() && item.time.isValid();
    }

    // The line feed last before `before`, at or after `from`; -1 when there is none.
    int lastLineFeed(const QByteArray &page, int before, int from) const
    {
        // Byte by byte where a character is a byte: every item's text is searched.
        if (unit == 1) {
            const char *bytes = page.constData();
            int at = before - 1;
            while (at >= from && bytes[at] != '\n')
                --at;
            return at >= from ? at : -1;
        }
        for (int at = page.lastIndexOf(lineFeed, before - lineFeed.size()); at >= from;
             at = page.lastIndexOf(lineFeed, at - 1)) {
            if (at % unit == 0)
                return at;
        }
        return -1;
    }

    const QByteArray lineFeed;
    const QByteArray blankLine;  // a line break, a space, a line break
    const QByteArray dateEnd;
    const QByteArray middle;     // between the text and the date
    const int unit;

private:
    QByteArrayList m_dateCharacters;
    QByteArrayList m_digits;
    bool m_asciiDigits = false;  // each digit one byte, as in ASCII
};

bool overlapsHidden(const QVector<QPair<int, int>> &hidden, int start, int end)
{
    for (const QPair<int, int> &range : hidden) {
        if (range.first < end && start < range.second)
            return true;
    }
    return false;
}

} // namespace

// The items with their texts; without them, only where their bytes matter, the bytes pointing into page.
static PublishedItems itemsOnPage(const QByteArray &page, bool withTexts)
{
    const PageCharset charset = pageCharset(page);
    if (!charset.codec)
        return {PageEdit::UnknownCharset, {}, charset.declaredName};
    QTextCodec *codec = charset.codec;
    PageTags tags(page, codec);
    const int marker = tags.nextMarker();
    if (marker < 0)
        return {PageEdit::NoMarker, {}, {}};
    while (tags.next() >= 0) {
    }
    const ItemFrame frame(codec, pageUsesCrLf(page, codec));
    PublishedItems found;
    // An item starts no earlier than the one before it ends: one whose text would hold another's
    // frame is no item the program wrote.
    int free = marker + encodedAscii(NewsMarker, codec).size();
    for (int middle = page.indexOf(frame.middle, free); middle >= 0; middle = page.indexOf(frame.middle, middle + 1)) {
        if (middle % frame.unit != 0)
            continue;
        PublishedItem item;
        const int dateAt = middle + frame.middle.size();
        const int dateEnd = dateAt + DateLength * frame.unit;
        if (!frame.dateAt(page, dateAt, item) || !ItemFrame::holds(page, dateEnd, frame.dateEnd))
            continue;
        // The text holds no line feed: the program writes its line breaks as <br>.
        const int lineFeed = frame.lastLineFeed(page, middle, free);
        const int textStart = lineFeed + frame.unit;
        const int start = textStart - frame.blankLine.size();
        const int end = dateEnd + frame.dateEnd.size();
        if (lineFeed < 0 || start < free || !ItemFrame::holds(page, start, frame.blankLine)
            || overlapsHidden(tags.hidden(), start, end))
            continue;
        item.bytes = withTexts ? page.mid(start, end - start) : QByteArray::fromRawData(page.constData() + start, end - start);
        if (withTexts) {
            item.text = codec->toUnicode(page.constData() + textStart, middle - textStart);
            item.text.replace(QLatin1String("<br>"), QLatin1String("\n"));
        }
        item.number = found.items.size();
        item.at = start;
        found.items.append(item);
        free = end;
        middle = end - 1;
    }
    for (PublishedItem &item : found.items)
        item.below = found.items.size() - 1 - item.number;
    return found;
}

PublishedItems publishedItems(const QByteArray &page)
{
    return itemsOnPage(page, true);
}

static QString decodedEntity(const QString &name)
{
    static const QHash<QString, QChar> named{
        {QStringLiteral("amp"), QLatin1Char('&')},    {QStringLiteral("lt"), QLatin1Char('<')},
        {QStringLiteral("gt"), QLatin1Char('>')},     {QStringLiteral("quot"), QLatin1Char('"')},
        {QStringLiteral("apos"), QLatin1Char('\'')},  {QStringLiteral("nbsp"), QChar(0xA0)},
        {QStringLiteral("laquo"), QChar(0xAB)},       {QStringLiteral("raquo"), QChar(0xBB)},
        {QStringLiteral("mdash"), QChar(0x2014)},     {QStringLiteral("ndash"), QChar(0x2013)},
        {QStringLiteral("hellip"), QChar(0x2026)},    {QStringLiteral("copy"), QChar(0xA9)},
        {QStringLiteral("bdquo"), QChar(0x201E)},     {QStringLiteral("ldquo"), QChar(0x201C)},
        {QStringLiteral("rdquo"), QChar(0x201D)},     {QStringLiteral("deg"), QChar(0xB0)},
        {QStringLiteral("numero"), QChar(0x2116)},    {QStringLiteral("euro"), QChar(0x20AC)},
    };
    if (name.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const bool hex = name.size() > 1 && name.at(1).toLower() == QLatin1Char('x');
        const uint codePoint = name.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
        if (ok && codePoint > 0 && codePoint <= 0x10FFFF)
            return QString::fromUcs4(&codePoint, 1);
        return {};
    }
    const auto found = named.constFind(name);
    return found == named.constEnd() ? QString() : QString(*found);
}

QString visibleItemText(const QString &text)
{
    return visibleText(text, VisibleLength);
}

QString visibleText(const QString &text, int length)
{
    QString plain;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('<')) {
            plain += text.at(i);
            continue;
        }
        const int close = text.indexOf(QLatin1Char('>'), i);
        if (close < 0)
            break;
        // A line break parts words; bold or a link does not.
        if (QStringView(text).mid(i).startsWith(QLatin1String("<br"), Qt::CaseInsensitive))
            plain += QLatin1Char(' ');
        i = close;
    }
    QString visible;
    for (int i = 0; i < plain.size(); ++i) {
        const int semicolon = plain.at(i) == QLatin1Char('&') ? plain.indexOf(QLatin1Char(';'), i) : -1;
        const QString decoded = semicolon > i + 1 && semicolon - i < 12 ? decodedEntity(plain.mid(i + 1, semicolon - i - 1))
                                                                       : QString();
        if (decoded.isEmpty()) {
            visible += plain.at(i);
        } else {
            visible += decoded;
            i = semicolon;
        }
    }
    visible = visible.simplified();
    if (length >= 0 && visible.size() > length)
        visible = visible.left(length) + QChar(0x2026);
    return visible;
}

QString shownDate(const PublishedItem &item)
{
    return QLocale::c().toString(item.day, QStringLiteral("dd.MM.yyyy")) + QLatin1Char(' ')
           + QLocale::c().toString(item.time, QStringLiteral("hh:mm"));
}

QString publishedItemSummary(const PublishedItem &item)
{
    return shownDate(item) + QStringLiteral(" — ") + visibleItemText(item.text);
}

PageEdit replacePublishedItem(const QByteArray &page, const PublishedItem &item, const QString &newItem)
{
    const PublishedItems found = itemsOnPage(page, false);
    if (found.outcome != PageEdit::Edited)
        return {found.outcome, {}, found.charsetName};
    int match = -1;
    for (const PublishedItem &onPage : found.items) {
        if (onPage.bytes != item.bytes)
            continue;
        // More than once: which one was meant can no longer be told.
        if (match >= 0)
            return {PageEdit::ItemChanged, {}, {}};
        match = onPage.number;
    }
    // Another editor's send puts newer items before it; anything else moved it.
    if (match < item.number || found.items.at(match).below != item.below)
        return {PageEdit::ItemChanged, {}, {}};
    QByteArray result = page;
    QByteArray replacement;
    if (!newItem.isNull()) {
        QTextCodec *codec = pageCharset(page).codec;
        replacement = itemInPage(newItem, codec, pageUsesCrLf(page, codec));
    }
    result.replace(found.items.at(match).at, item.bytes.size(), replacement);
    return {PageEdit::Edited, result, {}};
}
