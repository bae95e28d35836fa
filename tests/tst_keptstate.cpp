// What the window keeps in its working folder between runs: the item not sent yet and the login
// that last published, never the password.
#include "editorstate.h"
#include "filebytes.h"
#include "ftpserver.h"
#include "messages.h"
#include "modalanswerer.h"
#include "newsadder.h"
#include "newspages.h"
#include "ordinaryuser.h"
#include "ui_newsadder.h"
#include "windowinput.h"
#include "workdir.h"

#include <QFile>
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
    window->ui->textEdit->setPlainText("abc\ndef");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(EditorStateFileName), 3000);
    window = open();
    QCOMPARE(window->ui->textEdit->toPlainText(), QStringLiteral("abc\ndef"));

    // Closed with more typed: kept, and nothing asked.
    window->ui->textEdit->moveCursor(QTextCursor::End);
    QTest::keyClicks(window->ui->textEdit, "!");
    window->show();
    window->close();
    window = open();
    QCOMPARE(window->ui->textEdit->toPlainText(), QStringLiteral("abc\ndef!"));
    QCOMPARE(window->ui->loginEdit->text(), QString());
    QCOMPARE(answerer.texts(), QStringList());
}

void TestKeptState::unusableStateFile_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("reason");   // in the one message; none when the file can be replaced

    QTest::newRow("a folder in its place") << "folder" << "на месте файла папка";
    QTest::newRow("working folder not writable") << "read-only folder" << "нет прав на запись";
    QTest::newRow("not what the program writes") << "garbage" << "";
}

// The window opens empty, and a state that cannot be written is said once, however often it is tried.
void TestKeptState::unusableStateFile()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, reason);

    WorkDir dir;
    if (obstacle == "folder")
        QVERIFY(QDir(dir.path()).mkdir(EditorStateFileName));
    if (obstacle == "garbage")
        QVERIFY(writeFile(EditorStateFileName, "login=editor\n{\"draft\": "));
    ModalAnswerer answerer;
    {
        OrdinaryUser user(dir.path());
        QVERIFY2(user.modesApply(), "file modes must apply to this process");
        if (obstacle == "read-only folder")
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        NewsAdder window("", "", "", 0);
        QCOMPARE(window.ui->loginEdit->text(), QString());
        QCOMPARE(window.ui->textEdit->toPlainText(), QString());
        for (const char *text : {"first", "second"}) {
            window.ui->textEdit->setPlainText(text);
            window.show();
            window.close();
        }
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    if (reason.isEmpty()) {
        QCOMPARE(answerer.texts(), QStringList());
        NewsAdder next("", "", "", 0);
        QCOMPARE(next.ui->textEdit->toPlainText(), QStringLiteral("second"));
    } else {
        QVERIFY2(sameMessages(answerer.texts(), {StateNotKept}), qPrintable(answerer.texts().join(" | ")));
        QVERIFY2(answerer.texts().first().contains(reason), qPrintable(answerer.texts().first()));
    }
}

QTEST_MAIN(TestKeptState)
#include "tst_keptstate.moc"
