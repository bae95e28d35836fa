// Finding the items the program published on a page, and replacing or removing one of them byte for byte.
#include "newsitem.h"
#include "publisheditems.h"
#include "publishedpages.h"

#include <QTest>
#include <QTextCodec>

class TestPublishedItems : public QObject
{
    Q_OBJECT

private slots:
    void found_data();
    void found();
    void edited_data();
    void edited();
};

static QByteArray encoded(const char *utf8, const char *charset)
{
    return QTextCodec::codecForName(charset)->fromUnicode(QString::fromUtf8(utf8));
}

// The rows as the list shows them.
static QStringList summaries(const QVector<PublishedItem> &items)
{
    QStringList rows;
    for (const PublishedItem &item : items)
        rows << publishedItemSummary(item);
    return rows;
}

void TestPublishedItems::found_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QStringList>("rows");

    const QList<Sent> two{{QString::fromUtf8("Привет\nмир"), on(1, 10)}, {QStringLiteral("second"), on(2, 11, 5)}};
    const QStringList twoRows{QString::fromUtf8("02.12.2026 11:05 — second"),
                              QString::fromUtf8("01.12.2026 10:00 — Привет мир")};
    QTest::newRow("windows-1251, CRLF") << withSent("<html>\r\n<font color=yellow>\r\n</html>\r\n", two) << twoRows;
    QTest::newRow("UTF-8, LF")
        << withSent("<meta charset=\"utf-8\">\n<font color=yellow>\n", two) << twoRows;
    QTest::newRow("KOI8-R, CRLF")
        << withSent("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">\r\n<font color=yellow>\r\n", two)
        << twoRows;
    QTest::newRow("UTF-16 with its mark")
        << withSent(QTextCodec::codecForName("UTF-16LE")->fromUnicode(QString::fromUtf8("\uFEFF<font color=yellow>\r\n")), two)
        << twoRows;
    QTest::newRow("three-item page") << threeItemPage()
        << QStringList{QString::fromUtf8("05.12.2026 12:00 — Важно: новый адрес"),
                       QString::fromUtf8("03.12.2026 18:30 — Собрание в пятницу"),
                       QString::fromUtf8("01.12.2026 09:00 — Открыта рeгистрация на летний лагерь")};

    // By hand between the items, before the marker and in a comment: none of it listed.
    const QByteArray item = "\n \nfirst<br>\n \n<br>01/12/2026 10:00<br><br>";
    QTest::newRow("hand-written text between items")
        << QByteArray("\n \nbefore<br>\n \n<br>01/01/2026 10:00<br><br><font color=yellow>" + item
                      + "\n<p>By hand\n \n<br>30/11/2026 10:00<br><br></p>\n<!--\n \nhidden<br>\n \n<br>01/11/2026 10:00<br><br>-->"
                      + "\n \nlast<br>\n \n<br>31/10/2026 10:00<br><br>")
        << QStringList{QString::fromUtf8("01.12.2026 10:00 — first"), QString::fromUtf8("31.10.2026 10:00 — last")};
    // Typed in the editor, the frame's line breaks are <br>: the item is listed whole.
    QTest::newRow("frame typed inside an item")
        << withSent("<font color=yellow>", {{QStringLiteral("a<br>\n \n<br>05/12/2026 18:48<br><br>b"), on(7, 8)}})
        << QStringList{QString::fromUtf8("07.12.2026 08:00 — a 05/12/2026 18:48 b")};
    // With real line feeds inside, no send wrote it: the first is the program's, the rest is not split.
    QTest::newRow("frame with line feeds inside an item")
        << QByteArray("<font color=yellow>\n \nfoo<br>\n \n<br>01/01/2026 10:00<br><br>bar<br>\n \n<br>02/01/2026 10:00<br><br>")
        << QStringList{QString::fromUtf8("01.01.2026 10:00 — foo")};
    QTest::newRow("no date, no item")
        << QByteArray("<font color=yellow>\n \nfoo<br>\n \n<br>31/02/2026 10:00<br><br>\n \nbar<br>\n \n<br>1/01/2026 10:00<br><br>")
        << QStringList();
    QTest::newRow("no marker") << QByteArray("\n \nfoo<br>\n \n<br>01/01/2026 10:00<br><br>") << QStringList();
    QTest::newRow("tags, entities, cut at 80")
        << withSent("<font color=yellow>",
                    {{QString::fromUtf8("<a href=\"x\">&laquo;Цены&raquo;</a>&nbsp;растут &amp; &#1071;&#x42f; &bogus;\n")
                          + QString(90, QLatin1Char('x')),
                      on(7, 8)}})
        << QStringList{QString::fromUtf8("07.12.2026 08:00 — «Цены» растут & ЯЯ &bogus; ") + QString(53, 'x')
                       + QString::fromUtf8("…")};
}

void TestPublishedItems::found()
{
    QFETCH(QByteArray, page);
    QFETCH(QStringList, rows);

    const PublishedItems found = publishedItems(page);
    QCOMPARE(summaries(found.items), rows);
    for (const PublishedItem &item : found.items) {
        QCOMPARE(page.mid(item.at, item.bytes.size()), item.bytes);
        QCOMPARE(item.number + item.below + 1, found.items.size());
        // Corrected without a change, the item is the same bytes.
        QCOMPARE(replacePublishedItem(page, item, composeNewsItem(item.text, item.date)).page, page);
    }
}

