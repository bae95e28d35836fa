#include "editor.h"
#include "publish/editorstate.h"
#include "filebytes.h"
#include "filesizelimit.h"
#include "ftpserver.h"
#include "messages.h"
#include "modalanswerer.h"
#include "ui/newsadder.h"
#include "publish/backupname.h"
#include "page/newsitem.h"
#include "newspages.h"
#include "ordinaryuser.h"
#include "scripteduser.h"
#include "workdir.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

static QStringList debugLines;
static void recordDebugLine(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtDebugMsg)
        debugLines << text;
}

class TestPublish : public QObject
{
    Q_OBJECT

private slots:
    void workedExample();
    void newestItemFirst();
    void emptyEditorStillPublishes();
    void sendFails_data();
    void sendFails();
    void backupQuestion_data();
    void backupQuestion();
    void insertionCannotTouchWorkingCopy_data();
    void insertionCannotTouchWorkingCopy();
    void fullDiskDuringInsertionSendsNothing();
    void nextSendAfterBadFileWorks();
    void everyByteValueComesBack();
    void charactersOutsideCodePage();
    void pageKeptInItsOwnCharsetAndLineEnds_data();
    void pageKeptInItsOwnCharsetAndLineEnds();
    void twoSendsInOneSecondKeepBothBackups();
    void passwordNeverShown_data();
    void passwordNeverShown();
    void repeatedItemAsks_data();
    void repeatedItemAsks();
    void linksInWorkingFolderReplaced();
    void messagesShownAsWritten_data();
    void messagesShownAsWritten();
    void emptyPasswordAsks_data();
    void emptyPasswordAsks();
};

void TestPublish::workedExample()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", Before + After);
    Editor editor(server);
    ModalAnswerer answerer;
    debugLines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordDebugLine);
    const QDateTime start = QDateTime::currentDateTime();

    editor.send();

    const QDateTime end = QDateTime::currentDateTime();
    qInstallMessageHandler(previous);
    QCOMPARE(answerer.texts(), QStringList{Uploaded});
    QCOMPARE(server.fileContents("news.html"), Before + WorkedItemCrLf + After);
    QCOMPARE(server.fileContents("news.html"),
             QByteArray("<html>\r\n<body>\r\n<p>\xCD\xEE\xE2\xEE\xF1\xF2\xE8 <font color=yellow>\r\n"
                        " \r\n"
                        "abc<br>def<br>\r\n"
                        " \r\n"
                        "<br>05/12/2026 18:48<br><br>\r\n \r\nold item<br>\r\n</p>\r\n</body>\r\n</html>\r\n"));
    QCOMPARE(readFile("news.html"), server.fileContents("news.html"));
    QCOMPARE(editor.window.publisher().item(), QString::fromLatin1(WorkedItem));
    QCOMPARE(debugLines, QStringList{QStringLiteral("\"\\n \\nabc<br>def<br>\\n \\n<br>05/12/2026 18:48<br><br>\"")});

    // The automatic backup holds the server's page as it was, under the time of sending.
    const QStringList backups = backupsIn(dir);
    QCOMPARE(backups.size(), 1);
    QVERIFY2(QRegularExpression("^backup_\\d\\d-\\d\\d-\\d{4}_\\d\\d-\\d\\d-\\d\\d\\.bak$").match(backups.first()).hasMatch(),
             qPrintable(backups.first()));
    QStringList possibleNames;
    for (QDateTime second = start.addMSecs(-start.time().msec()); second <= end; second = second.addSecs(1))
        possibleNames << automaticBackupName(second);
    QVERIFY2(possibleNames.contains(backups.first()), qPrintable(backups.first()));
    QCOMPARE(readFile(backups.first()), Before + After);

    // The window is left as it was found.
    QCOMPARE(editor.window.findChild<QPlainTextEdit *>("textEdit")->toPlainText(), QString("abc\ndef"));
    QCOMPARE(editor.field("passEdit")->text(), server.password());
}

