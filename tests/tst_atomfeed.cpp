// The Atom feed built from a news page's items, as feed readers read it.
#include "page/atomfeed.h"
#include "filebytes.h"
#include "parsedfeed.h"
#include "publishedpages.h"

#include <QJsonArray>
#include <QTest>
#include <QTextCodec>

class TestAtomFeed : public QObject
{
    Q_OBJECT

private slots:
    void built_data();
    void built();
};

namespace {

const QString PageUrl = QStringLiteral("https://www.example.org/news/index.html");
const QTimeZone Berlin("Europe/Berlin");

FeedSettings settingsAt(const QDateTime &now, int itemCount = DefaultFeedItems)
{
    FeedSettings settings;
    settings.pageUrl = PageUrl;
    settings.feedName = QStringLiteral("news.atom");
    settings.itemCount = itemCount;
    settings.now = QDateTime(now.date(), now.time(), Berlin);
    settings.zone = Berlin;
    return settings;
}

QString tagOf(const char *day, const char *minute, int place)
{
    return QStringLiteral("tag:www.example.org,%1:/news/index.html/%2/%3").arg(day, minute).arg(place);
}

QByteArray encoded(const QString &text, const char *charset)
{
    return QTextCodec::codecForName(charset)->fromUnicode(text);
}

const QString Title = QString::fromUtf8("Новости «Орвеск»");
const QString TitleInPage = QString::fromUtf8("<title>Новости &laquo;Орвеск&raquo;</title>");

} // namespace

void TestAtomFeed::built_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<int>("itemCount");
    QTest::addColumn<QStringList>("old");      // id, content, updated of the feed on the server
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("entries");  // id, title, published, updated
    QTest::addColumn<QStringList>("contents"); // empty: not looked at

    const QList<Sent> two{{QString::fromUtf8("Привет <b>мир</b>\nвторая строка"), on(1, 10)}, {"second", on(2, 11, 5)}};
    const QStringList twoEntries{
        tagOf("2026-12-02", "11-05", 1) + "|second|2026-12-02T11:05:00+01:00|2026-12-02T11:05:00+01:00",
        tagOf("2026-12-01", "10-00", 1) + QString::fromUtf8("|Привет мир|2026-12-01T10:00:00+01:00|2026-12-01T10:00:00+01:00")};
    const QStringList twoContents{"second", QString::fromUtf8("Привет <b>мир</b><br>вторая строка")};
    const QString head = "<html><head>" + TitleInPage + "</head><body>\n<font color=yellow>\n";
    QTest::newRow("windows-1251, CRLF") << withSent(encoded(QString(head).replace("\n", "\r\n"), "windows-1251"), two)
                                        << 50 << QStringList() << Title << twoEntries << twoContents;
    QTest::newRow("KOI8-R, LF")
        << withSent(encoded("<meta charset=\"koi8-r\">" + head, "KOI8-R"), two) << 50 << QStringList() << Title
        << twoEntries << twoContents;
    QTest::newRow("UTF-16, CRLF")
        << withSent(QByteArray("\xff\xfe", 2) + utf16le(QString(head).replace("\n", "\r\n").toUtf8().constData()), two) << 50
        << QStringList() << Title << twoEntries << twoContents;

    // Escaped once, in UTF-8; control characters are no XML, and the rest stays as typed. An item
    // holding a script is no item the published list shows either.
    const QString hostile = QString::fromUtf8("x ]]> &nbsp;<i>a&&b</i> & y\n№ «ё»");
    QTest::newRow("hostile items")
        << withSent("<meta charset=\"utf-8\"><font color=yellow>", {{"<script>if (a < b) c();</script>", on(2, 9)}, {hostile, on(3, 9)}})
               .replace("x ]]>", "x\x01 ]]\x1b>")
        << 50 << QStringList() << "www.example.org"
        << QStringList{tagOf("2026-12-03", "09-00", 1) + "|x ]]> a&&b & y|2026-12-03T09:00:00+01:00|2026-12-03T09:00:00+01:00"}
        << QStringList{QString(hostile).replace("\n", "<br>")};

    // Counted from the oldest of their minute: newer items do not change the older ones' ids.
    QTest::newRow("same minute, newest three")
        << withSent("<title></title><font color=yellow>", {{"a", on(5, 9)}, {"b", on(5, 9)}, {"c", on(5, 9)}, {"d", on(6, 8)}})
        << 3 << QStringList() << "www.example.org"
        << QStringList{tagOf("2026-12-06", "08-00", 1) + "|d|2026-12-06T08:00:00+01:00|2026-12-06T08:00:00+01:00",
                       tagOf("2026-12-05", "09-00", 3) + "|c|2026-12-05T09:00:00+01:00|2026-12-05T09:00:00+01:00",
                       tagOf("2026-12-05", "09-00", 2) + "|b|2026-12-05T09:00:00+01:00|2026-12-05T09:00:00+01:00"}
        << QStringList{"d", "c", "b"};

    // A changed content is a correction, updated now; an unchanged one keeps its last correction's
    // time, unless that time cannot be (after now). Summer time in July.
    const QDateTime july(QDate(2026, 7, 1), QTime(12, 0));
    QTest::newRow("corrected")
        << withSent("<font color=yellow>", {{"summer", july}, {"same", on(2, 10)}, {"new text", on(3, 10)}}) << 50
        << QStringList{tagOf("2026-12-03", "10-00", 1), "old text", "2026-12-03T10:00:00+01:00",
                       tagOf("2026-12-02", "10-00", 1), "same", "2026-12-05T08:00:00+01:00",
                       tagOf("2026-07-01", "12-00", 1), "summer", "2027-01-01T00:00:00+01:00"}
        << "www.example.org"
        << QStringList{tagOf("2026-12-03", "10-00", 1) + "|new text|2026-12-03T10:00:00+01:00|2026-12-09T15:00:00+01:00",
                       tagOf("2026-12-02", "10-00", 1) + "|same|2026-12-02T10:00:00+01:00|2026-12-05T08:00:00+01:00",
                       tagOf("2026-07-01", "12-00", 1) + "|summer|2026-07-01T12:00:00+02:00|2026-07-01T12:00:00+02:00"}
        << QStringList();

    // The title up to the first line break, cut at 100; a picture alone is titled by its date.
    QTest::newRow("titles") << withSent("<font color=yellow>", {{QString(120, 'L') + "\nmore", on(4, 10)},
                                                                {"<img src=\"a.jpg\">\nbelow", on(4, 11)},
                                                                {"<img src=\"a.jpg\">", on(4, 12)}})
                            << 50 << QStringList() << "www.example.org"
                            << QStringList{tagOf("2026-12-04", "12-00", 1) + "|04.12.2026 12:00|2026-12-04T12:00:00+01:00|2026-12-04T12:00:00+01:00",
                                           tagOf("2026-12-04", "11-00", 1) + "|below|2026-12-04T11:00:00+01:00|2026-12-04T11:00:00+01:00",
                                           tagOf("2026-12-04", "10-00", 1) + "|" + QString(100, 'L') + QString::fromUtf8("…")
                                               + "|2026-12-04T10:00:00+01:00|2026-12-04T10:00:00+01:00"}
                            << QStringList();
    QTest::newRow("no items") << QByteArray("<font color=yellow>") << 50 << QStringList() << "www.example.org"
                              << QStringList() << QStringList();
}

