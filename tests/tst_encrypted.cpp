// Publishing over FTP with TLS (certificate checked) and over SFTP (host key checked), with a
// password holding space, %, @, :, # and Cyrillic letters, which no message may show.
#include "filebytes.h"
#include "ftpsserver.h"
#include "messages.h"
#include "modalanswerer.h"
#include "ui/newsadder.h"
#include "newspages.h"
#include "scripteduser.h"
#include "sftpserver.h"
#include "windowinput.h"
#include "workdir.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRegularExpression>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <QTimer>

static const QString Password = QStringLiteral("p%41 s@:#/пароль");
static const QString AskedAboutKey = QStringLiteral("Неизвестный сервер");  // the question's title
static const QByteArray Published = Before + WorkedItemCrLf + After;

// Sends the worked example; the messages seen, the key question standing as its title.
static QStringList send(NewsAdder &window, ModalAnswerer *answerer, SeenDialog *question)
{
    typeItem(window, "abc\ndef", QDateTime(QDate(2026, 12, 5), QTime(18, 48)));
    typeCredentials(window, "editor", Password);
    click(window, "sendButton");
    QStringList texts;
    for (const SeenDialog &seen : answerer->seen) {
        texts << (seen.title == AskedAboutKey ? seen.title : seen.text);
        if (seen.title == AskedAboutKey)
            *question = seen;
    }
    for (const QString &text : texts)
        texts << (text.contains(Password) || text.contains("p%41 s@") ? "password shown: " + text : QString());
    texts.removeAll(QString());
    return texts;
}

class TestEncrypted : public QObject
{
    Q_OBJECT

private slots:
    void ftpOverTls_data();
    void ftpOverTls();
    void sftpFaults_data();
    void sftpFaults();
    void sftpKnownHostsOrder_data();
    void sftpKnownHostsOrder();
    // Last: one of its rows quits the application.
    void sftpHostKey_data();
    void sftpHostKey();
};

void TestEncrypted::ftpOverTls_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("trusted");  // the per-run certificate given as cacert
    QTest::addColumn<QString>("serverPassword");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("logins");    // USER and PASS commands the server saw, per send
    QTest::addColumn<QStringList>("serverArgs");
    QTest::addColumn<int>("sends");     // of the same page, one after the other

    // Ended at once: the upload would fail the same way.
    const QStringList untrusted{DownloadFailed};
    QTest::newRow("explicit") << int(FtpsServer::Explicit) << true << Password << QStringList{Uploaded} << 1
                              << QStringList() << 1;
    QTest::newRow("implicit") << int(FtpsServer::Implicit) << true << Password << QStringList{Uploaded} << 1
                              << QStringList() << 1;
    QTest::newRow("explicit, untrusted") << int(FtpsServer::Explicit) << false << Password << untrusted << 0
                                         << QStringList() << 1;
    QTest::newRow("implicit, untrusted") << int(FtpsServer::Implicit) << false << Password << untrusted << 0
                                         << QStringList() << 1;
    QTest::newRow("wrong password") << int(FtpsServer::Implicit) << true << "other" << QStringList{DownloadFailed} << 1
                                    << QStringList() << 1;
    // vsftpd's and proftpd's default: every data connection resumes the control connection's TLS session.
    const QStringList reuse{"--require-session-reuse"};
    QTest::newRow("implicit, session reuse required") << int(FtpsServer::Implicit) << true << Password
                                                      << QStringList{Uploaded} << 1 << reuse << 1;
    QTest::newRow("explicit, session reuse required, 20 sends of 4 MB")
        << int(FtpsServer::Explicit) << true << Password << QStringList{Uploaded} << 1 << reuse << 20;
}

