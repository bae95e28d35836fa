// Pasting and dropping into the editor: a browser's or a word processor's HTML as the program's own
// markup, pictures from the clipboard and the file manager as pictures from the disk, sent with the item.
#include "editor.h"
#include "filebytes.h"
#include "ftpserver.h"
#include "messages.h"
#include "modalanswerer.h"
#include "newspages.h"
#include "page/clipboardhtml.h"
#include "pictures.h"
#include "workdir.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QtTest>

namespace {

QString fragment(const QString &name)
{
    QFile file(QStringLiteral(TEST_SUPPORT_DIR "/files/clipboard/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// What a copy in another program leaves on the clipboard.
void copy(const QString &html, const QString &text, const QByteArray &png = QByteArray())
{
    auto *data = new QMimeData;
    if (!html.isEmpty())
        data->setHtml(html);
    if (!text.isEmpty())
        data->setText(text);
    if (!png.isEmpty())
        data->setData(QStringLiteral("image/png"), png);
    QApplication::clipboard()->setMimeData(data);
}

// Files dragged from a file manager and let go over the editor's start.
void drop(QPlainTextEdit *editor, const QStringList &files)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &file : files)
        urls << QUrl::fromLocalFile(file);
    data.setUrls(urls);
    const QPoint at(2, 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor->viewport(), &enter);
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor->viewport(), &dropped);
}

// A PNG of width by height, small as it holds one colour in one bit a pixel.
QByteArray blankPng(int width, int height)
{
    QImage image(width, height, QImage::Format_Mono);
    image.fill(0);
    return encoded(image, "png");
}

const QString PictureTag = QStringLiteral("<img src=\"%1\" border=\"0\" data-shrink=\"800\">");

} // namespace

class TestPaste : public QObject
{
    Q_OBJECT

private slots:
    void conversion_data();
    void conversion();
    void story();
    void faults_data();
    void faults();
};

void TestPaste::conversion_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expected");

    // Made by scripts/clipboard-fragments.sh: Chromium's copies of sources/page.html, LibreOffice's
    // HTML of sources/letter.fodt, straight and through a .docx.
    QTest::newRow("Chromium, one paragraph") << fragment("chromium-paragraph.html")
        << "Турнир пройдёт <b>в субботу</b> в спортзале, подробности на "
           "<a href=\"https://club.example/spring.html\" >странице турнира</a>.";
    QTest::newRow("Chromium, the whole page") << fragment("chromium-page.html")
        << "Весенний турнир\n\nТурнир пройдёт <b>в субботу</b> в спортзале, подробности на "
           "<a href=\"https://club.example/spring.html\" >странице турнира</a>.\n\n"
           "Приходите <i>с друзьями</i> & <b>со сменной обувью обязательно</b>.\n\n"
           "• Регистрация в 9:00\n• Начало в <u>10:00</u>\n\n"
           "Нажмите здесь или <a href=\"mailto:info@club.example\" >напишите нам</a>."
           "<img src=\"https://club.example/logo.png\" border=\"0\" alt=\"Логотип клуба\" title=\"Логотип клуба\">";
    const QString letter = "Собрание состоится <b>в пятницу, 12 декабря</b>, в <i>актовом зале</i>.\n\n"
                           "Повестка — на <a href=\"https://dom.example/povestka.html\" >сайте дома</a>; "
                           "вопросы — <u>до среды</u>.\n\n"
                           "• Отчёт правления\n• Ремонт <i><b>крыши</b></i> «под ключ»\n\nС уважением, правление.";
    QTest::newRow("LibreOffice") << fragment("libreoffice-letter.html") << "Собрание жильцов\n\n" + letter;
    QTest::newRow("LibreOffice from .docx") << fragment("libreoffice-docx-letter.html")
                                            << "• Собрание жильцов\n\n" + letter;
    // Written by hand as Word puts its markup on the clipboard (no Word to copy from here).
    QTest::newRow("Word's fragment") << "Version:0.9\r\n<html xmlns:o=\"urn:schemas-microsoft-com:office:office\">"
        "<head><!--[if gte mso 9]><xml><o:OfficeDocumentSettings/></xml><![endif]--><style>p.MsoNormal{margin:0}</style>"
        "</head><body><!--StartFragment--><p class=MsoNormal><span style='font-family:\"Arial\"'>Итоги "
        "<span style='font-weight:bold;mso-bidi-font-weight:normal'>года</span><o:p></o:p></span></p>"
        "<p class=MsoListParagraph><![if !supportLists]><span>·<span>&nbsp;&nbsp;</span></span><![endif]>"
        "<i>пункт</i></p><!--EndFragment--></body></html>"
        << "Итоги <b>года</b>\n\n·\u00a0\u00a0<i>пункт</i>";
    QTest::newRow("scripts, events and javascript: links never reach the item")
        << "<script>alert(1)</script><p onclick=\"x()\">a <a href=\" JaVa&#x09;script:alert(1)\">b</a> "
           "<a href=\"data:text/html,x\">c</a> <img src=\"javascript:x\" onerror=\"y()\">&lt;script&gt;</p>"
        << "a b c &lt;script&gt;";
    QTest::newRow("overlapping, unclosed and broken tags nest") << "<b>a<i>b</b>c</i><u>d<a href=\"x.html\">e"
        << "<b>a<i>b</i></b><i>c</i><u>d</u><a href=\"x.html\" >e</a>";
    QTest::newRow("a tag never closed") << "<p>a <b>b</b> <i title=\"x>c" << "a <b>b</b>";
    QTest::newRow("base href, relative links and pictures")
        << "<head><base href=\"https://site.example/news/\"></head><a href=\"../a.html\">a</a>"
           "<img src=\"p.png\" title=\"x\"><a href=\"b.html\"><img src=\"file:///tmp/p.png\"></a>"
        << "<a href=\"https://site.example/a.html\" >a</a>"
           "<img src=\"https://site.example/news/p.png\" border=\"0\" alt=\"x\" title=\"x\">"
           "<a href=\"https://site.example/news/b.html\" >" + PictureTag.arg("file:///picked") + "</a>";
    QTest::newRow("breaks: one empty line at most, none at the ends") << "<br><p> </p><div>a<br><br><br>b</div>"
        "<p></p><p></p><pre>c\n d</pre><table><tr><td>e</td><td>f</td></tr></table><br>"
        << "a\n\nb\n\nc\n d\ne f";
    QTest::newRow("text and attributes escaped as markup") << "<a href='q?a=1&amp;b=\"2\"'>&lt;&amp;&gt; &amp;x; &#128512; &#0;</a>"
        << "<a href=\"q?a=1&amp;b=&quot;2&quot;\" >&lt;&&gt; &amp;x; \U0001F600 \ufffd</a>";
}

