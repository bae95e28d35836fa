// NewsAdder's history of the page: the versions the site's folder keeps, compared with the server's
// page, and the rollback to one of them.
#include "ui/newsadder.h"
#include "ui_newsadder.h"

#include "publish/history.h"
#include "publish/localfile.h"
#include "publish/publisher.h"
#include "ui/historydialog.h"
#include "ui/runningcommand.h"

#include <QDir>

void NewsAdder::on_historyButton_clicked()
{
    const RunningCommand command(commandRunning, publishingButtons());
    if (command.refused())
        return;
    QByteArray page;
    QString why;
    QString note;
    const bool fetched = publisher().fetchPage(page, &why);
    if (!fetched && why.isEmpty())
        return;  // quitting
    if (!fetched) {
        // The last working copy is the page as this folder last saw it.
        readWholeFile(publisher().workingCopy(), page);
        note = tr("Страница с сайта не загружена (%1): сравнение — с последней рабочей копией %2.")
                   .arg(why, QDir::toNativeSeparators(publisher().workingCopy()));
    }
    const QVector<HistoryRow> rows = historyRows(automaticBackups(QDir::current()),
                                                 readJournal(QString::fromLatin1(JournalFileName)),
                                                 page.isEmpty() ? QByteArray() : sha256Hex(page));
    HistoryDialog dialog(rows, page, note, this);
    if (dialog.exec() != QDialog::Accepted || dialog.rollbackRow() < 0)
        return;
    if (publisher().rollback(rows.at(dialog.rollbackRow()).backup, page).succeeded())
        pageChanged();
}
