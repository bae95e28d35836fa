// Publishing over the encrypted transports: FTP over TLS (explicit and implicit) with the
// certificate checked, and SFTP with the server's host key checked against known_hosts.
#include "filebytes.h"
#include "ftpsserver.h"
#include "messages.h"
#include "modalanswerer.h"
#include "newsadder.h"
#include "newspages.h"
#include "sftpserver.h"
#include "windowinput.h"
#include "workdir.h"

#include <QApplication>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <memory>

// Space, %, @, :, # and Cyrillic: each would mean something else inside an address.
static const QString SpecialPassword = QStringLiteral("p%41 s@:#/пароль");
static const QString HostKeyTitle = QStringLiteral("Неизвестный сервер");
// Stands in an expected message list for the question about an unknown host key.
static const QString AskedAboutKey = QStringLiteral("?key");

// The page on the server, with the worked example published or without.
static QByteArray publishedPage(bool published)
{
    return Before + (published ? WorkedItemCrLf : QByteArray()) + After;
}

// No spelling of the password in any of the texts.
static QString passwordShown(const QStringList &texts, const QString &password)
{
    for (const QString &spelling : {password, QString::fromLatin1(QUrl::toPercentEncoding(password)),
                                    QStringLiteral("пароль"), QStringLiteral("p%41 s")}) {
        for (const QString &text : texts) {
            if (text.contains(spelling))
                return text;
        }
    }
    return QString();
}

class TestEncrypted : public QObject
{
    Q_OBJECT

private slots:
    void ftpOverTls_data();
    void ftpOverTls();
    void sftpHostKey_data();
    void sftpHostKey();
};

void TestEncrypted::ftpOverTls_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("trusted");  // the per-run certificate given as cacert
    QTest::addColumn<QString>("serverPassword");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("logins");    // USER commands the server saw

    const QString p = SpecialPassword;
    const QStringList refused{DownloadFailed, Question, GoingOn, DownloadFailed};
    QTest::newRow("explicit") << int(FtpsServer::Explicit) << true << p << QStringList{Uploaded} << 1;
    QTest::newRow("implicit") << int(FtpsServer::Implicit) << true << p << QStringList{Uploaded} << 1;
    QTest::newRow("explicit, untrusted certificate") << int(FtpsServer::Explicit) << false << p << refused << 0;
    QTest::newRow("implicit, untrusted certificate") << int(FtpsServer::Implicit) << false << p << refused << 0;
    QTest::newRow("implicit, wrong password") << int(FtpsServer::Implicit) << true << "other"
        << QStringList{UploadFailed} << 2;
}

// The worked example byte for byte over TLS, the login only once the certificate is trusted.
void TestEncrypted::ftpOverTls()
{
    QFETCH(int, mode);
    QFETCH(bool, trusted);
    QFETCH(QString, serverPassword);
    QFETCH(QStringList, messages);
    QFETCH(int, logins);

    WorkDir dir;
    FtpsServer server{FtpsServer::Mode(mode)};
    server.setPassword(serverPassword);
    QVERIFY(server.start());
    QVERIFY(server.url("news.html").startsWith(mode == FtpsServer::Explicit ? "ftpes://" : "ftps://"));
    server.putFile("news.html", Before + After);
    NewsAdder window(server.url("news.html"), server.url("news.html"), "127.0.0.1", server.port());
    if (trusted)
        window.caCertFile = server.certificatePath();
    typeItem(window, "abc\ndef", QDateTime(QDate(2026, 12, 5), QTime(18, 48)));
    typeCredentials(window, server.user(), SpecialPassword);
    ModalAnswerer answerer;
    if (messages.contains(Question)) {
        answerer.clickButton(QMessageBox::Ok);  // the backup's failure
        answerer.clickButton(QMessageBox::Ok);  // go on without it
    }

    click(window, "sendButton");

    QVERIFY2(sameMessages(answerer.texts(), messages), qPrintable(answerer.texts().join(" | ")));
    const bool published = messages == QStringList{Uploaded};
    QCOMPARE(server.fileContents("news.html"), publishedPage(published));
    if (published)
        QCOMPARE(readFile("news.html"), publishedPage(true));
    QCOMPARE(server.commandCount("USER"), logins);
    QCOMPARE(server.commandCount("PASS"), logins);
    const QString shown = passwordShown(answerer.texts(), SpecialPassword);
    QVERIFY2(shown.isEmpty(), qPrintable(shown));
}

enum class KnownHostsHolds { Nothing, ThisKey, AnOldKey };
Q_DECLARE_METATYPE(KnownHostsHolds)

void TestEncrypted::sftpHostKey_data()
{
    QTest::addColumn<KnownHostsHolds>("known");
    QTest::addColumn<int>("answer");  // to the key question: Yes, No, or 0 to quit the application
    QTest::addColumn<QString>("serverPassword");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("reasonWords");  // in the last message

    const QString p = SpecialPassword;
    QTest::newRow("unknown key, trusted") << KnownHostsHolds::Nothing << int(QMessageBox::Yes) << p
        << QStringList{AskedAboutKey, Uploaded} << "";
    QTest::newRow("known key") << KnownHostsHolds::ThisKey << int(QMessageBox::No) << p << QStringList{Uploaded}
        << "";
    QTest::newRow("changed key") << KnownHostsHolds::AnOldKey << int(QMessageBox::Yes) << p
        << QStringList{DownloadFailed} << "изменился";
    QTest::newRow("unknown key, declined") << KnownHostsHolds::Nothing << int(QMessageBox::No) << p
        << QStringList{AskedAboutKey, DownloadFailed} << "ничего не отправлено";
    QTest::newRow("wrong password") << KnownHostsHolds::ThisKey << int(QMessageBox::No) << "other"
        << QStringList{DownloadFailed, Question, Cancelled} << "";
    QTest::newRow("quit while asked") << KnownHostsHolds::Nothing << 0 << p << QStringList{AskedAboutKey} << "";
}

