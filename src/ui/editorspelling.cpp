#include "ui/editorspelling.h"

#include "page/checkedwords.h"
#include "transfer/failurereason.h"
#include "page/spellchecker.h"
#include "ui/spellhighlighter.h"
#include "publish/userinterface.h"

#include <QCoreApplication>
#include <QList>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextBlock>

#include <memory>
#include <mutex>
#include <thread>

namespace {

// The dictionaries' load, shared with its thread. Closing the program never waits for that thread:
// the application abandons the load as it ends, and a thread still reading then drops what it read.
struct DictionaryLoad
{
    std::mutex mutex;
    bool abandoned = false;
    QObject *receiver = nullptr;  // in the GUI thread, told once the dictionaries are there
};

std::shared_ptr<DictionaryLoad> load;
// The GUI thread's side: the dictionaries once told, and who waits for them.
const SpellChecker *loadedChecker = nullptr;
QList<QPair<QPointer<QObject>, std::function<void(const SpellChecker *)>>> waiting;

void abandonLoad()
{
    if (!load)
        return;
    {
        const std::lock_guard<std::mutex> lock(load->mutex);
        load->abandoned = true;
        load->receiver = nullptr;
    }
    load.reset();
    delete loadedChecker;
    loadedChecker = nullptr;
    waiting.clear();
}

void loaded(const SpellChecker *checker)
{
    loadedChecker = checker;
    const auto told = waiting;
    waiting.clear();
    for (const auto &one : told) {
        if (one.first)
            one.second(checker);
    }
}

// The system's dictionaries, loaded once a run on a thread of their own (the Russian one takes
// half a second), then handed to ready in context's thread. The files are found here, with Qt; the
// thread only reads them.
void whenDictionariesLoaded(QObject *context, const std::function<void(const SpellChecker *)> &ready)
{
    if (loadedChecker) {
        ready(loadedChecker);
        return;
    }
    waiting.append({QPointer<QObject>(context), ready});
    if (load)
        return;
    load = std::make_shared<DictionaryLoad>();
    load->receiver = new QObject(QCoreApplication::instance());
    qAddPostRoutine(abandonLoad);
    std::thread([shared = load, files = SpellChecker::find()] {
        std::unique_ptr<SpellChecker> checker(new SpellChecker(files));
        const std::lock_guard<std::mutex> lock(shared->mutex);
        if (shared->abandoned)
            return;
        const SpellChecker *ready = checker.release();
        QMetaObject::invokeMethod(shared->receiver, [ready] { loaded(ready); }, Qt::QueuedConnection);
    }).detach();
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
