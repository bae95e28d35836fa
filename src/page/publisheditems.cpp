#include "page/publisheditems.h"

#include <QHash>
#include <QLocale>
#include <QTextCodec>

#include <cstring>
#include <functional>

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
        , m_plainDate(encodedAscii(DateFormat, codec) == DateFormat)
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

    // The date written at `at` into fields (day, month, year, hour, minute); false when there is none.
    // Checked without making a QDate: most items of a page are only counted.
    bool dateAt(const QByteArray &page, int at, int fields[5]) const
    {
        if (at + DateLength * unit > page.size())
            return false;
        std::fill_n(fields, 5, 0);
        int field = 0;
        const char *bytes = page.constData() + at;
        for (int i = 0; i < DateLength; ++i) {
            const char kind = DateFormat[i];
            const bool digitWanted = kind == 'd' || kind == 'M' || kind == 'y' || kind == 'h' || kind == 'm';
            if (m_plainDate) {
                // Where the charset writes the format's ASCII as ASCII, byte by byte.
                const unsigned digit = unsigned(bytes[i] - '0');
                if (digitWanted ? digit > 9 : bytes[i] != kind)
                    return false;
                if (digitWanted)
                    fields[field] = fields[field] * 10 + int(digit);
                else
                    ++field;
                continue;
            }
            const int digit = digitWanted ? digitAt(page, at + i * unit) : 0;
            if (digit < 0 || (!digitWanted && !holds(page, at + i * unit, m_dateCharacters.at(i))))
                return false;
            if (digitWanted)
                fields[field] = fields[field] * 10 + digit;
            else
                ++field;
        }
        return QDate::isValid(fields[2], fields[1], fields[0]) && QTime::isValid(fields[3], fields[4], 0);
    }

    // The line feed last before `before`, at or after `from`; -1 when there is none.
    int lastLineFeed(const QByteArray &page, int before, int from) const
    {
        // memrchr where a character is a byte: every item's text is searched.
        if (unit == 1) {
            if (before <= from)
                return -1;
            const char *bytes = page.constData();
            const void *found = memrchr(bytes + from, '\n', size_t(before - from));
            return found ? int(static_cast<const char *>(found) - bytes) : -1;
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
    bool m_plainDate;            // the date's every character one byte, as in ASCII
};

// needle, whose first line feed is at lineFeed, at or after from: found by that line feed, which is
// rarer in a page than a tag. Called for every item of the page, where QByteArray::indexOf would make a table each time.
int indexIn(const QByteArray &page, const QByteArray &needle, int lineFeed, int from)
{
    const char *bytes = page.constData();
    for (int at = from + lineFeed; at >= from && at + needle.size() - lineFeed <= page.size(); ++at) {
        const void *found = std::memchr(bytes + at, '\n', size_t(page.size() - at));
        if (!found)
            return -1;
        at = int(static_cast<const char *>(found) - bytes);
        if (at + needle.size() - lineFeed <= page.size()
            && std::memcmp(bytes + at - lineFeed, needle.constData(), size_t(needle.size())) == 0)
            return at - lineFeed;
    }
    return -1;
}

} // namespace

// Where one item lies in the page: its bytes [start, end), its text [textStart, middle); and its date.
struct ItemSpan
{
    int start;
    int textStart;
    int middle;
    int end;
    int number;
    int date[5];  // day, month, year, hour, minute
};

