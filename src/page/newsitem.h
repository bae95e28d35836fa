#ifndef NEWSITEM_H
#define NEWSITEM_H

#include <QByteArray>
#include <QByteArrayList>
#include <QDateTime>
#include <QPair>
#include <QString>
#include <QVector>

class QTextCodec;

// New items go directly after the first occurrence of this marker, so the newest comes first.
extern const char NewsMarker[];

// The item as it goes into the page: the editor's lines joined by <br>, then the date. The text is
// the editor's raw text: paragraph (U+2029) and line (U+2028) separators are its line breaks. Control
// characters other than tab and line breaks are left out.
QString composeNewsItem(const QString &editorText, const QDateTime &date);

// Whether the editor's text would give an item with nothing in it but the date.
bool isBlankNewsText(const QString &editorText);

// The '<' of every tag of a page in turn, as bytes in the page's charset, skipping what a browser does
// not show as text: comments, scripts and style sheets (element names in any case).
class PageTags
{
public:
    PageTags(const QByteArray &page, QTextCodec *codec);
    // The next '<' outside those, or -1 at the end.
    int next();
    // Every tag before `before` passed, as by next(), so that the hidden stretches among them are known;
    // false once the page's end has been passed.
    bool passTo(int before);
    // The next news marker, spelt exactly, outside those; -1 when there is none.
    int nextMarker();
    bool isMarker(int at) const;
    // At `at` the page holds the element name (ASCII, lower case, "<" included) in any case.
    bool startsElement(int at, const QByteArray &name) const;
    // The hidden stretches passed so far, as [start, end) byte ranges.
    const QVector<QPair<int, int>> &hidden() const { return m_hidden; }

private:
    bool startsWith(int at, const QByteArray &word) const;
    int nextLessThan(int from) const;

    const QByteArray &m_page;
    QByteArray m_lessThan;
    int m_unit;
    QByteArray m_marker;
    QByteArrayList m_words;
    QByteArrayList m_nameEnds;
    int m_from = 0;
    QVector<QPair<int, int>> m_hidden;
};

// How the page's text is stored. declaredName is the charset name the page's <meta> gives, as written;
// codec is null when Qt does not know that name.
struct PageCharset
{
    QTextCodec *codec = nullptr;
    QByteArray declaredName;
};

// A byte-order mark, else the <meta> declaration (charset= or http-equiv Content-Type) before the first
// marker, else windows-1251.
PageCharset pageCharset(const QByteArray &page);

// True when the page's first line break is CR LF; a page that starts with LF or a lone CR, or has none, takes LF.
bool pageUsesCrLf(const QByteArray &page, QTextCodec *codec);

// ASCII text in codec's bytes, without a byte-order mark.
QByteArray encodedAscii(const char *text, QTextCodec *codec);

// text in codec's bytes, without a byte-order mark; a character the charset lacks becomes &#N; (N its
// code point) so the page still shows it.
QByteArray encodeForNewsPage(const QString &text, QTextCodec *codec);

// Inserts item after the first marker of page that a browser shows as text, the marker as codec writes
// it; false, page untouched, when there is none.
bool insertAfterMarker(QByteArray &page, const QByteArray &item, QTextCodec *codec);

// A page changed by an item inserted, replaced or removed, every other byte kept.
struct PageEdit
{
    enum Outcome { Edited, UnknownCharset, NoMarker, ItemChanged };
    Outcome outcome = Edited;
    QByteArray page;          // the new page, when edited
    QByteArray charsetName;   // the unknown name the page declares
};

// item as the page writes it: in its charset and line breaks.
QByteArray itemInPage(const QString &item, QTextCodec *codec, bool crLf);

// The page with the item inserted in the page's own charset and line breaks.
PageEdit insertNewsItemIntoPage(const QByteArray &page, const QString &item);
// The same made in page itself, which stays as it was unless Edited; the result's page is left empty.
// A page held once is changed without a copy of it.
PageEdit insertNewsItemInPlace(QByteArray &page, const QString &item);

#endif // NEWSITEM_H