void TestPublishedItems::edited_data()
{
    QTest::addColumn<QByteArray>("listed");    // the page when the list was made
    QTest::addColumn<int>("row");
    QTest::addColumn<QByteArray>("meanwhile"); // the page when the change is made; empty: as listed
    QTest::addColumn<QString>("newText");      // null: removed
    QTest::addColumn<QByteArray>("expected");  // empty: the item changed, nothing edited

    const QByteArray a = "\n \nfirst<br>\n \n<br>01/12/2026 10:00<br><br>";
    const QByteArray b = "\n \nsecond<br>\n \n<br>02/12/2026 11:00<br><br>";
    const QByteArray head = "<p><font color=yellow>", tail = "\n<p>By hand</p>\n</body>";
    const QByteArray page = head + b + "\n<p>By hand\n \n</p>" + a + tail;
    const QByteArray fixedA = "\n \nfirst, fixed<br>line<br>\n \n<br>01/12/2026 10:00<br><br>";
    const QByteArray c = "\n \nthird<br>\n \n<br>03/12/2026 12:00<br><br>";

    QTest::newRow("corrected, LF") << page << 1 << QByteArray() << "first, fixed\nline"
                                    << head + b + "\n<p>By hand\n \n</p>" + fixedA + tail;
    QTest::newRow("removed, LF") << page << 0 << QByteArray() << QString() << head + "\n<p>By hand\n \n</p>" + a + tail;
    QTest::newRow("another editor's item on top") << page << 1 << QByteArray(head + c + b + "\n<p>By hand\n \n</p>" + a + tail)
                                                  << "first, fixed\nline" << head + c + b + "\n<p>By hand\n \n</p>" + fixedA + tail;
    QTest::newRow("item edited by hand") << page << 1 << QByteArray(page).replace("first", "First")
                                         << "x" << QByteArray();
    QTest::newRow("item twice") << page << 1 << QByteArray(head + a + b + a + tail) << "x" << QByteArray();
    QTest::newRow("item above removed") << page << 1 << QByteArray(head + a + tail) << "x" << QByteArray();
    QTest::newRow("items swapped") << page << 0 << QByteArray(head + a + b + tail) << QString() << QByteArray();
    QTest::newRow("marker gone") << page << 0 << QByteArray(page).replace("<font", "<span") << QString() << QByteArray();

    const QByteArray cp1251 = "<font color=yellow>\r\n \r\n" + encoded("Опечатка<br>", "windows-1251")
                              + "\r\n \r\n<br>01/12/2026 10:00<br><br>\r\n";
    QTest::newRow("windows-1251, CRLF") << cp1251 << 0 << QByteArray() << QString::fromUtf8("Исправлено\nи ещё")
        << "<font color=yellow>\r\n \r\n" + encoded("Исправлено<br>и ещё<br>", "windows-1251")
               + "\r\n \r\n<br>01/12/2026 10:00<br><br>\r\n";
    const QByteArray koi8 = "<meta charset=koi8-r><font color=yellow>\r\n \r\n" + encoded("Опечатка<br>", "KOI8-R")
                            + "\r\n \r\n<br>01/12/2026 10:00<br><br>\r\n";
    QTest::newRow("KOI8-R, CRLF, removed") << koi8 << 0 << QByteArray() << QString()
                                           << QByteArray("<meta charset=koi8-r><font color=yellow>\r\n");
    const QByteArray utf8 = "<meta charset=utf-8><font color=yellow>\n \n" + encoded("Опечатка", "UTF-8") + b.mid(9);
    QTest::newRow("UTF-8, a character the page has") << utf8 << 0 << QByteArray() << QString::fromUtf8("Ёж €")
        << "<meta charset=utf-8><font color=yellow>\n \n" + encoded("Ёж €", "UTF-8") + b.mid(9);
    QTest::newRow("windows-1251, a character it lacks") << cp1251 << 0 << QByteArray() << QString::fromUtf8("漢")
        << QByteArray("<font color=yellow>\r\n \r\n&#28450;<br>\r\n \r\n<br>01/12/2026 10:00<br><br>\r\n");
}

void TestPublishedItems::edited()
{
    QFETCH(QByteArray, listed);
    QFETCH(int, row);
    QFETCH(QByteArray, meanwhile);
    QFETCH(QString, newText);
    QFETCH(QByteArray, expected);

    const PublishedItem item = publishedItems(listed).items.value(row);
    QVERIFY(!item.isNull());
    const QString newItem = newText.isNull() ? QString() : composeNewsItem(newText, item.date);
    const PageEdit edit = replacePublishedItem(meanwhile.isEmpty() ? listed : meanwhile, item, newItem);
    QCOMPARE(edit.outcome == PageEdit::Edited, !expected.isEmpty());
    QCOMPARE(edit.page, expected);
}

QTEST_GUILESS_MAIN(TestPublishedItems)
#include "tst_publisheditems.moc"
