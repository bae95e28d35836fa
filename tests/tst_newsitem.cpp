#include "publish/backupname.h"
#include "filebytes.h"
#include "page/itempreview.h"
#include "page/newsitem.h"

#include <QTest>
#include <QTextCodec>

class TestNewsItem : public QObject
{
    Q_OBJECT

private slots:
    void composition_data();
    void composition();
    void backupName_data();
    void backupName();
    void encoding_data();
    void encoding();
    void everyCodePageCharacterIsOneByte();
    void insertion_data();
    void insertion();
    void pageColours_data();
    void pageColours();
    void webAddress_data();
    void webAddress();
};

static QDateTime at(int year, int month, int day, int hour, int minute, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

void TestNewsItem::composition_data()
{
    QTest::addColumn<QString>("editorText");
    QTest::addColumn<QDateTime>("date");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("blank");  // nothing in it but the date

    QTest::newRow("worked example") << "abc\ndef" << at(2026, 12, 5, 18, 48)
        << "\n \nabc<br>def<br>\n \n<br>05/12/2026 18:48<br><br>" << false;
    QTest::newRow("empty editor") << "" << at(2026, 12, 5, 18, 48)
        << "\n \n<br>\n \n<br>05/12/2026 18:48<br><br>" << true;
    QTest::newRow("only white space") << QString::fromUtf8(" \t\u2029\u00A0\n") << at(2026, 12, 5, 18, 48)
        << QString::fromUtf8("\n \n \t<br>\u00A0<br><br>\n \n<br>05/12/2026 18:48<br><br>") << true;
    QTest::newRow("control characters left out, tab kept")
        << QString("a") + QChar(0) + "b\x01" "c\bd\x1b" "e\x7f" "f\tg" + QChar(0x85) + "h" << at(2026, 12, 5, 18, 48)
        << "\n \nabcdef\tgh<br>\n \n<br>05/12/2026 18:48<br><br>" << false;
    QTest::newRow("control characters alone") << "\x01\x1b\x7f" << at(2026, 12, 5, 18, 48)
        << "\n \n<br>\n \n<br>05/12/2026 18:48<br><br>" << true;
    QTest::newRow("line feed at the end") << "abc\n" << at(2026, 12, 5, 18, 48)
        << "\n \nabc<br><br>\n \n<br>05/12/2026 18:48<br><br>" << false;
    QTest::newRow("empty line kept") << "a\n\nb" << at(2026, 12, 5, 18, 48)
        << "\n \na<br><br>b<br>\n \n<br>05/12/2026 18:48<br><br>" << false;
    QTest::newRow("markup and Cyrillic as typed") << "<b>Новость</b> & <a href=\"x\">" << at(2026, 12, 5, 18, 48)
        << "\n \n<b>Новость</b> & <a href=\"x\"><br>\n \n<br>05/12/2026 18:48<br><br>" << false;
    QTest::newRow("Enter, Shift+Enter, no-break space") << QString::fromUtf8("a\u2029b\u2028c\u00A0d") << at(2026, 12, 5, 18, 48)
        << QString::fromUtf8("\n \na<br>b<br>c\u00A0d<br>\n \n<br>05/12/2026 18:48<br><br>") << false;
    QTest::newRow("leading zeros, midnight") << "x" << at(2027, 1, 2, 0, 5)
        << "\n \nx<br>\n \n<br>02/01/2027 00:05<br><br>" << false;
    QTest::newRow("24-hour clock, seconds dropped") << "x" << at(2026, 12, 31, 23, 59, 59)
        << "\n \nx<br>\n \n<br>31/12/2026 23:59<br><br>" << false;
}

void TestNewsItem::composition()
{
    QFETCH(QString, editorText);
    QFETCH(QDateTime, date);
    QFETCH(QString, expected);
    QFETCH(bool, blank);
    QCOMPARE(composeNewsItem(editorText, date), expected);
    QCOMPARE(isBlankNewsText(editorText), blank);
}

void TestNewsItem::backupName_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("expected");

    QTest::newRow("example") << at(2026, 12, 5, 18, 48, 23) << "backup_05-12-2026_18-48-23.bak";
    QTest::newRow("leading zeros") << at(2027, 1, 2, 0, 5, 9) << "backup_02-01-2027_00-05-09.bak";
    QTest::newRow("last second of the year") << at(2026, 12, 31, 23, 59, 59) << "backup_31-12-2026_23-59-59.bak";
}

void TestNewsItem::backupName()
{
    QFETCH(QDateTime, now);
    QFETCH(QString, expected);
    QCOMPARE(automaticBackupName(now), expected);
}

