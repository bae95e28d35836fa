#ifndef PICTURENAME_H
#define PICTURENAME_H

#include <QString>

// The name a picture from the editor's disk takes on the server, from its file's name (a path is
// allowed): lower case, Cyrillic in Latin letters, anything but a-z 0-9 . _ - as '-', no '-' or '.'
// at its ends; "picture" where nothing is left of the base name, ".jpg" where there is no extension.
QString pictureName(const QString &fileName);

// text as such a name is cleaned, without an extension: "Школа 5" gives "shkola-5"; may be empty.
QString cleanedName(const QString &text);

// name with "-number" before its extension: ("foto-1.jpg", 2) gives "foto-1-2.jpg".
QString numberedName(const QString &name, int number);

#endif // PICTURENAME_H
