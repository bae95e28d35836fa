#include "page/clipboardhtml.h"

#include "page/markup.h"

#include <QHash>
#include <QUrl>
#include <QVector>

#include <algorithm>

namespace {

// The markup the editor's output keeps, in the order they open when they start together.
enum Kind { Link, Bold, Italic, Underline, KindCount };
const char *const Openings[] = {"", "<b>", "<i>", "<u>"};  // a link's is the link dialog's
const char *const Closings[] = {"</a>", "</b>", "</i>", "</u>"};

// What one element does to the formatting of what it holds: +1 turns a kind on, -1 off.
struct Effect
{
    int turn[KindCount] = {};
    QString href;  // of a safe link
    bool pre = false;
};

// The formatting inside an element: for each kind the depth at which it turned on (0 for off), so
// that the tags open in the order the elements did.
struct Formatting
{
    int since[KindCount] = {};
    QString href;
    bool pre = false;
};

struct Element
{
    QString name;
    Effect effect;
    Formatting formatting;
};

struct OpenTag
{
    Kind kind;
    QString href;
    bool operator==(const OpenTag &other) const { return kind == other.kind && href == other.href; }
};

// What a tag's name says of it.
enum TagFlag : unsigned {
    Block = 1,       // starts and ends on a line of its own
    Paragraph = 2,   // ends with an empty line
    Void = 4,        // holds nothing, has no end tag
    RawText = 8,     // holds code or data, not text
    Cell = 16,       // ends with a space
    Reopened = 32,   // a formatting element, going on after one it overlapped was closed
};

unsigned flagsOf(const QString &name)
{
    static const QHash<QString, unsigned> flags = [] {
        QHash<QString, unsigned> table;
        for (const char *name : {"div", "li", "tr", "blockquote", "pre", "dd", "dt", "section", "article", "header",
                                 "footer", "figure", "figcaption"})
            table.insert(QString::fromLatin1(name), Block);
        for (const char *name : {"p", "h1", "h2", "h3", "h4", "h5", "h6", "ul", "ol", "table"})
            table.insert(QString::fromLatin1(name), Block | Paragraph);
        for (const char *name : {"br", "img", "meta", "link", "input", "wbr", "col", "area", "base", "source", "embed",
                                 "param", "track"})
            table.insert(QString::fromLatin1(name), Void);
        table.insert(QStringLiteral("hr"), Void | Block);
        for (const char *name : {"script", "style", "title", "xml", "template", "noscript"})
            table.insert(QString::fromLatin1(name), RawText);
        for (const char *name : {"td", "th"})
            table.insert(QString::fromLatin1(name), Cell);
        for (const char *name : {"b", "strong", "i", "em", "u", "a", "font", "span", "s"})
            table.insert(QString::fromLatin1(name), Reopened);
        return table;
    }();
    return flags.value(name);
}

struct Tag
{
    QString name;  // lower case
    unsigned flags = 0;
    bool closing = false;
    bool selfClosing = false;
    QHash<QString, QString> attributes;  // only those that matter here, values as written
    int next = 0;                         // where the text after the tag starts; -1 for a tag never closed
};

bool isSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')
           || c == QLatin1Char('\f');
}

// The tag starting at html[at] == '<' (its name's first character a letter), read as a browser reads
// it: quoted values may hold '>'.
Tag readTag(const QString &html, int at, int end)
{
    Tag tag;
    int i = at + 1;
    if (html.at(i) == QLatin1Char('/')) {
        tag.closing = true;
        ++i;
    }
    const int nameStart = i;
    while (i < end && !isSpace(html.at(i)) && html.at(i) != QLatin1Char('/') && html.at(i) != QLatin1Char('>'))
        ++i;
    tag.name = html.mid(nameStart, i - nameStart).toLower();
    tag.flags = flagsOf(tag.name);
    static const QStringList kept{QStringLiteral("href"), QStringLiteral("src"), QStringLiteral("alt"),
                                  QStringLiteral("title"), QStringLiteral("style")};
    while (i < end) {
        const QChar c = html.at(i);
        if (c == QLatin1Char('>')) {
            tag.next = i + 1;
            return tag;
        }
        if (isSpace(c) || c == QLatin1Char('/')) {
            tag.selfClosing = c == QLatin1Char('/');
            ++i;
            continue;
        }
        tag.selfClosing = false;
        const int attributeStart = i;
        while (i < end && !isSpace(html.at(i)) && html.at(i) != QLatin1Char('=') && html.at(i) != QLatin1Char('>'))
            ++i;
        const QString name = html.mid(attributeStart, i - attributeStart).toLower();
        while (i < end && isSpace(html.at(i)))
            ++i;
        QString value;
        if (i < end && html.at(i) == QLatin1Char('=')) {
            ++i;
            while (i < end && isSpace(html.at(i)))
                ++i;
            if (i < end && (html.at(i) == QLatin1Char('"') || html.at(i) == QLatin1Char('\''))) {
                const int close = html.indexOf(html.at(i), i + 1);
                if (close < 0 || close >= end)
                    break;
                value = html.mid(i + 1, close - i - 1);
                i = close + 1;
            } else {
                const int valueStart = i;
                while (i < end && !isSpace(html.at(i)) && html.at(i) != QLatin1Char('>'))
                    ++i;
                value = html.mid(valueStart, i - valueStart);
            }
        }
        if (kept.contains(name) && !tag.attributes.contains(name))
            tag.attributes.insert(name, value);
    }
    tag.next = -1;
    return tag;
}