void TestPublish::newestItemFirst()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", "top<font color=yellow>rest");
    ScriptedPublisher desk(server);

    const PublishResult first = desk.publisher.send("first", QDateTime(QDate(2026, 1, 2), QTime(3, 4)));
    QCOMPARE(first.outcome, PublishResult::Done);
    QCOMPARE(first.message, Uploaded);
    desk.publisher.send("second", QDateTime(QDate(2026, 5, 6), QTime(7, 8)));

    QCOMPARE(desk.user.seen, (QStringList{Uploaded, Uploaded}));
    QCOMPARE(server.fileContents("news.html"),
             QByteArray("top<font color=yellow>"
                        "\n \nsecond<br>\n \n<br>06/05/2026 07:08<br><br>"
                        "\n \nfirst<br>\n \n<br>02/01/2026 03:04<br><br>"
                        "rest"));
    // One download a send: the backup and the working copy are made from the same bytes.
    QCOMPARE(server.commandCount("RETR"), 2);
}

void TestPublish::emptyEditorStillPublishes()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", "<font color=yellow>");
    ScriptedPublisher desk(server);
    desk.user.answer(true);

    desk.publisher.send("", UsualDate);

    QCOMPARE(desk.user.seen, (QStringList{EmptyQuestion, Uploaded}));
    QCOMPARE(server.fileContents("news.html"), QByteArray("<font color=yellow>\n \n<br>\n \n<br>05/12/2026 18:48<br><br>"));
}

void TestPublish::sendFails_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QByteArray>("onServer");
    QTest::addColumn<bool>("answerOk");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("backups");

    const QByteArray page("<font color=yellow>old");
    const QStringList missingMarker{NoMarker};
    // No question when the upload would fail the same way.
    QTest::newRow("no server") << "no server" << page << true << QStringList{DownloadFailed} << 0;
    // Without the page there is nothing to put the item into: no question whether to go on.
    QTest::newRow("missing file") << "missing file" << page << true << QStringList{DownloadFailed} << 0;
    QTest::newRow("no marker") << "" << QByteArray("<html>news</html>") << true << missingMarker << 1;
    QTest::newRow("empty file") << "" << QByteArray() << true << missingMarker << 1;
    QTest::newRow("marker in capitals") << "" << QByteArray("<FONT COLOR=YELLOW>old") << true << missingMarker << 1;
    QTest::newRow("colour in quotes") << "" << QByteArray("<font color=\"yellow\">old") << true << missingMarker << 1;
    QTest::newRow("marker over two lines") << "" << QByteArray("<font\r\ncolor=yellow>old") << true << missingMarker << 1;
    QTest::newRow("marker in a comment") << "" << QByteArray("<!--<font color=yellow>-->old") << true << missingMarker << 1;
    QTest::newRow("marker in a script") << "" << QByteArray("<script>'<font color=yellow>'</script>") << true
        << missingMarker << 1;
    QTest::newRow("wrong password") << "wrong password" << page << true << QStringList{DownloadFailed} << 0;
}

void TestPublish::sendFails()
{
    QFETCH(QString, situation);
    QFETCH(QByteArray, onServer);
    QFETCH(bool, answerOk);
    QFETCH(QStringList, messages);
    QFETCH(int, backups);

    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    if (situation != "missing file")
        server.putFile("news.html", onServer);
    ScriptedPublisher desk(server);
    if (situation == "wrong password")
        desk.typeLogin(server.user(), "wrong");
    if (situation == "no server")
        server.stop();
    if (messages.contains(Question))
        desk.user.answer(answerOk);

    const PublishResult result = desk.sendUsualItem();

    QVERIFY2(sameMessages(desk.user.seen, messages), qPrintable(desk.user.seen.join(" | ")));
    QCOMPARE(result.outcome, messages.last() == Cancelled ? PublishResult::Cancelled : PublishResult::Failed);
    QCOMPARE(result.message, desk.user.seen.last());
    QCOMPARE(desk.user.pendingAnswers(), 0);
    QCOMPARE(backupsIn(dir).size(), backups);
    if (situation == "missing file")
        QVERIFY(!server.hasFile("news.html"));
    else if (situation != "no server")
        QCOMPARE(server.fileContents("news.html"), onServer);
    if (situation != "no server")
        QCOMPARE(server.commandCount("STOR"), 0);
    // Refused once, and the command ends there.
    if (situation == "wrong password")
        QCOMPARE(server.commandCount("USER"), 1);
    // A news download that failed left no working copy behind.
    if (messages.last() == DownloadFailed || messages.last() == Cancelled)
        QVERIFY(!QFile::exists("news.html"));
}

