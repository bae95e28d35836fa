#include "page/newsitem.h"

#include <QLocale>
#include <QScopedPointer>
#include <QTextCodec>

#include <algorithm>
#include <cstring>

const char NewsMarker[] = "<font color=yellow>";

// Pasted text may hold NUL, escape or DEL, which no page should get as raw bytes.
static QString withoutControlCharacters(const QString &text)
{
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() != QChar::Other_Control || c == QLatin1Char('\t') || c == QLatin1Char('\n')
            || c == QLatin1Char('\r'))
            kept += c;
    }
    return kept;
}

bool isBlankNewsText(const QString &editorText)
{
    return withoutControlCharacters(editorText).trimmed().isEmpty();
}

QString composeNewsItem(const QString &editorText, const QDateTime &date)
{
    QString lines = withoutControlCharacters(editorText);
    // Enter types a paragraph separator, Shift+Enter a line separator; the editor shows both as a
    // new line, so both are one on the page.
    for (const QChar separator : {QChar(QChar::ParagraphSeparator), QChar(QChar::LineSeparator), QChar('\n')})
        lines.replace(separator, QLatin1String("<br>"));
    // The C locale keeps the digits ASCII whatever the user's locale is.
    const QString stamp = QLocale::c().toString(date, QStringLiteral("dd/MM/yyyy hh:mm"));
    return QLatin1String("\n \n") + lines + QLatin1String("<br>") + QLatin1String("\n \n")
           + QLatin1String("<br>") + stamp + QLatin1String("<br>") + QLatin1String("<br>");
}

QByteArray encodedAscii(const char *text, QTextCodec *codec)
{
    const QScopedPointer<QTextEncoder> encoder(codec->makeEncoder(QTextCodec::IgnoreHeader));
    return encoder->fromUnicode(QLatin1String(text));
}

// The first occurrence of needle at or after from that starts a character, in a charset whose ASCII
// characters take `unit` bytes each (a byte-order mark being a whole number of them).
static int characterIndexOf(const QByteArray &page, const QByteArray &needle, int unit, int from = 0)
{
    for (int at = page.indexOf(needle, from); at >= 0; at = page.indexOf(needle, at + 1)) {
        if (at % unit == 0)
            return at;
    }
    return -1;
}

PageTags::PageTags(const QByteArray &page, QTextCodec *codec)
    : m_page(page)
    , m_lessThan(encodedAscii("<", codec))
    , m_unit(m_lessThan.size())
    , m_marker(encodedAscii(NewsMarker, codec))
{
    for (const char *text : {"<!--", "-->", "<script", "</script", "<style", "</style"})
        m_words << encodedAscii(text, codec);
    for (const char *text : {" ", "\t", "\n", "\r", "\f", "/", ">"})
        m_nameEnds << encodedAscii(text, codec);
}

// ASCII letters of the page compared without case, every other byte as it is.
bool PageTags::startsWith(int at, const QByteArray &word) const
{
    if (at < 0 || at + word.size() > m_page.size())
        return false;
    for (int i = 0; i < word.size(); ++i) {
        const char c = m_page.at(at + i);
        if ((c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c) != word.at(i))
            return false;
    }
    return true;
}

bool PageTags::startsElement(int at, const QByteArray &name) const
{
    if (!startsWith(at, name))
        return false;
    // "<scripts>" opens no script.
    const int after = at + name.size();
    return after >= m_page.size()
           || std::any_of(m_nameEnds.cbegin(), m_nameEnds.cend(),
                          [this, after](const QByteArray &end) { return startsWith(after, end); });
}

// The next '<' at or after from; memchr where a character is a byte, as pages are searched whole.
int PageTags::nextLessThan(int from) const
{
    if (m_unit > 1)
        return characterIndexOf(m_page, m_lessThan, m_unit, from);
    if (from >= m_page.size())
        return -1;
    const char *found =
        static_cast<const char *>(std::memchr(m_page.constData() + from, '<', size_t(m_page.size() - from)));
    return found ? int(found - m_page.constData()) : -1;
}

int PageTags::next()
{
    for (int at = nextLessThan(m_from); at >= 0; at = nextLessThan(m_from)) {
        // Most tags open none of those, which the character after the '<' tells at once.
        const int nextAscii = at + m_unit + (m_lessThan.startsWith('<') ? 0 : m_unit - 1);
        const char c = nextAscii < m_page.size() ? m_page.at(nextAscii) : '\0';
        if (c != '!' && c != 's' && c != 'S') {
            m_from = at + m_unit;
            return at;
        }
        int end = -1;
        if (startsWith(at, m_words.at(0))) {
            // "<!-->" and "<!--->" end at once, as browsers read them.
            end = characterIndexOf(m_page, m_words.at(1), m_unit, at + 2 * m_unit);
            end = end < 0 ? -1 : end + m_words.at(1).size();
        } else if (startsElement(at, m_words.at(2)) || startsElement(at, m_words.at(4))) {
            const QByteArray &closing = m_words.at(startsWith(at, m_words.at(2)) ? 3 : 5);
            end = nextLessThan(at + m_unit);
            while (end >= 0 && !startsWith(end, closing))
                end = nextLessThan(end + m_unit);
        } else {
            m_from = at + m_unit;
            return at;
        }
        // Whatever is left unclosed stays hidden to the end of the page.
        m_hidden.append({at, end < 0 ? int(m_page.size()) : end});
        if (end < 0)
            break;
        m_from = end;
    }
    m_from = m_page.size();
    return -1;
}