void TestEncrypted::ftpOverTls()
{
    QFETCH(int, mode);
    QFETCH(bool, trusted);
    QFETCH(QString, serverPassword);
    QFETCH(QStringList, messages);
    QFETCH(int, logins);
    QFETCH(QStringList, serverArgs);
    QFETCH(int, sends);

    WorkDir dir;
    FtpsServer server{FtpsServer::Mode(mode), serverArgs};
    server.setPassword(serverPassword);
    QVERIFY(server.start());
    // Large pages where several sends follow: uploads of some 100 KB and more are what broke.
    const QByteArray body = sends > 1 ? QByteArray(4 * 1024 * 1024, 'x') : QByteArray();
    server.putFile("news.html", Before + After + body);
    ServerAccess access = accessTo(server);
    access.password = Password;
    if (trusted)
        access.caCertFile = server.certificatePath();
    ScriptedPublisher desk(access);
    desk.user.answer(true);  // go on without the backup, if it failed

    // A new item each time, so that none repeats one before it.
    const auto last = [](int send) { return send == 0 ? QString("def") : QString("def%1").arg(send); };
    QByteArray expected = Before + After + body;
    for (int i = 0; i < sends; ++i) {
        desk.user.seen.clear();
        desk.publisher.send("abc\n" + last(i), UsualDate);
        const QStringList &texts = desk.user.seen;
        QVERIFY2(sameMessages(texts, messages), qPrintable(QString::number(i) + ": " + texts.join(" | ")));
        for (const QString &text : texts)
            QVERIFY2(!text.contains(Password) && !text.contains("p%41 s@"), qPrintable(text));
        if (messages.last() == Uploaded)
            expected.insert(Before.size(), QByteArray(WorkedItemCrLf).replace("def", last(i).toLatin1()));
    }
    QCOMPARE(server.fileContents("news.html"), expected);
    QCOMPARE(server.commandCount("USER"), logins * sends);
    QCOMPARE(server.commandCount("PASS"), logins * sends);
}

enum class KnownHostsHolds { Nothing, ThisKey, AnOldKey };
Q_DECLARE_METATYPE(KnownHostsHolds)

void TestEncrypted::sftpHostKey_data()
{
    QTest::addColumn<KnownHostsHolds>("known");
    QTest::addColumn<int>("answer");  // to the key question, if any
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("reason");  // in the last message

    QTest::newRow("unknown key, trusted") << KnownHostsHolds::Nothing << int(QMessageBox::Yes)
        << QStringList{AskedAboutKey, Uploaded} << "";
    QTest::newRow("known key") << KnownHostsHolds::ThisKey << 0 << QStringList{Uploaded} << "";
    QTest::newRow("changed key") << KnownHostsHolds::AnOldKey << int(QMessageBox::Yes)
        << QStringList{DownloadFailed} << "изменился";
    QTest::newRow("unknown key, declined") << KnownHostsHolds::Nothing << int(QMessageBox::No)
        << QStringList{AskedAboutKey, DownloadFailed} << "ничего не отправлено";
    // The application quits while the question is open.
    QTest::newRow("quit while asked") << KnownHostsHolds::Nothing << 0 << QStringList{AskedAboutKey} << "";
}

void TestEncrypted::sftpHostKey()
{
    QFETCH(KnownHostsHolds, known);
    QFETCH(int, answer);
    QFETCH(QStringList, messages);
    QFETCH(QString, reason);

    WorkDir dir;
    SftpServer server;
    server.setPassword(Password);
    QVERIFY(server.start());
    const QString firstKey = server.knownHostsLine();
    if (known == KnownHostsHolds::AnOldKey) {
        server.stop();
        QVERIFY(server.start());  // the same port with a new key
    }
    if (known != KnownHostsHolds::Nothing)
        QVERIFY(writeFile("known_hosts", firstKey.toUtf8() + '\n'));
    const QByteArray knownBefore = readFile("known_hosts");
    server.putFile("news.html", Before + After);
    NewsAdder window(server.url("news.html"), server.url("news.html"), "127.0.0.1", server.port());
    ModalAnswerer answerer;
    if (answer != 0)
        answerer.clickButton(QMessageBox::StandardButton(answer));
    SeenDialog question;
    // Quits as soon as the question shows, in the answerer's place.
    const bool quitting = messages == QStringList{AskedAboutKey};
    QTimer quitter;
    QObject::connect(&quitter, &QTimer::timeout, [&question] {
        if (auto box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            question.text = box->text();
            question.defaultButton = box->standardButton(box->defaultButton());
            QApplication::exit(0);
        }
    });
    if (quitting) {
        answerer.setPollInterval(60000);
        quitter.start(20);
    }

    QStringList texts = send(window, &answerer, &question);

    if (quitting && !question.text.isEmpty())
        texts << AskedAboutKey;
    QVERIFY2(sameMessages(texts, messages), qPrintable(texts.join(" | ")));
    QVERIFY2(texts.last().contains(reason), qPrintable(texts.last()));
    if (messages.contains(AskedAboutKey)) {
        QVERIFY2(question.text.contains(server.fingerprint()) && question.text.contains("ssh-ed25519")
                     && question.text.contains(QStringLiteral("[127.0.0.1]:%1").arg(server.port())),
                 qPrintable(question.text));
        QCOMPARE(question.defaultButton, QMessageBox::No);
    }
    if (messages.last() != Uploaded) {
        QCOMPARE(server.fileContents("news.html"), Before + After);
        QCOMPARE(server.logCount("login"), 0);  // the password never left
        QCOMPARE(readFile("known_hosts"), knownBefore);
        return;
    }
    QCOMPARE(server.fileContents("news.html"), Published);
    // The line a known key is found by (see "known key").
    QCOMPARE(readFile("known_hosts"), server.knownHostsLine().toUtf8() + '\n');
}