void TestPaste::conversion()
{
    QFETCH(QString, html);
    QFETCH(QString, expected);
    QVERIFY(!html.isEmpty());
    QCOMPARE(editorMarkupFromHtml(html, [](const QString &) { return QStringLiteral("file:///picked"); }), expected);
}

void TestPaste::story()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", Before + After);
    QVERIFY(writeFile("Фото.JPG", cameraJpeg(halves(1200, 800))) && writeFile("notes.txt", "not a picture"));
    Editor editor(server);
    auto *text = editor.window.findChild<QPlainTextEdit *>("textEdit");
    text->clear();
    editor.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor.window));
    text->setFocus();

    // A paragraph copied in Chromium, then the same as plain text, then a screenshot.
    copy(fragment("chromium-paragraph.html"), "Турнир пройдёт в субботу");
    QTest::keyClick(text, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClick(text, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(text, Qt::Key_Return);
    copy(QString(), QString(), encoded(halves(300, 200), "png"));
    QTest::keyClick(text, Qt::Key_V, Qt::ControlModifier);
    // A photo copied as a browser copies an image: its address on the web, and the picture, kept as JPEG.
    QImage photo(400, 300, QImage::Format_RGB32);
    QRandomGenerator grain(33);
    for (int y = 0; y < photo.height(); ++y) {
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, grain.generate() | 0xff000000);
    }
    copy("<img src=\"https://example.org/photo.png\">", QString(), encoded(photo, "png"));
    QTest::keyClick(text, Qt::Key_V, Qt::ControlModifier);
    const QStringList photos = QDir(dir.filePath("pictures")).entryList({"*.jpg"}, QDir::Files);
    QCOMPARE(photos.size(), 1);
    QVERIFY(text->toPlainText().endsWith(PictureTag.arg(QUrl::fromLocalFile(dir.filePath("pictures/" + photos.first())).toString())));
    text->undo();
    const QStringList pasted = QDir(dir.filePath("pictures")).entryList({"*.png"}, QDir::Files);
    QVERIFY(pasted.first().startsWith("pasted-" + QDate::currentDate().toString("yyyy-MM-dd")));
    QCOMPARE(text->toPlainText(),
             QString("Турнир пройдёт <b>в субботу</b> в спортзале, подробности на "
                     "<a href=\"https://club.example/spring.html\" >странице турнира</a>.\nТурнир пройдёт в субботу\n")
                 + PictureTag.arg(QUrl::fromLocalFile(dir.filePath("pictures/" + pasted.first())).toString()));
    // Each one undo step: the picture goes, the rest stays.
    text->undo();
    QVERIFY(text->toPlainText().endsWith("в субботу\n"));
    text->redo();

    // The photo and a text file dropped at the start: the photo goes in, the text file is named.
    ModalAnswerer answerer;
    answerer.clickButton();
    drop(text, {dir.filePath("Фото.JPG"), dir.filePath("notes.txt")});
    QVERIFY(text->hasFocus());
    QTRY_COMPARE_WITH_TIMEOUT(answerer.seen.size(), 1, 5000);
    QVERIFY(answerer.texts().first().contains(QDir::toNativeSeparators(dir.filePath("notes.txt"))));
    QVERIFY(text->toPlainText().startsWith(PictureTag.arg(QUrl::fromLocalFile(dir.filePath("Фото.JPG")).toString())));

    answerer.clickButton();
    editor.send();
    QTRY_COMPARE_WITH_TIMEOUT(answerer.seen.size(), 2, 20000);
    QCOMPARE(answerer.seen.last().text, Uploaded);
    const QStringList images = QDir(server.root() + "/images").entryList(QDir::Files, QDir::Name);
    QCOMPARE(images, QStringList({"foto.jpg", pasted.first()}));
    // The page is in windows-1251, as its Cyrillic says.
    const QByteArray page = server.fileContents("news.html");
    QVERIFY(page.contains("<img src=\"images/foto.jpg\" border=\"0\">"));
    QVERIFY(page.contains("<b>\xE2 \xF1\xF3\xE1\xE1\xEE\xF2\xF3</b>"));
    QVERIFY(page.contains("<a href=\"https://club.example/spring.html\" >"));
}