void TestAtomFeed::built()
{
    QFETCH(QByteArray, page);
    QFETCH(int, itemCount);
    QFETCH(QStringList, old);
    QFETCH(QString, title);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, contents);

    FeedSettings settings = settingsAt(QDateTime(QDate(2026, 12, 9), QTime(15, 0)), itemCount);
    for (int i = 0; i + 2 < old.size(); i += 3)
        settings.old << FeedEntry{old.at(i), old.at(i + 1), QDateTime::fromString(old.at(i + 2), Qt::ISODate)};
    const QByteArray feed = atomFeed(page, settings);
    const ParsedFeed parsed = parsedFeed(feed);
    QVERIFY2(parsed.problem.isEmpty(), qPrintable(parsed.problem + "\n" + QString::fromUtf8(feed)));
    QCOMPARE(parsed.feed["id"].toString(), PageUrl);
    QCOMPARE(parsed.feed["title"].toString(), title);
    QCOMPARE(parsed.feed["links"].toVariant().toStringList(),
             QStringList({"alternate " + PageUrl, "self https://www.example.org/news/news.atom"}));
    QStringList shown, content;
    for (const QJsonValue &value : parsed.feed["entries"].toArray()) {
        const QJsonObject entry = value.toObject();
        shown << QStringList{entry["id"].toString(), entry["title"].toString(), entry["published"].toString(),
                             entry["updated"].toString()}.join('|');
        content << entry["content"].toString();
        QCOMPARE(entry["link"].toString(), PageUrl);
        QCOMPARE(entry["base"].toString(), PageUrl);
    }
    QCOMPARE(shown, entries);
    if (!contents.isEmpty())
        QCOMPARE(content, contents);

    // Built again later from its own entries, nothing having changed, the feed is the same.
    if (entries.isEmpty())
        return;
    FeedSettings later = settingsAt(QDateTime(QDate(2026, 12, 10), QTime(9, 0)), itemCount);
    const OldFeed read = readOldFeed(feed, PageUrl);
    QVERIFY(read.ours);
    later.old = read.entries;
    QCOMPARE(atomFeed(page, later), feed);
}

QTEST_GUILESS_MAIN(TestAtomFeed)
#include "tst_atomfeed.moc"
