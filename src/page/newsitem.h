#ifndef NEWSITEM_H
#define NEWSITEM_H

#include <QByteArray>
#include <QDateTime>
#include <QString>

class QTextCodec;

// New items go directly after the first occurrence of this marker, so the newest comes first.
extern const char NewsMarker[];

// The item as it goes into the page: the editor's lines joined by <br>, then the date. The text is
// the editor's raw text: paragraph (U+2029) and line (U+2028) separators are its line breaks.
QString composeNewsItem(const QString &editorText, const QDateTime &date);

// How the page's text is stored. declaredName is the charset name the page's <meta> gives, as written;
// codec is null when Qt does not know that name.
struct PageCharset
{
    QTextCodec *codec = nullptr;
    QByteArray declaredName;
};

// A byte-order mark, else the <meta> declaration (charset= or http-equiv Content-Type), else windows-1251.
PageCharset pageCharset(const QByteArray &page);

// True when the page's first line break is CR LF; a page that starts with LF or a lone CR, or has none, takes LF.
bool pageUsesCrLf(const QByteArray &page, QTextCodec *codec);

// text in codec's bytes, without a byte-order mark; a character the charset lacks becomes &#N; (N its
// code point) so the page still shows it.
QByteArray encodeForNewsPage(const QString &text, QTextCodec *codec);

// Inserts item after the first marker of page, the marker as codec writes it; false, page untouched,
// when there is none.
bool insertAfterMarker(QByteArray &page, const QByteArray &item, QTextCodec *codec);

// The page with the item inserted in the page's own charset and line breaks, every other byte kept.
struct ItemInsertion
{
    enum Outcome { Inserted, UnknownCharset, NoMarker };
    Outcome outcome = Inserted;
    QByteArray page;          // the new page, when inserted
    QByteArray charsetName;   // the unknown name the page declares
};
ItemInsertion insertNewsItemIntoPage(const QByteArray &page, const QString &item);

#endif // NEWSITEM_H
