#ifndef CONTEXTMENU_H
#define CONTEXTMENU_H

#include <QString>
#include <QStringList>

class QPlainTextEdit;

// A right click on the first word of the editor's text, and a choice from the menu that opens (none
// for an empty choice). Returns the menu's items as shown, separators as "-".
QStringList chooseFromContextMenu(QPlainTextEdit *editor, const QString &word, const QString &choice);

#endif // CONTEXTMENU_H
