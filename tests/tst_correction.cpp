// Correcting and removing a published item through the window, against a real FTP server: the page
// changes in exactly that item's bytes, or not at all when the item changed meanwhile.
#include "editor.h"
#include "filebytes.h"
#include "ftpserver.h"
#include "messages.h"
#include "modalanswerer.h"
#include "newspages.h"
#include "publishedpages.h"
#include "scripteduser.h"
#include "windowinput.h"
#include "workdir.h"

#include <QDateTimeEdit>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCodec>

class TestCorrection : public QObject
{
    Q_OBJECT

private slots:
    void correctAndRemove();
    void anotherEditorMeanwhile();
};

// An FTP server holding the three-item page, in a working directory of its own.
struct Site
{
    Site() { server.putFile("news.html", page); }

    WorkDir dir;
    FtpServer server;
    const bool started = server.start();
    const QByteArray page = threeItemPage();
};

static QByteArray cp1251(const char *utf8)
{
    return QTextCodec::codecForName("windows-1251")->fromUnicode(QString::fromUtf8(utf8));
}

static QString editorText(NewsAdder &window)
{
    return window.findChild<QPlainTextEdit *>("textEdit")->toPlainText();
}

static bool correcting(NewsAdder &window)
{
    return !window.findChild<QLabel *>("correctionLabel")->isHidden()
           && !window.findChild<QPushButton *>("cancelCorrectionButton")->isHidden();
}

void TestCorrection::correctAndRemove()
{
    Site site;
    QVERIFY(site.started);
    FtpServer &server = site.server;
    const QByteArray &page = site.page;
    auto editor = std::make_unique<Editor>(server);
    ModalAnswerer user;

    // The list: one download, nothing locked or backed up; the third item has a Latin "e" in it.
    user.chooseRow(2, "correctButton");
    editor->click("publishedButton");
    QCOMPARE(user.seen.size(), 1);
    QCOMPARE(user.seen.first().rows,
             (QStringList{QString::fromUtf8("05.12.2026 12:00 — Важно: новый адрес"),
                          QString::fromUtf8("03.12.2026 18:30 — Собрание в пятницу"),
                          QString::fromUtf8("01.12.2026 09:00 — Открыта рeгистрация на летний лагерь")}));
    QVERIFY(user.seen.first().text.contains(QString::fromUtf8("Показаны 3 новостей.")));
    QCOMPARE(server.commandCount("RETR"), 1);
    QCOMPARE(server.commandCount("MKD"), 0);
    QVERIFY(backupsIn(site.dir).isEmpty());
    QCOMPARE(editorText(editor->window), QString::fromUtf8("Открыта рeгистрация\nна летний лагерь"));
    QCOMPARE(editor->window.findChild<QDateTimeEdit *>("dateTimeEdit")->dateTime(), on(1, 9));
    QCOMPARE(editor->window.findChild<QLabel *>("correctionLabel")->text(),
             QString::fromUtf8("Исправление новости от 01.12.2026 09:00"));

    // The typo mended, then the program closed and opened again: still the same correction.
    typeItem(editor->window, QString::fromUtf8("Открыта регистрация\nна летний лагерь"), on(1, 9));
    editor->window.close();
    editor.reset();
    NewsAdder window(server.url("news.html"), server.url("news.html"), "127.0.0.1", server.port());
    QVERIFY(correcting(window));
    QCOMPARE(editorText(window), QString::fromUtf8("Открыта регистрация\nна летний лагерь"));
    typeCredentials(window, server.user(), server.password());
    click(window, "sendButton");

    QCOMPARE(user.texts().mid(1), QStringList{Corrected});
    const QByteArray corrected = QByteArray(page).replace(cp1251("рeгистрация"), cp1251("регистрация"));
    QVERIFY(corrected != page);
    QCOMPARE(server.fileContents("news.html"), corrected);
    QCOMPARE(readFile(backupsIn(site.dir).value(0)), page);
    // The editor holds its draft from before again, and publishes new items.
    QVERIFY(!correcting(window));
    QCOMPARE(editorText(window), UsualText);

    // A correction called off changes nothing on the server.
    user.chooseRow(1, "correctButton");
    click(window, "publishedButton");
    QVERIFY(correcting(window));
    click(window, "cancelCorrectionButton");
    QVERIFY(!correcting(window));
    QCOMPARE(editorText(window), UsualText);

    // The newest item removed, after a question that defaults to no.
    user.chooseRow(0, "removeButton");
    user.clickButton(QMessageBox::Yes);
    click(window, "publishedButton");
    const SeenDialog question = user.seen.value(4);
    QCOMPARE(question.text, QString::fromUtf8("Удалить с сайта новость от 05.12.2026 12:00: «Важно: новый адрес»?"));
    QCOMPARE(question.defaultButton, QMessageBox::No);
    QCOMPARE(user.texts().mid(5), QStringList{Removed});
    QCOMPARE(server.fileContents("news.html"),
             QByteArray(corrected).replace("\r\n \r\n" + cp1251("<b>Важно:</b> новый адрес<br>\r\n \r\n<br>05/12/2026 12:00<br><br>"),
                                           ""));
    QCOMPARE(backupsIn(site.dir).size(), 2);
}

void TestCorrection::anotherEditorMeanwhile()
{
    Site site;
    QVERIFY(site.started);
    FtpServer &server = site.server;
    const QByteArray &page = site.page;
    Editor mine(server), colleague(server);
    ModalAnswerer user;

    // A colleague publishes between our list and our correction: the item is found one further down.
    user.chooseRow(1, "correctButton");
    mine.click("publishedButton");
    colleague.send();
    mine.type(QString::fromUtf8("Собрание в четверг"), on(3, 18, 30));
    mine.send();
    QCOMPARE(user.texts().mid(1), (QStringList{Uploaded, Corrected}));
    QByteArray expected = QByteArray(page).replace(cp1251("пятницу"), cp1251("четверг"));
    const QByteArray corrected = expected;
    expected.insert(expected.indexOf("<font color=yellow>") + 19, WorkedItemCrLf);
    QCOMPARE(server.fileContents("news.html"), expected);

    // The colleague removes the item we are correcting: nothing is sent, and we are still correcting.
    user.chooseRow(0, "correctButton");
    mine.click("publishedButton");
    user.chooseRow(0, "removeButton");
    user.clickButton(QMessageBox::Yes);
    colleague.click("publishedButton");
    QCOMPARE(server.fileContents("news.html"), corrected);
    mine.send();
    QVERIFY2(user.texts().mid(6) == (QStringList{Removed, ItemChanged}), qPrintable(user.texts().join(" | ")));
    QCOMPARE(server.fileContents("news.html"), corrected);
    QVERIFY(correcting(mine.window));
}

QTEST_MAIN(TestCorrection)
#include "tst_correction.moc"
