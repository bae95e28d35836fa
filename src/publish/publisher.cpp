#include "publisher.h"

#include "backupname.h"
#include "failuremessages.h"
#include "failurereason.h"
#include "localfile.h"
#include "newsitem.h"
#include "remoteaddress.h"
#include "repeateditem.h"
#include "settings.h"
#include "userinterface.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

namespace {

// Uploads of one send that may find the page changed by someone else before it gives up.
const int MaxUploadTries = 3;

QString tr(const char *text)
{
    return QCoreApplication::translate("NewsAdder", text);
}

} // namespace

// One command's transfer session: made by the outermost step or command, closed when it ends.
class Publisher::Command
{
public:
    explicit Command(Publisher &publisher)
        : m_publisher(publisher)
        , m_owner(publisher.m_session == nullptr)
    {
        if (!m_owner)
            return;
        m_publisher.m_lastMessage.clear();
        m_publisher.m_session = new TransferSession(publisher.m_access.idleTimeout, publisher.m_access.caCertFile);
        m_publisher.m_session->setLockWait(publisher.m_access.lockWait);
        UserInterface &user = publisher.m_user;
        m_publisher.m_session->setHostKeyQuestion(
            [&user](const HostKeyFacts &facts) { return user.trustUnknownHostKey(facts); });
        m_publisher.m_session->setWaitObserver([&user](bool waiting) { user.setBusy(waiting); });
    }
    ~Command()
    {
        if (m_owner) {
            delete m_publisher.m_session;
            m_publisher.m_session = nullptr;
        }
    }
    Command(const Command &) = delete;
    Command &operator=(const Command &) = delete;

private:
    Publisher &m_publisher;
    bool m_owner;
};

Publisher::Publisher(UserInterface &user)
    : m_user(user)
{
}

Publisher::~Publisher() = default;

void Publisher::tell(const QString &text)
{
    m_lastMessage = text;
    m_user.showMessage(text);
}

PublishResult Publisher::failed(Failure failure, const QString &reason)
{
    tell(failureMessage(failure, reason));
    return result(PublishResult::Failed);
}

// Shows why address cannot be used; false then, and nothing has been transferred.
bool Publisher::addressUsable(const QString &address, Failure failure)
{
    const QString problem = addressProblem(address);
    if (!problem.isEmpty())
        failed(failure, problem);
    return problem.isEmpty();
}

// The addresses a command needs are there and usable, or the user has been told why not; nothing
// has been read, written or transferred then.
bool Publisher::addressesUsable(AddressesNeeded needed)
{
    m_lastMessage.clear();
    const QString missing = missingAddressMessage(m_access.downloadAddress, m_access.uploadAddress, needed);
    if (!missing.isEmpty()) {
        tell(missing);
        return false;
    }
    return addressUsable(m_access.downloadAddress, Failure::Download)
           && (needed == AddressesNeeded::Download || addressUsable(m_access.uploadAddress, Failure::Upload));
}

