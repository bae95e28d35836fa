#include "filebytes.h"
#include "httpsserver.h"
#include "messages.h"
#include "modalanswerer.h"
#include "ui/newsadder.h"
#include "newspages.h"
#include "scripteduser.h"
#include "transfer/transfersession.h"
#include "windowinput.h"
#include "workdir.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>

#include <memory>

// Characters that an address must escape, so the password shows differently inside one.
static const QString SpecialPassword = QStringLiteral("p%41ss@:#/ x");

// Everything the program writes to Qt's log while it lives: debug lines, and any warning.
class LogRecorder
{
public:
    LogRecorder() { lines.clear(); m_previous = qInstallMessageHandler(record); }
    ~LogRecorder() { qInstallMessageHandler(m_previous); }
    static QStringList lines;

private:
    static void record(QtMsgType, const QMessageLogContext &, const QString &text) { lines << text; }
    QtMessageHandler m_previous;
};
QStringList LogRecorder::lines;

// A server with the page on it; windows trust its certificate through caCertFile.
static std::unique_ptr<HttpsServer> startedServer(const QByteArray &page, const QString &password = SpecialPassword)
{
    auto server = std::make_unique<HttpsServer>();
    server->setPassword(password);
    if (!server->start()) {
        qWarning("%s", qPrintable(server->errorString()));
        return nullptr;
    }
    server->putFile("news.html", page);
    return server;
}

// What stands between "editor:" and "@host" in the address as printed.
static QString passwordInside(const QString &printed, const QUrl &url)
{
    const int start = printed.indexOf("//editor:") + 9;
    return printed.mid(start, printed.lastIndexOf("@" + url.host()) - start);
}

// Every way the typed password can be written, alone or inside an upload address.
static QStringList passwordSpellings(const QString &address, const QString &password)
{
    QUrl url(address);
    url.setUserName("editor");
    url.setPassword(password, QUrl::DecodedMode);
    return {password, QString::fromLatin1(QUrl::toPercentEncoding(password)),
            url.password(QUrl::PrettyDecoded), url.password(QUrl::FullyEncoded),
            passwordInside(url.toString(), url), passwordInside(QString::fromLatin1(url.toEncoded()), url)};
}

// The first spelling of the password found in lines, with its line; empty when there is none. A short
// password counts only in the user-info place of an address: elsewhere it may be a piece of a word.
static QString leakedPassword(const QStringList &lines, const QString &address, const QString &password)
{
    for (const QString &spelling : passwordSpellings(address, password)) {
        for (const QString &line : lines) {
            if (line.contains(":" + spelling + "@", Qt::CaseInsensitive)
                || (password.size() >= 6 && line.contains(spelling, Qt::CaseInsensitive)))
                return spelling + " in " + line;
        }
    }
    return QString();
}

// server's page, its user and password, and its certificate trusted.
static ServerAccess trustingAccess(const HttpsServer &server)
{
    ServerAccess access = accessTo(server);
    access.caCertFile = server.certificateFile();
    return access;
}

// The window as the program builds it from settings.ini in the working directory.
static std::unique_ptr<NewsAdder> windowFromSettings()
{
    QSettings settings(QStringLiteral("settings.ini"), QSettings::IniFormat);
    auto window = std::make_unique<NewsAdder>(settings.value("remotepath").toString(),
                                              settings.value("remoteFTPpath").toString(),
                                              settings.value("host").toString(), settings.value("port").toInt());
    window->caCertFile = settings.value("cacert").toString();
    return window;
}

class TestHttps : public QObject
{
    Q_OBJECT

private slots:
    void publishFromSettings();
    void restoreUploadsChosenFile();
    void backupThenRestoreRoundTrip();
    void commandFails_data();
    void commandFails();
    void untrustedCertificateSendsNothing();
    void cyrillicPasswordLogsIn();
};

void TestHttps::publishFromSettings()
{
    WorkDir dir;
    const auto server = startedServer(Before + After);
    QVERIFY(server);
    QVERIFY(QFile::copy(server->certificateFile(), "site.pem"));
    QVERIFY(writeFile("settings.ini", QStringLiteral("remotepath=%1\nremoteFTPpath=%1\nhost=127.0.0.1\nport=%2\n"
                                                     "cacert=site.pem\n")
                                          .arg(server->url("news.html")).arg(server->port()).toUtf8()));
    const auto window = windowFromSettings();
    typeItem(*window, "abc\ndef", QDateTime(QDate(2026, 12, 5), QTime(18, 48)));
    typeCredentials(*window, server->user(), server->password());
    ModalAnswerer answerer;
    LogRecorder log;

    click(*window, "sendButton");

    QCOMPARE(answerer.texts(), QStringList{Uploaded});
    QCOMPARE(server->fileContents("news.html"), Before + WorkedItemCrLf + After);
    QCOMPARE(readFile("news.html"), server->fileContents("news.html"));
    const QStringList backups = backupsIn(dir);
    QCOMPARE(backups.size(), 1);
    QCOMPARE(readFile(backups.first()), Before + After);
    const QString leak = leakedPassword(answerer.texts() + log.lines, server->url("news.html"), server->password());
    QVERIFY2(leak.isEmpty(), qPrintable(leak));
}

