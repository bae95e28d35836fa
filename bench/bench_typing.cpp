// Measures how long a key press takes to show in a 1,000-line item with spell checking on: a letter at
// the end, one at the start, and the last '-' of a "<!--" at the start, which turns every line after it
// into a comment and so has them all read again.
#include "offscreenplatform.h"
#include "ui/newsadder.h"
#include "workdir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <cstdio>

namespace {

const int Presses = 21;

bool underlinesShown(QPlainTextEdit *editor)
{
    return !editor->document()->firstBlock().layout()->formats().isEmpty();
}

double medianPressMs(QPlainTextEdit *editor, QTextCursor::MoveOperation where, const QString &key,
                     const QString &before = QString())
{
    QVector<double> times;
    for (int press = 0; press < Presses; ++press) {
        editor->moveCursor(where);
        if (!before.isEmpty())
            editor->insertPlainText(before);
        QElapsedTimer timer;
        timer.start();
        QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, key, Qt::NoModifier);
        editor->viewport()->repaint();
        times << timer.nsecsElapsed() / 1e6;
        editor->undo();
        if (!before.isEmpty())
            editor->undo();
    }
    std::sort(times.begin(), times.end());
    return times[Presses / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    useOffscreenWithoutDisplay();
    QApplication app(argc, argv);
    WorkDir dir;
    NewsAdder window("", "", "", 0);
    window.show();
    QPlainTextEdit *editor = window.findChild<QPlainTextEdit *>("textEdit");
    QStringList lines;
    for (int line = 0; line < 1000; ++line)
        lines << QStringLiteral("Превед %1: <b>новости</b> клуба, <a href=\"a.html\">ссылка</a> и wrld слова").arg(line);
    editor->setPlainText(lines.join(QLatin1Char('\n')));
    QElapsedTimer loading;
    loading.start();
    while (!underlinesShown(editor) && loading.elapsed() < 30000)
        QTest::qWait(10);
    std::printf("dictionaries loaded and 1,000 lines underlined after %lld ms\n", loading.elapsed());
    editor->setFocus();
    std::printf("key press at the end:      %.2f ms (median of %d)\n", medianPressMs(editor, QTextCursor::End, "x"), Presses);
    std::printf("key press at the start:    %.2f ms\n", medianPressMs(editor, QTextCursor::Start, "x"));
    std::printf("\"<!--\" at the start:     %.2f ms (all 1,000 lines read again)\n",
                medianPressMs(editor, QTextCursor::Start, "-", "<!-"));
    const bool unchanged = editor->toPlainText() == lines.join(QLatin1Char('\n'));
    std::printf("the item after the presses and their undoing: %s\n", unchanged ? "as before" : "CHANGED");
    return unchanged ? 0 : 1;
}
