// Closing the main window while a transfer waits ends the program at once and quietly: no message,
// no question, nothing written to the disk, and nothing more sent to the server than what puts the
// page back under its name and removes the lock.
#include "appprocess.h"
#include "publish/editorstate.h"
#include "filebytes.h"
#include "ftpserver.h"
#include "page/publisheditems.h"
#include "ui/newsadder.h"
#include "newspages.h"
#include "windowinput.h"
#include "workdir.h"
#include "publish/journal.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <functional>

namespace {
const QString WindowTitle = QStringLiteral("Отправка новостей quellmar");
const QPoint SendButtonCentre(497, 262);
const QPoint EditorCentre(225, 190);

// Counts every message box that is shown, however briefly.
class MessageBoxCounter : public QObject
{
public:
    MessageBoxCounter() { qApp->installEventFilter(this); }
    ~MessageBoxCounter() override { qApp->removeEventFilter(this); }
    QStringList texts;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto box = qobject_cast<QMessageBox *>(watched))
                texts << box->text();
        }
        return false;
    }
};

bool waitFor(const std::function<bool()> &condition, int msecs)
{
    QDeadlineTimer deadline(msecs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}
} // namespace

class TestQuitting : public QObject
{
    Q_OBJECT

private slots:
    void closingWindowDuringTransfer_data();
    void closingWindowDuringTransfer();
    void closingRealProgramDuringSend_data();
    void closingRealProgramDuringSend();
};

void TestQuitting::closingWindowDuringTransfer_data()
{
    QTest::addColumn<QByteArray>("command");   // the line in the server's log the transfer waits after
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("files");    // in the working directory afterwards
    QTest::addColumn<bool>("backupWritten");
    QTest::addColumn<QStringList>("serverArgs");
    QTest::addColumn<QString>("picture");      // on the disk, named in the item

    const QStringList stalls{"--stall-downloads", "1", "--stall-uploads", "30"};
    QTest::newRow("the page's download") << QByteArray("RETR") << 1 << QStringList() << false << stalls << "";
    QTest::newRow("upload") << QByteArray("STOR") << 1 << QStringList{"news.html"} << true << stalls << "";
    // A correction the last run left: the page's item replaced.
    QTest::newRow("correction, upload") << QByteArray("STOR") << 1 << QStringList{"news.html"} << true << stalls << "";
    // The renames: onto the page (refused), the page aside, the new one in (unanswered).
    const QStringList renames{"--refuse-rename-over", "--stall-rename", "3"};
    QTest::newRow("renaming in, the page aside") << QByteArray("RNTO") << 3 << QStringList{"news.html"} << true << renames << "";
    QTest::newRow("correction, renaming in") << QByteArray("RNTO") << 3 << QStringList{"news.html"} << true << renames << "";
    // The picture goes up before the page: its folder goes again, and the page stays.
    QTest::newRow("picture upload") << QByteArray("STOR") << 1 << QStringList{"news.html", "photo.png"} << true
                                    << stalls << "photo.png";
}

// In this process: the window is shown inside the application's own event loop, as in the program.
void TestQuitting::closingWindowDuringTransfer()
{
    QFETCH(QByteArray, command);
    QFETCH(int, count);
    QFETCH(QStringList, files);
    QFETCH(bool, backupWritten);
    QFETCH(QStringList, serverArgs);
    QFETCH(QString, picture);

    WorkDir dir;
    FtpServer server(serverArgs);
    QVERIFY(server.start());
    const bool correcting = QByteArray(QTest::currentDataTag()).startsWith("correction");
    const QByteArray page = correcting ? QByteArray(Page).insert(Page.indexOf("yellow>") + 7, WorkedItem) : Page;
    server.putFile("news.html", page);
    if (correcting)
        QVERIFY(saveEditorState(EditorStateFileName, {QString(), QString(), false, publishedItems(page).items.value(0), {}}));
    NewsAdder window(server.url("news.html"), server.url("news.html"), "127.0.0.1", server.port());
    typeCredentials(window, server.user(), server.password());
    QString item = "abc";
    if (!picture.isEmpty()) {
        QImage(600, 400, QImage::Format_RGB32).save(picture);
        item += "<img src=\"" + QUrl::fromLocalFile(dir.filePath(picture)).toString() + "\">";
    }
    typeItem(window, item, QDateTime::currentDateTime());
    QCOMPARE(!window.findChild<QPushButton *>("cancelCorrectionButton")->isHidden(), correcting);
    window.show();
    MessageBoxCounter boxes;

    QTimer::singleShot(0, &window, [&] { click(window, "sendButton"); });
    QElapsedTimer sinceClose;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &window, [&] {
        if (!sinceClose.isValid() && server.commandCount(command.constData()) >= count) {
            sinceClose.start();
            window.close();
        }
    });
    poll.start(20);
    // Should the program not end by itself, the test must end all the same.
    QTimer::singleShot(20000, qApp, [] { QCoreApplication::exit(1); });
    const int exitCode = QApplication::exec();

    QCOMPARE(exitCode, 0);
    QVERIFY(sinceClose.isValid());
    QVERIFY2(sinceClose.elapsed() < 2000, qPrintable(QString::number(sinceClose.elapsed())));
    QCOMPARE(boxes.texts, QStringList());
    // The item typed but not sent stays as the draft.
    // The journal has the command's line: it reached the page.
    QStringList expectedFiles = files + QStringList{EditorStateFileName, JournalFileName};
    expectedFiles.sort();
    if (backupWritten)
        expectedFiles.prepend(QDir(dir.path()).entryList({"backup_*.bak"}).value(0, "a backup"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), expectedFiles);
    QCOMPARE(server.fileContents("news.html"), page);
    // No lock left behind, nor the page set aside.
    QCOMPARE(QDir(server.root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"news.html"});
    QCOMPARE(server.commandCount("STOR"), command == "RETR" ? 0 : 1);
    // The window is left usable, should the program go on.
    QVERIFY(window.findChild<QPushButton *>("sendButton")->isEnabled());
    QVERIFY(!QApplication::overrideCursor());
}

