// Spell checking as the editor types: misspelt words underlined, markup never, and the context menu's
// suggestions and word list.
#include "page/checkedwords.h"
#include "contextmenu.h"
#include "publish/editorstate.h"
#include "filebytes.h"
#include "modalanswerer.h"
#include "ui/newsadder.h"
#include "page/spellchecker.h"
#include "windowinput.h"
#include "publish/wordlist.h"
#include "workdir.h"

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

#include <memory>

namespace {

QPlainTextEdit *editorOf(NewsAdder &window)
{
    return window.findChild<QPlainTextEdit *>("textEdit");
}

// The words shown with the spell-check wave, in order.
QStringList underlined(QPlainTextEdit *editor)
{
    QStringList words;
    for (QTextBlock block = editor->document()->begin(); block.isValid(); block = block.next()) {
        for (const QTextLayout::FormatRange &range : block.layout()->formats()) {
            if (range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
                words << block.text().mid(range.start, range.length);
        }
    }
    return words;
}

} // namespace

class TestSpelling : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void underlinedWords_data();
    void underlinedWords();
    void suggestionsSkipAndWordList();
    void wordListReadAsFarAsSound_data();
    void wordListReadAsFarAsSound();
    void keptFilesReplaceLinks_data();
    void keptFilesReplaceLinks();
    void dictionaries();
};

void TestSpelling::initTestCase()
{
    QVERIFY2(QFile::exists("/usr/share/hunspell/ru_RU.dic") && QFile::exists("/usr/share/hunspell/en_US.dic"),
             "the tests' packages install hunspell-ru and hunspell-en-us");
    // The system's dictionaries load once a run, in the background: waited for here, not in each row.
    WorkDir dir;
    NewsAdder window("", "", "", 0);
    editorOf(window)->setPlainText("Превед");
    QTRY_COMPARE_WITH_TIMEOUT(underlined(editorOf(window)), QStringList{"Превед"}, 20000);
}

void TestSpelling::underlinedWords_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("English and Russian") << "Hello wrld, привет мир" << QStringList{"wrld"};
    QTest::newRow("attribute values") << "<img src=\"фотко.jpg\" alt=\"ошибко\" title='ошибко' border=\"0\">текст"
                                      << QStringList{};
    QTest::newRow("tag over two lines") << "<font\ncolor=\"ошибко\">слово</font> превед" << QStringList{"превед"};
    QTest::newRow("entities") << "Цена&nbsp;сто&nbsp;рублей &laquo;ошибко&raquo;" << QStringList{"ошибко"};
    QTest::newRow("addresses") << "Пишите: ivan@mael.ru, http://examplle.com/страниса или www.saiit.ru" << QStringList{};
    QTest::newRow("link text is checked") << "<a href=\"news.html\" target=\"_blank\">новасти</a>"
                                          << QStringList{"новасти"};
    QTest::newRow("comment") << "<!-- черновек --> итог" << QStringList{};
    QTest::newRow("a lone < is text") << "1 < 2 очепятка" << QStringList{"очепятка"};
}

// Underlined within half a second of typing.
void TestSpelling::underlinedWords()
{
    QFETCH(QString, item);
    QFETCH(QStringList, expected);

    WorkDir dir;
    NewsAdder window("", "", "", 0);
    typeKeys(editorOf(window), item);
    QTest::qWait(expected.isEmpty() ? 100 : 0);
    QTRY_COMPARE_WITH_TIMEOUT(underlined(editorOf(window)), expected, 500);
}