QString namedCharacter(const QString &name)
{
    static const QHash<QString, QString> characters = [] {
        QHash<QString, QString> table;
        const struct { const char *name; char16_t code; } named[] = {
            {"nbsp", 0xa0}, {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''},
            {"mdash", 0x2014}, {"ndash", 0x2013}, {"laquo", 0xab}, {"raquo", 0xbb}, {"hellip", 0x2026},
            {"ldquo", 0x201c}, {"rdquo", 0x201d}, {"bdquo", 0x201e}, {"lsquo", 0x2018}, {"rsquo", 0x2019},
            {"sbquo", 0x201a}, {"copy", 0xa9}, {"reg", 0xae}, {"trade", 0x2122}, {"bull", 0x2022},
            {"middot", 0xb7}, {"deg", 0xb0}, {"euro", 0x20ac}, {"times", 0xd7}, {"shy", 0xad},
            {"sect", 0xa7}, {"para", 0xb6}, {"plusmn", 0xb1}, {"minus", 0x2212}, {"numero", 0x2116},
            {"ensp", 0x2002}, {"emsp", 0x2003}, {"thinsp", 0x2009}, {"zwnj", 0x200c}, {"zwj", 0x200d},
            {"frac12", 0xbd}, {"frac14", 0xbc}, {"frac34", 0xbe}, {"pound", 0xa3}, {"yen", 0xa5},
            {"cent", 0xa2}, {"iexcl", 0xa1}, {"iquest", 0xbf}, {"larr", 0x2190}, {"rarr", 0x2192},
        };
        for (const auto &entry : named)
            table.insert(QString::fromLatin1(entry.name), QString(QChar(entry.code)));
        return table;
    }();
    return characters.value(name);
}

// text with its character references as the characters they stand for; unknown ones stay as written.
QString decoded(const QString &text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    QString result;
    result.reserve(text.size());
    int i = 0;
    while (i < text.size()) {
        const int amp = text.indexOf(QLatin1Char('&'), i);
        if (amp < 0) {
            result += QStringView(text).mid(i);
            break;
        }
        result += QStringView(text).mid(i, amp - i);
        const int semicolon = text.indexOf(QLatin1Char(';'), amp + 1);
        QString character;
        if (semicolon > amp + 1 && semicolon - amp <= 33) {
            const QString name = text.mid(amp + 1, semicolon - amp - 1);
            if (name.startsWith(QLatin1Char('#'))) {
                const bool hex = name.size() > 1 && (name.at(1) == QLatin1Char('x') || name.at(1) == QLatin1Char('X'));
                bool ok = false;
                uint code = name.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
                if (ok) {
                    // Browsers read these as the replacement character.
                    if (code == 0 || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
                        code = 0xfffd;
                    const char32_t wide = code;
                    character = QString::fromUcs4(&wide, 1);
                }
            } else {
                character = namedCharacter(name);
            }
        }
        if (character.isEmpty()) {
            result += QLatin1Char('&');
            i = amp + 1;
        } else {
            result += character;
            i = semicolon + 1;
        }
    }
    return result;
}

// text as the editor's markup: what would read as a tag or an entity is written as an entity.
QString escapedText(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('<'))
            escaped += QLatin1String("&lt;");
        else if (c == QLatin1Char('>'))
            escaped += QLatin1String("&gt;");
        else if (c == QLatin1Char('&') && i + 1 < text.size() && (text.at(i + 1).isLetterOrNumber() || text.at(i + 1) == QLatin1Char('#')))
            escaped += QLatin1String("&amp;");
        else
            escaped += c;
    }
    return escaped;
}

