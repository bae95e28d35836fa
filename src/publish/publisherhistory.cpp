// Publisher's history: the journal line each command writes, the backups kept within bounds, and the
// rollback to an earlier version of the page.
#include "publish/publisher.h"

#include "page/pagecomparison.h"
#include "publish/backupname.h"
#include "publish/failuremessages.h"
#include "publish/history.h"
#include "publish/localfile.h"
#include "publish/userinterface.h"
#include "transfer/failurereason.h"
#include "transfer/remoteaddress.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("NewsAdder", text);
}

const char *outcomeName(PublishResult::Outcome outcome)
{
    switch (outcome) {
    case PublishResult::Done:
        return "published";
    case PublishResult::Failed:
        return "failed";
    default:
        return "cancelled";
    }
}

} // namespace

void Publisher::startRecord(const char *command)
{
    m_record = JournalEntry();
    m_record.time = m_clock();
    m_record.command = QString::fromLatin1(command);
    m_record.login = m_access.login;
    const bool aboutItem = m_record.command == QLatin1String("send") || m_record.command == QLatin1String("correct")
                           || m_record.command == QLatin1String("remove");
    if (aboutItem && !m_change.replaced.isNull()) {
        m_record.itemDate = m_change.replaced.date();
        m_record.itemText = visibleItemText(m_change.replaced.text);
    } else if (aboutItem) {
        m_record.itemDate = m_change.date;
        m_record.itemText = visibleItemText(m_change.editorText);
    }
}

PublishResult Publisher::recorded(const PublishResult &result)
{
    m_record.outcome = QString::fromLatin1(outcomeName(result.outcome));
    m_record.message = result.message;
    QString error;
    // Said once a run, and only where the page changed: a command that changed nothing loses no version.
    if (!appendToJournal(QString::fromLatin1(JournalFileName), m_record, &error) && result.succeeded()
        && !m_journalFailureSaid) {
        m_journalFailureSaid = true;
        m_user.showMessage(tr("История отправок не дополнена: файл %1 не записывается (%2).")
                               .arg(QDir::toNativeSeparators(QFileInfo(QString::fromLatin1(JournalFileName)).absoluteFilePath()), error));
    }
    // Only once the page is on the server: a failed command leaves every version there was.
    if (result.succeeded()) {
        for (const QString &name : backupsBeyond(QDir::current(), m_keepBackups, m_record.backup))
            QFile::remove(name);
    }
    m_record = JournalEntry();
    return result;
}

bool Publisher::fetchPage(QByteArray &page, QString *why)
{
    page.clear();
    const QString problem = addressProblem(m_access.downloadAddress);
    if (!problem.isEmpty()) {
        *why = problem;
        return false;
    }
    const Command command(*this);
    const TransferResult transfer = session().download(m_access.downloadAddress, &page, m_access.login, m_access.password);
    if (!transfer.succeeded())
        *why = transfer.status == TransferResult::Unfinished ? QString() : failureReason(transfer, m_access.downloadAddress);
    return transfer.succeeded();
}

PublishResult Publisher::rollback(const QString &backupFile, const QByteArray &comparedPage)
{
    if (!addressesUsable(AddressesNeeded::DownloadAndUpload))
        return result(PublishResult::Failed);
    if (!passwordIntended())
        return uploadCancelled();
    QByteArray version;
    const QString problem = pageVersionProblem(backupFile, &version);
    if (!problem.isEmpty()) {
        tell(tr("К этой версии вернуться нельзя: %1. На сервер ничего не отправлено.").arg(problem));
        return result(PublishResult::Failed);
    }
    const QDateTime versionTime = automaticBackupTime(QFileInfo(backupFile).fileName());
    // The user saw what goes and said no: nothing more to say.
    if (!m_user.confirmRollback(versionTime, itemsGoneBy(comparePages(version, comparedPage))))
        return result(PublishResult::Cancelled);

    const Command command(*this);
    m_change = PageChange();
    startRecord("rollback");
    m_record.restored = QFileInfo(backupFile).fileName();
    const QString changed = tr("Страница на сайте изменилась, пока открыта история: ничего не отправлено. "
                               "Откройте историю заново.");
    PublishResult done = lockPage();
    QByteArray page;
    if (done.succeeded())
        done = downloaded(session().download(m_access.downloadAddress, &page, m_access.login, m_access.password,
                                             comparedUpload()));
    if (done.succeeded() && page != comparedPage) {
        tell(changed);
        done = result(PublishResult::Failed);
    }
    if (done.succeeded())
        done = automaticBackup(&page);
    if (!done.succeeded())
        return recorded(done);
    // Compared with this download: a send in between is noticed and nothing replaced.
    const TransferResult transfer = session().upload(m_access.uploadAddress, version, m_access.login,
                                                     m_access.password, true);
    if (transfer.status == TransferResult::Unfinished)
        return recorded(result(PublishResult::Interrupted));
    if (transfer.status == TransferResult::PageChanged) {
        tell(changed);
        return recorded(result(PublishResult::Failed));
    }
    if (!transfer.succeeded())
        return recorded(failed(Failure::Upload, failureReason(transfer, m_access.uploadAddress)));
    m_record.noteAfter(version);
    // The feed follows the page back; should it fail, the page stays and the next command writes it.
    const QString feedFailure = writeFeed(version);
    const QString returned = tr("Страница возвращена к версии от %1.").arg(historyTime(versionTime));
    tell(feedFailure.isEmpty() ? returned
                               : returned + QLatin1Char(' ')
                                     + tr("Ленту новостей записать не удалось: %1. Она будет записана при следующей отправке.")
                                           .arg(feedFailure));
    return recorded(result(PublishResult::Done));
}
