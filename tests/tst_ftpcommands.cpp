#include "transfer/ftpcommands.h"
#include "transfer/pagereplacement.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTest>

class TestFtpCommands : public QObject
{
    Q_OBJECT

private slots:
    void stampReplies_data();
    void stampReplies();
    void replacementNames();
};

void TestFtpCommands::stampReplies_data()
{
    QTest::addColumn<QStringList>("replies");
    QTest::addColumn<int>("first");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<qint64>("time");

    const qint64 time = QDateTime(QDate(2026, 12, 8), QTime(1, 2, 3), Qt::UTC).toSecsSinceEpoch();
    const QString mdtm = QStringLiteral("213 20261208010203");
    QTest::newRow("time, then size") << QStringList{mdtm, "213 1234"} << 0 << qint64(1234) << time;
    QTest::newRow("after the temporary file's size") << QStringList{"213 99", mdtm, "213 1234"} << 1 << qint64(1234)
                                                     << time;
    QTest::newRow("fraction of a second") << QStringList{mdtm + ".456", "213 0"} << 0 << qint64(0) << time;
    QTest::newRow("no such file") << QStringList{"550 No such file.", "550 No such file."} << 0 << qint64(-1)
                                  << qint64(-1);
    QTest::newRow("no replies") << QStringList() << 0 << qint64(-1) << qint64(-1);
    QTest::newRow("neither a number nor a date") << QStringList{"213 20261308010203", "213 many"} << 0 << qint64(-1)
                                                 << qint64(-1);
}

void TestFtpCommands::stampReplies()
{
    QFETCH(QStringList, replies);
    QFETCH(int, first);
    QFETCH(qint64, size);
    QFETCH(qint64, time);
    const RemoteStamp stamp = stampIn(replies, first);
    QCOMPARE(stamp.size, size);
    QCOMPARE(stamp.time, time);
}

// Hidden beside the page, told apart from another editor's by the token, and the two of one replacement alike.
void TestFtpCommands::replacementNames()
{
    const ReplacementNames names = ReplacementNames::fresh(QStringLiteral("news.html"));
    const QRegularExpressionMatch temporary =
        QRegularExpression(QStringLiteral("^\\.news\\.html\\.newsadder-[0-9a-f]{8}\\.tmp$")).match(names.temporary);
    QVERIFY2(temporary.hasMatch(), qPrintable(names.temporary));
    QCOMPARE(names.setAside, names.temporary.chopped(3) + QStringLiteral("old"));
    QVERIFY(ReplacementNames::fresh(QStringLiteral("news.html")).temporary != names.temporary);
}

QTEST_GUILESS_MAIN(TestFtpCommands)
#include "tst_ftpcommands.moc"