// The items on the page, newest first, each handed to found with its number; the page is read once,
// the hidden stretches found as the items are. NoMarker or UnknownCharset, nothing found, without them.
static PageEdit::Outcome scanItems(const QByteArray &page, PageCharset *charset,
                                   const std::function<void(const ItemSpan &)> &found)
{
    *charset = pageCharset(page);
    if (!charset->codec)
        return PageEdit::UnknownCharset;
    QTextCodec *codec = charset->codec;
    PageTags tags(page, codec);
    const int marker = tags.nextMarker();
    if (marker < 0)
        return PageEdit::NoMarker;
    const ItemFrame frame(codec, pageUsesCrLf(page, codec));
    // The hidden stretches ahead of the items found so far: the first that may still overlap one.
    int hidden = 0;
    bool tagsLeft = true;
    // An item starts no earlier than the one before it ends: one whose text would hold another's
    // frame is no item the program wrote.
    int free = marker + encodedAscii(NewsMarker, codec).size();
    ItemSpan item{};
    const int middleLineFeed = frame.middle.indexOf('\n');
    for (int middle = indexIn(page, frame.middle, middleLineFeed, free); middle >= 0;
         middle = indexIn(page, frame.middle, middleLineFeed, middle + 1)) {
        if (middle % frame.unit != 0)
            continue;
        const int dateAt = middle + frame.middle.size();
        const int dateEnd = dateAt + DateLength * frame.unit;
        if (!frame.dateAt(page, dateAt, item.date) || !ItemFrame::holds(page, dateEnd, frame.dateEnd))
            continue;
        // The text holds no line feed: the program writes its line breaks as <br>.
        const int lineFeed = frame.lastLineFeed(page, middle, free);
        const int textStart = lineFeed + frame.unit;
        const int start = textStart - frame.blankLine.size();
        const int end = dateEnd + frame.dateEnd.size();
        if (lineFeed < 0 || start < free || !ItemFrame::holds(page, start, frame.blankLine))
            continue;
        // The tags up to the item's end tell every hidden stretch that could overlap it.
        if (tagsLeft)
            tagsLeft = tags.passTo(end);
        const QVector<QPair<int, int>> &stretches = tags.hidden();
        while (hidden < stretches.size() && stretches.at(hidden).second <= start)
            ++hidden;
        if (hidden < stretches.size() && stretches.at(hidden).first < end)
            continue;
        item.start = start;
        item.textStart = textStart;
        item.middle = middle;
        item.end = end;
        found(item);
        ++item.number;
        free = end;
        middle = end - 1;
    }
    return PageEdit::Edited;
}

PublishedItems publishedItems(const QByteArray &page)
{
    PageCharset charset;
    PublishedItems found;
    found.outcome = scanItems(page, &charset, [&](const ItemSpan &span) {
        PublishedItem item;
        item.day = QDate(span.date[2], span.date[1], span.date[0]);
        item.time = QTime(span.date[3], span.date[4]);
        item.number = span.number;
        item.bytes = page.mid(span.start, span.end - span.start);
        item.text = charset.codec->toUnicode(page.constData() + span.textStart, span.middle - span.textStart);
        item.text.replace(QLatin1String("<br>"), QLatin1String("\n"));
        item.at = span.start;
        found.items.append(item);
    });
    if (found.outcome == PageEdit::UnknownCharset)
        found.charsetName = charset.declaredName;
    for (PublishedItem &item : found.items)
        item.below = found.items.size() - 1 - item.number;
    return found;
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

PageEdit replacePublishedItemInPlace(QByteArray &page, const PublishedItem &item, const QString &newItem)
{
    // The item found once, among the others only counted.
    int items = 0;
    int matches = 0;
    int match = -1;
    int at = -1;
    PageCharset charset;
    const PageEdit::Outcome outcome = scanItems(page, &charset, [&](const ItemSpan &span) {
        ++items;
        if (span.end - span.start != item.bytes.size()
            || std::memcmp(page.constData() + span.start, item.bytes.constData(), size_t(item.bytes.size())) != 0)
            return;
        ++matches;
        match = span.number;
        at = span.start;
    });
    if (outcome != PageEdit::Edited)
        return {outcome, {}, charset.declaredName};
    // More than once: which one was meant can no longer be told. Another editor's send puts newer
    // items before it; anything else moved it.
    if (matches != 1 || match < item.number || items - 1 - match != item.below)
        return {PageEdit::ItemChanged, {}, {}};
    const QByteArray replacement = newItem.isNull() ? QByteArray()
                                                    : itemInPage(newItem, charset.codec, pageUsesCrLf(page, charset.codec));
    page.replace(at, item.bytes.size(), replacement);
    return {PageEdit::Edited, {}, {}};
}

PageEdit replacePublishedItem(const QByteArray &page, const PublishedItem &item, const QString &newItem)
{
    QByteArray edited = page;
    PageEdit edit = replacePublishedItemInPlace(edited, item, newItem);
    if (edit.outcome == PageEdit::Edited)
        edit.page = edited;
    return edit;
}
