// Finding the items the program published on a page, and replacing or removing one of them byte for byte.
#include "page/publisheditems.h"
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

static QByteArray encoded(const char *utf8, const char *charset = "windows-1251")
{
    return QTextCodec::codecForName(charset)->fromUnicode(QString::fromUtf8(utf8));
}

void TestPublishedItems::found_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QStringList>("rows");

    const QStringList two{"02.12.2026 11:05 — second", QString::fromUtf8("01.12.2026 10:00 — Привет мир")};
    const QByteArray koi8 = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">\r\n";
    // The byte-order mark as bytes: Qt 6's codec drops a U+FEFF it is given.
    const QByteArray utf16 = QByteArray("\xff\xfe", 2) + encoded("<font color=yellow>\r\n", "UTF-16LE");
    const QList<QPair<const char *, QByteArray>> heads{{"windows-1251, CRLF", "<font color=yellow>\r\n"},
                                                       {"UTF-8, LF", "<meta charset=\"utf-8\">\n<font color=yellow>\n"},
                                                       {"KOI8-R, CRLF", koi8 + "<font color=yellow>\r\n"},
                                                       {"UTF-16, CRLF", utf16}};
    for (const auto &head : heads)
        QTest::newRow(head.first) << withSent(head.second, {{QString::fromUtf8("Привет\nмир"), on(1, 10)}, {"second", on(2, 11, 5)}})
                                  << two;
    // By hand before the marker, between the items and in a comment: none of it listed.
    const QByteArray item = "\n \nfirst<br>\n \n<br>01/12/2026 10:00<br><br>";
    QTest::newRow("hand-written text") << "\n \nbefore<br>\n \n<br>01/01/2026 10:00<br><br><font color=yellow>" + item
            + "\n<p>By hand\n \n<br>30/11/2026 10:00<br><br></p>\n<!--\n \nhidden<br>\n \n<br>01/11/2026 10:00<br><br>-->"
            + "\n \nlast<br>\n \n<br>31/10/2026 10:00<br><br>\n \nbad date<br>\n \n<br>31/02/2026 10:00<br><br>"
        << QStringList{"01.12.2026 10:00 — first", "31.10.2026 10:00 — last"};
    // Typed in the editor, the frame's line breaks are <br>: the item is listed whole.
    QTest::newRow("frame typed inside") << withSent("<font color=yellow>", {{"a<br>\n \n<br>05/12/2026 18:48<br><br>b", on(7, 8)}})
                                        << QStringList{"07.12.2026 08:00 — a 05/12/2026 18:48 b"};
    // With line feeds inside, no send wrote it: the first item is the program's, the rest not split.
    QTest::newRow("frame with line feeds inside")
        << QByteArray("<font color=yellow>\n \nfoo<br>\n \n<br>01/01/2026 10:00<br><br>bar<br>\n \n<br>02/01/2026 10:00<br><br>")
        << QStringList{"01.01.2026 10:00 — foo"};
    QTest::newRow("tags, entities, cut at 80")
        << withSent("<font color=yellow>", {{QString::fromUtf8("<a href=\"x\">&laquo;Цены&raquo;</a>&nbsp;растут &amp; &#1071;"
                                                               "&#x42f; &bogus;\n") + QString(90, 'x'), on(7, 8)}})
        << QStringList{QString::fromUtf8("07.12.2026 08:00 — «Цены» растут & ЯЯ &bogus; ") + QString(53, 'x') + "…"};
}

void TestPublishedItems::found()
{
    QFETCH(QByteArray, page);
    QFETCH(QStringList, rows);

    const PublishedItems found = publishedItems(page);
    QStringList shown;
    for (const PublishedItem &item : found.items) {
        shown << publishedItemSummary(item);
        // Corrected without a change, the page stays as it was.
        QCOMPARE(replacePublishedItem(page, item, composeNewsItem(item.text, item.date())).page, page);
    }
    QCOMPARE(shown, rows);
}

