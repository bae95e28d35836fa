// The site's queue of items waiting for their time: which are due by the clock at the check, claims
// between runners, retries after failures, and files that cannot be read.
#include "filebytes.h"
#include "queueditem.h"
#include "workdir.h"

#include <QDir>
#include <QTest>

namespace {
const QDateTime Base(QDate(2026, 12, 7), QTime(9, 0));
}

class TestItemQueue : public QObject
{
    Q_OBJECT

private slots:
    void dueItems_data();
    void dueItems();
    void staleClaims_data();
    void staleClaims();
};

void TestItemQueue::dueItems_data()
{
    QTest::addColumn<QByteArray>("file");         // written as it is; empty for an item queued for Base
    QTest::addColumn<QList<int>>("failures");     // seconds after Base at which sends failed
    QTest::addColumn<int>("check");               // seconds after Base the clock says at the check
    QTest::addColumn<bool>("due");
    QTest::addColumn<bool>("held");
    QTest::addColumn<QString>("problem");         // how read's problem starts

    const QByteArray none;
    QTest::newRow("time not come") << none << QList<int>() << -60 << false << false << "";
    QTest::newRow("time come") << none << QList<int>() << 0 << true << false << "";
    QTest::newRow("clock set back an hour") << none << QList<int>() << -3600 << false << false << "";
    QTest::newRow("clock set forward a day") << none << QList<int>() << 86400 << true << false << "";
    QTest::newRow("failed, nine minutes on") << none << QList<int>{0} << 599 << false << false << "";
    QTest::newRow("failed, ten minutes on") << none << QList<int>{0} << 600 << true << false << "";
    QTest::newRow("failed for a day") << none << QList<int>{0, 3600, 86400} << 90000 << false << true << "";
    QTest::newRow("clock set back after a failure") << none << QList<int>{0, -2 * 86400} << -2 * 86400 + 600 << true
                                                    << false << "";
    QTest::newRow("torn") << QByteArray("{\"format\": 1, \"date\": \"2026-12-07T09:00:00\", \"te") << QList<int>()
                          << 0 << true << false << "файл повреждён";
    QTest::newRow("not JSON") << QByteArray("abc") << QList<int>() << 0 << true << false << "файл повреждён";
    QTest::newRow("no text") << QByteArray("{\"format\": 1, \"date\": \"2026-12-07T09:00:00\"}") << QList<int>() << 0
                             << true << false << "файл повреждён";
    QTest::newRow("from a newer version") << QByteArray("{\"format\": 2, \"when\": 1}") << QList<int>() << 0 << true
                                          << false << "файл записан более новой";
}

void TestItemQueue::dueItems()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<int>, failures);
    QFETCH(int, check);
    QFETCH(bool, due);
    QFETCH(bool, held);
    QFETCH(QString, problem);

    WorkDir dir;
    QDateTime now = Base;
    ItemQueue queue(dir.path());
    queue.setClock([&now] { return now; });
    if (file.isEmpty()) {
        QString error;
        QVERIFY2(queue.add(queuedItem(Base, "abc\ndef", {"/tmp/photo.png"}),
                           &error),
                 qPrintable(error));
    } else {
        QVERIFY(QDir().mkpath(queue.folder()));
        QVERIFY(writeFile(queue.folder() + "/" + QString::number(Base.toSecsSinceEpoch()) + "-x.json", file));
    }
    for (int failure : failures) {
        now = Base.addSecs(failure);
        const QStringList names = QDir(queue.folder()).entryList({"*.json"});
        QCOMPARE(names.size(), 1);
        const QString claimed = queue.claim(names.first());
        QVERIFY(!claimed.isEmpty());
        QVERIFY(queue.failed(claimed, "Сервер не отвечает"));
    }
    now = Base.addSecs(check);

    const QStringList dueNames = queue.dueNames();
    QCOMPARE(dueNames.size(), due ? 1 : 0);
    QCOMPARE(queue.summary().count, 1);
    const QVector<QueuedItem> items = queue.items();
    QCOMPARE(items.size(), 1);
    QCOMPARE(items.first().held, held);
    QVERIFY2(problem.isEmpty() ? items.first().problem.isEmpty() : items.first().problem.startsWith(problem),
             qPrintable(items.first().problem));
    if (problem.isEmpty()) {
        QCOMPARE(items.first().text, QString("abc\ndef"));
        QCOMPARE(items.first().date, Base);
        QCOMPARE(items.first().pictures, QStringList{"/tmp/photo.png"});
        QCOMPARE(items.first().failure, failures.isEmpty() ? QString() : QString("Сервер не отвечает"));
    }
    if (!due)
        return;
    // Two runners at once: one gets it.
    const QString claimed = queue.claim(dueNames.first());
    QVERIFY(!claimed.isEmpty());
    QCOMPARE(queue.claim(dueNames.first()), QString());
    QVERIFY(queue.dueNames().isEmpty());
    QCOMPARE(queue.read(claimed).problem.isEmpty(), problem.isEmpty());
    QVERIFY(queue.remove(claimed));
    QCOMPARE(queue.summary().count, 0);
}

void TestItemQueue::staleClaims_data()
{
    QTest::addColumn<bool>("processGone");
    QTest::addColumn<int>("age");  // of the claim, in minutes
    QTest::addColumn<bool>("released");

    QTest::newRow("an hour old, its process gone") << true << 61 << true;
    QTest::newRow("an hour old, its process running") << false << 61 << false;
    QTest::newRow("young, its process gone") << true << 30 << false;
}

void TestItemQueue::staleClaims()
{
    QFETCH(bool, processGone);
    QFETCH(int, age);
    QFETCH(bool, released);

    WorkDir dir;
    ItemQueue queue(dir.path());
    QVERIFY(queue.add(queuedItem(Base, "abc"), nullptr));
    const QString name = queue.dueNames().value(0);
    // A process id no process has (above the kernel's largest), or this test's own.
    const qint64 pid = processGone ? 4194305 : QCoreApplication::applicationPid();
    const QString claim = name + ".claim-" + QString::number(pid) + "-"
                          + QString::number(QDateTime::currentSecsSinceEpoch() - age * 60);
    QVERIFY(QFile::rename(queue.folder() + "/" + name, queue.folder() + "/" + claim));
    queue.releaseStaleClaims();
    QCOMPARE(queue.dueNames(), released ? QStringList{name} : QStringList());
}

QTEST_GUILESS_MAIN(TestItemQueue)
#include "tst_itemqueue.moc"
