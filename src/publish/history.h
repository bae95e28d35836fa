#ifndef HISTORY_H
#define HISTORY_H

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

#include "publish/backupname.h"
#include "publish/journal.h"

// A version of the page: an automatic backup, the page as it was just before its command.
struct HistoryRow
{
    QString backup;        // its file name in the site's folder
    QDateTime time;        // the time in its name
    QString what;          // what its command did, "—" where the journal does not tell
    QString login;
    bool current = false;  // its command's result is what the server holds now
};

// One row per backup, newest first, told by the journal's line that names it. The newest row whose
// command's page as uploaded has the sha256 current is marked as the one on the server.
QVector<HistoryRow> historyRows(const QVector<AutomaticBackup> &backups, const QVector<JournalEntry> &journal,
                                const QByteArray &currentSha256);

// "09.12.2026 14:30 — добавлена новость «…» (editor)", and "— сейчас на сайте" for the current one.
QString historyRowText(const HistoryRow &row);

// Why fileName cannot be a version to return to (unreadable, empty, not a news page with the marker),
// for the user; empty when it can, its bytes then in page.
QString pageVersionProblem(const QString &fileName, QByteArray *page);

// "Страница на сайте станет такой, какой была …. Пропадут новости: «…», …. Продолжить?", the items
// named up to five, then "и ещё N".
QString rollbackQuestion(const QDateTime &version, const QStringList &goneItems);

// "dd.MM.yyyy hh:mm", as the history shows times.
QString historyTime(const QDateTime &time);

#endif // HISTORY_H
