// Pictures from the editor's disk going up with the item: chosen in the image dialog, sent with
// «Отправить», and found on the server byte for byte; and every way that can fail leaving the page
// as it was, with no picture of the send left behind.
#include "ui/dialoghookup.h"
#include "editor.h"
#include "filebytes.h"
#include "ftpserver.h"
#include "httpsserver.h"
#include "page/markup.h"
#include "messages.h"
#include "modalanswerer.h"
#include "newspages.h"
#include "publish/picturefile.h"
#include "pictures.h"
#include "scripteduser.h"
#include "sftpserver.h"
#include "workdir.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

const QString PictureFailed = QStringLiteral("Произошла ошибка отправки картинки на сервер:");

// A server of the family with the usual page on it; SFTP's key is known, HTTPS's certificate trusted.
std::unique_ptr<TestServer> startedServer(const QString &family, const QStringList &args = {})
{
    std::unique_ptr<TestServer> server;
    if (family == "SFTP")
        server = std::make_unique<SftpServer>(args);
    else if (family == "HTTPS")
        server = std::make_unique<HttpsServer>();
    else
        server = std::make_unique<FtpServer>(args);
    if (!server->start())
        return nullptr;
    if (auto sftp = dynamic_cast<SftpServer *>(server.get()))
        writeFile("known_hosts", sftp->knownHostsLine().toUtf8() + '\n');
    server->putFile("news.html", Before + After);
    return server;
}

QString caCertOf(const TestServer &server)
{
    auto https = dynamic_cast<const HttpsServer *>(&server);
    return https ? https->certificateFile() : QString();
}

// Every file under the server's root but the page, hidden ones too, by path.
QStringList filesBesidePage(const TestServer &server)
{
    QStringList files;
    QDirIterator it(server.root(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = QDir(server.root()).relativeFilePath(it.next());
        if (path != "news.html")
            files << path;
    }
    files.sort();
    return files;
}

} // namespace

class TestPictureUpload : public QObject
{
    Q_OBJECT

private slots:
    void story_data();
    void story();
    void faults_data();
    void faults();
};

void TestPictureUpload::story_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QStringList>("serverArgs");
    QTest::addColumn<QString>("folder");     // imagefolder
    QTest::addColumn<QString>("takenName");  // a file already in the folder, never overwritten

    // vsftpd's umask: the picture must still be readable by the web server.
    QTest::newRow("FTP, folders made") << "FTP" << QStringList{"--umask", "077"} << "pics/2026" << "";
    QTest::newRow("SFTP, a name taken") << "SFTP" << QStringList() << "images" << "foto-1.jpg";
    QTest::newRow("HTTPS, folder made") << "HTTPS" << QStringList() << "images" << "";
}

void TestPictureUpload::story()
{
    QFETCH(QString, family);
    QFETCH(QStringList, serverArgs);
    QFETCH(QString, folder);
    QFETCH(QString, takenName);

    WorkDir dir;
    const auto server = startedServer(family, serverArgs);
    QVERIFY(server);
    const QByteArray someoneElses("someone else's picture");
    if (!takenName.isEmpty()) {
        QVERIFY(QDir(server->root()).mkpath(folder));
        server->putFile(folder + "/" + takenName, someoneElses);
    }
    // The camera's photo lies on its side, 1600 by 1000; the logo is small.
    QVERIFY(QDir().mkdir("Мои фото"));
    const QString photo = dir.filePath("Мои фото/Фото 1.JPG");
    QVERIFY(writeFile(photo, cameraJpeg(halves(1600, 1000), 6)));
    const QByteArray logo = encoded(halves(60, 20), "png");
    QVERIFY(writeFile("logo.png", logo));

    Editor editor(*server);
    editor.window.caCertFile = caCertOf(*server);
    editor.window.setImageFolder(folder);
    hookUpDialogs(&editor.window);
    ModalAnswerer answerer;
    // The photo through the dialog's file chooser, shrunk to 800; the logo typed as an address, twice.
    editor.click("pushButtonImageLink");
    answerer.chooseFile(photo);
    auto dialog = editor.window.findChild<QDialog *>("cImgLinkDialog");
    QVERIFY(dialog && dialog->isVisible());
    dialog->findChild<QPushButton *>("pushButtonChooseFile")->click();
    dialog->findChild<QPushButton *>("pushButtonOk")->click();
    const QString logoAddress = QUrl::fromLocalFile(dir.filePath("logo.png")).toString();
    editor.window.recieveLink("<img src=\"" + logoAddress + "\">x<img src=\"" + logoAddress + "\">");
    const QString draft = editor.window.findChild<QPlainTextEdit *>("textEdit")->toPlainText();

    editor.send();

    const QString chooser = "Выберите картинку";
    QCOMPARE(answerer.texts(), (QStringList{chooser, Uploaded}));
    const QString photoName = takenName.isEmpty() ? "foto-1.jpg" : "foto-1-2.jpg";
    QStringList expected{folder + "/" + photoName, folder + "/logo.png"};
    if (!takenName.isEmpty())
        expected << folder + "/" + takenName;
    expected.sort();
    QCOMPARE(filesBesidePage(*server), expected);
    const QByteArray sentPhoto = server->fileContents(folder + "/" + photoName);
    QCOMPARE(sentPhoto, preparePicture(photo, 800).bytes);
    QCOMPARE(QImage::fromData(sentPhoto).size(), QSize(800, 1280));  // upright: no EXIF is left to turn it
    QCOMPARE(server->fileContents(folder + "/logo.png"), logo);
    if (!takenName.isEmpty())
        QCOMPARE(server->fileContents(folder + "/" + takenName), someoneElses);
    if (family == "FTP")
        QCOMPARE(server->fileMode(folder + "/" + photoName) & 0044, 0044);
    const QByteArray page = server->fileContents("news.html");
    QVERIFY2(page.contains(QString("<div align=\"center\"><img src=\"%1/%2\" border=\"0\"></div>"
                                   "<img src=\"%1/logo.png\">x<img src=\"%1/logo.png\">abc<br>def")
                               .arg(folder, photoName).toUtf8()),
             page.constData());
    QVERIFY(!page.contains("file:") && !page.contains("data-shrink"));
    // The draft keeps the pictures on the disk.
    QCOMPARE(editor.window.findChild<QPlainTextEdit *>("textEdit")->toPlainText(), draft);

    // Sent again: asked as for any repeated item, then up under new names.
    answerer.clickButton(QMessageBox::Yes);
    editor.send();
    QCOMPARE(answerer.texts(), (QStringList{chooser, Uploaded, RepeatQuestion, Uploaded}));
    const QString second = takenName.isEmpty() ? "foto-1-2.jpg" : "foto-1-3.jpg";
    QCOMPARE(server->fileContents(folder + "/" + second), sentPhoto);
    QCOMPARE(server->fileContents(folder + "/logo-2.png"), logo);
    QCOMPARE(filesBesidePage(*server).size(), expected.size() + 2);
}