void TestQuitting::closingRealProgramDuringSend_data()
{
    QTest::addColumn<int>("downloads");   // the download the send waits in when the window closes
    QTest::addColumn<bool>("backupWritten");

    QTest::newRow("during the page's download") << 1 << false;
}

// The real program on a display of its own: the user clicks send, then closes the window.
void TestQuitting::closingRealProgramDuringSend()
{
    QFETCH(int, downloads);
    QFETCH(bool, backupWritten);

    VirtualDisplay display;
    QVERIFY2(display.start(), "Xvfb did not start");
    // Every download stalls: for long when the window closes during the first, for a few seconds
    // when the first must have gone through.
    FtpServer server({"--stall-downloads", downloads == 1 ? "30" : "3"});
    QVERIFY(server.start());
    server.putFile("news.html", Page);
    QTemporaryDir workDir;
    const QByteArray settings = QStringLiteral("remotepath=%1\nremoteFTPpath=%1\nhost=127.0.0.1\nport=%2\n")
                                    .arg(server.url("news.html")).arg(server.port()).toUtf8();
    QVERIFY(writeFile(workDir.filePath("settings.ini"), settings));

    AppProcess app(workDir.path());
    QVERIFY(app.start(display));
    bool ok = false;
    display.windows("click", WindowTitle, &ok,
                    {QString::number(EditorCentre.x()), QString::number(EditorCentre.y()), "--drawn-width", "566", "--type", "abc"});
    QVERIFY2(ok, "the main window did not appear");
    display.windows("click", WindowTitle, &ok, {QString::number(SendButtonCentre.x()), QString::number(SendButtonCentre.y()), "--drawn-width", "566"});
    QVERIFY2(ok, "the main window did not appear");
    QVERIFY2(waitFor([&] { return server.commandCount("RETR") >= downloads; }, 15000), server.log().constData());

    QElapsedTimer sinceClose;
    sinceClose.start();
    display.windows("close", WindowTitle, &ok);
    QVERIFY(ok);
    QVERIFY2(app.waitForExit(10000), "the program did not end while its transfer waited");
    QVERIFY2(sinceClose.elapsed() < 5000, qPrintable(QString::number(sinceClose.elapsed())));
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 0);

    QStringList expectedFiles{JournalFileName, EditorStateFileName, "settings.ini"};
    const QStringList backups = QDir(workDir.path()).entryList({"backup_*.bak"});
    if (backupWritten) {
        QCOMPARE(backups.size(), 1);
        QCOMPARE(readFile(workDir.filePath(backups.first())), Page);
        expectedFiles.prepend(backups.first());
    }
    QCOMPARE(QDir(workDir.path()).entryList(QDir::Files), expectedFiles);
    QCOMPARE(readFile(workDir.filePath("settings.ini")), settings);
    QCOMPARE(server.fileContents("news.html"), Page);
    QCOMPARE(QDir(server.root()).entryList(QDir::Files), QStringList{"news.html"});
    QCOMPARE(server.commandCount("STOR"), 0);
}

QTEST_MAIN(TestQuitting)
#include "tst_quitting.moc"
