#ifndef NEWSITEM_H
#define NEWSITEM_H

#include <QByteArray>
#include <QDateTime>
#include <QString>

// New items go directly after the first occurrence of this marker, so the newest comes first.
extern const char NewsMarker[];

// The item as it goes into the page: the editor's lines joined by <br>, then the date.
QString composeNewsItem(const QString &editorText, const QDateTime &date);

// "backup_dd-MM-yyyy_hh-mm-ss.bak", relative to the working directory.
QString automaticBackupName(const QDateTime &now);

// windows-1251 bytes; a character the code page lacks becomes &#N; (N its code point) so the page still shows it.
QByteArray encodeForNewsPage(const QString &text);

// Inserts item after the first marker of page; false, page untouched, when there is no marker.
bool insertAfterMarker(QByteArray &page, const QByteArray &item);

#endif // NEWSITEM_H