bool PageTags::passTo(int before)
{
    const int size = m_page.size();
    while (m_from < before && m_from < size) {
        // Where a character is a byte, the tags that hide nothing are passed here, a page being
        // mostly those; the rest goes through next().
        if (m_unit == 1) {
            const char *bytes = m_page.constData();
            const char *found = static_cast<const char *>(std::memchr(bytes + m_from, '<', size_t(size - m_from)));
            const int at = found ? int(found - bytes) : size;
            const char c = at + 1 < size ? bytes[at + 1] : '\0';
            if (at < size && c != '!' && c != 's' && c != 'S') {
                m_from = at + 1;
                continue;
            }
            m_from = at;
        }
        if (next() < 0)
            return false;
    }
    return m_from < size;
}

bool PageTags::isMarker(int at) const
{
    return at >= 0 && at + m_marker.size() <= m_page.size()
           && std::memcmp(m_page.constData() + at, m_marker.constData(), size_t(m_marker.size())) == 0;
}

int PageTags::nextMarker()
{
    int at = next();
    while (at >= 0 && !isMarker(at))
        at = next();
    return at;
}

// The charset name a <meta> before the first visible marker declares, read as QTextCodec::codecForHtml
// reads one in the first 1024 bytes: browsers take a later one too.
static QByteArray declaredCharset(const QByteArray &page)
{
    PageTags tags(page, QTextCodec::codecForName("ISO-8859-1"));
    for (int start = tags.next(); start >= 0 && !tags.isMarker(start); start = tags.next()) {
        if (!tags.startsElement(start, QByteArrayLiteral("<meta")))
            continue;
        const int tagEnd = page.indexOf('>', start);
        const QByteArray tag = page.mid(start, tagEnd < 0 ? -1 : tagEnd + 1 - start);
        int at = tag.toLower().indexOf("charset=");
        if (at < 0)
            continue;
        at += 8;
        if (at < tag.size() && (tag.at(at) == '"' || tag.at(at) == '\''))
            ++at;
        for (int end = at; end < tag.size(); ++end) {
            if (QByteArray("\"'>/").contains(tag.at(end))) {
                const QByteArray name = tag.mid(at, end - at).simplified();
                if (!name.isEmpty())
                    return name;
                break;
            }
        }
    }
    return {};
}

PageCharset pageCharset(const QByteArray &page)
{
    if (QTextCodec *marked = QTextCodec::codecForUtfText(page, nullptr))
        return {marked, {}};
    const QByteArray name = declaredCharset(page);
    if (name.isEmpty())
        return {QTextCodec::codecForName("windows-1251"), {}};
    // As codecForHtml: what follows a colon is no part of the name, and "unicode" means UTF-8 there.
    const QByteArray known = name.split(':').first().toLower();
    QTextCodec *codec = QTextCodec::codecForName(known == "unicode" ? QByteArray("UTF-8") : known);
    if (!codec)
        return {nullptr, name};
    // The declaration itself was read as ASCII, so one that names UTF-16 is wrong; browsers read UTF-8 then.
    if (codec->fromUnicode(QLatin1String(NewsMarker)) != NewsMarker)
        codec = QTextCodec::codecForName("UTF-8");
    return {codec, name};
}

bool pageUsesCrLf(const QByteArray &page, QTextCodec *codec)
{
    const QByteArray cr = encodedAscii("\r", codec);
    const int firstLf = characterIndexOf(page, encodedAscii("\n", codec), cr.size());
    // Only the bytes before the first LF are searched for a CR, not the whole page.
    return firstLf > 0 && characterIndexOf(page.left(firstLf), cr, cr.size()) == firstLf - cr.size();
}

QByteArray encodeForNewsPage(const QString &text, QTextCodec *codec)
{
    const QScopedPointer<QTextEncoder> encoder(codec->makeEncoder(QTextCodec::IgnoreHeader));
    QByteArray encoded;
    encoded.reserve(text.size());
    // By code point, so a character outside the basic plane is one reference, not two halves.
    for (const char32_t codePoint : text.toUcs4()) {
        const QString character = QString::fromUcs4(&codePoint, 1);
        encoded += encoder->fromUnicode(codec->canEncode(character)
                                            ? character
                                            : QLatin1String("&#") + QString::number(uint(codePoint)) + QLatin1Char(';'));
    }
    return encoded;
}

bool insertAfterMarker(QByteArray &page, const QByteArray &item, QTextCodec *codec)
{
    // Searched as bytes, so every byte around it stays as it was, whatever the page holds.
    const int at = PageTags(page, codec).nextMarker();
    if (at < 0)
        return false;
    page.insert(at + encodedAscii(NewsMarker, codec).size(), item);
    return true;
}

QByteArray itemInPage(const QString &item, QTextCodec *codec, bool crLf)
{
    QString text = item;
    if (crLf)
        text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return encodeForNewsPage(text, codec);
}

PageEdit insertNewsItemInPlace(QByteArray &page, const QString &item)
{
    const PageCharset charset = pageCharset(page);
    if (!charset.codec)
        return {PageEdit::UnknownCharset, {}, charset.declaredName};
    if (!insertAfterMarker(page, itemInPage(item, charset.codec, pageUsesCrLf(page, charset.codec)), charset.codec))
        return {PageEdit::NoMarker, {}, {}};
    return {PageEdit::Edited, {}, {}};
}

PageEdit insertNewsItemIntoPage(const QByteArray &page, const QString &item)
{
    QByteArray edited = page;
    PageEdit edit = insertNewsItemInPlace(edited, item);
    if (edit.outcome == PageEdit::Edited)
        edit.page = edited;
    return edit;
}