void TestPublish::backupQuestion_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("published");

    // The read-only working folder cannot keep the journal's line or the login that published either: said once.
    QTest::newRow("OK") << "ok" << QStringList{SaveFailed, Question, GoingOn, Uploaded, HistoryNotKept, StateNotKept} << true;
    QTest::newRow("Cancel") << "cancel" << QStringList{SaveFailed, Question, Cancelled} << false;
    QTest::newRow("Escape") << "escape" << QStringList{SaveFailed, Question, Cancelled} << false;
}

void TestPublish::backupQuestion()
{
    QFETCH(QString, answer);
    QFETCH(QStringList, messages);
    QFETCH(bool, published);

    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", Before + After);
    Editor editor(server);
    // The working folder takes no file, so the automatic backup cannot be saved; the working copy lies
    // in a folder of its own, which the ordinary user may write too.
    QTemporaryDir elsewhere;
    QVERIFY(QFile::setPermissions(elsewhere.path(), QFile::Permissions(0x7777)));
    editor.window.publisher().setWorkingCopy(elsewhere.filePath("news.html"));
    ModalAnswerer answerer;
    answerer.clickButton(QMessageBox::Ok);  // the download's own message
    if (answer == "escape")
        answerer.pressEscape();
    else
        answerer.clickButton(answer == "ok" ? QMessageBox::Ok : QMessageBox::Cancel);

    {
        OrdinaryUser user(dir.path());
        QVERIFY(user.modesApply());
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        editor.send();
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QVERIFY2(sameMessages(answerer.texts(), messages), qPrintable(answerer.texts().join(" | ")));
    const SeenDialog question = answerer.seen.at(1);
    QCOMPARE(question.title, QString("Ошибка"));
    QCOMPARE(question.icon, QMessageBox::Warning);
    QCOMPARE(question.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(question.defaultButton, QMessageBox::Cancel);
    for (const SeenDialog &plain : answerer.seen.mid(2)) {
        QCOMPARE(plain.title, QString());
        QCOMPARE(plain.icon, QMessageBox::NoIcon);
        QCOMPARE(plain.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
    QCOMPARE(server.fileContents("news.html"),
             published ? Before + WorkedItemCrLf + After : Before + After);
    QCOMPARE(server.commandCount("RETR"), 1);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
    QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files), published ? QStringList{"news.html"} : QStringList());
}

void TestPublish::insertionCannotTouchWorkingCopy_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("message");

    QTest::newRow("unreadable") << "unreadable" << ReadFailed;
    QTest::newRow("folder in its place") << "folder" << ReadFailed;
    QTest::newRow("missing") << "missing" << ReadFailed;
    QTest::newRow("read-only") << "read-only" << WriteFailed;
    QTest::newRow("disk full while writing") << "full disk" << WriteFailed;
    QTest::newRow("no marker") << "no marker" << NoMarker;
}

void TestPublish::insertionCannotTouchWorkingCopy()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, message);

    WorkDir dir;
    ScriptedPublisher desk(ServerAccess{});
    const QByteArray page = obstacle == "no marker" ? QByteArray("<p>no marker</p>") : Before + After;
    if (obstacle == "folder")
        QVERIFY(QDir(dir.path()).mkdir("news.html"));
    else if (obstacle != "missing")
        QVERIFY(writeFile("news.html", page));
    if (obstacle == "unreadable")
        QVERIFY(QFile::setPermissions("news.html", QFile::WriteOwner | QFile::WriteOther));
    if (obstacle == "read-only")
        QVERIFY(QFile::setPermissions("news.html", QFile::ReadOwner | QFile::ReadOther));

    PublishResult result;
    {
        OrdinaryUser user(dir.path());
        QVERIFY2(user.modesApply(), "file modes must apply to this process");
        // Room for the page as it is, not for the page with the item.
        FileSizeLimit limit(obstacle == "full disk" ? rlim_t(page.size() + 2) : RLIM_INFINITY);
        result = desk.publisher.insertItem(QStringLiteral("\n \nNEW<br>"));
    }
    if (obstacle == "unreadable")
        QVERIFY(QFile::setPermissions("news.html", QFile::ReadOwner | QFile::WriteOwner));

    QVERIFY(!result.succeeded());
    QVERIFY2(sameMessages(desk.user.seen, {message}), qPrintable(desk.user.seen.join(" | ")));
    if (obstacle == "folder")
        QVERIFY(QFileInfo("news.html").isDir());
    else if (obstacle != "missing")
        QCOMPARE(readFile("news.html"), page);
    const QStringList expectedFiles = obstacle == "folder" || obstacle == "missing" ? QStringList() : QStringList{"news.html"};
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), expectedFiles);
}