// The scheme of an address ("javascript" of "JavaScript:…"), empty for a relative one.
QString schemeOf(const QString &address)
{
    for (int i = 0; i < address.size(); ++i) {
        const QChar c = address.at(i);
        if (c == QLatin1Char(':'))
            return i > 0 ? address.left(i).toLower() : QString();
        const bool allowed = (c.isLetter() && c.unicode() < 128)
                             || (i > 0 && ((c.isDigit() && c.unicode() < 128) || c == QLatin1Char('+')
                                           || c == QLatin1Char('-') || c == QLatin1Char('.')));
        if (!allowed)
            return QString();
    }
    return QString();
}

// The style declarations' turns: "font-weight: bold" turns bold on, "font-weight: 400" off.
void applyStyle(const QString &style, Effect *effect)
{
    for (const QString &declaration : style.split(QLatin1Char(';'))) {
        const int colon = declaration.indexOf(QLatin1Char(':'));
        if (colon < 0)
            continue;
        const QString property = declaration.left(colon).trimmed().toLower();
        const QString value = declaration.mid(colon + 1).trimmed().toLower().remove(QLatin1String("!important")).trimmed();
        if (property == QLatin1String("font-weight")) {
            bool number = false;
            const int weight = value.toInt(&number);
            const bool bold = number ? weight >= 600 : (value == QLatin1String("bold") || value == QLatin1String("bolder"));
            const bool normal = number ? weight < 600 : (value == QLatin1String("normal") || value == QLatin1String("lighter"));
            effect->turn[Bold] = bold ? 1 : normal ? -1 : effect->turn[Bold];
        } else if (property == QLatin1String("font-style")) {
            effect->turn[Italic] = value.startsWith(QLatin1String("italic")) || value.startsWith(QLatin1String("oblique")) ? 1 : -1;
        } else if (property == QLatin1String("text-decoration") || property == QLatin1String("text-decoration-line")) {
            effect->turn[Underline] = value.contains(QLatin1String("underline")) ? 1 : -1;
        }
    }
}

class Converter
{
public:
    Converter(const std::function<QString(const QString &)> &localPicture) : localPicture(localPicture) {}

    QString convert(const QString &html);

private:
    void startTag(const Tag &tag);
    void endTag(const Tag &tag);
    void push(const QString &name, const Effect &effect);
    void text(const QString &raw);
    void image(const Tag &tag);
    // Markup that shows something: the tags and breaks that stand before it first.
    void content(const QString &markup);
    void requestBreaks(int count) { pendingBreaks = std::max(pendingBreaks, count); }
    QString address(const QString &written) const;
    Formatting current() const { return stack.isEmpty() ? Formatting() : stack.last().formatting; }

    std::function<QString(const QString &)> localPicture;
    QUrl base;
    QVector<Element> stack;
    QHash<QString, int> openCount;  // the elements on the stack by name
    QVector<OpenTag> written;       // the tags the output holds open, outermost first
    QString out;
    int pendingBreaks = 0;
    bool pendingSpace = false;
    bool pendingBullet = false;
};

