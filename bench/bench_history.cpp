// Measures how soon the history of a site with 1,000 automatic backups of a 1 MB page is shown with
// the comparison of its newest version, once the page is downloaded, against the same history with
// one backup. The backups are hard links to one page file (the history reads only the version it
// compares); the journal has a line for each.
#include "ftpserver.h"
#include "offscreenplatform.h"
#include "publish/backupname.h"
#include "publish/history.h"
#include "publish/publisher.h"
#include "scripteduser.h"
#include "ui/historydialog.h"
#include "workdir.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

const int Runs = 5;
const int Backups = 1000;

// About 1 MB of items in the program's format after the marker.
QByteArray megabytePage()
{
    QByteArray page = "<html><body><font color=yellow>\r\n";
    for (int item = 0; page.size() < 1024 * 1024; ++item) {
        page += "\r\n \r\nОбновлено расписание соревнований, пункт " + QByteArray::number(item)
                + ". Подробности <a href=\"schedule.html\">здесь</a>.<br>\r\n \r\n<br>"
                + QDateTime(QDate(2020, 1, 1), QTime(10, 0)).addSecs(3600LL * item).toString("dd/MM/yyyy hh:mm").toLatin1()
                + "<br><br>";
    }
    return page + "</font></body></html>\r\n";
}

// The backups and the journal's lines for them; the newest backup lacks the page's first item.
bool makeHistory(int count, const QByteArray &page)
{
    const QByteArray older = page.left(33) + page.mid(page.indexOf("<br><br>", 33) + 8);
    QFile first("version.html");
    if (!first.open(QIODevice::WriteOnly) || first.write(older) != older.size())
        return false;
    first.close();
    QFile journal(QString::fromLatin1(JournalFileName));
    if (!journal.open(QIODevice::WriteOnly))
        return false;
    const QDateTime start(QDate(2026, 1, 1), QTime(9, 0));
    for (int backup = 0; backup < count; ++backup) {
        JournalEntry entry;
        entry.time = start.addSecs(600LL * backup);
        entry.command = "send";
        entry.login = "editor";
        entry.outcome = "published";
        entry.backup = automaticBackupName(entry.time);
        entry.itemDate = entry.time;
        entry.itemText = QStringLiteral("Обновлено расписание соревнований, пункт %1").arg(backup);
        if (backup == count - 1)
            entry.noteAfter(page);
        if (::link("version.html", qPrintable(entry.backup)) != 0 || journal.write(journalLine(entry)) <= 0)
            return false;
    }
    return true;
}

// From the downloaded page to the dialog shown with the newest version's comparison.
double historyShownMs(const QByteArray &page, int *rows)
{
    QElapsedTimer timer;
    timer.start();
    const QVector<HistoryRow> history = historyRows(automaticBackups(QDir::current()),
                                                    readJournal(QString::fromLatin1(JournalFileName)), sha256Hex(page));
    HistoryDialog dialog(history, page, QString());
    dialog.show();
    while ((dialog.comparison().isEmpty() || dialog.comparison() == QStringLiteral("Сравнение…")) && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QCoreApplication::processEvents();
    *rows = history.size();
    return dialog.comparison().contains(QStringLiteral("Пропадут")) ? timer.nsecsElapsed() / 1e6 : -1;
}

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    useOffscreenWithoutDisplay();
    QApplication app(argc, argv);
    const QByteArray page = megabytePage();
    QVector<double> many, one, downloads;
    int manyRows = 0, oneRow = 0;
    for (int run = 0; run < Runs; ++run) {
        for (const int count : {Backups, 1}) {
            WorkDir dir;
            FtpServer server;
            if (!server.start() || !makeHistory(count, page)) {
                std::fprintf(stderr, "cannot set up the history\n");
                return 1;
            }
            server.putFile("news.html", page);
            ScriptedPublisher desk(server);
            QByteArray fetched;
            QString why;
            QElapsedTimer download;
            download.start();
            if (!desk.publisher.fetchPage(fetched, &why) || fetched != page) {
                std::fprintf(stderr, "download failed: %s\n", qPrintable(why));
                return 1;
            }
            if (count == 1)
                downloads << download.nsecsElapsed() / 1e6;
            const double shown = historyShownMs(fetched, count == 1 ? &oneRow : &manyRows);
            if (shown < 0) {
                std::fprintf(stderr, "the comparison was not shown\n");
                return 1;
            }
            (count == 1 ? one : many) << shown;
        }
    }
    std::printf("history of %d backups of a %.1f MB page: shown with its comparison %.1f ms after the download "
                "(the download %.1f ms), the same with %d backup %.1f ms, ratio %.2f, target <= 500 ms\n",
                manyRows, page.size() / 1048576.0, median(many), median(downloads), oneRow, median(one),
                median(many) / median(one));
    return median(many) <= 500 ? 0 : 1;
}