void TestSpelling::suggestionsSkipAndWordList()
{
    WorkDir dir;
    auto window = std::make_unique<NewsAdder>("", "", "", 0);
    QPlainTextEdit *editor = editorOf(*window);
    typeKeys(editor, "Превед медвед, кросавчег");
    QTRY_COMPARE_WITH_TIMEOUT(underlined(editor).size(), 3, 500);

    // Up to five suggestions first, then the two choices, then the editor's own items.
    const QStringList menu = chooseFromContextMenu(editor, "медвед", "медведь");
    const int suggestions = menu.indexOf("-");
    QVERIFY2(suggestions >= 1 && suggestions <= 5 && menu.mid(suggestions, 4) == (QStringList{"-", "Пропустить", "Добавить в словарь", "-"}),
             qPrintable(menu.join(" | ")));
    QCOMPARE(editor->toPlainText(), QStringLiteral("Превед медведь, кросавчег"));
    editor->undo();
    QCOMPARE(editor->toPlainText(), QStringLiteral("Превед медвед, кросавчег"));
    QVERIFY(!chooseFromContextMenu(editor, "Превед", "Добавить в словарь").isEmpty());
    QVERIFY(!chooseFromContextMenu(editor, "кросавчег", "Пропустить").isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(underlined(editor), QStringList{"медвед"}, 500);
    QCOMPARE(readFile(WordListFileName), QByteArray("Превед\n"));
    // A correct word offers nothing of the kind.
    editor->setPlainText("правильно");
    QVERIFY(!chooseFromContextMenu(editor, "правильно", "").contains("Пропустить"));

    // Started again: the added word is kept, the skipped one was for that run only.
    window = std::make_unique<NewsAdder>("", "", "", 0);
    editorOf(*window)->setPlainText("Превед кросавчег");
    QTRY_COMPARE_WITH_TIMEOUT(underlined(editorOf(*window)), QStringList{"кросавчег"}, 500);
}

void TestSpelling::wordListReadAsFarAsSound_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QStringList>("known");
    QTest::addColumn<QStringList>("unknown");

    QTest::newRow("stops at a control character") << QByteArray("медвед\r\nпре\x01вед\nкросавчег\n")
                                                  << QStringList{"медвед", "Медвед"} << QStringList{"кросавчег"};
    QByteArray huge = "медвед\n" + QByteArray("слово\n").repeated(100000);
    huge.insert(MaxWordListBytes - 3, "кросавчег\n");
    QTest::newRow("over 1 MB") << huge << QStringList{"медвед", "слово"} << QStringList{"кросавчег"};
    QTest::newRow("a folder in its place") << QByteArray() << QStringList{} << QStringList{"медвед"};
}

void TestSpelling::wordListReadAsFarAsSound()
{
    QFETCH(QByteArray, contents);
    QFETCH(QStringList, known);
    QFETCH(QStringList, unknown);

    WorkDir dir;
    QVERIFY(contents.isEmpty() ? QDir().mkdir(WordListFileName) : writeFile(WordListFileName, contents));
    const WordList words(WordListFileName);
    for (const QString &word : known)
        QVERIFY2(words.contains(word), qPrintable(word));
    for (const QString &word : unknown)
        QVERIFY2(!words.contains(word), qPrintable(word));
}

void TestSpelling::keptFilesReplaceLinks_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("state file") << EditorStateFileName;
    QTest::newRow("word list") << WordListFileName;
}

// A link in place of a file the window keeps is replaced by the program's own file; what it points to stays.
void TestSpelling::keptFilesReplaceLinks()
{
    QFETCH(QString, file);

    WorkDir dir;
    QTemporaryDir elsewhere;
    const QString linked = elsewhere.filePath("linked.txt");
    QVERIFY(writeFile(linked, "kept"));
    QVERIFY(QFile::link(linked, file));
    ModalAnswerer answerer;
    {
        NewsAdder window("", "", "", 0);
        editorOf(window)->setPlainText("Превед");
        QTRY_COMPARE_WITH_TIMEOUT(underlined(editorOf(window)).size(), 1, 500);
        chooseFromContextMenu(editorOf(window), "Превед", "Добавить в словарь");
        window.close();
    }
    QCOMPARE(answerer.texts(), QStringList());
    QCOMPARE(readFile(linked), QByteArray("kept"));
    QVERIFY(!QFileInfo(file).isSymLink());
    QVERIFY(readFile(file).contains("Превед"));
}

// A dictionary in its declared charset, and a missing one: one log line, its words never underlined.
void TestSpelling::dictionaries()
{
    QTemporaryDir folder;
    // "медвпрея" to try, and the words "медвед" and "превед", in KOI8-R.
    QVERIFY(writeFile(folder.filePath("ru_RU.aff"), "SET KOI8-R\nTRY \xcd\xc5\xc4\xd7\xd0\xd2\xc5\xd1\n"));
    QVERIFY(writeFile(folder.filePath("ru_RU.dic"), "2\n\xcd\xc5\xc4\xd7\xc5\xc4\n\xd0\xd2\xc5\xd7\xc5\xc4\n"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Spelling: no en_US dictionary in .*"));
    const SpellChecker checker({folder.path()});
    QVERIFY(checker.isCorrect("медвед") && checker.isCorrect("Превед") && !checker.isCorrect("медведь"));
    QVERIFY(checker.suggestions("медвет").contains("медвед"));
    QVERIFY(checker.isCorrect("wrld"));
}

QTEST_MAIN(TestSpelling)
#include "tst_spelling.moc"