void TestPublish::fullDiskDuringInsertionSendsNothing()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    const QByteArray page = "<font color=yellow>" + QByteArray(8000, 'x');
    server.putFile("news.html", page);
    ScriptedPublisher desk(server);

    {
        // The backup and the working copy fit; the working copy with the item does not.
        FileSizeLimit fullDisk(rlim_t(page.size() + 10));
        QVERIFY(fullDisk.isActive());
        desk.sendUsualItem();
    }

    QVERIFY2(sameMessages(desk.user.seen, {WriteFailed, InsertionProblem}), qPrintable(desk.user.seen.join(" | ")));
    QCOMPARE(server.fileContents("news.html"), page);
    QCOMPARE(server.commandCount("STOR"), 0);
    QCOMPARE(readFile("news.html"), page);
    QCOMPARE(backupsIn(dir).size(), 1);
    QCOMPARE(readFile(backupsIn(dir).first()), page);
}

void TestPublish::nextSendAfterBadFileWorks()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", "no marker here");
    ScriptedPublisher desk(server);

    desk.sendUsualItem();
    server.putFile("news.html", Before + After);
    desk.sendUsualItem();

    QCOMPARE(desk.user.seen, (QStringList{NoMarker, Uploaded}));
    QCOMPARE(server.fileContents("news.html"), Before + WorkedItemCrLf + After);
}

void TestPublish::everyByteValueComesBack()
{
    const QByteArray bytes = allByteValues();
    const QByteArray page = bytes + "\r\n<font color=yellow>\r\n" + bytes + "\n" + bytes;

    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", page);
    ScriptedPublisher desk(server);

    desk.sendUsualItem();

    QCOMPARE(desk.user.seen, QStringList{Uploaded});
    // The page's first line break is the LF among the byte values, so the item's are LF too.
    QByteArray expected = page;
    expected.insert(page.indexOf("<font color=yellow>") + 19, WorkedItem);
    QCOMPARE(server.fileContents("news.html"), expected);
    QCOMPARE(readFile(backupsIn(dir).first()), page);
}

void TestPublish::charactersOutsideCodePage()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", "<font color=yellow>");
    ScriptedPublisher desk(server);

    desk.publisher.send(QString::fromUtf8("Привет 😀 中 café №1"), UsualDate);

    QCOMPARE(desk.user.seen, QStringList{Uploaded});
    QCOMPARE(server.fileContents("news.html"),
             QByteArray("<font color=yellow>\n \n\xCF\xF0\xE8\xE2\xE5\xF2 &#128512; &#20013; caf&#233; \xB9" "1<br>"
                        "\n \n<br>05/12/2026 18:48<br><br>"));
}