void TestPublishedItems::edited_data()
{
    QTest::addColumn<QByteArray>("listed");    // the page when the list was made
    QTest::addColumn<QByteArray>("meanwhile"); // the page when the change is made; empty: as listed
    QTest::addColumn<QString>("newText");      // null: removed
    QTest::addColumn<QByteArray>("expected");  // empty: the item changed, nothing edited

    // The second item listed is changed in each row.
    const QByteArray a = "\n \nfirst<br>\n \n<br>01/12/2026 10:00<br><br>", b = "\n \nsecond<br>\n \n<br>02/12/2026 11:00<br><br>";
    const QByteArray c = "\n \nthird<br>\n \n<br>03/12/2026 12:00<br><br>", hand = "\n<p>By hand\n \n</p>";
    const QByteArray head = "<p><font color=yellow>" + b + hand, tail = "\n</body>";
    const QByteArray fixedA = "\n \nfirst, fixed<br>line<br>\n \n<br>01/12/2026 10:00<br><br>";
    QTest::newRow("corrected") << head + a + tail << QByteArray() << "first, fixed\nline" << head + fixedA + tail;
    QTest::newRow("removed") << head + a + tail << QByteArray() << QString() << head + tail;
    QTest::newRow("another editor's item on top") << head + a + tail << QByteArray(head + a + tail).insert(22, c)
                                                  << QString() << QByteArray(head + tail).insert(22, c);
    QTest::newRow("item edited by hand") << head + a + tail << head + a.toUpper() + tail << "x" << QByteArray();
    QTest::newRow("item twice") << head + a + tail << head + a + a + tail << "x" << QByteArray();
    QTest::newRow("item above removed") << head + a + tail << "<font color=yellow>" + a + tail << "x" << QByteArray();
    // Its own place unchanged, but the page below it is not the one listed: when in doubt, don't.
    QTest::newRow("item added below") << head + a + tail << head + a + c + tail << "x" << QByteArray();
    QTest::newRow("item below removed") << head + a + c + tail << head + a + tail << "x" << QByteArray();
    QTest::newRow("items swapped") << head + a + tail << "<font color=yellow>" + a + b + tail << "x" << QByteArray();
    const QByteArray crLf = "<font color=yellow>\r\n \r\nx<br>\r\n \r\n<br>03/12/2026 12:00<br><br>\r\n \r\n";
    const QByteArray date = "<br>\r\n \r\n<br>01/12/2026 10:00<br><br>\r\n";
    QTest::newRow("windows-1251, CRLF") << crLf + encoded("Опечатка") + date << QByteArray()
                                        << QString::fromUtf8("Исправлено\n漢") << crLf + encoded("Исправлено<br>&#28450;") + date;
    QTest::newRow("KOI8-R, CRLF") << "<meta charset=koi8-r>" + crLf + encoded("Опечатка", "KOI8-R") + date << QByteArray()
        << QString::fromUtf8("Ёж") << "<meta charset=koi8-r>" + crLf + encoded("Ёж", "KOI8-R") + date;
    QTest::newRow("UTF-8, LF") << "<meta charset=utf-8>" + head + encoded("\n \nОпечатка", "UTF-8") + a.mid(8) << QByteArray()
                               << QString::fromUtf8("Ёж €") << "<meta charset=utf-8>" + head + encoded("\n \nЁж €", "UTF-8") + a.mid(8);
}

void TestPublishedItems::edited()
{
    QFETCH(QByteArray, listed);
    QFETCH(QByteArray, meanwhile);
    QFETCH(QString, newText);
    QFETCH(QByteArray, expected);

    const PublishedItem item = publishedItems(listed).items.value(1);
    QVERIFY(!item.isNull());
    const QString newItem = newText.isNull() ? QString() : composeNewsItem(newText, item.date());
    const PageEdit edit = replacePublishedItem(meanwhile.isEmpty() ? listed : meanwhile, item, newItem);
    QCOMPARE(edit.outcome == PageEdit::Edited, !expected.isEmpty());
    QCOMPARE(edit.page, expected);
}

QTEST_GUILESS_MAIN(TestPublishedItems)
#include "tst_publisheditems.moc"
