#include "filebytes.h"
#include "ftpserver.h"
#include "messages.h"
#include "modalanswerer.h"
#include "ui/newsadder.h"
#include "ordinaryuser.h"
#include "scripteduser.h"
#include "windowinput.h"
#include "workdir.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>

static const QStringList Filters{QStringLiteral("BAK file (*.bak)")};

static QByteArray everyByteValue()
{
    return "<font color=yellow>\r\n" + allByteValues() + "\r\n" + allByteValues();
}

static bool startsWithAndMore(const QString &text, const QString &prefix)
{
    return text.startsWith(prefix) && text.size() > prefix.size();
}

class TestBackupRestore : public QObject
{
    Q_OBJECT

private slots:
    void backupSavesServerFile_data();
    void backupSavesServerFile();
    void backupCancelled();
    void backupFails_data();
    void backupFails();
    void backupOntoReadOnlyFileKeepsIt();
    void restoreAsksFirst_data();
    void restoreAsksFirst();
    void restoreCancelled();
    void restoreUnreadableFile();
    void restoreFails_data();
    void restoreFails();
    void backupThenRestoreRoundTrip();
    void restoreThenSendBacksUpRestoredFile();
};

void TestBackupRestore::backupSavesServerFile_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("name.bak") << "mine.bak" << "mine.bak";
    QTest::newRow("name without extension") << "mine" << "mine.bak";
    QTest::newRow("other extension kept") << "page.html" << "page.html";
}

void TestBackupRestore::backupSavesServerFile()
{
    QFETCH(QString, typed);
    QFETCH(QString, saved);

    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", everyByteValue());
    NewsAdder window(server.url("news.html"), server.url("news.html"), "127.0.0.1", server.port());
    ModalAnswerer answerer;
    answerer.chooseFile(dir.filePath(typed));

    click(window, "pushButton");

    QCOMPARE(answerer.seen.size(), 2);
    QCOMPARE(answerer.seen.first().kind, SeenDialog::FileDialog);
    QCOMPARE(answerer.seen.first().title, Caption);
    QCOMPARE(answerer.seen.first().nameFilters, Filters);
    // The editor is told where the copy is.
    QCOMPARE(answerer.seen.last().text, BackupSaved + " " + QDir::toNativeSeparators(dir.filePath(saved)));
    QCOMPARE(readFile(saved), everyByteValue());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{saved});
}

void TestBackupRestore::backupCancelled()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", "page");
    NewsAdder window(server.url("news.html"), server.url("news.html"), "127.0.0.1", server.port());
    ModalAnswerer answerer;
    answerer.cancelFileDialog();

    click(window, "pushButton");

    QCOMPARE(answerer.texts(), (QStringList{Caption, BackupCancelled}));
    QCOMPARE(answerer.seen.last().title, QString());
    QCOMPARE(answerer.seen.last().icon, QMessageBox::NoIcon);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
    QVERIFY(!server.log().contains("<- RETR"));
}

void TestBackupRestore::backupFails_data()
{
    QTest::addColumn<QString>("situation");
    QTest::newRow("no server") << "no server";
    QTest::newRow("missing file") << "missing file";
}

void TestBackupRestore::backupFails()
{
    QFETCH(QString, situation);

    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    if (situation == "no server")
        server.stop();
    ScriptedPublisher desk(server, false);
    desk.user.chooseFile(dir.filePath("mine.bak"));

    desk.publisher.backup();

    QCOMPARE(desk.user.seen.size(), 2);
    QVERIFY2(startsWithAndMore(desk.user.seen.last(), DownloadFailed), qPrintable(desk.user.seen.last()));
    QVERIFY(!QFile::exists("mine.bak"));
}

