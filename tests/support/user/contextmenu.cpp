#include "contextmenu.h"

#include "ui/editorspelling.h"

#include <QMenu>
#include <QPlainTextEdit>

#include <memory>

QStringList chooseFromContextMenu(QPlainTextEdit *editor, const QString &word, const QString &choice)
{
    QTextCursor over = editor->document()->find(word);
    over.setPosition(over.selectionStart() + 1);
    const std::unique_ptr<QMenu> menu(editor->findChild<EditorSpelling *>()->contextMenu(editor->cursorRect(over).center()));
    QStringList shown;
    for (QAction *action : menu->actions())
        shown << (action->isSeparator() ? QStringLiteral("-") : action->text());
    if (shown.contains(choice))
        menu->actions().at(shown.indexOf(choice))->trigger();
    return shown;
}