QString Converter::address(const QString &written) const
{
    QString address;
    // Browsers drop tabs and line breaks anywhere in an address, and spaces around it.
    for (const QChar c : decoded(written)) {
        if (c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            address += c;
    }
    address = address.trimmed();
    if (!address.isEmpty() && schemeOf(address).isEmpty() && base.isValid())
        address = base.resolved(QUrl(address)).toString();
    return address;
}

void Converter::push(const QString &name, const Effect &effect)
{
    const Formatting outer = current();
    Formatting inner = outer;
    const int depth = stack.size() + 1;
    for (int kind = 0; kind < KindCount; ++kind) {
        if (effect.turn[kind] > 0 && inner.since[kind] == 0)
            inner.since[kind] = depth;
        else if (effect.turn[kind] < 0)
            inner.since[kind] = 0;
    }
    if (effect.turn[Link] > 0) {
        inner.href = effect.href;
        inner.since[Link] = depth;
    }
    inner.pre = inner.pre || effect.pre;
    stack.append({name, effect, inner});
    ++openCount[name];
}

void Converter::startTag(const Tag &tag)
{
    const QString &name = tag.name;
    if (name == QLatin1String("br")) {
        if (!out.isEmpty())
            pendingBreaks = std::min(2, pendingBreaks + 1);
        return;
    }
    if (name == QLatin1String("img")) {
        image(tag);
        return;
    }
    if (tag.flags & Block)
        requestBreaks(1);
    if (name == QLatin1String("li"))
        pendingBullet = true;
    if ((tag.flags & Void) || tag.selfClosing)
        return;

    Effect effect;
    if (name == QLatin1String("b") || name == QLatin1String("strong"))
        effect.turn[Bold] = 1;
    else if (name == QLatin1String("i") || name == QLatin1String("em"))
        effect.turn[Italic] = 1;
    else if (name == QLatin1String("u"))
        effect.turn[Underline] = 1;
    else if (name == QLatin1String("pre"))
        effect.pre = true;
    else if (name == QLatin1String("a") && tag.attributes.contains(QStringLiteral("href"))) {
        const QString href = address(tag.attributes.value(QStringLiteral("href")));
        const QString scheme = schemeOf(href);
        if (!href.isEmpty() && (scheme.isEmpty() || scheme == QLatin1String("http") || scheme == QLatin1String("https")
                                || scheme == QLatin1String("mailto"))) {
            effect.turn[Link] = 1;
            effect.href = href;
        }
    }
    applyStyle(tag.attributes.value(QStringLiteral("style")), &effect);
    push(name, effect);
}

void Converter::endTag(const Tag &tag)
{
    const QString &name = tag.name;
    if (openCount.value(name) > 0) {
        // As browsers do, formatting elements that the closed one overlapped go on after it (a few only).
        QVector<Element> reopened;
        while (!stack.isEmpty()) {
            Element element = stack.takeLast();
            --openCount[element.name];
            if (element.name == name)
                break;
            if (reopened.size() < 8 && (flagsOf(element.name) & Reopened))
                reopened.prepend(element);
        }
        for (const Element &element : reopened)
            push(element.name, element.effect);
    }
    // A paragraph ends with an empty line, but not within a list item.
    if (tag.flags & Paragraph)
        requestBreaks(openCount.value(QStringLiteral("li")) > 0 ? 1 : 2);
    else if (tag.flags & Block)
        requestBreaks(1);
    else if (tag.flags & Cell)
        pendingSpace = true;
}

void Converter::text(const QString &raw)
{
    const QString characters = decoded(raw);
    if (current().pre) {
        const QStringList lines = characters.split(QLatin1Char('\n'));
        for (int i = 0; i < lines.size(); ++i) {
            if (i > 0 && !out.isEmpty())
                pendingBreaks = std::min(2, pendingBreaks + 1);
            if (!lines.at(i).isEmpty())
                content(escapedText(lines.at(i)));
        }
        return;
    }
    QString collapsed;
    collapsed.reserve(characters.size());
    bool space = false;
    for (const QChar c : characters) {
        if (isSpace(c)) {
            space = true;
            continue;
        }
        if (space && !collapsed.isEmpty())
            collapsed += QLatin1Char(' ');
        else if (space)
            pendingSpace = true;
        space = false;
        collapsed += c;
    }
    if (!collapsed.isEmpty())
        content(escapedText(collapsed));
    if (space)
        pendingSpace = true;
}

void Converter::image(const Tag &tag)
{
    const QString src = address(tag.attributes.value(QStringLiteral("src")));
    const QString scheme = schemeOf(src);
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
        QString hover = decoded(tag.attributes.value(QStringLiteral("alt"))).simplified();
        if (hover.isEmpty())
            hover = decoded(tag.attributes.value(QStringLiteral("title"))).simplified();
        content(imageFragment(src, 0, NoAlignment, false, 0, 0, hover));
    } else if ((scheme == QLatin1String("file") || scheme == QLatin1String("data")) && localPicture) {
        const QString local = localPicture(src);
        if (!local.isEmpty())
            content(imageFragment(local, 0, NoAlignment, false, 0, 0, QString(), DefaultShrinkWidth));
    }
}