void TestEncrypted::sftpFaults_data()
{
    QTest::addColumn<QStringList>("serverArgs");
    QTest::addColumn<QString>("login");        // typed
    QTest::addColumn<QString>("password");     // typed; empty: the server's
    QTest::addColumn<bool>("othersLock");      // another editor's send holds the lock throughout
    QTest::addColumn<QString>("message");      // the one message shown
    QTest::addColumn<QString>("reason");       // in it
    QTest::addColumn<int>("logins");           // that the server saw

    // Once by password, once keyboard-interactive, as this server offers both (Debian's sshd only the first).
    QTest::newRow("wrong password") << QStringList() << "editor" << "wrong" << false << DownloadFailed
                                    << "неверный логин" << 2;
    QTest::newRow("no login typed") << QStringList() << "" << "" << false << DownloadFailed << "без логина" << 0;
    // The renames: the page aside, the new one in, the old one back.
    QTest::newRow("renaming in refused") << QStringList{"--refuse-rename", "2"} << "editor" << "" << false
                                         << UploadFailed << "" << 1;
    QTest::newRow("server silent at renaming in") << QStringList{"--stall-rename", "2"} << "editor" << "" << false
                                                  << UploadFailed << StoppedAnswering << 2;
    QTest::newRow("putting back refused too") << QStringList{"--refuse-rename", "2,3"} << "editor" << "" << false
                                              << UploadFailed << "нет по её адресу" << 1;
    QTest::newRow("another editor's send") << QStringList() << "editor" << "" << true << SomeoneElsePublishing << ""
                                           << 1;
}