void TestHttps::restoreUploadsChosenFile()
{
    WorkDir dir;
    const auto server = startedServer("server page");
    QVERIFY(server);
    ScriptedPublisher desk(trustingAccess(*server));
    const QByteArray old = "<font color=yellow>\r\n" + allByteValues() + "\r\n" + allByteValues();
    QVERIFY(writeFile("old.bak", old));
    desk.user.chooseFile(dir.filePath("old.bak"));
    desk.user.answer(true);

    desk.publisher.restore();

    QVERIFY(sameMessages(desk.user.seen, {Caption, RestoreQuestion, Uploaded}));
    QCOMPARE(server->fileContents("news.html"), old);
    QCOMPARE(readFile("old.bak"), old);
}

void TestHttps::backupThenRestoreRoundTrip()
{
    WorkDir dir;
    const QByteArray page = allByteValues() + "\r\n<font color=yellow>\r\n" + allByteValues();
    const auto server = startedServer(page);
    QVERIFY(server);
    ScriptedPublisher desk(trustingAccess(*server));

    desk.user.chooseFile(dir.filePath("saved.bak"));
    desk.publisher.backup();
    QCOMPARE(readFile("saved.bak"), page);
    desk.publisher.send("an item to take back", UsualDate);
    QVERIFY(server->fileContents("news.html").contains("an item to take back"));
    desk.user.chooseFile(dir.filePath("saved.bak"));
    desk.user.answer(true);
    desk.publisher.restore();

    QVERIFY(sameMessages(desk.user.seen, {Caption, BackupSaved, Uploaded, Caption, RestoreQuestion, Uploaded}));
    QCOMPARE(server->fileContents("news.html"), page);
}

void TestHttps::commandFails_data()
{
    QTest::addColumn<QString>("command");        // the button's object name
    QTest::addColumn<QString>("download");       // names on the server; "" for the page
    QTest::addColumn<QString>("upload");
    QTest::addColumn<QString>("serverPassword");
    QTest::addColumn<QString>("typedPassword");
    QTest::addColumn<bool>("serverStopped");
    QTest::addColumn<bool>("goOnWithoutBackup");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("serverWords");    // how the last message must end: the reason
    QTest::addColumn<int>("backups");

    const QString p = SpecialPassword;
    const QString send = "sendButton", backup = "pushButton", restore = "restoreButton";
    QTest::newRow("send, wrong password") << send << "" << "" << p << "wrong%40:#/ pw" << false << false
        << QStringList{UploadFailed} << "неверный логин или пароль (The requested URL returned error: 401)" << 1;
    QTest::newRow("restore, wrong password") << restore << "" << "" << p << "wrong" << false << false
        << QStringList{Caption, RestoreQuestion, UploadFailed} << "" << 1;
    // No question where the upload would fail the same way.
    QTest::newRow("send, no server") << send << "" << "" << p << p << true << false << QStringList{DownloadFailed}
        << "" << 0;
    QTest::newRow("backup, no server") << backup << "" << "" << p << p << true << false
        << QStringList{Caption, DownloadFailed} << "" << 0;
    QTest::newRow("restore, no server") << restore << "" << "" << p << p << true << false
        << QStringList{Caption, RestoreQuestion, DownloadFailed} << "" << 0;
    QTest::newRow("backup, GET 404: no such page") << backup << "gone.html" << "" << p << p << false << false
        << QStringList{Caption, DownloadFailed} << "такого файла на сервере нет (The requested URL returned error: 404)" << 0;
    QTest::newRow("backup, GET 301: a folder without its slash") << backup << "folder" << "" << p << p << false
        << false << QStringList{Caption, DownloadFailed} << "folder/; укажите этот адрес в настройках." << 0;
    QTest::newRow("send, an address naming a folder: refused before the backup") << send << "folder/" << "" << p
        << p << false << false << QStringList{DownloadFailed} << "" << 0;
    QTest::newRow("send, GET 404: no such page") << send << "gone.html" << "" << p << p << false << false
        << QStringList{DownloadFailed} << "error: 404)" << 0;
    QTest::newRow("restore, PUT 301: the page has moved") << restore << "" << "moved.html" << p << p << false
        << false << QStringList{Caption, RestoreQuestion, UploadFailed} << "news.html; укажите этот адрес в настройках." << 1;
    QTest::newRow("restore, PUT 409: a folder") << restore << "" << "folder" << p << p << false << false
        << QStringList{Caption, RestoreQuestion, UploadFailed} << "такой папки на сервере нет или на месте файла папка (The requested URL returned error: 409)" << 1;
    QTest::newRow("send, PUT 500: no such folder") << send << "" << "missing/news.html" << p << p << false << false
        << QStringList{UploadFailed} << "сервер вернул ошибку (The requested URL returned error: 500)" << 1;
    QTest::newRow("send, PUT 500, one-letter password") << send << "" << "missing/news.html" << "e" << "e"
        << false << false << QStringList{UploadFailed} << "error: 500)" << 1;
}