void TestBackupRestore::backupOntoReadOnlyFileKeepsIt()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", "server page");
    NewsAdder window(server.url("news.html"), server.url("news.html"), "127.0.0.1", server.port());
    QVERIFY(writeFile("mine.bak", "older backup"));
    QVERIFY(QFile::setPermissions("mine.bak", QFile::ReadOwner | QFile::ReadOther));
    ModalAnswerer answerer;
    answerer.chooseFile(dir.filePath("mine.bak"));
    answerer.clickButton(QMessageBox::Yes);  // the dialog's own "replace it?" question

    {
        OrdinaryUser user(dir.path());
        QVERIFY2(user.modesApply(), "file modes must apply to this process");
        click(window, "pushButton");
    }

    QCOMPARE(answerer.pendingAnswers(), 0);
    QVERIFY2(sameMessages({answerer.texts().last()}, {SaveFailed}), qPrintable(answerer.texts().last()));
    QCOMPARE(readFile("mine.bak"), QByteArray("older backup"));
}

void TestBackupRestore::restoreAsksFirst_data()
{
    QTest::addColumn<int>("answer");  // a QMessageBox::StandardButton
    QTest::newRow("declined") << int(QMessageBox::No);
    QTest::newRow("accepted") << int(QMessageBox::Yes);
}

void TestBackupRestore::restoreAsksFirst()
{
    QFETCH(int, answer);

    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", "server page");
    // The address's password is not shown in the question.
    QString address = server.url("news.html");
    address.replace("ftp://", "ftp://editor:hidden@");
    NewsAdder window(server.url("news.html"), address, "127.0.0.1", server.port());
    typeCredentials(window, server.user(), server.password());
    // Any file goes up as it is, news page or not.
    QVERIFY(writeFile("old.bak", "\r\nnot a news page\x98\xFF"));
    ModalAnswerer answerer;
    answerer.chooseFile(dir.filePath("old.bak"));
    answerer.clickButton(QMessageBox::StandardButton(answer));

    click(window, "restoreButton");

    QCOMPARE(answerer.seen.first().nameFilters, Filters);
    const SeenDialog question = answerer.seen.at(1);
    QCOMPARE(question.text, RestoreQuestion + "\n" + QString(address).remove(":hidden") + "\nсодержимым файла\n"
                                + QDir::toNativeSeparators(dir.filePath("old.bak")) + "?\n\nТекущая страница "
                                "сервера перед заменой будет сохранена в резервную копию.");
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(question.defaultButton, QMessageBox::No);
    QCOMPARE(readFile("old.bak"), QByteArray("\r\nnot a news page\x98\xFF"));
    if (answer == QMessageBox::No) {
        QCOMPARE(answerer.texts(), (QStringList{Caption, question.text, RestoreCancelled}));
        QCOMPARE(server.fileContents("news.html"), QByteArray("server page"));
        QCOMPARE(backupsIn(dir), QStringList());
        QVERIFY(!server.log().contains("RETR") && !server.log().contains("STOR"));
        return;
    }
    QCOMPARE(answerer.texts(), (QStringList{Caption, question.text, Uploaded}));
    QCOMPARE(server.fileContents("news.html"), QByteArray("\r\nnot a news page\x98\xFF"));
    // The replaced page is kept, as a send keeps it.
    QCOMPARE(backupsIn(dir).size(), 1);
    QCOMPARE(readFile(backupsIn(dir).first()), QByteArray("server page"));
}

void TestBackupRestore::restoreCancelled()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", "server page");
    ScriptedPublisher desk(server);
    desk.user.chooseFile(QString());

    desk.publisher.restore();

    QCOMPARE(desk.user.seen, (QStringList{Caption, RestoreCancelled}));
    QCOMPARE(server.fileContents("news.html"), QByteArray("server page"));
    QVERIFY(!server.log().contains("<- STOR"));
}