void TestEncrypted::sftpHostKey()
{
    QFETCH(KnownHostsHolds, known);
    QFETCH(int, answer);
    QFETCH(QString, serverPassword);
    QFETCH(QStringList, messages);
    QFETCH(QString, reasonWords);

    WorkDir dir;
    SftpServer server;
    server.setPassword(serverPassword);
    QVERIFY(server.start());
    if (known == KnownHostsHolds::AnOldKey) {
        const QString oldLine = server.knownHostsLine();
        server.stop();
        QVERIFY(server.start());
        QVERIFY(server.knownHostsLine() != oldLine);
        QVERIFY(writeFile("known_hosts", oldLine.toUtf8() + '\n'));
    } else if (known == KnownHostsHolds::ThisKey) {
        QVERIFY(writeFile("known_hosts", server.knownHostsLine().toUtf8() + '\n'));
    }
    const QByteArray knownBefore = readFile("known_hosts");
    server.putFile("news.html", Before + After);
    NewsAdder window(server.url("news.html"), server.url("news.html"), "127.0.0.1", server.port());
    typeItem(window, "abc\ndef", QDateTime(QDate(2026, 12, 5), QTime(18, 48)));
    typeCredentials(window, server.user(), SpecialPassword);

    QStringList texts;
    SeenDialog question;
    {
        // Quitting while the question is open: ModalAnswerer would answer it, so this watcher stands in.
        QTimer quitter;
        if (answer == 0) {
            QObject::connect(&quitter, &QTimer::timeout, [&] {
                if (auto box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                    texts << (box->windowTitle() == HostKeyTitle ? AskedAboutKey : box->text());
                    question.text = box->text();
                    QApplication::exit(0);
                }
            });
            quitter.start(50);
        }
        std::unique_ptr<ModalAnswerer> answerer(answer != 0 ? new ModalAnswerer : nullptr);
        if (answerer && messages.contains(AskedAboutKey))
            answerer->clickButton(QMessageBox::StandardButton(answer));
        if (messages.contains(Question)) {
            answerer->clickButton(QMessageBox::Ok);
            answerer->clickButton(QMessageBox::Cancel);
        }
        click(window, "sendButton");
        if (answerer) {
            for (const SeenDialog &seen : answerer->seen) {
                texts << (seen.title == HostKeyTitle ? AskedAboutKey : seen.text);
                if (seen.title == HostKeyTitle)
                    question = seen;
            }
        }
    }

    QVERIFY2(sameMessages(texts, messages), qPrintable(texts.join(" | ")));
    QVERIFY2(texts.last().contains(reasonWords), qPrintable(texts.last()));
    const QString shown = passwordShown(texts, SpecialPassword);
    QVERIFY2(shown.isEmpty(), qPrintable(shown));
    if (messages.contains(AskedAboutKey)) {
        // What the user compares with the hosting provider's word, "no" unless they say otherwise.
        QVERIFY2(question.text.contains(server.fingerprint()) && question.text.contains("ssh-ed25519")
                     && question.text.contains(QStringLiteral("[127.0.0.1]:%1").arg(server.port())),
                 qPrintable(question.text));
        if (answer != 0)
            QCOMPARE(question.defaultButton, QMessageBox::No);
    }
    const bool published = messages.last() == Uploaded;
    QCOMPARE(server.fileContents("news.html"), publishedPage(published));
    if (!published) {
        // A refused key: the password never left; a refused password: nothing else happened.
        if (serverPassword == SpecialPassword)
            QCOMPARE(server.logCount("login"), 0);
        QCOMPARE(server.logCount("open /news.html write"), 0);
        QCOMPARE(readFile("known_hosts"), knownBefore);
        return;
    }
    QCOMPARE(readFile("news.html"), publishedPage(true));
    QCOMPARE(server.logCount("login editor accepted"), 1);
    QStringList lines = QString::fromUtf8(readFile("known_hosts")).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines, QStringList{server.knownHostsLine()});
    QProcess keygen;
    keygen.start("ssh-keygen", {"-F", QStringLiteral("[127.0.0.1]:%1").arg(server.port()), "-f", "known_hosts"});
    QVERIFY(keygen.waitForFinished(10000));
    QCOMPARE(keygen.exitCode(), 0);

    // The next send knows the server and asks nothing.
    typeItem(window, "ghi", QDateTime(QDate(2026, 12, 5), QTime(18, 48)));
    ModalAnswerer answerer;
    click(window, "sendButton");
    QCOMPARE(answerer.texts(), QStringList{Uploaded});
    QCOMPARE(server.fileContents("news.html"),
             Before + QByteArray("\r\n \r\nghi<br>\r\n \r\n<br>05/12/2026 18:48<br><br>") + WorkedItemCrLf + After);
    QCOMPARE(server.logCount("login editor accepted"), 2);
}

QTEST_MAIN(TestEncrypted)
#include "tst_encrypted.moc"
