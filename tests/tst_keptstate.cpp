// The item not sent yet and the login that last published, kept in the working folder; never the password.
#include "publish/editorstate.h"
#include "filebytes.h"
#include "ftpserver.h"
#include "messages.h"
#include "modalanswerer.h"
#include "ui/newsadder.h"
#include "newspages.h"
#include "ordinaryuser.h"
#include "windowinput.h"
#include "workdir.h"

#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

#include <memory>

class TestKeptState : public QObject
{
    Q_OBJECT

private slots:
    void draftAndLoginAcrossWindows();
    void unusableStateFile_data();
    void unusableStateFile();
};

void TestKeptState::draftAndLoginAcrossWindows()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", Page);
    const auto open = [&server] {
        return std::make_unique<NewsAdder>(server.url("news.html"), server.url("news.html"), "127.0.0.1",
                                           server.port());
    };
    ModalAnswerer answerer;

    // Typed, then the program dies without closing: the draft was on the disk two seconds later.
    auto window = open();
    window->findChild<QPlainTextEdit *>("textEdit")->setPlainText("abc\ndef");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(EditorStateFileName), 3000);
    window = open();
    QCOMPARE(window->findChild<QPlainTextEdit *>("textEdit")->toPlainText(), QStringLiteral("abc\ndef"));
    // More typed, then closed: kept, and nothing asked.
    window->findChild<QPlainTextEdit *>("textEdit")->moveCursor(QTextCursor::End);
    QTest::keyClicks(window->findChild<QPlainTextEdit *>("textEdit"), "!");
    window->close();
    window = open();
    QCOMPARE(window->findChild<QPlainTextEdit *>("textEdit")->toPlainText(), QStringLiteral("abc\ndef!"));
    QCOMPARE(window->findChild<QLineEdit *>("loginEdit")->text(), QString());

    // Published: the login is kept, the draft cleared, and the date follows the clock again.
    typeCredentials(*window, server.user(), server.password());
    window->findChild<QDateTimeEdit *>("dateTimeEdit")->setDateTime(QDateTime(QDate(2026, 12, 5), QTime(18, 48)));
    window->setClock([] { return QDateTime(QDate(2026, 12, 7), QTime(23, 47, 30)); });
    click(*window, "sendButton");
    QCOMPARE(answerer.texts(), QStringList{Uploaded});
    QCOMPARE(window->findChild<QDateTimeEdit *>("dateTimeEdit")->dateTime(), QDateTime(QDate(2026, 12, 7), QTime(23, 47)));
    window->close();
    window = open();
    QCOMPARE(window->findChild<QLineEdit *>("loginEdit")->text(), server.user());
    QCOMPARE(window->findChild<QPlainTextEdit *>("textEdit")->toPlainText(), QString());
    QVERIFY(!readFile(EditorStateFileName).contains(server.password().toUtf8()));
}

void TestKeptState::unusableStateFile_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("reason");

    QTest::newRow("a folder in its place") << "folder" << "на месте файла папка";
    QTest::newRow("working folder not writable") << "read-only folder" << "нет прав на запись";
}

// The window opens empty, and a state that cannot be written is said once, however often it is tried.
void TestKeptState::unusableStateFile()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, reason);

    WorkDir dir;
    QVERIFY(obstacle != "folder" || QDir(dir.path()).mkdir(EditorStateFileName));
    ModalAnswerer answerer;
    {
        OrdinaryUser user(dir.path());
        QVERIFY2(user.modesApply(), "file modes must apply to this process");
        if (obstacle == "read-only folder")
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        NewsAdder window("", "", "", 0);
        QCOMPARE(window.findChild<QPlainTextEdit *>("textEdit")->toPlainText(), QString());
        for (const char *text : {"first", "second"}) {
            window.findChild<QPlainTextEdit *>("textEdit")->setPlainText(text);
            window.close();
        }
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    QVERIFY2(sameMessages(answerer.texts(), {StateNotKept}) && answerer.texts().first().contains(reason),
             qPrintable(answerer.texts().join(" | ")));
}

QTEST_MAIN(TestKeptState)
#include "tst_keptstate.moc"
