#include "ui/newsadder.h"
#include "workdir.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

// The markup buttons, undo/redo and recieveLink, used on a real main window as the editor would.
class TestMarkup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void wrapCommands_data();
    void wrapCommands();
    void recieveLinkInsertsAtCursor_data();
    void recieveLinkInsertsAtCursor();
    void recieveLinkLogsFragment();
    void undoRedoWithoutHistory();
    void undoRedoOfTyping();

private:
    QPushButton *button(const char *name) { return m_window->findChild<QPushButton *>(name); }
    QPlainTextEdit *editor() { return m_window->findChild<QPlainTextEdit *>("textEdit"); }
    void startWith(const QString &text, int anchor, int position);

    WorkDir *m_dir = nullptr;
    NewsAdder *m_window = nullptr;
};

void TestMarkup::init()
{
    m_dir = new WorkDir;
    m_window = new NewsAdder(QString(), QString(), QString(), 0);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestMarkup::cleanup()
{
    delete m_window;
    m_window = nullptr;
    delete m_dir;
    m_dir = nullptr;
}

// Fresh text without history, selected from anchor to position (equal for no selection).
void TestMarkup::startWith(const QString &text, int anchor, int position)
{
    editor()->setPlainText(text);
    QTextCursor cursor = editor()->textCursor();
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    editor()->setTextCursor(cursor);
}

void TestMarkup::wrapCommands_data()
{
    QTest::addColumn<QString>("buttonName");
    QTest::addColumn<int>("fontSize");
    QTest::addColumn<int>("colourIndex");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("cursorAfter");

    QTest::newRow("bold, abc selected") << "boldTagButton" << 12 << 0
        << "abc" << 0 << 3 << "<b>abc</b>" << 10;
    QTest::newRow("bold, selected right to left") << "boldTagButton" << 12 << 0
        << "x abc y" << 5 << 2 << "x <b>abc</b> y" << 12;
    QTest::newRow("bold, nothing selected") << "boldTagButton" << 12 << 0
        << "ab" << 1 << 1 << "a<b></b>b" << 4;
    QTest::newRow("italic, nothing selected") << "italicTagButton" << 12 << 0
        << "abc" << 3 << 3 << "abc<i></i>" << 6;
    QTest::newRow("italic, word selected") << "italicTagButton" << 12 << 0
        << "one two" << 4 << 7 << "one <i>two</i>" << 14;
    QTest::newRow("underline, abc selected") << "underlineTagButton" << 12 << 0
        << "abc" << 0 << 3 << "<u>abc</u>" << 10;
    QTest::newRow("underline, empty editor") << "underlineTagButton" << 12 << 0
        << "" << 0 << 0 << "<u></u>" << 3;
    QTest::newRow("size 12") << "pushButtonSetFontSize" << 12 << 0
        << "abc" << 0 << 3 << "<font style=\"font-size:12pt\">abc</font>" << 39;
    QTest::newRow("size 0 is held at 1") << "pushButtonSetFontSize" << 0 << 0
        << "abc" << 0 << 3 << "<font style=\"font-size:1pt\">abc</font>" << 38;
    QTest::newRow("size 99, nothing selected") << "pushButtonSetFontSize" << 99 << 0
        << "" << 0 << 0 << "<font style=\"font-size:99pt\"></font>" << 29;

    const char *const colours[] = {"red", "yellow", "green", "blue", "black", "white"};
    for (int index = 0; index < 6; ++index) {
        const QString opening = QStringLiteral("<font color=\"%1\">").arg(colours[index]);
        QTest::addRow("colour %d, %s", index, colours[index]) << "pushButtonSetFontColor" << 12
            << index << "abc" << 0 << 3 << opening + "abc</font>" << opening.size() + 10;
    }

    // One opening before the first line and one closing after the last; the break stays.
    QTest::newRow("bold over two lines") << "boldTagButton" << 12 << 0
        << "one\ntwo" << 0 << 7 << "<b>one\ntwo</b>" << 14;
    QTest::newRow("colour over part of two lines") << "pushButtonSetFontColor" << 12 << 3
        << "xone\ntwoy\nz" << 1 << 8 << "x<font color=\"blue\">one\ntwo</font>y\nz" << 34;
}

void TestMarkup::wrapCommands()
{
    QFETCH(QString, buttonName);
    QFETCH(int, fontSize);
    QFETCH(int, colourIndex);
    QFETCH(QString, text);
    QFETCH(int, anchor);
    QFETCH(int, position);
    QFETCH(QString, expected);
    QFETCH(int, cursorAfter);

    m_window->findChild<QSpinBox *>("spinBoxFontSize")->setValue(fontSize);
    m_window->findChild<QComboBox *>("comboBoxFontColor")->setCurrentIndex(colourIndex);
    startWith(text, anchor, position);

    QTest::mouseClick(button(buttonName.toLatin1()), Qt::LeftButton);
    QCOMPARE(editor()->toPlainText(), expected);
    QCOMPARE(editor()->textCursor().position(), cursorAfter);
    QVERIFY(!editor()->textCursor().hasSelection());

    // The whole wrap is one step back, and one step forward again.
    QTest::mouseClick(button("undoButton"), Qt::LeftButton);
    QCOMPARE(editor()->toPlainText(), text);
    QVERIFY(!editor()->document()->isUndoAvailable());
    QTest::mouseClick(button("redoBtn"), Qt::LeftButton);
    QCOMPARE(editor()->toPlainText(), expected);
}

void TestMarkup::recieveLinkInsertsAtCursor_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("fragment");
    QTest::addColumn<QString>("expected");

    QTest::newRow("at the cursor") << "see  now" << 4 << 4
        << "<a href=\"page.html\" >more</a>" << "see <a href=\"page.html\" >more</a> now";
    QTest::newRow("replaces the selection") << "see here now" << 4 << 8
        << "<img src=\"a.jpg\" border=\"0\"  align=\"center\"  ></img>"
        << "see <img src=\"a.jpg\" border=\"0\"  align=\"center\"  ></img> now";
    QTest::newRow("empty fragment removes the selection") << "see here now" << 8 << 4
        << "" << "see  now";
    QTest::newRow("taken as it is") << "" << 0 << 0
        << " <a href=\"a&b<c\">\"x\"</a> " << " <a href=\"a&b<c\">\"x\"</a> ";
}

