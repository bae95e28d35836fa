#include "contextmenu.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTimer>

QStringList chooseFromContextMenu(QPlainTextEdit *editor, const QString &word, const QString &choice)
{
    QTextCursor cursor = editor->document()->find(word);
    if (cursor.isNull())
        return {};
    cursor.setPosition(cursor.selectionStart() + 1);
    const QPoint at = editor->cursorRect(cursor).center();

    QStringList shown;
    QTimer poll;
    int polls = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu) {
            if (++polls > 500)
                poll.stop();
            return;
        }
        poll.stop();
        QAction *chosen = nullptr;
        for (QAction *action : menu->actions()) {
            const QString text = action->isSeparator() ? QStringLiteral("-") : action->text();
            shown << text;
            if (text == choice)
                chosen = action;
        }
        menu->close();
        if (chosen)
            chosen->trigger();
    });
    poll.start(10);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, editor->viewport()->mapToGlobal(at));
    QApplication::sendEvent(editor->viewport(), &event);
    return shown;
}
