// The site's journal and the page's history: every command that reached the page leaves a line, the
// history lists the backups with what their commands did, and a rollback puts a backup back byte for byte.
#include "editor.h"
#include "filebytes.h"
#include "ftpserver.h"
#include "messages.h"
#include "modalanswerer.h"
#include "newspages.h"
#include "publish/backupname.h"
#include "publish/journal.h"
#include "publishedpages.h"
#include "scripteduser.h"
#include "windowinput.h"
#include "workdir.h"

#include <QCryptographicHash>
#include <QTest>

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void journal_data();
    void journal();
    void historyAndRollback();
    void rollbackRefused_data();
    void rollbackRefused();
    void keepBackups_data();
    void keepBackups();
};

static JournalEntry entry(const QString &command, int minute)
{
    JournalEntry entry;
    entry.time = QDateTime(QDate(2026, 12, 9), QTime(14, minute), Qt::OffsetFromUTC, 3 * 3600);
    entry.command = command;
    entry.login = "editor";
    entry.outcome = "published";
    entry.message = Uploaded;
    entry.backup = automaticBackupName(entry.time);
    entry.noteBefore("before");
    entry.noteAfter("after");
    entry.itemDate = on(5, 18, 48);
    entry.itemText = QString::fromUtf8("Открытие сезона");
    return entry;
}

void TestHistory::journal_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("maxLines");
    QTest::addColumn<QByteArrayList>("read");  // each entry read, written again

    const QByteArray send = journalLine(entry("send", 30)), correct = journalLine(entry("correct", 31));
    QTest::newRow("lines as written") << send + correct << JournalLinesRead << QByteArrayList{send, correct};
    QTest::newRow("torn last line") << send + correct.left(40) << JournalLinesRead << QByteArrayList{send};
    QTest::newRow("not JSON, no time, empty") << "garbage\n{}\n\n[1]\n" + send << JournalLinesRead << QByteArrayList{send};
    // A later version's line: its fields ignored, its command kept for the history to show as unknown.
    QByteArray future = journalLine(entry("merge", 32));
    const QByteArray merge = future;
    future.insert(1, "\"signature\":{\"by\":\"x\"},\"tags\":[1,2],");
    QTest::newRow("unknown fields and command") << future + send << JournalLinesRead << QByteArrayList{merge, send};
    // The last lines only, and only the tail of a journal read: the first line read may be cut.
    QByteArray many;
    QByteArrayList last;
    for (int minute = 0; minute < 50; ++minute) {
        many += journalLine(entry("send", minute));
        if (minute >= 40)
            last << journalLine(entry("send", minute));
    }
    QTest::newRow("bound of lines") << many << 10 << last;
    QByteArray big;
    for (int line = 0; line < JournalLinesRead + 5; ++line)
        big += send;
    QTest::newRow("10,000 lines") << big << JournalLinesRead << QByteArrayList();
}

void TestHistory::journal()
{
    QFETCH(QByteArray, file);
    QFETCH(int, maxLines);
    QFETCH(QByteArrayList, read);

    WorkDir dir;
    QVERIFY(writeFile(JournalFileName, file));
    const QVector<JournalEntry> entries = readJournal(JournalFileName, maxLines);
    if (QByteArray(QTest::currentDataTag()) == "10,000 lines") {
        QCOMPARE(entries.size(), JournalLinesRead);
        return;
    }
    QByteArrayList again;
    for (const JournalEntry &entry : entries)
        again << journalLine(entry);
    QCOMPARE(again, read);
    // Appended whole, after whatever the file ended with.
    QVERIFY(appendToJournal(JournalFileName, entries.value(0)));
    QCOMPARE(readFile(JournalFileName), file + again.value(0));
}

// The editor's window against an FTP server holding the three-item page, its clock set by the story.
struct Desk
{
    Desk()
    {
        server.putFile("news.html", page);
        editor.window.publisher().setClock([this] { return now; });
    }
    void sendAt(int minute, const QString &text, const QDateTime &date)
    {
        now = QDateTime(QDate(2026, 12, 9), QTime(14, minute));
        editor.type(text, date);
        editor.send();
    }

    WorkDir dir;
    FtpServer server;
    const bool started = server.start();
    const QByteArray page = threeItemPage();
    Editor editor{server};
    QDateTime now;
};

