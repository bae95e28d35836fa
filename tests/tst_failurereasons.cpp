// What the editor reads when a command fails: the message's prefix, a space, a short Russian
// reason, and the technical words in parentheses; never the password.
#include "editor.h"
#include "failurereason.h"
#include "filebytes.h"
#include "filesizelimit.h"
#include "ftpserver.h"
#include "messages.h"
#include "modalanswerer.h"
#include "newspages.h"
#include "ordinaryuser.h"
#include "workdir.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

#include <curl/curl.h>

static const QString Password = QStringLiteral("pa55-word");

class TestFailureReasons : public QObject
{
    Q_OBJECT

private slots:
    void reasonShown_data();
    void reasonShown();
    void unknownHostNamed();
};

void TestFailureReasons::reasonShown_data()
{
    QTest::addColumn<QString>("command");     // the button's object name
    QTest::addColumn<QStringList>("serverArgs");
    QTest::addColumn<QString>("shown");       // %1 the port, %2 the working folder
    QTest::addColumn<QString>("technical");

    const QString send = "sendButton";
    const QString notSent = " Новость не добавлена, на сервер ничего не отправлено.";
    QTest::newRow("wrong password") << send << QStringList()
        << DownloadFailed + " неверный логин или пароль (*)" << "530";
    QTest::newRow("nothing listening") << send << QStringList()
        << DownloadFailed + " сервер 127.0.0.1:%1 недоступен (*)" << "Couldn't connect to server";
    QTest::newRow("missing file on the server") << send << QStringList()
        << DownloadFailed + " файла нет на сервере или нет прав на его чтение (*)" << "550";
    QTest::newRow("no permission on the server") << send << QStringList{"--read-only"}
        << UploadFailed + " папки нет на сервере или нет прав на запись в неё (*)" << "550";
    QTest::newRow("server stopped answering") << send << QStringList{"--hang-downloads", "2"}
        << DownloadFailed + " Сервер перестал отвечать: за 1.5 с не передано ни одного байта." << "";
    QTest::newRow("working copy a folder") << send << QStringList()
        << SaveFailed + " Файл «%2/news.html» не записан: на месте файла папка (*)." + notSent << "directory";
    QTest::newRow("working folder read-only") << send << QStringList()
        << SaveFailed + " Файл «%2/news.html» не записан: нет прав на запись (*)." + notSent << "Permission denied";
    QTest::newRow("full disk") << send << QStringList()
        << SaveFailed + " Файл «%2/news.html» не записан: диск не принял запись." + notSent << "";
    QTest::newRow("restored file unreadable") << "restoreButton" << QStringList()
        << UnreadableUpload + " Файл «%2/chosen.bak» не прочитан: нет прав на чтение (*). На сервер ничего не отправлено."
        << "Permission denied";
}

void TestFailureReasons::reasonShown()
{
    QFETCH(QString, command);
    QFETCH(QStringList, serverArgs);
    QFETCH(QString, shown);
    QFETCH(QString, technical);
    const QString cause = QTest::currentDataTag();

    WorkDir dir;
    FtpServer server(serverArgs);
    server.setPassword(Password);
    QVERIFY(server.start());
    const QByteArray page = Page + QByteArray(64 * 1024, 'x');
    if (cause != "missing file on the server")
        server.putFile("news.html", page);
    QVERIFY(writeFile("chosen.bak", "restored page"));
    Editor editor(server);
    // Not in general: the server takes its time over a refused login.
    if (cause == "server stopped answering")
        editor.window.setTransferIdleTimeout(1500);
    if (cause == "wrong password")
        editor.field("passEdit")->setText(Password + "x");
    if (cause == "nothing listening")
        server.stop();
    if (cause == "working copy a folder")
        QVERIFY(QDir(dir.path()).mkdir("news.html"));
    if (cause == "restored file unreadable")
        QVERIFY(QFile::setPermissions("chosen.bak", QFile::WriteOwner));
    ModalAnswerer answerer;
    if (command == "restoreButton") {
        answerer.chooseFile(dir.filePath("chosen.bak"));
        answerer.clickButton(QMessageBox::Yes);
    }
    // Every failed backup is answered with going on, so that the failure of interest comes last.
    for (int i = 0; i < 4; ++i)
        answerer.clickButton(QMessageBox::Ok);

    {
        OrdinaryUser user(dir.path());
        QVERIFY(user.modesApply());
        if (cause == "working folder read-only")
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        FileSizeLimit fullDisk(cause == "full disk" ? page.size() / 2 : RLIM_INFINITY);
        editor.click(qPrintable(command));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString failure;  // the last one
    for (const QString &text : answerer.texts()) {
        for (const QString &prefix : FailurePrefixes)
            failure = text.startsWith(prefix + ' ') ? text : failure;
        QVERIFY2(!text.contains(Password), qPrintable(text));
    }
    // "(*)" stands for the technical words in parentheses.
    const QStringList parts = QString(shown).replace("%1", QString::number(server.port()))
                                  .replace("%2", QDir::toNativeSeparators(dir.path())).split("(*)");
    const QString technicalWords = "\\([^()]*" + QRegularExpression::escape(technical) + "[^()]*\\)";
    QStringList escaped;
    for (const QString &part : parts)
        escaped << QRegularExpression::escape(part);
    QVERIFY2(QRegularExpression("^" + escaped.join(technicalWords) + "$").match(failure).hasMatch(), qPrintable(failure));
    QCOMPARE(server.commandCount("STOR"), cause == "no permission on the server" ? 1 : 0);
}

// Only loopback is touched in tests, so the unknown name does not come from a real lookup.
void TestFailureReasons::unknownHostNamed()
{
    TransferResult result;
    result.status = TransferResult::Failed;
    result.curlCode = CURLE_COULDNT_RESOLVE_HOST;
    result.curlError = result.errorText = QStringLiteral("Could not resolve host: news.example.org");

    QCOMPARE(failureReason(result, QStringLiteral("ftp://news.example.org:2121/www/news.html")),
             QStringLiteral("имя сервера news.example.org неизвестно (Could not resolve host: news.example.org)"));
}

QTEST_MAIN(TestFailureReasons)
#include "tst_failurereasons.moc"
