// Pictures from the editor's disk: their names on the server, finding them in the item, and what
// goes up in their place.
#include "filebytes.h"
#include "page/localpictures.h"
#include "publish/picturefile.h"
#include "page/picturename.h"
#include "pictures.h"
#include "workdir.h"

#include <QImageReader>
#include <QtTest>

class TestPictures : public QObject
{
    Q_OBJECT

private slots:
    void names_data();
    void names();
    void picturesInItem_data();
    void picturesInItem();
    void preparing_data();
    void preparing();
};

void TestPictures::names_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("name");

    QTest::newRow("camera's name") << "Фото 1.JPG" << "foto-1.jpg";
    QTest::newRow("every Russian letter") << "Съешь же ещё этих мягких французских булок, да выпей чаю.png"
                                          << "sesh-zhe-eshche-etikh-myagkikh-frantsuzskikh-bulok-da-vypey-chayu.png";
    QTest::newRow("Windows path, brackets") << "C:\\Users\\Маша\\Отпуск (2).jpeg" << "otpusk-2.jpeg";
    QTest::newRow("accents dropped") << "Café déjà vu.WebP" << "cafe-deja-vu.webp";
    QTest::newRow("underscores and dots kept, edges trimmed") << "..-Юля_и.Яна-.gif" << "yulya_i.yana.gif";
    QTest::newRow("all symbols") << "★★★.png" << "picture.png";
    QTest::newRow("no extension") << "!!!" << "picture.jpg";
    QTest::newRow("Ukrainian letters") << "Їжак і ґанок.jpg" << "yizhak-i-ganok.jpg";
}

// The numbered names for a name taken on the server are in the upload story (site.logo-2.png).
void TestPictures::names()
{
    QFETCH(QString, file);
    QFETCH(QString, name);
    QCOMPARE(pictureName(file), name);
}

void TestPictures::picturesInItem_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QStringList>("found");  // file and shrink width
    QTest::addColumn<QString>("published");  // each local picture as images/ and its clean name

    QTest::newRow("the dialog's fragment")
        << "a<br><div align=\"center\"><img src=\"file:///tmp/Фото 1.JPG\" border=\"0\" data-shrink=\"800\"></div>"
        << QStringList{"/tmp/Фото 1.JPG 800"}
        << "a<br><div align=\"center\"><img src=\"images/foto-1.jpg\" border=\"0\"></div>";
    QTest::newRow("the same picture twice, web pictures left alone")
        << "<img src=\"file:///tmp/a.png\" data-shrink=\"300\"><img src=\"http://x.org/b.png\">"
           "<img src=\"file:///tmp/a.png\">"
        << QStringList{"/tmp/a.png 300"}
        << "<img src=\"images/a.png\"><img src=\"http://x.org/b.png\"><img src=\"images/a.png\">";
    QTest::newRow("typed by hand: capitals, single quotes, entities, no shrinking")
        << "<IMG alt='x' SRC='FILE:///tmp/a&amp;b%20c.GIF'>" << QStringList{"/tmp/a&b c.GIF 0"}
        << "<IMG alt='x' src=\"images/a-b-c.gif\">";
    QTest::newRow("bare value, percent-encoded Cyrillic")
        << "<img src=file:///tmp/%D0%A4.webp data-shrink=400 border=0>" << QStringList{"/tmp/Ф.webp 400"}
        << "<img src=\"images/f.webp\" border=0>";
    QTest::newRow("an address in the text is no picture")
        << "see file:///tmp/a.jpg or <a href=\"file:///tmp/a.jpg\">it</a>" << QStringList()
        << "see file:///tmp/a.jpg or <a href=\"file:///tmp/a.jpg\">it</a>";
}

void TestPictures::picturesInItem()
{
    QFETCH(QString, item);
    QFETCH(QStringList, found);
    QFETCH(QString, published);

    QStringList pictures;
    QHash<QString, QString> addresses;
    for (const LocalPicture &picture : localPictures(item)) {
        pictures << picture.filePath + ' ' + QString::number(picture.shrinkWidth);
        addresses.insert(picture.filePath, "images/" + pictureName(picture.filePath));
    }
    QCOMPARE(pictures, found);
    QCOMPARE(withPictureAddresses(item, addresses), published);
    // Under the numbered names a repeated send gives them, the pictures are known as the same.
    QString renamed = published;
    renamed.replace(QRegularExpression("(images/[a-z-]+)\\."), "\\1-1-2.");
    QCOMPARE(withoutNameNumbers(renamed, "images/"), withoutNameNumbers(published, "images/"));
}

