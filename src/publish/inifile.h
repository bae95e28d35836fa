#ifndef INIFILE_H
#define INIFILE_H

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Top-level keys of an INI file and the values they are to take.
using IniValues = QList<QPair<QString, QString>>;

// text (UTF-8, an INI file as people write it) with each key of values set: written where the key
// stands (every line of it, should it stand more than once), else added after the last top-level line.
// Comments, the order of lines, other keys and sections and the file's line ends are kept. A value
// with a comma, semicolon, quote, backslash or white space at its ends is written in double quotes.
QByteArray withIniValues(const QByteArray &text, const IniValues &values);

// A value as an INI line holds it: quoted where the INI syntax would read it otherwise.
QByteArray iniValueText(const QString &value);

// The file edited so, written through QSaveFile (a link in its place replaced by a file of its own);
// false with the reason in error (the system's words) when it cannot be read or written.
bool writeIniValues(const QString &fileName, const IniValues &values, QString *error);

// A top-level key's value as the program reads the file (UTF-8); empty when missing or unreadable.
QString iniValue(const QString &fileName, const QString &key);

#endif // INIFILE_H
