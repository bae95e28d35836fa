// The Atom feed beside the page on real loopback servers: written by every command that changes the
// page, matching the page's items, and never at the page's cost when it cannot be written.
#include "filebytes.h"
#include "ftpserver.h"
#include "httpsserver.h"
#include "messages.h"
#include "page/publisheditems.h"
#include "parsedfeed.h"
#include "publishedpages.h"
#include "scripteduser.h"
#include "sftpserver.h"
#include "workdir.h"

#include <QDir>
#include <QJsonArray>
#include <QTest>

#include <memory>

class TestFeed : public QObject
{
    Q_OBJECT

private slots:
    void everyCommandKeepsItTrue();
    void feedFaults_data();
    void feedFaults();
    void otherTransports_data();
    void otherTransports();
};

namespace {

const QString FeedNotWritten = QStringLiteral("Новость добавлена, но ленту новостей записать не удалось:");
const QDateTime CommandTime(QDate(2026, 12, 9), QTime(15, 0));

ServerAccess withFeed(ServerAccess access)
{
    access.pageUrl = QStringLiteral("https://www.example.org/news.html");
    access.feedName = QStringLiteral("news.atom");
    access.idleTimeout = 3000;
    return access;
}

// The feed's entries as a reader shows them ("title|updated"), after checking that they are the
// page's items, newest first, each with its markup as content.
QStringList entriesMatchingPage(const TestServer &server)
{
    const ParsedFeed parsed = parsedFeed(server.fileContents("news.atom"));
    if (!parsed.problem.isEmpty())
        return {parsed.problem};
    const QVector<PublishedItem> items = publishedItems(server.fileContents("news.html")).items;
    const QJsonArray entries = parsed.feed["entries"].toArray();
    QStringList shown;
    for (int i = 0; i < entries.size(); ++i) {
        const QJsonObject entry = entries.at(i).toObject();
        if (i >= items.size() || entry["content"].toString() != QString(items.at(i).text).replace('\n', "<br>"))
            return {"not the page's item: " + entry["content"].toString()};
        shown << entry["title"].toString() + '|' + entry["updated"].toString().left(16);
    }
    return entries.size() == items.size() ? shown : QStringList{"not every item"};
}

QStringList feedBackups()
{
    return QDir::current().entryList({"feed_*.bak"}, QDir::Files);
}

} // namespace

void TestFeed::everyCommandKeepsItTrue()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", threeItemPage());
    QVERIFY(writeFile("chosen.bak", threeItemPage()));
    ScriptedPublisher desk(withFeed(accessTo(server)));
    desk.publisher.setClock([] { return CommandTime; });
    const QString meeting = QString::fromUtf8("Собрание в пятницу|2026-12-03T18:30");
    const QString important = QString::fromUtf8("Важно: новый адрес|2026-12-05T12:00");
    const QString camp = QString::fromUtf8("Открыта рeгистрация|2026-12-01T09:00");

    QVERIFY(desk.sendUsualItem().succeeded());
    QCOMPARE(entriesMatchingPage(server), (QStringList{"abc|2026-12-05T18:48", important, meeting, camp}));

    // Corrected: the entry's updated is the command's time.
    const PublishedItem friday = publishedItems(server.fileContents("news.html")).items.at(2);
    QVERIFY(desk.publisher.correct(friday, QString::fromUtf8("Собрание в четверг"), on(3, 18, 30)).succeeded());
    const QString thursday = QString::fromUtf8("Собрание в четверг|2026-12-09T15:00");
    QCOMPARE(entriesMatchingPage(server), (QStringList{"abc|2026-12-05T18:48", important, thursday, camp}));

    desk.user.answer(true);
    QVERIFY(desk.publisher.remove(publishedItems(server.fileContents("news.html")).items.at(0)).succeeded());
    QCOMPARE(entriesMatchingPage(server), (QStringList{important, thursday, camp}));

    desk.user.chooseFile(dir.filePath("chosen.bak"));
    desk.user.answer(true);
    QVERIFY(desk.publisher.restore().succeeded());
    // Friday again differs from the feed's Thursday: a correction too.
    QCOMPARE(entriesMatchingPage(server),
             (QStringList{important, QString::fromUtf8("Собрание в пятницу|2026-12-09T15:00"), camp}));

    // Each command's last word is its usual one: the questions come between.
    const QStringList &seen = desk.user.seen;
    QCOMPARE((QStringList{seen.value(0), seen.value(1), seen.value(3), seen.value(6)}),
             (QStringList{Uploaded, Corrected, Removed, Uploaded}));
    // The program's own feed is rebuilt from the page, not kept; the feed is readable by all.
    QCOMPARE(feedBackups(), QStringList());
    QCOMPARE(server.fileMode("news.atom") & 0444, 0444);
}

