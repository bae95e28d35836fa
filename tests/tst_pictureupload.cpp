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
    for (QDirIterator it(server.root(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        files << QDir(server.root()).relativeFilePath(it.next());
    files.removeOne("news.html");
    files.sort();
    return files;
}

// The camera's photo, on its side at 1600 by 1000, as "Фото 1.JPG"; the small site.logo.png, returned
// (its dots kept, a number goes before the last).
QByteArray writePictures()
{
    const QByteArray logo = encoded(halves(60, 20), "png");
    const bool written = writeFile("Фото 1.JPG", cameraJpeg(halves(1600, 1000))) && writeFile("site.logo.png", logo);
    return written ? logo : QByteArray();
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
    QTest::addColumn<QString>("folder");  // imagefolder
    QTest::addColumn<int>("commands");    // FTP commands of the first send, 0: not counted

    // vsftpd's umask: the pictures and their folders must still be open to the web server.
    const QStringList strict{"--umask", "077"};
    // Stock pyftpdlib: MLST, and LIST takes no ls options with a folder. Each folder: MLST, MKD,
    // MLST, SITE CHMOD; each picture: EPSV STOR, MLST of it and of its name, SITE CHMOD, RNFR RNTO.
    QTest::newRow("FTP, folders made") << "FTP" << strict << "pics/2026" << 40;
    QTest::newRow("FTP, SITE CHMOD refused") << "FTP" << strict + QStringList{"--no-chmod"} << "images" << 0;
    // The folder's mode from a listing of its parent; each picture's names from a listing of its folder.
    QTest::newRow("FTP without MLST, as vsftpd") << "FTP" << strict + QStringList{"--no-mlst", "--ls-options"}
                                                 << "images" << 52;
    // LIST -a images refused once: LIST images from then on.
    QTest::newRow("FTP without MLST, stock listing") << "FTP" << strict + QStringList{"--no-mlst"} << "images" << 54;
    QTest::newRow("SFTP") << "SFTP" << strict << "images" << 0;
    QTest::newRow("HTTPS") << "HTTPS" << QStringList() << "images" << 0;
}

void TestPictureUpload::story()
{
    QFETCH(QString, family);
    QFETCH(QStringList, serverArgs);
    QFETCH(QString, folder);
    QFETCH(int, commands);

    WorkDir dir;
    const auto server = startedServer(family, serverArgs);
    QVERIFY(server);
    const QByteArray logo = writePictures();
    Editor editor(*server);
    editor.window.caCertFile = caCertOf(*server);
    editor.window.setImageFolder(folder);
    hookUpDialogs(&editor.window);
    ModalAnswerer answerer;
    // The photo through the dialog's file chooser, shrunk to 800; the logo typed as an address, twice.
    editor.click("pushButtonImageLink");
    answerer.chooseFile(dir.filePath("Фото 1.JPG"));
    auto dialog = editor.window.findChild<QDialog *>("cImgLinkDialog");
    QVERIFY(dialog && dialog->isVisible());
    dialog->findChild<QPushButton *>("pushButtonChooseFile")->click();
    dialog->findChild<QPushButton *>("pushButtonOk")->click();
    const QString logoAddress = QUrl::fromLocalFile(dir.filePath("site.logo.png")).toString();
    editor.window.recieveLink("<img src=\"" + logoAddress + "\">x<img src=\"" + logoAddress + "\">");
    const QString draft = editor.window.findChild<QPlainTextEdit *>("textEdit")->toPlainText();

    editor.send();

    const QString chooser = "Выберите картинку";
    const bool chmod = !serverArgs.contains("--no-chmod");
    const QString done = chmod ? Uploaded : Uploaded + "\nПапка images создана с правами 0700: если картинки не видны "
                                                      "на сайте, попросите хостинг открыть её для чтения.";
    QCOMPARE(answerer.texts(), (QStringList{chooser, done}));
    QCOMPARE(filesBesidePage(*server), (QStringList{folder + "/foto-1.jpg", folder + "/site.logo.png"}));
    const QByteArray sentPhoto = server->fileContents(folder + "/foto-1.jpg");
    QCOMPARE(sentPhoto, preparePicture(dir.filePath("Фото 1.JPG"), 800).bytes);
    QCOMPARE(server->fileContents(folder + "/site.logo.png"), logo);
    if (family != "HTTPS" && chmod) {
        QCOMPARE(server->fileMode(folder + "/foto-1.jpg") & 0044, 0044);
        QCOMPARE(server->fileMode(folder) & 0005, 0005);
        QCOMPARE(server->fileMode(folder.section('/', 0, 0)) & 0005, 0005);
    }
    if (commands) {
        const QStringList sent = static_cast<FtpServer &>(*server).commands();
        QVERIFY2(sent.size() == commands, qPrintable(sent.join(' ')));
    }
    const QByteArray page = server->fileContents("news.html");
    QVERIFY2(page.contains(QString("<div align=\"center\"><img src=\"%1/foto-1.jpg\" border=\"0\"></div>"
                                   "<img src=\"%1/site.logo.png\">x<img src=\"%1/site.logo.png\">abc<br>def")
                               .arg(folder).toUtf8()),
             page.constData());
    // The draft keeps the pictures on the disk.
    QCOMPARE(editor.window.findChild<QPlainTextEdit *>("textEdit")->toPlainText(), draft);

    // Sent again: asked as for any repeated item, then up under new names, never over someone else's file.
    server->putFile(folder + "/foto-1-2.jpg", "someone else's");
    answerer.clickButton(QMessageBox::Yes);
    editor.send();
    QCOMPARE(answerer.texts(), (QStringList{chooser, done, RepeatQuestion, Uploaded}));
    QCOMPARE(server->fileContents(folder + "/foto-1-3.jpg"), sentPhoto);
    QCOMPARE(server->fileContents(folder + "/site.logo-2.png"), logo);
    QCOMPARE(server->fileContents(folder + "/foto-1-2.jpg"), QByteArray("someone else's"));
    QCOMPARE(filesBesidePage(*server).size(), 5);
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
    QTest::newRow("FTP: silent at the folder's SITE CHMOD")
        << "FTP" << QStringList{"--umask", "077", "--mute-at", "SITE CHMOD"} << PictureFailed << StoppedAnswering;
    QTest::newRow("FTP: the server keeps a part (a full disk)") << "FTP" << QStringList{"--truncate-uploads", "1"}
                                                              << PictureFailed << "сервер сохранил";
    // The renames: the photo in, the logo in (refused); the page in, then the page aside (both refused).
    QTest::newRow("FTP: second picture refused, the first removed") << "FTP" << QStringList{"--refuse-rename", "2"}
                                                                   << PictureFailed << "site.logo.png";
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
    QVERIFY(!writePictures().isEmpty());
    ServerAccess access = accessTo(*server);
    access.caCertFile = caCertOf(*server);
    access.idleTimeout = 3000;
    ScriptedPublisher desk(access);
    const auto picture = [&dir](const char *name) {
        return imageFragment(QUrl::fromLocalFile(dir.filePath(name)).toString(), 0, 1, false, 0, 0, "", 800);
    };

    QVERIFY(!desk.publisher.send(picture("Фото 1.JPG") + picture("site.logo.png"), UsualDate).succeeded());

    const QString shown = desk.user.seen.join(" | ");
    QVERIFY2(sameMessages(desk.user.seen, {message}) && shown.contains(words), qPrintable(shown));
    QCOMPARE(server->fileContents("news.html"), Before + After);
    QCOMPARE(filesBesidePage(*server), folderTaken ? QStringList{"images"} : QStringList());
}

QTEST_MAIN(TestPictureUpload)
#include "tst_pictureupload.moc"
