// The steps the publishing commands are made of: fetching the page, inserting the item, uploading.
#include "publish/publisher.h"

#include "publish/failuremessages.h"
#include "transfer/failurereason.h"
#include "publish/localfile.h"
#include "page/newsitem.h"
#include "transfer/pictureupload.h"
#include "transfer/remoteaddress.h"

#include <QCoreApplication>

namespace {

// Uploads of one send that may find the page changed by someone else before it gives up.
const int MaxUploadTries = 3;

QString tr(const char *text)
{
    return QCoreApplication::translate("NewsAdder", text);
}

} // namespace

PublishResult Publisher::notSaved(const QString &fileName, const QString &error, bool forUpload)
{
    return failed(Failure::LocalSave, localFileProblem(fileName, LocalAccess::Write, error) + QLatin1Char(' ')
                                          + (forUpload ? tr("Новость не добавлена, на сервер ничего не отправлено.")
                                                       : tr("Копия страницы с сервера не сохранена.")));
}

PublishResult Publisher::fetchInto(const QString &fileName, bool forUpload)
{
    const Command command(*this);
    if (!addressUsable(m_access.downloadAddress, Failure::Download))
        return result(PublishResult::Failed);
    QString error;
    if (fileName == workingCopy())
        m_pageIsWorkingCopy = m_workingCopyInBackup = false;
    if (!removeLinkInPlace(fileName, &error))
        return notSaved(fileName, error, forUpload);
    // Raw bytes: line ends and code page are the insertion's business.
    const TransferResult transfer = session().download(m_access.downloadAddress, fileName, m_access.login,
                                                       m_access.password, forUpload ? comparedUpload() : QString());
    // Only the working copy's download goes on to an upload.
    if (transfer.status == TransferResult::SaveFailed)
        return notSaved(fileName, transfer.errorText, forUpload);
    return downloaded(transfer);
}

// Where the page's size and time are noted for the upload to compare with.
QString Publisher::comparedUpload() const
{
    return addressProblem(m_access.uploadAddress).isEmpty() ? m_access.uploadAddress : QString();
}

PublishResult Publisher::downloaded(const TransferResult &transfer)
{
    // The wait ended because the application is quitting: no message any more, nothing written.
    if (transfer.status == TransferResult::Unfinished)
        return result(PublishResult::Interrupted);
    if (serverUnusable(transfer)) {
        // Nothing more goes to that server in this command, nor is anything asked about it.
        m_serverUnusable = true;
        return serverFailed(transfer, m_access.downloadAddress);
    }
    if (!transfer.succeeded())
        return failed(Failure::Download, failureReason(transfer, m_access.downloadAddress));
    return result(PublishResult::Done);
}

PublishResult Publisher::fetchWithBackup()
{
    const Command command(*this);
    if (!addressUsable(m_access.downloadAddress, Failure::Download))
        return result(PublishResult::Failed);
    m_pageIsWorkingCopy = false;
    PublishResult fetched = downloaded(session().download(m_access.downloadAddress, &m_page, m_access.login,
                                                          m_access.password, comparedUpload()));
    if (fetched.succeeded())
        fetched = automaticBackup(&m_page);
    if (!fetched.succeeded())
        return fetched;
    m_pageIsWorkingCopy = true;
    // The backup holds these bytes durably already: the working copy is written once, with the
    // change, or as fetched where the command stops before it (keepFetchedWorkingCopy).
    m_workingCopyInBackup = !m_record.backup.isEmpty();
    QString error;
    if (!m_workingCopyInBackup && !saveWholeFile(workingCopy(), m_page, &error)) {
        m_pageIsWorkingCopy = false;
        return notSaved(workingCopy(), error, true);
    }
    return result(PublishResult::Done);
}

bool Publisher::keepFetchedWorkingCopy(QString *error)
{
    if (!m_workingCopyInBackup)
        return true;
    m_workingCopyInBackup = false;
    if (m_pageIsWorkingCopy)
        return saveWholeFile(workingCopy(), m_page, error);
    // The page holds a change that was not saved: the backup has the page as fetched.
    QByteArray fetched;
    return readWholeFile(m_record.backup, fetched, error) && saveWholeFile(workingCopy(), fetched, error);
}

PublishResult Publisher::fetchWorkingCopy()
{
    return fetchInto(workingCopy(), true);
}

PublishResult Publisher::fetchBackup(const QString &fileName)
{
    return fetchInto(fileName, false);
}

PublishResult Publisher::insertItem(const QString &item)
{
    m_item = item;
    m_change = {item, {}};
    return editWorkingCopy(nullptr);
}

