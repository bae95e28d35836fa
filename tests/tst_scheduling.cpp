// «Отправить позже…» in the window: the item waits in the site's queue and is published once, when its
// time has come, by whichever runner claims it first, the window's check or the timer's command.
#include "cli/commandline.h"
#include "ftpserver.h"
#include "newspages.h"
#include "scripteduser.h"
#include "terminalrun.h"
#include "ui/newsadder.h"
#include "windowinput.h"
#include "workdir.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestScheduling : public QObject
{
    Q_OBJECT

private slots:
    void scheduledItemPublishedOnce();
};

void TestScheduling::scheduledItemPublishedOnce()
{
    WorkDir dir;
    FtpServer server;
    QVERIFY(server.start());
    server.putFile("news.html", Page);
    QVERIFY(writeSiteFolder(dir.path(), server));
    // The window's clock two minutes behind the system's, so the item it schedules a minute ahead is
    // due for the timer's command already, and for the window once its clock has moved on.
    QDateTime now = QDateTime::currentDateTime().addSecs(-120);
    now.setTime(QTime(now.time().hour(), now.time().minute()));
    NewsAdder window(server.url("news.html"), server.url("news.html"), "127.0.0.1", server.port());
    window.setClock([&now] { return now; });
    typeCredentials(window, server.user(), server.password());
    typeItem(window, UsualText, UsualDate);

    QString proposed;
    QTimer::singleShot(0, &window, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        auto time = dialog->findChild<QDateTimeEdit *>("scheduleTimeEdit");
        proposed = time->dateTime().toString("dd.MM.yyyy hh:mm");
        // A time that has passed is refused, and the dialog stays.
        time->setDateTime(now.addSecs(-60));
        QTimer::singleShot(0, &window, [] { QApplication::activeModalWidget()->close(); });
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        QVERIFY(dialog->isVisible());
        time->setDateTime(now.addSecs(60));
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
    click(window, "scheduleButton");
    QCOMPARE(proposed, now.addSecs(3600).toString("dd.MM.yyyy hh:mm"));
    QCOMPARE(window.findChild<QPlainTextEdit *>("textEdit")->toPlainText(), QString());
    QCOMPARE(window.findChild<QLabel *>("queueLabel")->text(),
             "В очереди: 1, следующая " + now.addSecs(60).toString("dd.MM.yyyy hh:mm"));
    window.checkQueue();
    QCOMPARE(server.fileContents("news.html"), Page);

    now = now.addSecs(60);
    TerminalRun timer(dir.path());
    timer.setEnvironment("NEWSADDER_PASSWORD", server.password());
    QVERIFY(timer.start({"send", "--due", "--all-sites"}));
    window.checkQueue();
    QVERIFY(timer.finish());
    QCOMPARE(timer.exitCode(), int(ExitDone));
    QCOMPARE(server.fileContents("news.html"), QByteArray(Page).insert(Page.indexOf("yellow>") + 7, WorkedItem));
    window.checkQueue();
    QCOMPARE(window.findChild<QLabel *>("queueLabel")->text(), QString());
}

QTEST_MAIN(TestScheduling)
#include "tst_scheduling.moc"
