#ifndef LOCALPICTURES_H
#define LOCALPICTURES_H

#include <QHash>
#include <QList>
#include <QString>

// The attribute the image dialog gives a picture from the editor's disk: the width it is shrunk to
// before upload. Only the draft holds it; the published item does not.
extern const char ShrinkAttribute[];

// A picture that an item names by a file:// address.
struct LocalPicture
{
    QString filePath;     // the local file, with '/' separators
    int shrinkWidth = 0;  // 0: uploaded as it is
};

// Whether address names a file on the editor's disk (file:…).
bool isLocalAddress(const QString &address);

// The local pictures of item's <img> tags in order, each file once (the first tag's shrink width).
QList<LocalPicture> localPictures(const QString &item);

// item with the src of every local picture that addresses holds (by filePath) replaced by its
// address there, and its shrink attribute left out; other tags stay as they are.
QString withPictureAddresses(const QString &item, const QHash<QString, QString> &addresses);

// text with the numbers at the end of the names of pictures in folder (encoded, ending in '/') left
// out of their src ("images/foto-1-2.jpg" as "images/foto.jpg"), so that an item sent before is
// known whatever numbers its pictures' names got where they were taken.
QString withoutNameNumbers(const QString &text, const QString &folder);

#endif // LOCALPICTURES_H