void TestPaste::faults_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QByteArray>("png");
    QTest::addColumn<bool>("picturesIsFile");  // where the folder should be, a file
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("expected");    // the editor's text after

    QTest::newRow("a screenshot of 12000 by 12000") << QString() << blankPng(12000, 12000) << false
        << "Картинка из буфера обмена — 12000×12000 точек, не меньше 12000 по стороне: она не вставлена." << "x";
    QTest::newRow("the pictures folder cannot be made") << QString() << encoded(halves(20, 20), "png") << true
        << "Картинку из буфера обмена не удалось сохранить в " << "x";
    QTest::newRow("10,000 nested elements, no message") << QString("<div><b>").repeated(10000) + "z" << QByteArray()
        << false << QString() << "x<b>z</b>";
    QTest::newRow("over 1 MB of HTML") << "<b>" + QString(MaxClipboardHtml, 'y') + "</b>" << QByteArray() << false
        << "Текст в буфере обмена — больше 1 МБ разметки HTML: он вставлен без оформления." << "xplain";
}

void TestPaste::faults()
{
    QFETCH(QString, html);
    QFETCH(QByteArray, png);
    QFETCH(bool, picturesIsFile);
    QFETCH(QString, message);
    QFETCH(QString, expected);

    WorkDir dir;
    if (picturesIsFile)
        QVERIFY(writeFile("pictures", "a file"));
    NewsAdder window("ftp://127.0.0.1:1/news.html", "ftp://127.0.0.1:1/news.html", "127.0.0.1", 1);
    auto *text = window.findChild<QPlainTextEdit *>("textEdit");
    text->setPlainText("x");
    text->moveCursor(QTextCursor::End);
    ModalAnswerer answerer;
    answerer.clickButton();
    copy(html, "plain", png);
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(text, Qt::Key_V, Qt::ControlModifier);
    QVERIFY(timer.elapsed() < 500);
    QCOMPARE(text->toPlainText(), expected);
    if (message.isEmpty()) {
        QCoreApplication::processEvents();
        QCOMPARE(answerer.seen.size(), 0);
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(answerer.seen.size(), 1, 5000);
    QVERIFY2(answerer.texts().first().startsWith(message), qPrintable(answerer.texts().first()));
}

QTEST_MAIN(TestPaste)
#include "tst_paste.moc"