void Converter::content(const QString &markup)
{
    // The tags wanted here, in the order their elements opened; what the output holds open beyond
    // their common start is closed, so the result always nests.
    const Formatting formatting = current();
    QVector<OpenTag> wanted;
    for (int kind = 0; kind < KindCount; ++kind) {
        // A link's underline is the link's own look, not the text's.
        if (formatting.since[kind] > 0 && !(kind == Underline && formatting.since[Link] > 0))
            wanted.append({Kind(kind), kind == Link ? formatting.href : QString()});
    }
    std::stable_sort(wanted.begin(), wanted.end(), [&formatting](const OpenTag &a, const OpenTag &b) {
        return formatting.since[a.kind] < formatting.since[b.kind];
    });
    int common = 0;
    while (common < written.size() && common < wanted.size() && written.at(common) == wanted.at(common))
        ++common;
    while (written.size() > common)
        out += QLatin1String(Closings[written.takeLast().kind]);

    if (!out.isEmpty() && pendingBreaks > 0)
        out += QString(pendingBreaks, QLatin1Char('\n'));
    else if (!out.isEmpty() && pendingSpace && !out.endsWith(QLatin1Char('\n')))
        out += QLatin1Char(' ');
    if (pendingBullet)
        out += QStringLiteral("• ");
    pendingBreaks = 0;
    pendingSpace = false;
    pendingBullet = false;

    for (int i = common; i < wanted.size(); ++i) {
        const OpenTag &tag = wanted.at(i);
        if (tag.kind == Link)
            out += linkFragment(tag.href, QString(), false).chopped(4);
        else
            out += QLatin1String(Openings[tag.kind]);
        written.append(tag);
    }
    out += markup;
}

QString Converter::convert(const QString &html)
{
    int start = 0;
    int end = html.size();
    // Browsers and word processors mark the copied part; what stands around it is the page's frame.
    const int fragmentStart = html.indexOf(QLatin1String("<!--StartFragment-->"), 0, Qt::CaseInsensitive);
    if (fragmentStart >= 0) {
        const int fragmentEnd = html.indexOf(QLatin1String("<!--EndFragment-->"), fragmentStart, Qt::CaseInsensitive);
        start = fragmentStart + int(qstrlen("<!--StartFragment-->"));
        end = fragmentEnd >= 0 ? fragmentEnd : end;
    }
    const int baseAt = html.indexOf(QLatin1String("<base"), 0, Qt::CaseInsensitive);
    if (baseAt >= 0 && baseAt + 5 < html.size() && (isSpace(html.at(baseAt + 5)) || html.at(baseAt + 5) == QLatin1Char('/'))) {
        const QUrl url(decoded(readTag(html, baseAt, html.size()).attributes.value(QStringLiteral("href"))).trimmed());
        if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
            base = url;
    }

    int i = start;
    while (i < end) {
        const int lt = html.indexOf(QLatin1Char('<'), i);
        if (lt < 0 || lt >= end) {
            text(html.mid(i, end - i));
            break;
        }
        if (lt > i)
            text(html.mid(i, lt - i));
        i = lt;
        const QChar next = i + 1 < end ? html.at(i + 1) : QChar();
        if (QStringView(html).mid(i, 4) == QLatin1String("<!--")) {
            const int close = html.indexOf(QLatin1String("-->"), i + 4);
            i = close < 0 ? end : close + 3;
            continue;
        }
        // Doctypes, processing instructions and Word's <![if …]>: their text is no content.
        if (next == QLatin1Char('!') || next == QLatin1Char('?')) {
            const int close = html.indexOf(QLatin1Char('>'), i);
            i = close < 0 ? end : close + 1;
            continue;
        }
        const int nameAt = next == QLatin1Char('/') ? i + 2 : i + 1;
        if (nameAt >= end || !html.at(nameAt).isLetter() || html.at(nameAt).unicode() >= 128) {
            text(QStringLiteral("&lt;"));
            ++i;
            continue;
        }
        const Tag tag = readTag(html, i, end);
        if (tag.next < 0)
            break;  // a tag never closed hides the rest, as in a browser
        i = tag.next;
        if (tag.closing) {
            endTag(tag);
            continue;
        }
        // Elements whose text is code, a title or a word processor's data, not content.
        if ((tag.flags & RawText) && !tag.selfClosing) {
            const int close = html.indexOf(QLatin1String("</") + tag.name, i, Qt::CaseInsensitive);
            const int closeEnd = close < 0 ? -1 : html.indexOf(QLatin1Char('>'), close);
            i = closeEnd < 0 ? end : closeEnd + 1;
            continue;
        }
        startTag(tag);
    }
    while (!written.isEmpty())
        out += QLatin1String(Closings[written.takeLast().kind]);
    return out;
}

} // namespace

QString editorMarkupFromHtml(const QString &html, const std::function<QString(const QString &)> &localPicture)
{
    return Converter(localPicture).convert(html);
}
