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
           && !window.findChild<QWidget *>("cancelCorrectionButton")->isHidden();
}

void TestCorrection::correctAndRemove()
{
    Site site;
    QVERIFY(site.started);
    auto editor = std::make_unique<Editor>(site.server);
    ModalAnswerer user;

    // The list: one download, nothing locked or backed up; the third item has a Latin "e" in it.
    user.chooseRow(2, "correctButton");
    editor->click("publishedButton");
    QCOMPARE(user.seen.value(0).rows, (QStringList{QString::fromUtf8("05.12.2026 12:00 — Важно: новый адрес"),
                                                   QString::fromUtf8("03.12.2026 18:30 — Собрание в пятницу"),
                                                   QString::fromUtf8("01.12.2026 09:00 — Открыта рeгистрация на летний лагерь")}));
    QVERIFY(user.seen.value(0).text.contains(QString::fromUtf8("Показаны 3 новостей.")));
    QCOMPARE(site.server.commandCount("RETR") + site.server.commandCount("MKD"), 1);
    QCOMPARE(editorText(editor->window), QString::fromUtf8("Открыта рeгистрация\nна летний лагерь"));
    QCOMPARE(editor->window.findChild<QDateTimeEdit *>("dateTimeEdit")->dateTime(), on(1, 9));
    QCOMPARE(editor->window.findChild<QLabel *>("correctionLabel")->text(),
             QString::fromUtf8("Исправление новости от 01.12.2026 09:00"));

    // The typo mended, the program closed and opened again, still correcting; then sent.
    editor->type(QString::fromUtf8("Открыта регистрация\nна летний лагерь"), on(1, 9));
    editor->window.close();
    editor.reset();
    NewsAdder window(site.server.url("news.html"), site.server.url("news.html"), "127.0.0.1", site.server.port());
    QVERIFY(correcting(window));
    QCOMPARE(editorText(window), QString::fromUtf8("Открыта регистрация\nна летний лагерь"));
    typeCredentials(window, site.server.user(), site.server.password());
    click(window, "sendButton");
    QCOMPARE(user.texts().mid(1), QStringList{Corrected});
    const QByteArray corrected = QByteArray(site.page).replace(cp1251("рeгистрация"), cp1251("регистрация"));
    QCOMPARE(site.server.fileContents("news.html"), corrected);
    QCOMPARE(readFile(backupsIn(site.dir).value(0)), site.page);
    // The editor holds its draft from before again; so does a correction called off.
    QVERIFY(!correcting(window));
    QCOMPARE(editorText(window), UsualText);
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
    QCOMPARE(user.texts().value(4), QString::fromUtf8("Удалить с сайта новость от 05.12.2026 12:00: «Важно: новый адрес»?"));
    QCOMPARE(user.seen.value(4).defaultButton, QMessageBox::No);
    QCOMPARE(user.texts().mid(5), QStringList{Removed});
    const QByteArray removed = "\r\n \r\n" + cp1251("<b>Важно:</b> новый адрес<br>\r\n \r\n<br>05/12/2026 12:00<br><br>");
    QCOMPARE(site.server.fileContents("news.html"), QByteArray(corrected).replace(removed, ""));
    QCOMPARE(backupsIn(site.dir).size(), 2);
}

void TestCorrection::anotherEditorMeanwhile()
{
    Site site;
    QVERIFY(site.started);
    Editor mine(site.server), colleague(site.server);
    ModalAnswerer user;

    // A colleague publishes between our list and our correction: the item is found one further down.
    user.chooseRow(1, "correctButton");
    mine.click("publishedButton");
    colleague.send();
    mine.type(QString::fromUtf8("Собрание в четверг"), on(3, 18, 30));
    mine.send();
    QCOMPARE(user.texts().mid(1), (QStringList{Uploaded, Corrected}));
    const QByteArray corrected = QByteArray(site.page).replace(cp1251("пятницу"), cp1251("четверг"));
    QCOMPARE(site.server.fileContents("news.html"), QByteArray(corrected).insert(corrected.indexOf("yellow>") + 7, WorkedItemCrLf));

    // The colleague removes the item we are correcting: nothing is sent, and we are still correcting.
    user.chooseRow(0, "correctButton");
    mine.click("publishedButton");
    user.chooseRow(0, "removeButton");
    user.clickButton(QMessageBox::Yes);
    colleague.click("publishedButton");
    mine.send();
    QCOMPARE(user.texts().mid(6), (QStringList{Removed, ItemChanged}));
    QCOMPARE(site.server.fileContents("news.html"), corrected);
    QVERIFY(correcting(mine.window));
}

QTEST_MAIN(TestCorrection)
#include "tst_correction.moc"
