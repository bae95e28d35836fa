#include "transfer/pagereplacement.h"
#include "transfer/servercommands.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTest>

class TestServerCommands : public QObject
{
    Q_OBJECT

private slots:
    void factsReplies_data();
    void factsReplies();
    void replacementNames();
};

void TestServerCommands::factsReplies_data()
{
    QTest::addColumn<QStringList>("lines");  // as the server sent them, its earlier replies first
    QTest::addColumn<qint64>("size");
    QTest::addColumn<qint64>("time");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("presence");

    const qint64 time = QDateTime(QDate(2026, 12, 8), QTime(1, 2, 3), Qt::UTC).toSecsSinceEpoch();
    const int present = RemoteFacts::Present;
    QTest::newRow("pyftpdlib") << QStringList{"200 MLST OPTS type;size;modify;unix.mode;", "250-Listing \"/news.html\":",
                                              "type=file;size=1234;modify=20261208010203;unix.mode=0o644; /news.html",
                                              "250 End MLST."}
                               << qint64(1234) << time << 0644 << present;
    QTest::newRow("proftpd, a fraction of a second")
        << QStringList{"250-Start of list for news.html",
                       "modify=20261208010203.456;perm=adfrw;size=17;type=file;UNIX.mode=0664; news.html", "250 End"}
        << qint64(17) << time << 0664 << present;
    QTest::newRow("no mode told") << QStringList{"250-x", "type=file;size=0;modify=20261208010203; a b.html", "250 End"}
                                  << qint64(0) << time << -1 << present;
    QTest::newRow("no such file") << QStringList{"550 No such file or directory."} << qint64(-1) << qint64(-1) << -1
                                  << int(RemoteFacts::Absent);
    QTest::newRow("no MLST") << QStringList{"500 Unknown command."} << qint64(-1) << qint64(-1) << -1
                             << int(RemoteFacts::Unknown);
    QTest::newRow("a month 13") << QStringList{"250-x", "modify=20261308010203;size=many;", "250 End"} << qint64(-1)
                                << qint64(-1) << -1 << present;
}

void TestServerCommands::factsReplies()
{
    QFETCH(QStringList, lines);
    QFETCH(qint64, size);
    QFETCH(qint64, time);
    QFETCH(int, mode);
    QFETCH(int, presence);
    const RemoteFacts facts = factsIn(repliesIn(lines).last());
    QCOMPARE(facts.size, size);
    QCOMPARE(facts.time, time);
    QCOMPARE(facts.mode, mode);
    QCOMPARE(int(facts.presence), presence);
}

// Hidden beside the page, told apart from another editor's by the token, and the two of one replacement alike.
void TestServerCommands::replacementNames()
{
    const ReplacementNames names = ReplacementNames::fresh(QStringLiteral("news.html"));
    const QRegularExpressionMatch temporary =
        QRegularExpression(QStringLiteral("^\\.news\\.html\\.newsadder-[0-9a-f]{8}\\.tmp$")).match(names.temporary);
    QVERIFY2(temporary.hasMatch(), qPrintable(names.temporary));
    QCOMPARE(names.setAside, names.temporary.chopped(3) + QStringLiteral("old"));
    QVERIFY(ReplacementNames::fresh(QStringLiteral("news.html")).temporary != names.temporary);
}

QTEST_GUILESS_MAIN(TestServerCommands)
#include "tst_servercommands.moc"
