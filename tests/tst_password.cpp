// The password kept in the desktop's secret store when the editor asks for it, and nowhere else.
#include "publish/editorstate.h"
#include "filebytes.h"
#include "ftpserver.h"
#include "messages.h"
#include "modalanswerer.h"
#include "ui/newsadder.h"
#include "newspages.h"
#include "publish/passwordstore.h"
#include "secretstore.h"
#include "windowinput.h"
#include "workdir.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDirIterator>
#include <QLineEdit>
#include <QtTest>

#include <memory>

class TestPassword : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void keptAcrossStarts();
    void withoutSecretStore();

private:
    SecretStore m_store;
};

namespace {

// What the store holds for the entry, as another program would read it; "?" when it does not answer.
QString stored(const QString &entry)
{
    PasswordStore store;
    QString password = "?";
    bool answered = false;
    store.read(entry, [&](const QString &found, const QString &problem) {
        password = problem.isEmpty() ? found : "?";
        answered = true;
    });
    for (QDeadlineTimer deadline(PasswordStore::TimeoutMsecs + 1000); !answered && !deadline.hasExpired();)
        QTest::qWait(20);
    return password;
}

// Every file under folder that holds text.
QStringList filesHolding(const QString &folder, const QString &text)
{
    QStringList found;
    for (QDirIterator file(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); file.hasNext();) {
        if (readFile(file.next()).contains(text.toUtf8()))
            found << file.filePath();
    }
    return found;
}

} // namespace

void TestPassword::initTestCase()
{
    QVERIFY2(m_store.start(), qPrintable(m_store.errorString()));
}

void TestPassword::keptAcrossStarts()
{
    WorkDir dir;
    FtpServer server;
    server.setPassword("kept-3x!pw");
    QVERIFY(server.start());
    server.putFile("news.html", Page);
    const QString entry = PasswordStore::entryFor(server.url("news.html"), server.user());
    const auto open = [&server] {
        return std::make_unique<NewsAdder>(server.url("news.html"), server.url("news.html"), "127.0.0.1",
                                           server.port());
    };
    ModalAnswerer answerer;
    auto window = open();
    auto box = [&window] { return window->findChild<QCheckBox *>("rememberPasswordBox"); };
    auto password = [&window] { return window->findChild<QLineEdit *>("passEdit"); };
    const auto send = [&](const QString &item) {
        typeItem(*window, item, QDateTime(QDate(2026, 12, 8), QTime(6, 0)));
        typeCredentials(*window, server.user(), server.password());
        click(*window, "sendButton");
    };
    QVERIFY(box()->isEnabled() && !box()->isChecked());

    // Sent with the box left unchecked: nothing in the store.
    send("first");
    QCOMPARE(stored(entry), QString());

    // Checked, then typed and sent: kept in the store, and in no file.
    box()->click();
    send("abc");
    QCOMPARE(answerer.texts(), (QStringList{Uploaded, Uploaded}));
    QTRY_COMPARE_WITH_TIMEOUT(stored(entry), server.password(), 6000);
    window->close();
    QCOMPARE(filesHolding(dir.path(), server.password()), QStringList());
    QCOMPARE(filesHolding(m_store.folder(), server.password()), QStringList());

    // Started again: the password is back, and the box checked.
    window = open();
    QTRY_COMPARE_WITH_TIMEOUT(password()->text(), server.password(), PasswordStore::TimeoutMsecs);
    QVERIFY(box()->isChecked());

    // Unchecked: gone from the store; the next start asks for it again.
    box()->click();
    QTRY_COMPARE_WITH_TIMEOUT(stored(entry), QString(), 6000);
    window->close();
    window = open();
    QTest::qWait(500);
    QCOMPARE(password()->text(), QString());
    QVERIFY(!box()->isChecked());
    QVERIFY(!readEditorState(EditorStateFileName).rememberPassword);

    // Checked again, and the next start finds the store hung: given up after five seconds, said in the
    // log and in the tooltip; a typed password still sends.
    box()->click();
    window->close();
    QVERIFY(m_store.setAnswering(false));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Password store: .*5 с$"));
    window = open();
    QTRY_VERIFY_WITH_TIMEOUT(box()->toolTip().contains("не ответило за 5 с"), PasswordStore::TimeoutMsecs + 2000);
    QCOMPARE(password()->text(), QString());
    send("def");
    QCOMPARE(answerer.texts(), (QStringList{Uploaded, Uploaded, Uploaded}));
    // Closed before the store answers its read: the late answer finds nothing gone.
    window.reset();
    QVERIFY(m_store.setAnswering(true));
    QTest::qWait(1000);
}

void TestPassword::withoutSecretStore()
{
    WorkDir dir;
    QVERIFY(writeFile(EditorStateFileName, "{\"login\": \"editor\", \"rememberPassword\": true}"));
    const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    NewsAdder window("ftp://127.0.0.1/news.html", "ftp://127.0.0.1/news.html", "127.0.0.1", 21);
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
    auto box = window.findChild<QCheckBox *>("rememberPasswordBox");
    QVERIFY2(!box->isEnabled() && box->toolTip().contains("не запущен"), qPrintable(box->toolTip()));
    // The choice waits for a session with a store.
    QVERIFY(box->isChecked());
    window.close();
    QVERIFY(readEditorState(EditorStateFileName).rememberPassword);
}

QTEST_MAIN(TestPassword)
#include "tst_password.moc"