void TestFeed::feedFaults_data()
{
    QTest::addColumn<QStringList>("serverArgs");
    QTest::addColumn<QByteArray>("onServer");  // the file of the feed's name before the send; empty: none
    QTest::addColumn<QString>("message");      // after the send
    QTest::addColumn<bool>("keptAside");       // the old file in feed_….bak

    QTest::newRow("no feed yet") << QStringList() << QByteArray() << Uploaded << false;
    // vsftpd's local_umask=077: the feed is made readable like the page.
    QTest::newRow("private new files") << QStringList{"--umask", "077"} << QByteArray() << Uploaded << false;
    QTest::newRow("someone else's file") << QStringList() << QByteArray("<rss><channel/></rss>") << Uploaded << true;
    QTest::newRow("not XML, 9 MB") << QStringList() << QByteArray(9 << 20, '<') << Uploaded << true;
    // The first rename is the page's, the second the feed's.
    QTest::newRow("feed's upload refused") << QStringList{"--refuse-rename", "2"} << QByteArray() << FeedNotWritten << false;
    QTest::newRow("server silent between the page and the feed")
        << QStringList{"--mute-at", "RETR", "--mute-after", "1"} << QByteArray() << FeedNotWritten << false;
}

void TestFeed::feedFaults()
{
    QFETCH(QStringList, serverArgs);
    QFETCH(QByteArray, onServer);
    QFETCH(QString, message);
    QFETCH(bool, keptAside);

    WorkDir dir;
    FtpServer server(serverArgs);
    QVERIFY(server.start());
    server.putFile("news.html", threeItemPage());
    if (!onServer.isEmpty())
        server.putFile("news.atom", onServer);
    ServerAccess access = withFeed(accessTo(server));
    ScriptedPublisher desk(access);

    // The page is the truth: published whatever becomes of the feed.
    QVERIFY(desk.sendUsualItem().succeeded());
    QVERIFY2(sameMessages(desk.user.seen, {message}), qPrintable(desk.user.seen.join(" | ")));
    QCOMPARE(publishedItems(server.fileContents("news.html")).items.size(), 4);
    QCOMPARE(QDir(server.root()).entryList(QDir::Files | QDir::Hidden).filter(".newsadder-"), QStringList());
    const bool written = message == Uploaded;
    QCOMPARE(entriesMatchingPage(server).size(), written ? 4 : 1);
    QCOMPARE(feedBackups().size(), keptAside ? 1 : 0);
    if (keptAside)
        QCOMPARE(readFile(feedBackups().value(0)), onServer);
    if (written)
        QCOMPARE(server.fileMode("news.atom"), 0644);

    // The next command writes the feed from the page.
    if (!written) {
        desk.user.seen.clear();
        desk.user.answer(true);
        QVERIFY(desk.publisher.remove(publishedItems(server.fileContents("news.html")).items.at(0)).succeeded());
        QCOMPARE(entriesMatchingPage(server).size(), 3);
    }
}

void TestFeed::otherTransports_data()
{
    QTest::addColumn<bool>("overSsh");
    QTest::newRow("HTTPS, one PUT") << false;
    // SFTP renames onto no existing file: the old feed steps aside first.
    QTest::newRow("SFTP, private new files") << true;
}

void TestFeed::otherTransports()
{
    QFETCH(bool, overSsh);

    WorkDir dir;
    std::unique_ptr<TestServer> server;
    if (overSsh)
        server = std::make_unique<SftpServer>(QStringList{"--umask", "077"});
    else
        server = std::make_unique<HttpsServer>();
    QVERIFY(server->start());
    ServerAccess access = withFeed(accessTo(*server));
    if (overSsh)
        QVERIFY(writeFile("known_hosts", static_cast<SftpServer &>(*server).knownHostsLine().toUtf8() + '\n'));
    else
        access.caCertFile = static_cast<HttpsServer &>(*server).certificateFile();
    server->putFile("news.html", threeItemPage());
    ScriptedPublisher desk(access);

    // The feed made, then replaced.
    QVERIFY(desk.publisher.send("one", UsualDate).succeeded());
    QVERIFY(desk.publisher.send("two", UsualDate).succeeded());
    QCOMPARE(desk.user.seen, (QStringList{Uploaded, Uploaded}));
    QCOMPARE(entriesMatchingPage(*server).size(), 5);
    QCOMPARE(QDir(server->root()).entryList(QDir::Files | QDir::Hidden), (QStringList{"news.atom", "news.html"}));
    if (overSsh)
        QCOMPARE(server->fileMode("news.atom"), 0644);
    else
        QCOMPARE(server->log().count("PUT /news.atom"), 2);
}

QTEST_GUILESS_MAIN(TestFeed)
#include "tst_feed.moc"