void TestHistory::historyAndRollback()
{
    Desk desk;
    QVERIFY(desk.started);
    ModalAnswerer user;
    const QString login = desk.server.user();

    desk.sendAt(30, QString::fromUtf8("Открытие сезона на катке"), on(6, 10));
    desk.sendAt(31, QString::fromUtf8("Вторая"), on(7, 10));
    desk.sendAt(32, QString::fromUtf8("Третья с ошибкй"), on(8, 10));
    user.chooseRow(0, "correctButton");
    desk.editor.click("publishedButton");
    desk.sendAt(33, QString::fromUtf8("Третья без ошибки"), on(8, 10));
    QCOMPARE(user.texts(), (QStringList{Uploaded, Uploaded, Uploaded, user.texts().value(3), Corrected}));

    // Four versions, each the page before its command; the newest compared with the page now.
    user.chooseRow(3, "closeButton");
    desk.editor.click("historyButton");
    QCOMPARE(user.seen.last().rows,
             (QStringList{QString::fromUtf8("09.12.2026 14:33 — исправлена новость от 08.12.2026 10:00 (%1) — сейчас на сайте").arg(login),
                          QString::fromUtf8("09.12.2026 14:32 — добавлена новость «Третья с ошибкй» (%1)").arg(login),
                          QString::fromUtf8("09.12.2026 14:31 — добавлена новость «Вторая» (%1)").arg(login),
                          QString::fromUtf8("09.12.2026 14:30 — добавлена новость «Открытие сезона на катке» (%1)").arg(login)}));
    QVERIFY2(user.seen.last().text.endsWith(QString::fromUtf8(
                 "До команды 09.12.2026 14:33 страница отличалась от нынешней так:\n\n"
                 "Станут прежними (исправлены после этой версии):\n"
                 "  08.12.2026 10:00 — «Третья без ошибки» → «Третья с ошибкй»\n\n5 новостей без изменений.")),
             qPrintable(user.seen.last().text));

    // Back to the first: asked first, naming what goes, then the backup's bytes on the server.
    user.chooseRow(3, "rollbackButton");
    user.clickButton(QMessageBox::Yes);
    desk.now = QDateTime(QDate(2026, 12, 9), QTime(14, 34));
    desk.editor.click("historyButton");
    QCOMPARE(user.texts().mid(7), (QStringList{QString::fromUtf8(
                                        "Страница на сайте станет такой, какой была 09.12.2026 14:30. Пропадут новости: "
                                        "«Третья без ошибки», «Вторая», «Открытие сезона на катке». Продолжить?"),
                                    QString::fromUtf8("Страница возвращена к версии от 09.12.2026 14:30.")}));
    QCOMPARE(user.seen.value(7).defaultButton, QMessageBox::No);
    QCOMPARE(desk.server.fileContents("news.html"), readFile("backup_09-12-2026_14-30-00.bak"));
    QCOMPARE(desk.server.fileContents("news.html"), desk.page);

    // The rollback is a version of its own, on top; the journal has a line for every command.
    user.chooseRow(0, "closeButton");
    desk.editor.click("historyButton");
    QCOMPARE(user.seen.last().rows.value(0),
             QString::fromUtf8("09.12.2026 14:34 — возврат к версии от 09.12.2026 14:30 (%1) — сейчас на сайте").arg(login));
    QCOMPARE(user.seen.last().rows.size(), 5);
    QCOMPARE(readJournal(JournalFileName).size(), 5);
    // The digest journals of earlier versions hold, taken by Qt: a "now on the site" still found.
    QCOMPARE(readJournal(JournalFileName).last().sha256After,
             QCryptographicHash::hash(desk.page, QCryptographicHash::Sha256).toHex());
}

void TestHistory::rollbackRefused_data()
{
    QTest::addColumn<QByteArray>("backup");  // the version chosen; "dir" for a folder in its place
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QStringList>("messages");

    const QString refused = QString::fromUtf8("К этой версии вернуться нельзя: ");
    const QByteArray version = threeItemPage();
    const QString asked = QString::fromUtf8("Страница на сайте станет такой, какой была 01.12.2026 10:00. Пропадут новости: «now». Продолжить?");
    QTest::newRow("empty backup") << QByteArray() << "" << QStringList{refused + "файл backup_01-12-2026_10-00-00.bak пуст. На сервер ничего не отправлено."};
    QTest::newRow("not a page") << QByteArray("<html>no marker</html>") << ""
                                << QStringList{refused + "в файле backup_01-12-2026_10-00-00.bak нет страницы новостей с меткой <font color=yellow>. На сервер ничего не отправлено."};
    QTest::newRow("a folder in its place") << QByteArray("dir") << "" << QStringList{"dir"};
    QTest::newRow("another editor sent meanwhile") << version << "colleague" << QStringList{asked, HistoryChanged};
    QTest::newRow("declined") << version << "no" << QStringList{asked};
    QTest::newRow("wrong password") << version << "wrong password" << QStringList{asked, DownloadFailed};
    QTest::newRow("upload dropped") << version << "--drop-uploads" << QStringList{asked, UploadFailed};
    QTest::newRow("rename refused") << version << "--mute-at" << QStringList{asked, UploadFailed};
}

