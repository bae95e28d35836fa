#include "newsitem.h"

#include <QLocale>
#include <QScopedPointer>
#include <QTextCodec>

const char NewsMarker[] = "<font color=yellow>";

QString composeNewsItem(const QString &editorText, const QDateTime &date)
{
    QString lines = editorText;
    // Enter types a paragraph separator, Shift+Enter a line separator; the editor shows both as a
    // new line, so both are one on the page.
    for (const QChar separator : {QChar(QChar::ParagraphSeparator), QChar(QChar::LineSeparator), QChar('\n')})
        lines.replace(separator, QLatin1String("<br>"));
    // The C locale keeps the digits ASCII whatever the user's locale is.
    const QString stamp = QLocale::c().toString(date, QStringLiteral("dd/MM/yyyy hh:mm"));
    return QLatin1String("\n \n") + lines + QLatin1String("<br>") + QLatin1String("\n \n")
           + QLatin1String("<br>") + stamp + QLatin1String("<br>") + QLatin1String("<br>");
}

// The charset name a <meta> in the first 1024 bytes declares, read as QTextCodec::codecForHtml reads it.
static QByteArray declaredCharset(const QByteArray &page)
{
    const QByteArray header = page.left(1024).toLower();
    int start = header.indexOf("meta ");
    if (start < 0 || (start = header.indexOf("charset=", start)) < 0)
        return {};
    start += 8;
    if (start < header.size() && (header.at(start) == '"' || header.at(start) == '\''))
        ++start;
    for (int end = start; end < header.size(); ++end) {
        if (QByteArray("\"'>/").contains(header.at(end)))
            return page.mid(start, end - start).simplified();
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
    QTextCodec *codec = QTextCodec::codecForHtml(page, nullptr);
    if (!codec)
        return {nullptr, name};
    // The declaration itself was read as ASCII, so one that names UTF-16 is wrong; browsers read UTF-8 then.
    if (codec->fromUnicode(QLatin1String(NewsMarker)) != NewsMarker)
        codec = QTextCodec::codecForName("UTF-8");
    return {codec, name};
}

static QByteArray encodedAscii(const char *text, QTextCodec *codec)
{
    const QScopedPointer<QTextEncoder> encoder(codec->makeEncoder(QTextCodec::IgnoreHeader));
    return encoder->fromUnicode(QLatin1String(text));
}

// The first occurrence of needle that starts a character, in a charset whose ASCII characters take
// `unit` bytes each (a byte-order mark being a whole number of them).
static int characterIndexOf(const QByteArray &page, const QByteArray &needle, int unit)
{
    for (int at = page.indexOf(needle); at >= 0; at = page.indexOf(needle, at + 1)) {
        if (at % unit == 0)
            return at;
    }
    return -1;
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
    for (const uint codePoint : text.toUcs4()) {
        const QString character = QString::fromUcs4(&codePoint, 1);
        encoded += encoder->fromUnicode(codec->canEncode(character)
                                            ? character
                                            : QLatin1String("&#") + QString::number(codePoint) + QLatin1Char(';'));
    }
    return encoded;
}

bool insertAfterMarker(QByteArray &page, const QByteArray &item, QTextCodec *codec)
{
    // Searched as bytes, so every byte around it stays as it was, whatever the page holds.
    const QByteArray marker = encodedAscii(NewsMarker, codec);
    const int at = characterIndexOf(page, marker, marker.size() / (int(sizeof(NewsMarker)) - 1));
    if (at < 0)
        return false;
    page.insert(at + marker.size(), item);
    return true;
}

ItemInsertion insertNewsItemIntoPage(const QByteArray &page, const QString &item)
{
    const PageCharset charset = pageCharset(page);
    if (!charset.codec)
        return {ItemInsertion::UnknownCharset, {}, charset.declaredName};
    QString text = item;
    if (pageUsesCrLf(page, charset.codec))
        text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    QByteArray result = page;
    if (!insertAfterMarker(result, encodeForNewsPage(text, charset.codec), charset.codec))
        return {ItemInsertion::NoMarker, {}, {}};
    return {ItemInsertion::Inserted, result, {}};
}