void TestBackupRestore::restoreUnreadableFile()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", "server page");
    ScriptedPublisher desk(server);
    QVERIFY(writeFile("locked.bak", "backup"));
    QVERIFY(QFile::setPermissions("locked.bak", QFile::WriteOwner | QFile::WriteOther));
    desk.user.chooseFile(dir.filePath("locked.bak"));
    desk.user.answer(true);

    {
        OrdinaryUser user(dir.path());
        QVERIFY2(user.modesApply(), "file modes must apply to this process");
        desk.publisher.restore();
    }

    QVERIFY(sameMessages(desk.user.seen, {Caption, RestoreQuestion, UnreadableUpload}));
    QCOMPARE(server.fileContents("news.html"), QByteArray("server page"));
    QVERIFY(!server.log().contains("<- STOR"));
}

void TestBackupRestore::restoreFails_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QStringList>("messages");
    // Ended at the first refusal, with no question: the upload would fail the same way.
    QTest::newRow("wrong password") << "wrong password" << QStringList{Caption, RestoreQuestion, DownloadFailed};
    QTest::newRow("no server") << "no server" << QStringList{Caption, RestoreQuestion, DownloadFailed};
}

void TestBackupRestore::restoreFails()
{
    QFETCH(QString, situation);
    QFETCH(QStringList, messages);

    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", "server page");
    ScriptedPublisher desk(server);
    if (situation == "wrong password")
        desk.typeLogin(server.user(), "wrong");
    if (situation == "no server")
        server.stop();
    QVERIFY(writeFile("old.bak", "backup"));
    desk.user.chooseFile(dir.filePath("old.bak"));
    desk.user.answer(true);

    desk.publisher.restore();

    QVERIFY2(sameMessages(desk.user.seen, messages), qPrintable(desk.user.seen.join(" | ")));
    QCOMPARE(server.fileContents("news.html"), QByteArray("server page"));
}

void TestBackupRestore::backupThenRestoreRoundTrip()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", everyByteValue());
    ScriptedPublisher desk(server);

    desk.user.chooseFile(dir.filePath("saved.bak"));
    desk.publisher.backup();
    desk.publisher.send("an item to take back", UsualDate);
    QVERIFY(server.fileContents("news.html") != everyByteValue());
    desk.user.chooseFile(dir.filePath("saved.bak"));
    desk.user.answer(true);
    desk.publisher.restore();

    QVERIFY(sameMessages(desk.user.seen, {Caption, BackupSaved, Uploaded, Caption, RestoreQuestion, Uploaded}));
    QCOMPARE(server.fileContents("news.html"), everyByteValue());
}

void TestBackupRestore::restoreThenSendBacksUpRestoredFile()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", "current <font color=yellow>page");
    ScriptedPublisher desk(server);
    QVERIFY(writeFile("old.bak", "restored <font color=yellow>page"));

    desk.user.chooseFile(dir.filePath("old.bak"));
    desk.user.answer(true);
    desk.publisher.restore();
    const QStringList restoreBackups = backupsIn(dir);
    // Within the same second both automatic backups have one name; the send's is the one kept.
    QTest::qWait(1100);
    desk.publisher.send("back", UsualDate);

    QVERIFY(sameMessages(desk.user.seen, {Caption, RestoreQuestion, Uploaded, Uploaded}));
    QCOMPARE(restoreBackups.size(), 1);
    const QStringList backups = backupsIn(dir);
    QCOMPARE(backups.size(), 2);
    QCOMPARE(readFile(backups.first() == restoreBackups.first() ? backups.last() : backups.first()),
             QByteArray("restored <font color=yellow>page"));
    QCOMPARE(readFile(restoreBackups.first()), QByteArray("current <font color=yellow>page"));
    QCOMPARE(readFile("old.bak"), QByteArray("restored <font color=yellow>page"));
    QCOMPARE(server.fileContents("news.html"),
             QByteArray("restored <font color=yellow>\n \nback<br>\n \n<br>05/12/2026 18:48<br><br>page"));
}

QTEST_MAIN(TestBackupRestore)
#include "tst_backuprestore.moc"