void TestMarkup::recieveLinkInsertsAtCursor()
{
    QFETCH(QString, text);
    QFETCH(int, anchor);
    QFETCH(int, position);
    QFETCH(QString, fragment);
    QFETCH(QString, expected);

    startWith(text, anchor, position);
    m_window->recieveLink(fragment);
    QCOMPARE(editor()->toPlainText(), expected);
    QCOMPARE(editor()->textCursor().position(), qMin(anchor, position) + fragment.size());
    QVERIFY(!editor()->textCursor().hasSelection());

    QTest::mouseClick(button("undoButton"), Qt::LeftButton);
    QCOMPARE(editor()->toPlainText(), text);
}

void TestMarkup::recieveLinkLogsFragment()
{
    QTest::ignoreMessage(QtDebugMsg, "\"<b>x</b>\"");
    m_window->recieveLink(QStringLiteral("<b>x</b>"));
    QCOMPARE(editor()->toPlainText(), QStringLiteral("<b>x</b>"));
}

void TestMarkup::undoRedoWithoutHistory()
{
    editor()->setPlainText(QStringLiteral("abc"));
    QTest::mouseClick(button("undoButton"), Qt::LeftButton);
    QCOMPARE(editor()->toPlainText(), QStringLiteral("abc"));
    QTest::mouseClick(button("redoBtn"), Qt::LeftButton);
    QCOMPARE(editor()->toPlainText(), QStringLiteral("abc"));
}

void TestMarkup::undoRedoOfTyping()
{
    editor()->setFocus();
    QTest::keyClicks(editor(), QStringLiteral("news"));
    QTest::mouseClick(button("redoBtn"), Qt::LeftButton);  // nothing undone yet
    QCOMPARE(editor()->toPlainText(), QStringLiteral("news"));

    // Each command is a step of its own, even right after typing or another command.
    QTest::mouseClick(button("boldTagButton"), Qt::LeftButton);
    QTest::mouseClick(button("italicTagButton"), Qt::LeftButton);
    QCOMPARE(editor()->toPlainText(), QStringLiteral("news<b><i></i></b>"));
    QTest::mouseClick(button("undoButton"), Qt::LeftButton);
    QCOMPARE(editor()->toPlainText(), QStringLiteral("news<b></b>"));
    QTest::mouseClick(button("undoButton"), Qt::LeftButton);
    QCOMPARE(editor()->toPlainText(), QStringLiteral("news"));
    QTest::mouseClick(button("undoButton"), Qt::LeftButton);
    QCOMPARE(editor()->toPlainText(), QString());
    QTest::mouseClick(button("redoBtn"), Qt::LeftButton);
    QTest::mouseClick(button("redoBtn"), Qt::LeftButton);
    QCOMPARE(editor()->toPlainText(), QStringLiteral("news<b></b>"));
}

QTEST_MAIN(TestMarkup)
#include "tst_markup.moc"