void TestNewsItem::encoding_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty") << "" << QByteArray();
    QTest::newRow("ASCII and line feeds") << "\n \nabc<br>\n" << QByteArray("\n \nabc<br>\n");
    QTest::newRow("Cyrillic") << "Новость" << QByteArray("\xCD\xEE\xE2\xEE\xF1\xF2\xFC");
    QTest::newRow("Ё, ё, №, euro, no-break space") << QString::fromUtf8("Ёё№€\u00A0")
        << QByteArray("\xA8\xB8\xB9\x88\xA0");
    QTest::newRow("Latin letter the code page lacks") << "café" << QByteArray("caf&#233;");
    QTest::newRow("Chinese") << "中文" << QByteArray("&#20013;&#25991;");
    QTest::newRow("outside the basic plane, one reference") << QString::fromUtf8("a😀b")
        << QByteArray("a&#128512;b");
    QTest::newRow("mixed") << QString::fromUtf8("Привет, 世界 😀!")
        << QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2, &#19990;&#30028; &#128512;!");
    QTest::newRow("replacement character") << QString(QChar::ReplacementCharacter) << QByteArray("&#65533;");
    QTest::newRow("typed reference left alone") << "&#65; &amp;" << QByteArray("&#65; &amp;");
}

void TestNewsItem::encoding()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(encodeForNewsPage(text, QTextCodec::codecForName("windows-1251")), expected);
}

void TestNewsItem::everyCodePageCharacterIsOneByte()
{
    // Whatever the code page can show must go in as its own byte, never as a reference.
    QTextCodec *codec = QTextCodec::codecForName("windows-1251");
    for (int value = 0; value < 256; ++value) {
        const QByteArray byte(1, char(value));
        QCOMPARE(encodeForNewsPage(codec->toUnicode(byte), codec), byte);
    }
}

void TestNewsItem::insertion_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QByteArray>("item");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray item("[NEW]");
    QTest::newRow("marker in the middle") << QByteArray("<p><font color=yellow>old</font>") << item << true
        << QByteArray("<p><font color=yellow>[NEW]old</font>");
    QTest::newRow("marker at the start") << QByteArray("<font color=yellow>old") << item << true
        << QByteArray("<font color=yellow>[NEW]old");
    QTest::newRow("marker at the very end") << QByteArray("top\n<font color=yellow>") << item << true
        << QByteArray("top\n<font color=yellow>[NEW]");
    QTest::newRow("first of several markers") << QByteArray("a<font color=yellow>b<font color=yellow>c") << item
        << true << QByteArray("a<font color=yellow>[NEW]b<font color=yellow>c");
    QTest::newRow("empty item") << QByteArray("a<font color=yellow>b") << QByteArray() << true
        << QByteArray("a<font color=yellow>b");
    QTest::newRow("bytes around kept") << QByteArray("\x00\x98\xFF<font color=yellow>\xC0\x01", 25) << item << true
        << QByteArray("\x00\x98\xFF<font color=yellow>[NEW]\xC0\x01", 30);
    QTest::newRow("empty page") << QByteArray() << item << false << QByteArray();
    QTest::newRow("no marker") << QByteArray("<html>news</html>") << item << false << QByteArray("<html>news</html>");
    QTest::newRow("capitals") << QByteArray("<FONT COLOR=YELLOW>x") << item << false
        << QByteArray("<FONT COLOR=YELLOW>x");
    QTest::newRow("colour in quotes") << QByteArray("<font color=\"yellow\">x") << item << false
        << QByteArray("<font color=\"yellow\">x");
    QTest::newRow("split over two lines") << QByteArray("<font\ncolor=yellow>x") << item << false
        << QByteArray("<font\ncolor=yellow>x");
    QTest::newRow("two blanks") << QByteArray("<font  color=yellow>x") << item << false
        << QByteArray("<font  color=yellow>x");
    QTest::newRow("unclosed at the end") << QByteArray("x<font color=yellow") << item << false
        << QByteArray("x<font color=yellow");
    QTest::newRow("in a comment: the next one") << QByteArray("<!-- <font color=yellow> --><font color=yellow>") << item
        << true << QByteArray("<!-- <font color=yellow> --><font color=yellow>[NEW]");
    QTest::newRow("in a script: the next one")
        << QByteArray("<SCRIPT type=x>s='<font color=yellow>'</Script ><font color=yellow>") << item << true
        << QByteArray("<SCRIPT type=x>s='<font color=yellow>'</Script ><font color=yellow>[NEW]");
    QTest::newRow("in a style sheet only") << QByteArray("<style>/*<font color=yellow>*/</style>") << item << false
        << QByteArray("<style>/*<font color=yellow>*/</style>");
    QTest::newRow("unclosed comment") << QByteArray("<!-- <font color=yellow>") << item << false
        << QByteArray("<!-- <font color=yellow>");
    QTest::newRow("comment ended at once, no script") << QByteArray("<!--><scripts><font color=yellow>") << item
        << true << QByteArray("<!--><scripts><font color=yellow>[NEW]");
    const QByteArray longHead = "<title>" + QByteArray(1100, 'x') + "</title>";
    QTest::newRow("late declaration") << longHead + "<meta charset=\"utf-8\"><font color=yellow>" << QByteArray("Ё")
        << true << longHead + "<meta charset=\"utf-8\"><font color=yellow>\xD0\x81";
    QTest::newRow("declaration in a comment or after the marker")
        << QByteArray("<!--<meta charset=utf-8>--><font color=yellow><meta charset=utf-8>") << QByteArray("Ё") << true
        << QByteArray("<!--<meta charset=utf-8>--><font color=yellow>\xA8<meta charset=utf-8>");
    QTest::newRow("UTF-16 with a byte-order mark, comment skipped")
        << "\xFF\xFE" + utf16le("<!--<font color=yellow>--><font color=yellow>") << QByteArray("Ё") << true
        << "\xFF\xFE" + utf16le("<!--<font color=yellow>--><font color=yellow>Ё");
}

