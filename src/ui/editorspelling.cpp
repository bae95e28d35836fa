#include "ui/editorspelling.h"

#include "page/checkedwords.h"
#include "transfer/failurereason.h"
#include "page/spellchecker.h"
#include "ui/spellhighlighter.h"
#include "publish/userinterface.h"

#include <QCoreApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QThread>

#include <memory>

namespace {

SpellChecker *loadedChecker = nullptr;
QThread *loading = nullptr;

void waitForDictionaries()
{
    if (loading) {
        loading->wait();
        delete loading;
    }
    delete loadedChecker;
}

// The system's dictionaries, loaded once a run on a thread of their own (the Russian one takes
// half a second), then handed to ready in context's thread.
void whenDictionariesLoaded(QObject *context, const std::function<void(const SpellChecker *)> &ready)
{
    if (!loading) {
        loading = QThread::create([] { loadedChecker = new SpellChecker; });
        qAddPostRoutine(waitForDictionaries);
        loading->start();
    }
    if (loading->isFinished())
        ready(loadedChecker);
    else
        QObject::connect(loading, &QThread::finished, context, [ready] { ready(loadedChecker); });
}

} // namespace

EditorSpelling::EditorSpelling(QPlainTextEdit *editor, const QString &wordListFile, UserInterface &user)
    : QObject(editor)
    , m_editor(editor)
    , m_highlighter(new SpellHighlighter(editor->document()))
    , m_user(user)
    , m_words(wordListFile)
{
    m_editor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_editor, &QWidget::customContextMenuRequested, this, &EditorSpelling::showMenu);
    whenDictionariesLoaded(this, [this](const SpellChecker *checker) {
        if (!m_checker)
            setChecker(checker);
    });
}

void EditorSpelling::setChecker(const SpellChecker *checker)
{
    m_checker = checker;
    m_highlighter->setMisspelt([this](const QString &word) { return isMisspelt(word); });
}

bool EditorSpelling::isMisspelt(const QString &word) const
{
    return m_checker && !m_skipped.contains(word) && !m_words.contains(word) && !m_checker->isCorrect(word);
}

void EditorSpelling::showMenu(const QPoint &position)
{
    const std::unique_ptr<QMenu> menu(contextMenu(position));
    menu->exec(m_editor->viewport()->mapToGlobal(position));
}

QMenu *EditorSpelling::contextMenu(const QPoint &position)
{
    QMenu *menu = m_editor->createStandardContextMenu(position);
    const QTextCursor at = m_editor->cursorForPosition(position);
    const QTextBlock block = at.block();
    const int previousState = block.previous().isValid() ? block.previous().userState() : -1;
    const WordRange range = checkedWordAt(block.text(), previousState < 0 ? MarkupState::Text : MarkupState(previousState),
                                          at.positionInBlock());
    const QString word = block.text().mid(range.start, range.length);
    if (range.length > 0 && isMisspelt(word)) {
        QAction *first = menu->actions().value(0);
        for (const QString &suggestion : m_checker->suggestions(word)) {
            QAction *replace = new QAction(suggestion, menu);
            // The replacement is one step of the editor's undo history.
            connect(replace, &QAction::triggered, this, [this, block, range, suggestion] {
                QTextCursor cursor(block);
                cursor.setPosition(block.position() + range.start);
                cursor.setPosition(block.position() + range.start + range.length, QTextCursor::KeepAnchor);
                cursor.beginEditBlock();
                cursor.insertText(suggestion);
                cursor.endEditBlock();
            });
            menu->insertAction(first, replace);
        }
        QAction *skip = new QAction(tr("Пропустить"), menu);
        connect(skip, &QAction::triggered, this, [this, word] {
            m_skipped.insert(word);
            m_highlighter->rehighlight();
        });
        QAction *add = new QAction(tr("Добавить в словарь"), menu);
        connect(add, &QAction::triggered, this, [this, word] { keep(word); });
        menu->insertSeparator(first);
        menu->insertAction(first, skip);
        menu->insertAction(first, add);
        menu->insertSeparator(first);
    }
    return menu;
}

void EditorSpelling::keep(const QString &word)
{
    QString error;
    const bool kept = m_words.add(word, &error);
    m_highlighter->rehighlight();
    // Said once: the words still count for this run.
    if (kept || m_failureSaid)
        return;
    m_failureSaid = true;
    m_user.showMessage(tr("Слова, добавленные в словарь, не сохраняются до следующего запуска.") + QLatin1Char(' ')
                       + localFileProblem(m_words.fileName(), LocalAccess::Write, error));
}