// Whatever fails, the user reads the program's message with the reason, the server's page stays
// as it was, and the password shows nowhere.
void TestHttps::commandFails()
{
    QFETCH(QString, command);
    QFETCH(QString, download);
    QFETCH(QString, upload);
    QFETCH(QString, serverPassword);
    QFETCH(QString, typedPassword);
    QFETCH(bool, serverStopped);
    QFETCH(bool, goOnWithoutBackup);
    QFETCH(QStringList, messages);
    QFETCH(QString, serverWords);
    QFETCH(int, backups);

    WorkDir dir;
    const QByteArray page = Before + After;
    const auto server = startedServer(page, serverPassword);
    QVERIFY(server);
    QVERIFY(QDir(server->root()).mkpath("folder"));
    const QString downloadAddress = server->url(download.isEmpty() ? "news.html" : download);
    const QString uploadAddress = server->url(upload.isEmpty() ? "news.html" : upload);
    ScriptedPublisher desk(ServerAccess{downloadAddress, uploadAddress, server->certificateFile(), server->user(),
                                        typedPassword});
    QVERIFY(writeFile("old.bak", "a backup"));
    if (serverStopped)
        server->stop();
    if (command == "pushButton")
        desk.user.chooseFile(dir.filePath("mine.bak"));
    if (command == "restoreButton") {
        desk.user.chooseFile(dir.filePath("old.bak"));
        desk.user.answer(true);
    }
    if (messages.contains(Question))
        desk.user.answer(goOnWithoutBackup);
    LogRecorder log;

    if (command == "sendButton")
        desk.sendUsualItem();
    else
        command == "pushButton" ? desk.publisher.backup() : desk.publisher.restore();

    QVERIFY2(sameMessages(desk.user.seen, messages), qPrintable(desk.user.seen.join(" | ")));
    QCOMPARE(desk.user.pendingAnswers(), 0);
    QString last;  // the last failure message
    for (const QString &text : desk.user.seen) {
        if (text.startsWith(DownloadFailed) || text.startsWith(UploadFailed))
            last = text;
    }
    if (!serverWords.isEmpty())
        QVERIFY2(last.endsWith(serverWords), qPrintable(last));
    if (!serverStopped)
        QCOMPARE(server->fileContents("news.html"), page);
    QCOMPARE(backupsIn(dir).size(), backups);
    for (const QString &backup : backupsIn(dir))
        QCOMPARE(readFile(backup), page);
    QVERIFY(!QFile::exists("mine.bak"));
    QCOMPARE(readFile("old.bak"), QByteArray("a backup"));
    const QString leak = leakedPassword(desk.user.seen + log.lines, uploadAddress, typedPassword);
    QVERIFY2(leak.isEmpty(), qPrintable(leak));
    // A redirect names the address that was asked for, so the user sees which one to change.
    if (serverWords.contains("укажите"))
        QVERIFY2(last.contains((last.startsWith(UploadFailed) ? uploadAddress : downloadAddress) + " "), qPrintable(last));
}

void TestHttps::untrustedCertificateSendsNothing()
{
    WorkDir dir;
    HttpsServer server;
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    server.putFile("news.html", "server <font color=yellow>page");
    ScriptedPublisher desk(server);
    QVERIFY(writeFile("old.bak", "a backup"));
    desk.user.chooseFile(dir.filePath("old.bak"));
    desk.user.answer(true);

    desk.publisher.restore();

    QVERIFY2(sameMessages(desk.user.seen, {Caption, RestoreQuestion, DownloadFailed}),
             qPrintable(desk.user.seen.join(" | ")));
    QCOMPARE(server.fileContents("news.html"), QByteArray("server <font color=yellow>page"));
    QVERIFY(!server.log().contains("PUT "));
}

// Basic credentials go out as UTF-8, as a password file made in a UTF-8 terminal has them.
void TestHttps::cyrillicPasswordLogsIn()
{
    WorkDir dir;
    const auto server = startedServer("server page", QStringLiteral("пароль"));
    QVERIFY(server);
    ScriptedPublisher desk(trustingAccess(*server));
    QVERIFY(writeFile("news.html", "local page"));

    QVERIFY(desk.publisher.uploadWorkingCopy().succeeded());

    QCOMPARE(desk.user.seen, QStringList{Uploaded});
    QCOMPARE(server->fileContents("news.html"), QByteArray("local page"));
}

QTEST_MAIN(TestHttps)
#include "tst_https.moc"