void TestPublish::pageKeptInItsOwnCharsetAndLineEnds_data()
{
    QTest::addColumn<QByteArray>("upToMarker");
    QTest::addColumn<QByteArray>("rest");
    QTest::addColumn<QByteArray>("item");  // none: the send must stop

    // The typed "Ёлка", no-break space, "№1", Enter, "中", Shift+Enter, "Я", in each charset.
    const QByteArray date("<br>05/12/2026 18:48<br><br>");
    const QByteArray cp1251("\n \n\xA8\xEB\xEA\xE0\xA0\xB9" "1<br>&#20013;<br>\xDF<br>\n \n" + date);
    const QByteArray utf8("\n \nЁлка\u00A0№1<br>中<br>Я<br>\n \n" + date);
    QTest::newRow("UTF-8, <meta charset>") << QByteArray("<html><head><meta charset=\"utf-8\"></head>\n<p>Новости<font color=yellow>")
        << QByteArray("\n \nстарое<br></p>\n") << utf8;
    QTest::newRow("UTF-8, byte-order mark") << QByteArray("\xEF\xBB\xBF<p>Новости<font color=yellow>") << QByteArray("старое\n") << utf8;
    QTest::newRow("UTF-16LE, byte-order mark") << QByteArray("\xFF\xFE") + utf16le("<p>Новости\n<font color=yellow>")
        << utf16le("старое\n") << utf16le("\n \nЁлка\u00A0№1<br>中<br>Я<br>\n \n<br>05/12/2026 18:48<br><br>");
    QTest::newRow("UTF-16 declared: read as UTF-8") << QByteArray("<meta charset=utf-16>\n<p>Новости<font color=yellow>")
        << QByteArray("старое\n") << utf8;
    QTest::newRow("KOI8-R, http-equiv")
        << QByteArray("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=KOI8-R\">\n"
                      "<p>\xEE\xCF\xD7\xCF\xD3\xD4\xC9<font color=yellow>")
        << QByteArray("\xD3\xD4\xC1\xD2\xCF\xC5\n") << QByteArray("\n \n\xB3\xCC\xCB\xC1\x9A&#8470;1<br>&#20013;<br>\xF1<br>\n \n" + date);
    QTest::newRow("nothing declared: windows-1251") << QByteArray("<p>\xCD\xEE\xE2\xEE\xF1\xF2\xE8<font color=yellow>")
        << QByteArray("old\n") << cp1251;
    QTest::newRow("unknown charset") << QByteArray("<meta charset=\"Klingon-8\">\n<font color=yellow>") << QByteArray("old\n")
        << QByteArray();
    QTest::newRow("CRLF throughout") << QByteArray("<meta charset=windows-1251>\r\n<p>\xCD\xEE\xE2\xEE\xF1\xF2\xE8<font color=yellow>")
        << QByteArray("\r\n \r\nold<br>\r\n</p>\r\n") << QByteArray(cp1251).replace("\n", "\r\n");
    QTest::newRow("lone CRs, a NUL, a marker split by a CR")
        << QByteArray("<p>old\ritem\r<script>// greeting\rgo();</script>\r<pre>a\rb</pre>") + '\0'
               + "<font color=yel\rlow>\r\n<font color=yellow>"
        << QByteArray("\rold\r\n") << cp1251;
}

void TestPublish::pageKeptInItsOwnCharsetAndLineEnds()
{
    QFETCH(QByteArray, upToMarker);
    QFETCH(QByteArray, rest);
    QFETCH(QByteArray, item);

    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", upToMarker + rest);
    ScriptedPublisher desk(server);

    desk.publisher.send(QString::fromUtf8("Ёлка\u00A0№1\n中\u2028Я"), UsualDate);

    QCOMPARE(desk.user.seen, (item.isEmpty() ? QStringList{UnknownCharset.arg("Klingon-8"), InsertionProblem}
                                               : QStringList{Uploaded}));
    QCOMPARE(server.fileContents("news.html"), upToMarker + item + rest);
    QCOMPARE(server.commandCount("STOR"), item.isEmpty() ? 0 : 1);
}

void TestPublish::twoSendsInOneSecondKeepBothBackups()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", Page);
    ScriptedPublisher desk(server);

    // Both sends within one second, however long they take.
    const QDateTime now = QDateTime::currentDateTime();
    desk.publisher.setClock([now] { return now; });
    const QString first = automaticBackupName(now);
    desk.user.answer(true);  // the same item again, on purpose
    desk.sendUsualItem();
    desk.sendUsualItem();

    QCOMPARE(desk.user.seen, (QStringList{Uploaded, RepeatQuestion, Uploaded}));
    const QString second = QString(first).replace(".bak", "_2.bak");
    QCOMPARE(backupsIn(dir), (QStringList{first, second}));
    QCOMPARE(readFile(first), Page);
    QCOMPARE(readFile(second), QByteArray(Page).insert(Page.indexOf(QByteArray(NewsMarker)) + 19, WorkedItem));
}

