#ifndef EDITORSPELLING_H
#define EDITORSPELLING_H

#include <QObject>
#include <QSet>
#include <QString>

#include "publish/wordlist.h"

class QMenu;
class QPlainTextEdit;
class QPoint;
class SpellChecker;
class SpellHighlighter;
class UserInterface;

// Spell checking of the item as it is typed: misspelt words underlined, and the editor's context
// menu offering suggestions, «Пропустить» for this run and «Добавить в словарь» for good.
class EditorSpelling : public QObject
{
    Q_OBJECT

public:
    // wordListFile holds the words added to the dictionary; user hears of a failed write, once.
    EditorSpelling(QPlainTextEdit *editor, const QString &wordListFile, UserInterface &user);

    // A new context menu for position in the editor's viewport, the word there's choices first; the caller
    // owns it.
    QMenu *contextMenu(const QPoint &position);

private:
    void setChecker(const SpellChecker *checker);
    bool isMisspelt(const QString &word) const;
    void showMenu(const QPoint &position);
    void keep(const QString &word);

    QPlainTextEdit *m_editor;
    SpellHighlighter *m_highlighter;
    UserInterface &m_user;
    const SpellChecker *m_checker = nullptr;
    WordList m_words;
    QSet<QString> m_skipped;
    bool m_failureSaid = false;
};

#endif // EDITORSPELLING_H