PublishResult Publisher::fetchInto(const QString &fileName, bool forUpload)
{
    const Command command(*this);
    if (!addressUsable(m_access.downloadAddress, Failure::Download))
        return result(PublishResult::Failed);
    // Raw bytes: line ends and code page are the insertion's business.
    const QString &upload = m_access.uploadAddress;
    const TransferResult transfer =
        m_session->download(m_access.downloadAddress, fileName, m_access.login, m_access.password,
                            forUpload && addressProblem(upload).isEmpty() ? upload : QString());
    // The wait ended because the application is quitting: no message any more, nothing written.
    if (transfer.status == TransferResult::Unfinished)
        return result(PublishResult::Interrupted);
    if (serverUnusable(transfer)) {
        // Nothing more goes to that server in this command, nor is anything asked about it.
        failed(Failure::Download, failureReason(transfer, m_access.downloadAddress));
        return result(PublishResult::Interrupted);
    }
    if (transfer.status == TransferResult::SaveFailed) {
        // Only the working copy's download goes on to an upload.
        return failed(Failure::LocalSave,
                      localFileProblem(fileName, LocalAccess::Write, transfer.errorText) + QLatin1Char(' ')
                          + (forUpload ? tr("Новость не добавлена, на сервер ничего не отправлено.")
                                       : tr("Копия страницы с сервера не сохранена.")));
    }
    if (!transfer.succeeded())
        return failed(Failure::Download, failureReason(transfer, m_access.downloadAddress));
    return result(PublishResult::Done);
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
    const Command command(*this);
    m_item = item;
    // In binary: every byte around the item goes back to the server as it came, whatever the page's
    // charset and line ends.
    QByteArray page;
    QString error;
    if (!readWholeFile(workingCopy(), page, &error))
        return failed(Failure::InsertionRead, nothingSent(workingCopy(), LocalAccess::Read, error));
    const ItemInsertion insertion = insertNewsItemIntoPage(page, item);
    if (insertion.outcome == ItemInsertion::UnknownCharset) {
        tell(tr("Страница новостей на сервере объявляет неизвестную кодировку «%1». Новость не "
                "добавлена, на сервер ничего не отправлено.")
                 .arg(QString::fromLatin1(insertion.charsetName)));
        return result(PublishResult::Failed);
    }
    if (insertion.outcome == ItemInsertion::NoMarker) {
        tell(tr("Плохой файл на сервере (ошибка)"));
        return result(PublishResult::Failed);
    }
    if (!saveWholeFile(workingCopy(), insertion.page, &error))
        return failed(Failure::InsertionWrite, nothingSent(workingCopy(), LocalAccess::Write, error));
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
    const bool keepOthersItems = isWorkingCopy && m_session->hasSeen(m_access.uploadAddress);
    TransferResult transfer;
    for (int attempt = 1; attempt <= MaxUploadTries; ++attempt) {
        if (attempt > 1) {
            PublishResult again = fetchWorkingCopy();
            if (again.succeeded())
                again = insertItem(m_item);
            if (!again.succeeded())
                return again;
        }
        QByteArray contents;
        QString error;
        if (!readWholeFile(fileName, contents, &error))
            return failed(Failure::UnreadableUpload, nothingSent(fileName, LocalAccess::Read, error));
        transfer = m_session->upload(m_access.uploadAddress, contents, m_access.login, m_access.password,
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
    tell(tr("Файл успешно передан на сервер."));
    return result(PublishResult::Done);
}

PublishResult Publisher::lockPage()
{
    const TransferResult locked = m_session->lock(m_access.uploadAddress, m_access.login, m_access.password);
    if (locked.status == TransferResult::Unfinished)
        return result(PublishResult::Interrupted);
    if (locked.status == TransferResult::Locked) {
        tell(locked.errorText);
        return result(PublishResult::Failed);
    }
    if (!locked.succeeded()) {
        // The lock is the command's first word to the server, so its failure reads as the download's.
        failed(Failure::Download, failureReason(locked, m_access.uploadAddress));
        return result(PublishResult::Interrupted);
    }
    return result(PublishResult::Done);
}

PublishResult Publisher::automaticBackup()
{
    const PublishResult fetched = fetchBackup(freeBackupName(QDateTime::currentDateTime(), QDir::current()));
    if (fetched.outcome != PublishResult::Failed)
        return fetched;
    if (!m_user.goOnWithoutBackup()) {
        tell(tr("Загрузка на сервер отменена."));
        return result(PublishResult::Cancelled);
    }
    tell(tr("Запуск процедуры загрузки на сервер без резервной копии."));
    return result(PublishResult::Done);
}

PublishResult Publisher::send(const QString &editorText, const QDateTime &date)
{
    if (!addressesUsable(AddressesNeeded::DownloadAndUpload))
        return result(PublishResult::Failed);
    const Command command(*this);
    PublishResult backedUp = lockPage();
    if (backedUp.succeeded())
        backedUp = automaticBackup();
    if (!backedUp.succeeded())
        return backedUp;

    m_item = composeNewsItem(editorText, date);
    qDebug() << m_item;

    const PublishResult fetched = fetchWorkingCopy();
    if (!fetched.succeeded())
        return fetched;
    QByteArray page;
    if (readWholeFile(workingCopy(), page) && pageHoldsItem(page, m_item) && !m_user.confirmRepeatedItem()) {
        tell(tr("Загрузка на сервер отменена."));
        return result(PublishResult::Cancelled);
    }
    if (!insertItem(m_item).succeeded()) {
        tell(tr("Проблема добавления новостей. Плохой файл с сервера?"));
        return result(PublishResult::Failed);
    }
    return uploadWorkingCopy();
}

PublishResult Publisher::backup()
{
    if (!addressesUsable(AddressesNeeded::Download))
        return result(PublishResult::Failed);
    const Command command(*this);
    const QString chosen = m_user.backupFileToSave();
    if (chosen.isEmpty()) {
        tell(tr("Создание резервной копии отменено"));
        return result(PublishResult::Cancelled);
    }
    const QString fileName = withBackupExtension(chosen);
    const PublishResult fetched = fetchBackup(fileName);
    if (fetched.succeeded()) {
        tell(tr("Резервная копия страницы с сервера сохранена в файл: %1")
                 .arg(QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath())));
    }
    return result(fetched.outcome);
}

PublishResult Publisher::restore()
{
    if (!addressesUsable(AddressesNeeded::DownloadAndUpload))
        return result(PublishResult::Failed);
    const Command command(*this);
    const QString fileName = m_user.backupFileToRestore();
    if (fileName.isEmpty() || !m_user.confirmRestore(fileName, m_access.uploadAddress)) {
        tell(tr("Восстановление резервной копии отменено"));
        return result(PublishResult::Cancelled);
    }
    // The page about to be replaced is kept as send keeps it, so a wrong choice can be undone.
    PublishResult backedUp = lockPage();
    if (backedUp.succeeded())
        backedUp = automaticBackup();
    if (!backedUp.succeeded())
        return backedUp;
    return upload(fileName);
}