void TestPublish::passwordNeverShown_data()
{
    QTest::addColumn<QString>("serverPassword");
    QTest::addColumn<QString>("typedPassword");
    QTest::addColumn<QString>("uploadPath");
    QTest::addColumn<QString>("lastMessage");

    const QString special = QStringLiteral("p%41ss@:#/ й");
    QTest::newRow("published") << special << special << "news.html" << Uploaded;
    QTest::newRow("wrong password") << "other" << special << "news.html" << DownloadFailed;
    QTest::newRow("server refuses the file") << special << special << "missing/news.html" << UploadFailed;
}

void TestPublish::passwordNeverShown()
{
    QFETCH(QString, serverPassword);
    QFETCH(QString, typedPassword);
    QFETCH(QString, uploadPath);
    QFETCH(QString, lastMessage);

    WorkDir dir;
    FtpServer server;
    server.setPassword(serverPassword);
    QVERIFY(server.start());
    server.putFile("news.html", "<font color=yellow>");
    ScriptedPublisher desk(ServerAccess{server.url("news.html"), server.url(uploadPath), {}, server.user(), typedPassword});
    debugLines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordDebugLine);

    desk.sendUsualItem();

    qInstallMessageHandler(previous);
    QVERIFY2(sameMessages(desk.user.seen, {lastMessage}), qPrintable(desk.user.seen.join(" | ")));
    const QStringList shown = desk.user.seen + debugLines;
    for (const QString &spelling : {typedPassword, QString::fromLatin1(QUrl::toPercentEncoding(typedPassword)),
                                    QStringLiteral("p%2541ss"), QStringLiteral("%D0%B9"), QStringLiteral("/ й")}) {
        for (const QString &line : shown)
            QVERIFY2(!line.contains(spelling), qPrintable(line));
    }
}

void TestPublish::repeatedItemAsks_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<int>("answer");  // to the question; a QMessageBox::StandardButton, 0: not asked

    const QByteArray sameItemOtherDate = QByteArray(WorkedItem).replace("05/12/2026 18:48", "01/01/2020 09:00");
    QTest::newRow("same item, no") << Before + WorkedItem + After << int(QMessageBox::No);
    QTest::newRow("same item, yes") << Before + WorkedItem + After << int(QMessageBox::Yes);
    QTest::newRow("other date, no") << Before + sameItemOtherDate + After << int(QMessageBox::No);
    QTest::newRow("saved with CRLF line ends") << Before + QByteArray(WorkedItem).replace("\n", "\r\n") + After
                                                << int(QMessageBox::No);
    QTest::newRow("other text") << Before + QByteArray(WorkedItem).replace("def", "deg") + After << 0;
    QTest::newRow("text alone, not as an item") << Before + "abc<br>def<br>" + After << 0;
    QTest::newRow("same item in a comment") << Before + "<!--" + WorkedItem + "-->" + After << 0;
    QTest::newRow("empty item, no") << Before + After << int(QMessageBox::No);
    QTest::newRow("empty item, yes") << Before + After << int(QMessageBox::Yes);
    QTest::newRow("windows-1251 text") << Before + "\n \n\xEF\xF0\xE8\xE2\xE5\xF2<br>\n \n<br>01/01/2020 09:00<br><br>" + After
                                       << int(QMessageBox::No);
}