void TestHistory::rollbackRefused()
{
    QFETCH(QByteArray, backup);
    QFETCH(QString, situation);
    QFETCH(QStringList, messages);

    WorkDir dir;
    FtpServer server(situation == "--drop-uploads" ? QStringList{situation, "1"}
                     : situation == "--mute-at"    ? QStringList{situation, "RNFR"}
                                                   : QStringList());
    QVERIFY(server.start());
    server.putFile("news.html", withSent(threeItemPage(), {{"now", on(9, 9)}}));
    const QString version = "backup_01-12-2026_10-00-00.bak";
    QVERIFY(backup == "dir" ? QDir().mkdir(version) : writeFile(version, backup));
    ServerAccess access = accessTo(server);
    if (situation == "--mute-at")
        access.idleTimeout = 1500;
    ScriptedPublisher desk(access), colleague(server);
    QByteArray seen;
    QString why;
    QVERIFY(desk.publisher.fetchPage(seen, &why));
    if (situation == "colleague")
        QVERIFY(colleague.sendUsualItem().succeeded());
    if (situation == "wrong password")
        desk.typeLogin(server.user(), "wrong");
    desk.user.answer(situation != "no");
    const QByteArray before = server.fileContents("news.html");

    QVERIFY(!desk.publisher.rollback(version, seen).succeeded());

    if (backup == "dir")
        messages = QStringList{desk.user.seen.value(0)};
    QVERIFY2(sameMessages(desk.user.seen, messages), qPrintable(desk.user.seen.join(" | ")));
    // A version that cannot be one says which file and why.
    QVERIFY(!situation.isEmpty() || desk.user.seen.value(0).contains(version));
    QCOMPARE(server.fileContents("news.html"), before);
    // A refusal before the server is reached leaves no line in the journal.
    const QVector<JournalEntry> journal = readJournal(JournalFileName);
    const bool reached = messages.size() > 1;
    QCOMPARE(journal.size(), (situation == "colleague" ? 1 : 0) + (reached ? 1 : 0));
    if (reached)
        QCOMPARE(journal.last().outcome, QString("failed"));
}

void TestHistory::keepBackups_data()
{
    QTest::addColumn<int>("keep");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<QStringList>("left");

    const QStringList others{"backup_mine.bak", "notes.bak"};
    const QStringList old{"backup_01-12-2026_10-00-00.bak", "backup_02-12-2026_10-00-00.bak", "backup_02-12-2026_10-00-00_2.bak"};
    const QString made = "backup_09-12-2026_14-30-00.bak";
    QTest::newRow("unset keeps all") << 0 << false << QStringList(old + others + QStringList{made});
    QTest::newRow("keeps 2, the newest") << 2 << false << QStringList(others + QStringList{old.at(2), made});
    QTest::newRow("keeps 1, the command's own") << 1 << false << QStringList(others + QStringList{made});
    QTest::newRow("a failed send deletes none") << 1 << true << QStringList(old + others);
}

void TestHistory::keepBackups()
{
    QFETCH(int, keep);
    QFETCH(bool, fails);
    QFETCH(QStringList, left);

    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", Page);
    for (const QString &name : {"backup_01-12-2026_10-00-00.bak", "backup_02-12-2026_10-00-00.bak",
                                "backup_02-12-2026_10-00-00_2.bak", "backup_mine.bak", "notes.bak"})
        QVERIFY(writeFile(name, "old"));
    QVERIFY(writeFile("settings.ini", "keepbackups=" + QByteArray::number(keep) + "\n"));
    ScriptedPublisher desk(server);
    desk.publisher.setKeepBackups(readSettings("settings.ini").keepBackups);
    desk.publisher.setClock([] { return QDateTime(QDate(2026, 12, 9), QTime(14, 30)); });
    if (fails)
        desk.typeLogin(server.user(), "wrong");

    QCOMPARE(desk.sendUsualItem().succeeded(), !fails);

    left.sort();
    QCOMPARE(QDir().entryList({"*.bak"}, QDir::Files, QDir::Name), left);
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