void TestNewsItem::insertion()
{
    QFETCH(QByteArray, page);
    QFETCH(QByteArray, item);
    QFETCH(bool, found);
    QFETCH(QByteArray, expected);
    const PageEdit insertion = insertNewsItemIntoPage(page, QString::fromUtf8(item));
    QCOMPARE(insertion.outcome == PageEdit::Edited, found);
    QCOMPARE(found ? insertion.page : page, expected);
}

void TestNewsItem::pageColours_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("background");  // empty: the page declares none
    QTest::addColumn<QString>("link");

    QTest::newRow("body attributes") << QByteArray("<body text=white bgcolor=\"#102030\" link=#9fd3ff>") << "#102030" << "#9fd3ff";
    QTest::newRow("without hash") << QByteArray("<BODY BGCOLOR=000033 LINK='ffffff'>") << "#000033" << "#ffffff";
    QTest::newRow("style sheet rules, later wins")
        << QByteArray("<style>body { background: #111111 }\nbody{background:url(red.png) #222222 fixed}"
                      " a:hover, a:link { color: lime }</style><body link=red>")
        << "#222222" << "#00ff00";
    QTest::newRow("own style over sheet and bgcolor")
        << QByteArray("<style>body{background-color:red}</style><body bgcolor=blue style=\"background-color: rgb(0, 64, 0)\">")
        << "#004000" << "";
    QTest::newRow("sheet over bgcolor") << QByteArray("<style>html,body{background:navy;color:red}</style><body bgcolor=red>")
                                        << "#000080" << "";
    QTest::newRow("transparent is none") << QByteArray("<body style=\"background:transparent\">") << "" << "";
    QTest::newRow("other elements' rules")
        << QByteArray("<style>.body{background:red} tbody{background:red} abbr{color:red}</style><body>") << "" << "";
    QTest::newRow("no body") << QByteArray("<p>x</p>") << "" << "";
}

void TestNewsItem::pageColours()
{
    QFETCH(QByteArray, page);
    QFETCH(QString, background);
    QFETCH(QString, link);
    const PageColours colours = ::pageColours(page);
    QCOMPARE(colours.background.isValid() ? colours.background.name() : QString(), background);
    QCOMPARE(colours.link.isValid() ? colours.link.name() : QString(), link);
    const QString html = previewHtml("<b>x</b>", colours);
    QVERIFY(html.contains(QStringLiteral("<body bgcolor=\"%1\"><font color=yellow><b>x</b></font>")
                              .arg(background.isEmpty() ? DefaultPreviewBackground : background)));
    QCOMPARE(html.contains("<style>a { color: " + link + " }</style>"), !link.isEmpty());
}

void TestNewsItem::webAddress_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QString>("pageUrl");
    QTest::addColumn<QString>("expected");  // empty: nothing to fetch

    const QString page = "https://www.example.org/news/news.html";
    QTest::newRow("absolute") << "http://cdn.example.org/a.png" << page << "http://cdn.example.org/a.png";
    QTest::newRow("absolute without page address") << " HTTPS://cdn.example.org/a.png" << "" << "https://cdn.example.org/a.png";
    QTest::newRow("relative") << "img/a.png" << page << "https://www.example.org/news/img/a.png";
    QTest::newRow("from the root") << "/a.png" << page << "https://www.example.org/a.png";
    QTest::newRow("scheme-relative") << "//cdn.example.org/a.png" << page << "https://cdn.example.org/a.png";
    QTest::newRow("relative without page address") << "a.png" << "" << "";
    QTest::newRow("page address on FTP") << "a.png" << "ftp://ftp.example.org/news.html" << "";
    QTest::newRow("local file") << "file:///home/editor/a.png" << page << "";
    QTest::newRow("data") << "data:image/png;base64,AAAA" << page << "";
}

void TestNewsItem::webAddress()
{
    QFETCH(QString, reference);
    QFETCH(QString, pageUrl);
    QFETCH(QString, expected);
    QCOMPARE(::webAddress(reference, pageUrl).toString(), expected);
}

QTEST_GUILESS_MAIN(TestNewsItem)
#include "tst_newsitem.moc"
