#ifndef CONTEXTMENU_H
#define CONTEXTMENU_H

#include <QString>
#include <QStringList>

class QPlainTextEdit;

// The editor's context menu over the first word of its text, and a choice from it (none for an empty
// one). Returns the menu's items as shown, separators as "-".
QStringList chooseFromContextMenu(QPlainTextEdit *editor, const QString &word, const QString &choice);

#endif // CONTEXTMENU_H