void TestPictureUpload::faults_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QStringList>("serverArgs");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("words");

    QTest::newRow("FTP: no folder may be made") << "FTP" << QStringList{"--refuse-mkd"} << PictureFailed
                                                << "папка для картинок «images» не создана";
    QTest::newRow("FTP: connection lost mid-picture") << "FTP" << QStringList{"--drop-uploads-midway", "1"}
                                                      << PictureFailed << "Фото 1.JPG";
    QTest::newRow("FTP: the server keeps a part (a full disk)") << "FTP" << QStringList{"--truncate-uploads", "1"}
                                                              << PictureFailed << "сервер сохранил";
    // The renames: the photo in, the logo in (refused); the page in, then the page aside (both refused).
    QTest::newRow("FTP: second picture refused, the first removed") << "FTP" << QStringList{"--refuse-rename", "2"}
                                                                   << PictureFailed << "logo.png";
    QTest::newRow("FTP: the page refused, the pictures removed") << "FTP" << QStringList{"--refuse-rename", "3,4"}
                                                                << UploadFailed << "";
    QTest::newRow("SFTP: picture's rename refused") << "SFTP" << QStringList{"--refuse-rename", "1"} << PictureFailed
                                                    << "Фото 1.JPG";
    QTest::newRow("HTTPS: a file where the folder should be") << "HTTPS" << QStringList{"folder taken"}
                                                              << PictureFailed << "Фото 1.JPG";
}

void TestPictureUpload::faults()
{
    QFETCH(QString, family);
    QFETCH(QStringList, serverArgs);
    QFETCH(QString, message);
    QFETCH(QString, words);

    WorkDir dir;
    const bool folderTaken = serverArgs == QStringList{"folder taken"};
    const auto server = startedServer(family, folderTaken ? QStringList() : serverArgs);
    QVERIFY(server);
    if (folderTaken)
        server->putFile("images", "not a folder");
    QVERIFY(writeFile("Фото 1.JPG", cameraJpeg(halves(1600, 1000), 6)));
    QVERIFY(writeFile("logo.png", encoded(halves(60, 20), "png")));
    ServerAccess access = accessTo(*server);
    access.caCertFile = caCertOf(*server);
    access.idleTimeout = 3000;
    ScriptedPublisher desk(access);
    const auto picture = [&dir](const char *name) {
        return imageFragment(QUrl::fromLocalFile(dir.filePath(name)).toString(), 0, 1, false, 0, 0, "", 800);
    };

    QVERIFY(!desk.publisher.send(picture("Фото 1.JPG") + picture("logo.png"), UsualDate).succeeded());

    const QString shown = desk.user.seen.join(" | ");
    QVERIFY2(sameMessages(desk.user.seen, {message}) && shown.contains(words), qPrintable(shown));
    QCOMPARE(server->fileContents("news.html"), Before + After);
    QCOMPARE(filesBesidePage(*server), folderTaken ? QStringList{"images"} : QStringList());
}

QTEST_MAIN(TestPictureUpload)
#include "tst_pictureupload.moc"