void TestPictures::preparing_data()
{
    QTest::addColumn<QByteArray>("contents");  // null: no such file; "folder": a folder
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("shrinkWidth");
    QTest::addColumn<QString>("extension");    // or, for a file refused, the start of why
    QTest::addColumn<QSize>("size");           // as a browser shows it; invalid for a file refused
    QTest::addColumn<bool>("exactBytes");

    // Stored lying on its side: turned upright, its red half is on top.
    const QByteArray camera = cameraJpeg(halves(1200, 400));
    QTest::newRow("camera's JPEG turned upright, then shrunk") << camera << "Фото.JPG" << 300 << "jpg" << QSize(300, 900) << false;
    QTest::newRow("upright no wider than the limit: exact bytes") << camera << "a.jpg" << 400 << "jpg" << QSize(400, 1200) << true;
    QTest::newRow("shrinking off: exact bytes") << camera << "a.jpg" << 0 << "jpg" << QSize(400, 1200) << true;
    QTest::newRow("wide PNG stays PNG") << encoded(halves(1000, 10), "png") << "a.png" << 500 << "png" << QSize(500, 5) << false;
    QTest::newRow("WebP stays WebP") << encoded(halves(1000, 20), "webp") << "a.webp" << 250 << "webp" << QSize(250, 5) << false;
    QTest::newRow("GIF: exact bytes, however wide") << twoColourGif() << "a.gif" << 4 << "gif" << QSize(8, 2) << true;
    QTest::newRow("small PNG named .jpg: exact bytes, its content decides") << encoded(halves(60, 20), "png") << "a.jpg" << 800 << "png" << QSize(60, 20) << true;
    QTest::newRow("missing") << QByteArray() << "a.jpg" << 800 << "файла нет" << QSize() << false;
    QTest::newRow("a page named like a picture") << QByteArray("<html>") << "a.jpg" << 800
                                                 << "это не картинка JPEG, PNG, GIF или WebP" << QSize() << false;
    QTest::newRow("a folder") << QByteArray("folder") << "a.jpg" << 800 << "файл не читается: " << QSize() << false;
    QTest::newRow("over 12000 px on a side") << encoded(QImage(12001, 1, QImage::Format_Mono), "png") << "a.png" << 800
                                             << "картинка 12001×1 точек, больше 12000 по стороне" << QSize() << false;
    // A JPEG padded past the limit: its length alone counts.
    QTest::newRow("over 50 MB") << encoded(halves(10, 10), "jpeg").leftJustified(MaxPictureBytes + 1, '\0') << "a.jpg"
                                << 800 << "файл больше 50 МБ" << QSize() << false;
}

void TestPictures::preparing()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, file);
    QFETCH(int, shrinkWidth);
    QFETCH(QString, extension);
    QFETCH(QSize, size);
    QFETCH(bool, exactBytes);

    WorkDir dir;
    QVERIFY(contents.isNull() || (contents == "folder" ? QDir().mkdir(file) : writeFile(file, contents)));
    const PreparedPicture picture = preparePicture(dir.filePath(file), shrinkWidth);
    if (!size.isValid()) {
        QVERIFY2(picture.problem.startsWith(extension), qPrintable(picture.problem));
        QVERIFY(publishedPicture(dir.filePath(file), shrinkWidth).isNull());
        return;
    }
    QCOMPARE(picture.problem, QString());
    QCOMPARE(picture.extension, extension);
    QCOMPARE(picture.bytes == contents, exactBytes);
    if (!exactBytes)
        QVERIFY(picture.bytes.size() < contents.size());

    // As a browser shows it (EXIF applied), and as the preview shows it before upload.
    QBuffer buffer(const_cast<QByteArray *>(&picture.bytes));
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QImage shown = reader.read();
    const QImage preview = publishedPicture(dir.filePath(file), shrinkWidth);
    for (const QImage &image : {shown, preview}) {
        QCOMPARE(image.size(), size);
        const QColor top = image.pixelColor(1, 1);
        const QColor bottom = image.pixelColor(image.width() - 2, image.height() - 2);
        QVERIFY2(top.red() > 200 && top.blue() < 60, qPrintable(top.name()));
        QVERIFY2(bottom.blue() > 200 && bottom.red() < 60, qPrintable(bottom.name()));
    }
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