PublishResult Publisher::editWorkingCopy(bool *markerMissing)
{
    const Command command(*this);
    // In binary: every byte around the item goes back to the server as it came, whatever the page's
    // charset and line ends. The page this command downloaded is changed where it is held.
    QString error;
    if (!m_pageIsWorkingCopy && !readWholeFile(workingCopy(), m_page, &error))
        return failed(Failure::InsertionRead, nothingSent(workingCopy(), LocalAccess::Read, error));
    m_pageIsWorkingCopy = true;
    const bool inserting = m_change.replaced.isNull();
    const PageEdit edit = inserting ? insertNewsItemInPlace(m_page, m_change.item)
                                    : replacePublishedItemInPlace(m_page, m_change.replaced, m_change.item);
    if (!inserting && edit.outcome != PageEdit::Edited) {
        tell(tr("Эта новость изменилась на сервере после того, как список был получен: ничего не отправлено. "
                "Откройте список заново."));
        return result(PublishResult::Failed);
    }
    if (edit.outcome == PageEdit::UnknownCharset) {
        tell(tr("Страница новостей на сервере объявляет неизвестную кодировку «%1». Новость не "
                "добавлена, на сервер ничего не отправлено.")
                 .arg(QString::fromLatin1(edit.charsetName)));
        return result(PublishResult::Failed);
    }
    if (edit.outcome == PageEdit::NoMarker) {
        if (markerMissing)
            *markerMissing = true;
        tell(tr("Плохой файл на сервере (ошибка)") + QLatin1Char(' ')
             + tr("На странице нет метки %1, после которой встаёт новость. Метка должна стоять в тексте страницы "
                  "именно так (строчными буквами, без кавычек), не внутри комментария <!-- -->, скрипта или стиля. "
                  "Новость не добавлена, на сервер ничего не отправлено.")
                   .arg(QLatin1String(NewsMarker)));
        return result(PublishResult::Failed);
    }
    // Changed now, the page is the working copy again only once saved.
    m_pageIsWorkingCopy = false;
    if (!saveWholeFile(workingCopy(), m_page, &error)) {
        // The page as fetched may still fit where the change does not; if not even that is written,
        // it is said as the download's own copy not saved.
        QString fetchedError;
        if (!keepFetchedWorkingCopy(&fetchedError))
            return notSaved(workingCopy(), fetchedError, true);
        return failed(Failure::InsertionWrite, nothingSent(workingCopy(), LocalAccess::Write, error));
    }
    m_pageIsWorkingCopy = true;
    m_workingCopyInBackup = false;
    return result(PublishResult::Done);
}

PublishResult Publisher::uploadWorkingCopy()
{
    return uploadFile(workingCopy(), true);
}

PublishResult Publisher::upload(const QString &fileName)
{
    return uploadFile(fileName, false);
}

PublishResult Publisher::uploadFile(const QString &fileName, bool isWorkingCopy)
{
    const Command command(*this);
    if (!addressUsable(m_access.uploadAddress, Failure::Upload))
        return result(PublishResult::Failed);
    // The working copy after a download of the same command: another editor's send in between is
    // noticed, and the item goes into the page as that send left it.
    const bool keepOthersItems = isWorkingCopy && session().hasSeen(m_access.uploadAddress);
    TransferResult transfer;
    for (int attempt = 1; attempt <= MaxUploadTries; ++attempt) {
        if (attempt > 1) {
            PublishResult again = fetchWorkingCopy();
            if (again.succeeded())
                again = editWorkingCopy(nullptr);
            if (!again.succeeded())
                return again;
        }
        // The working copy as this command left it is in m_page already; any other file is read into it.
        QString error;
        if (!(isWorkingCopy && m_pageIsWorkingCopy) && !readWholeFile(fileName, m_page, &error))
            return failed(Failure::UnreadableUpload, nothingSent(fileName, LocalAccess::Read, error));
        m_pageIsWorkingCopy = isWorkingCopy;
        transfer = session().upload(m_access.uploadAddress, m_page, m_access.login, m_access.password,
                                     keepOthersItems);
        if (transfer.status != TransferResult::PageChanged)
            break;
    }
    if (transfer.status == TransferResult::Unfinished)
        return result(PublishResult::Interrupted);
    if (transfer.status == TransferResult::PageChanged) {
        return failed(Failure::Upload,
                      tr("страница на сервере менялась %1 раза, пока шла отправка (её правит кто-то ещё). "
                         "Новость не добавлена; повторите отправку немного позже.")
                          .arg(MaxUploadTries));
    }
    if (!transfer.succeeded())
        return failed(Failure::Upload, failureReason(transfer, m_access.uploadAddress));
    // The page names the send's pictures now: they stay.
    const QStringList closedFolders = m_pictures ? m_pictures->closedFolders() : QStringList();
    m_pictures.reset();
    m_record.noteAfter(m_page);
    // The page is the truth: a feed that cannot be written is said, and the page stays.
    const QString feedFailure = writeFeed(m_page);
    const QString feedLater = tr("ленту новостей записать не удалось: %1. Она будет записана при следующей отправке.")
                                  .arg(feedFailure);
    QString done;
    if (!isWorkingCopy)
        done = feedFailure.isEmpty() ? tr("Файл успешно передан на сервер.") : tr("Файл передан на сервер, но ") + feedLater;
    else if (m_change.replaced.isNull())
        done = feedFailure.isEmpty() ? tr("Файл успешно передан на сервер.") : tr("Новость добавлена, но ") + feedLater;
    else if (m_change.item.isNull())
        done = feedFailure.isEmpty() ? tr("Новость удалена с сервера.") : tr("Новость удалена с сервера, но ") + feedLater;
    else
        done = feedFailure.isEmpty() ? tr("Новость исправлена на сервере.") : tr("Новость исправлена на сервере, но ") + feedLater;
    tell((QStringList{done} + closedFolders).join(QLatin1Char('\n')));
    return result(PublishResult::Done);
}