void TestPublish::repeatedItemAsks()
{
    QFETCH(QByteArray, page);
    QFETCH(int, answer);
    const bool asked = answer != 0;

    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", page);
    Editor editor(server);
    if (QTest::currentDataTag() == QLatin1String("windows-1251 text"))
        editor.type(QStringLiteral("привет"), QDateTime(QDate(2026, 12, 5), QTime(18, 48)));
    const bool empty = QString(QTest::currentDataTag()).startsWith("empty");
    if (empty)
        editor.type(QString(" \n\x1b\u00A0"), QDateTime(QDate(2026, 12, 5), QTime(18, 48)));
    ModalAnswerer answerer;
    if (asked)
        answerer.clickButton(QMessageBox::StandardButton(answer));

    editor.send();

    const bool published = !asked || answer == QMessageBox::Yes;
    const QStringList expected = asked ? QStringList{empty ? EmptyQuestion : RepeatQuestion, published ? Uploaded : Cancelled}
                                       : QStringList{Uploaded};
    QCOMPARE(answerer.texts(), expected);
    if (asked) {
        QCOMPARE(answerer.seen.first().buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(answerer.seen.first().defaultButton, QMessageBox::No);
    }
    QCOMPARE(server.fileContents("news.html") != page, published);
    QCOMPARE(server.commandCount("STOR"), published ? 1 : 0);
    // The working copy as the command left the page: sent, or as fetched where the editor said no
    // (to an empty item before anything is fetched).
    QCOMPARE(readFile("news.html"), empty && !published ? QByteArray() : server.fileContents("news.html"));
}

void TestPublish::linksInWorkingFolderReplaced()
{
    WorkDir dir;
    QTemporaryDir elsewhere;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", Page);
    const QString linked = elsewhere.filePath("linked.html");
    QVERIFY(writeFile(linked, "kept"));
    QVERIFY(QFile::link(linked, "news.html"));
    // Dangling links under the backup names of the coming minute.
    const QDateTime now = QDateTime::currentDateTime();
    for (int second = 0; second < 60; ++second)
        QVERIFY(QFile::link(elsewhere.filePath(QString::number(second)), automaticBackupName(now.addSecs(second))));
    ScriptedPublisher desk(server);

    desk.sendUsualItem();

    QCOMPARE(desk.user.seen, QStringList{Uploaded});
    QCOMPARE(readFile(linked), QByteArray("kept"));
    QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files), QStringList{"linked.html"});
    QVERIFY(!QFileInfo("news.html").isSymLink());
    QCOMPARE(readFile("news.html"), server.fileContents("news.html"));
    QCOMPARE(backupsIn(dir).size(), 1);
    QCOMPARE(readFile(backupsIn(dir).first()), Page);
}

void TestPublish::messagesShownAsWritten_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("quoted");  // what the box quotes, markup-like

    QTest::newRow("no marker on the page") << "sendButton" << "<font color=yellow>, после которой";
    QTest::newRow("backup's name in the restore question") << "restoreButton" << "<i>old & co.bak?";
}

// A box's text is plain: the marker, a file name or a server's words show exactly as written.
void TestPublish::messagesShownAsWritten()
{
    QFETCH(QString, button);
    QFETCH(QString, quoted);

    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", "<html><body>no marker</body></html>");
    QVERIFY(writeFile("<i>old & co.bak", "a backup"));
    Editor editor(server);
    ModalAnswerer answerer;
    answerer.chooseFile(dir.filePath("<i>old & co.bak"));

    editor.click(button.toLatin1());

    QVERIFY2(answerer.texts().join('\n').contains(quoted), qPrintable(answerer.texts().join(" | ")));
    for (const SeenDialog &box : answerer.seen)
        QVERIFY(box.kind == SeenDialog::FileDialog || box.textFormat == Qt::PlainText);
}

void TestPublish::emptyPasswordAsks_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("login");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("send, no") << "send" << "editor" << false << QStringList{EmptyPasswordQuestion, Cancelled};
    QTest::newRow("backup, no") << "backup" << "editor" << false << QStringList{EmptyPasswordQuestion, BackupCancelled};
    QTest::newRow("restore, no") << "restore" << "editor" << false
                                 << QStringList{EmptyPasswordQuestion, RestoreCancelled};
    QTest::newRow("send, yes") << "send" << "editor" << true << QStringList{EmptyPasswordQuestion, DownloadFailed};
    QTest::newRow("anonymous, not asked") << "send" << "" << false << QStringList{UploadFailed};
}

// A login typed without its password is asked about before anything goes to the server.
void TestPublish::emptyPasswordAsks()
{
    QFETCH(QString, command);
    QFETCH(QString, login);
    QFETCH(bool, yes);
    QFETCH(QStringList, expected);

    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", Page);
    ScriptedPublisher desk(server);
    desk.typeLogin(login, QString());
    desk.user.answer(yes);
    desk.user.chooseFile(dir.filePath("copy.bak"));

    if (command == "send")
        desk.sendUsualItem();
    else if (command == "backup")
        desk.publisher.backup();
    else
        desk.publisher.restore();

    QVERIFY2(sameMessages(desk.user.seen, expected), qPrintable(desk.user.seen.join(" | ")));
    QCOMPARE(server.commandCount("USER") > 0, yes || login.isEmpty());
    QCOMPARE(server.fileContents("news.html"), QByteArray(Page));
}

QTEST_MAIN(TestPublish)
#include "tst_publish.moc"