void TestEncrypted::sftpFaults()
{
    QFETCH(QStringList, serverArgs);
    QFETCH(QString, login);
    QFETCH(QString, password);
    QFETCH(bool, othersLock);
    QFETCH(QString, message);
    QFETCH(QString, reason);
    QFETCH(int, logins);

    WorkDir dir;
    SftpServer server(serverArgs);
    QVERIFY(server.start());
    QVERIFY(writeFile("known_hosts", server.knownHostsLine().toUtf8() + '\n'));
    server.putFile("news.html", Before + After);
    const QString lock = ".news.html.newsadder-lock";
    if (othersLock)
        QVERIFY(QDir(server.root()).mkdir(lock));
    ServerAccess access = accessTo(server);
    access.login = login;
    if (!password.isEmpty())
        access.password = password;
    access.idleTimeout = 2000;
    access.lockWait = 1000;
    ScriptedPublisher desk(access);

    QVERIFY(!desk.sendUsualItem().succeeded());

    const QString shown = desk.user.seen.join(" | ");
    QVERIFY2(sameMessages(desk.user.seen, {message}) && shown.contains(reason), qPrintable(shown));
    // The old page, where it is or where the message says it lies; nothing else of the send's is left.
    const QStringList files = QDir(server.root()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(files.size(), 1);
    QVERIFY2(files.first() == "news.html" || shown.contains(files.first()), qPrintable(files.first()));
    QCOMPARE(server.fileContents(files.first()), Before + After);
    QCOMPARE(QDir(server.root()).exists(lock), othersLock);
    QCOMPARE(server.logCount("login"), logins);
    QCOMPARE(server.logCount("login  "), 0);  // never an empty user name
}

void TestEncrypted::sftpKnownHostsOrder_data()
{
    QTest::addColumn<QString>("lines");   // known_hosts: the server's keys by type, '#' hashed, '@' revoked, "other" of a type curl lacks
    QTest::addColumn<QString>("asked");   // the key type the editor is asked about, if any
    QTest::addColumn<QString>("message");

    // The server, like OpenSSH 8.8 and later, signs with its RSA key by rsa-sha2-256/512 only.
    QTest::newRow("RSA first") << "rsa ecdsa ed25519" << "" << Uploaded;
    QTest::newRow("ECDSA first") << "ecdsa rsa ed25519" << "" << Uploaded;
    QTest::newRow("Ed25519 first") << "ed25519 ecdsa rsa" << "" << Uploaded;
    QTest::newRow("hashed, RSA first") << "#rsa #ed25519" << "" << Uploaded;
    QTest::newRow("an unknown type first") << "other rsa ecdsa" << "" << Uploaded;
    // libssh2 asks for an RSA key with SHA-1 signatures alone: the host is met as one known by another type.
    QTest::newRow("RSA alone") << "rsa" << "ecdsa-sha2-nistp256" << Uploaded;
    QTest::newRow("the key the server shows revoked") << "rsa @ecdsa" << "" << DownloadFailed;
}

void TestEncrypted::sftpKnownHostsOrder()
{
    QFETCH(QString, lines);
    QFETCH(QString, asked);
    QFETCH(QString, message);

    WorkDir dir;
    SftpServer server({"--refuse-sha1-rsa"});
    server.setHostKeyType("ssh-rsa,ecdsa-sha2-nistp256,ssh-ed25519");
    QVERIFY(server.start());
    const QStringList keys = server.knownHostsLines();
    QByteArray known;
    for (QString word : lines.split(' ')) {
        const QString marker = word.left(1);
        word.remove(QRegularExpression("^[#@]"));
        QString line = word == "other" ? keys.at(2).section(' ', 0, 0) + " ssh-other AAAAC3NzaC1vdGhlcgAAAAA="
                                       : keys.at(QStringList{"rsa", "ecdsa", "ed25519"}.indexOf(word));
        if (marker == "#") {
            const QByteArray salt = "0123456789abcdefghij";
            const QByteArray name = line.section(' ', 0, 0).toUtf8();
            line = "|1|" + salt.toBase64() + '|'
                   + QMessageAuthenticationCode::hash(name, salt, QCryptographicHash::Sha1).toBase64() + ' '
                   + line.section(' ', 1);
        }
        known += (marker == "@" ? "@revoked " : "") + line.toUtf8() + '\n';
    }
    QVERIFY(writeFile("known_hosts", known));
    server.putFile("news.html", Before + After);
    ScriptedPublisher desk(server);
    desk.user.answer(true);

    desk.sendUsualItem();

    const QStringList expected = asked.isEmpty() ? QStringList{message} : QStringList{"asked", message};
    QStringList seen = desk.user.seen;
    if (!asked.isEmpty() && seen.first().contains(' ' + asked + " SHA256:"))
        seen.first() = "asked";
    QVERIFY2(sameMessages(seen, expected), qPrintable(desk.user.seen.join(" | ")));
    QCOMPARE(server.fileContents("news.html"), message == Uploaded ? Published : Before + After);
    QCOMPARE(server.logCount("login"), message == Uploaded ? 1 : 0);
    // Never rewritten, only a key the editor accepted added.
    QCOMPARE(readFile("known_hosts"), asked.isEmpty() ? known : known + keys.at(1).toUtf8() + '\n');
}

QTEST_MAIN(TestEncrypted)
#include "tst_encrypted.moc"
