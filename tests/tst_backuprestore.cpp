#include "filebytes.h"
#include "ftpserver.h"
#include "messages.h"
#include "modalanswerer.h"
#include "newsadder.h"
#include "ordinaryuser.h"
#include "windowinput.h"
#include "workdir.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
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
    void restoreUploadsChosenFile();
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
    QCOMPARE(answerer.seen.last().text, BackupSaved + QDir::toNativeSeparators(dir.filePath(saved)));
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
    NewsAdder window(server.url("news.html"), server.url("news.html"), "127.0.0.1", server.port());
    ModalAnswerer answerer;
    answerer.chooseFile(dir.filePath("mine.bak"));

    click(window, "pushButton");

    QCOMPARE(answerer.seen.size(), 2);
    QVERIFY2(startsWithAndMore(answerer.seen.last().text, DownloadFailed), qPrintable(answerer.seen.last().text));
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
    QCOMPARE(answerer.texts().last(), SaveFailed);
    QCOMPARE(readFile("mine.bak"), QByteArray("older backup"));
}

void TestBackupRestore::restoreUploadsChosenFile()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", "server page");
    NewsAdder window(server.url("news.html"), server.url("news.html"), "127.0.0.1", server.port());
    typeCredentials(window, server.user(), server.password());
    // Any file goes up as it is, news page or not.
    QVERIFY(writeFile("old.bak", "\r\nnot a news page\x98\xFF"));
    ModalAnswerer answerer;
    answerer.chooseFile(dir.filePath("old.bak"));

    click(window, "restoreButton");

    QCOMPARE(answerer.texts(), (QStringList{Caption, Uploaded}));
    QCOMPARE(answerer.seen.first().nameFilters, Filters);
    QCOMPARE(server.fileContents("news.html"), QByteArray("\r\nnot a news page\x98\xFF"));
    QCOMPARE(readFile("old.bak"), QByteArray("\r\nnot a news page\x98\xFF"));
}

void TestBackupRestore::restoreCancelled()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", "server page");
    NewsAdder window(server.url("news.html"), server.url("news.html"), "127.0.0.1", server.port());
    typeCredentials(window, server.user(), server.password());
    ModalAnswerer answerer;
    answerer.cancelFileDialog();

    click(window, "restoreButton");

    QCOMPARE(answerer.texts(), (QStringList{Caption, RestoreCancelled}));
    QCOMPARE(server.fileContents("news.html"), QByteArray("server page"));
    QVERIFY(!server.log().contains("<- STOR"));
}

void TestBackupRestore::restoreUnreadableFile()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", "server page");
    NewsAdder window(server.url("news.html"), server.url("news.html"), "127.0.0.1", server.port());
    typeCredentials(window, server.user(), server.password());
    QVERIFY(writeFile("locked.bak", "backup"));
    QVERIFY(QFile::setPermissions("locked.bak", QFile::WriteOwner | QFile::WriteOther));
    ModalAnswerer answerer;
    answerer.chooseFile(dir.filePath("locked.bak"));

    {
        OrdinaryUser user(dir.path());
        QVERIFY2(user.modesApply(), "file modes must apply to this process");
        click(window, "restoreButton");
    }

    QCOMPARE(answerer.texts(), (QStringList{Caption, UnreadableUpload}));
    QCOMPARE(server.fileContents("news.html"), QByteArray("server page"));
    QVERIFY(!server.log().contains("<- STOR"));
}

void TestBackupRestore::restoreFails_data()
{
    QTest::addColumn<QString>("situation");
    QTest::newRow("wrong password") << "wrong password";
    QTest::newRow("no server") << "no server";
}

void TestBackupRestore::restoreFails()
{
    QFETCH(QString, situation);

    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", "server page");
    NewsAdder window(server.url("news.html"), server.url("news.html"), "127.0.0.1", server.port());
    typeCredentials(window, server.user(), situation == "wrong password" ? "wrong" : server.password());
    if (situation == "no server")
        server.stop();
    QVERIFY(writeFile("old.bak", "backup"));
    ModalAnswerer answerer;
    answerer.chooseFile(dir.filePath("old.bak"));

    click(window, "restoreButton");

    QCOMPARE(answerer.seen.size(), 2);
    QVERIFY2(startsWithAndMore(answerer.seen.last().text, UploadFailed), qPrintable(answerer.seen.last().text));
    QCOMPARE(server.fileContents("news.html"), QByteArray("server page"));
}

void TestBackupRestore::backupThenRestoreRoundTrip()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", everyByteValue());
    NewsAdder window(server.url("news.html"), server.url("news.html"), "127.0.0.1", server.port());
    typeCredentials(window, server.user(), server.password());
    ModalAnswerer answerer;

    answerer.chooseFile(dir.filePath("saved.bak"));
    click(window, "pushButton");
    window.findChild<QPlainTextEdit *>("textEdit")->setPlainText("an item to take back");
    click(window, "sendButton");
    QVERIFY(server.fileContents("news.html") != everyByteValue());
    answerer.chooseFile(dir.filePath("saved.bak"));
    click(window, "restoreButton");

    QCOMPARE(answerer.texts(), (QStringList{Caption, BackupSaved + QDir::toNativeSeparators(dir.filePath("saved.bak")),
                                            Uploaded, Caption, Uploaded}));
    QCOMPARE(server.fileContents("news.html"), everyByteValue());
}

void TestBackupRestore::restoreThenSendBacksUpRestoredFile()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", "current <font color=yellow>page");
    NewsAdder window(server.url("news.html"), server.url("news.html"), "127.0.0.1", server.port());
    typeCredentials(window, server.user(), server.password());
    typeItem(window, "back", QDateTime(QDate(2026, 12, 5), QTime(18, 48)));
    QVERIFY(writeFile("old.bak", "restored <font color=yellow>page"));
    ModalAnswerer answerer;

    answerer.chooseFile(dir.filePath("old.bak"));
    click(window, "restoreButton");
    click(window, "sendButton");

    QCOMPARE(answerer.texts(), (QStringList{Caption, Uploaded, Uploaded}));
    const QStringList backups = backupsIn(dir);
    QCOMPARE(backups.size(), 1);
    QCOMPARE(readFile(backups.first()), QByteArray("restored <font color=yellow>page"));
    QCOMPARE(readFile("old.bak"), QByteArray("restored <font color=yellow>page"));
    QCOMPARE(server.fileContents("news.html"),
             QByteArray("restored <font color=yellow>\n \nback<br>\n \n<br>05/12/2026 18:48<br><br>page"));
}

QTEST_MAIN(TestBackupRestore)
#include "tst_backuprestore.moc"
