#include "publish/publisher.h"

#include "publish/backupname.h"
#include "publish/cacertfile.h"
#include "publish/failuremessages.h"
#include "transfer/failurereason.h"
#include "publish/localfile.h"
#include "page/newsitem.h"
#include "transfer/pictureupload.h"
#include "transfer/remoteaddress.h"
#include "publish/settings.h"
#include "publish/userinterface.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("NewsAdder", text);
}

} // namespace

Publisher::Command::Command(Publisher &publisher)
    : m_publisher(publisher)
    , m_owner(publisher.m_commandDepth++ == 0)
{
    if (!m_owner)
        return;
    m_publisher.m_lastMessage.clear();
    m_publisher.m_page.clear();
    m_publisher.m_pageIsWorkingCopy = false;
    m_publisher.m_workingCopyInBackup = false;
    m_publisher.m_serverUnusable = false;
    m_publisher.m_goesOn = false;
}

Publisher::Command::~Command()
{
    --m_publisher.m_commandDepth;
    if (m_owner)
        m_publisher.endTransfers();
}

TransferSession &Publisher::session()
{
    if (!m_session) {
        m_session = new TransferSession(m_access.idleTimeout, m_access.caCertFile);
        m_session->setLockWait(m_access.lockWait);
        UserInterface &user = m_user;
        m_session->setHostKeyQuestion([&user](const HostKeyFacts &facts) { return user.trustUnknownHostKey(facts); });
        m_session->setWaitObserver([&user](bool waiting) { user.setBusy(waiting); });
    }
    return *m_session;
}

// The lock removed and the connections closed; a later step of the same command would open new ones.
void Publisher::endTransfers()
{
    if (m_pictures) {
        m_pictures->removeStored();
        m_pictures.reset();
    }
    delete m_session;
    m_session = nullptr;
}

Publisher::Publisher(UserInterface &user)
    : m_user(user)
{
}

Publisher::~Publisher() = default;

void Publisher::tell(const QString &text)
{
    m_lastMessage = text;
    // The command's last word comes once its transfers are over: nobody waits on its lock while
    // the message is open.
    if (!m_goesOn)
        endTransfers();
    m_user.showMessage(text);
}

PublishResult Publisher::failed(Failure failure, const QString &reason)
{
    tell(failureMessage(failure, reason));
    return result(PublishResult::Failed);
}

PublishResult Publisher::serverFailed(const TransferResult &transfer, const QString &address)
{
    failed(Failure::Download, failureReason(transfer, address));
    // A refused host key ends the command: nothing more is tried or asked.
    return result(transfer.status == TransferResult::HostKeyRefused ? PublishResult::Interrupted
                                                                    : PublishResult::Failed);
}

PublishResult Publisher::uploadCancelled()
{
    tell(tr("Загрузка на сервер отменена."));
    return result(PublishResult::Cancelled);
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
    if (!addressUsable(m_access.downloadAddress, Failure::Download)
        || (needed == AddressesNeeded::DownloadAndUpload && !addressUsable(m_access.uploadAddress, Failure::Upload)))
        return false;
    // curl would call a bad file the server's fault, and only once connected.
    const QString caCert = m_access.caCertFile.isEmpty() ? QString() : caCertProblem(m_access.caCertFile);
    if (!caCert.isEmpty())
        tell(caCert);
    return caCert.isEmpty();
}

PublishResult Publisher::lockPage()
{
    const TransferResult locked = session().lock(m_access.uploadAddress, m_access.login, m_access.password);
    if (locked.status == TransferResult::Unfinished)
        return result(PublishResult::Interrupted);
    if (locked.status == TransferResult::Locked) {
        tell(locked.errorText);
        return result(PublishResult::Failed);
    }
    // The lock is the command's first word to the server, so its failure reads as the download's.
    if (!locked.succeeded())
        return serverFailed(locked, m_access.uploadAddress);
    return result(PublishResult::Done);
}

PublishResult Publisher::automaticBackup(const QByteArray *page)
{
    const QString name = freeBackupName(m_clock(), QDir::current());
    // A backup that failed is not the command's last word: the user decides, the lock kept meanwhile.
    m_goesOn = true;
    PublishResult saved = result(PublishResult::Done);
    QString error;
    if (!page)
        saved = fetchBackup(name);
    else if (!saveWholeFile(name, *page, &error))
        saved = notSaved(name, error, false);
    if (saved.succeeded()) {
        QByteArray fetched;
        m_record.backup = name;
        m_record.noteBefore(page ? *page : (readWholeFile(name, fetched) ? fetched : QByteArray()));
    }
    // No question where the upload would fail the same way.
    if (saved.outcome != PublishResult::Failed || m_serverUnusable) {
        m_goesOn = false;
        return saved;
    }
    const bool goOn = m_user.goOnWithoutBackup();
    m_goesOn = goOn;
    if (!goOn)
        return uploadCancelled();
    tell(tr("Запуск процедуры загрузки на сервер без резервной копии."));
    m_goesOn = false;
    return result(PublishResult::Done);
}

bool Publisher::passwordIntended()
{
    // An empty login is an anonymous FTP login; a login without its password is most likely a slip.
    return m_access.login.isEmpty() || !m_access.password.isEmpty() || m_user.confirmEmptyPassword();
}

PublishResult Publisher::send(const QString &editorText, const QDateTime &date)
{
    return publishItem(editorText, date, {});
}

PublishResult Publisher::correct(const PublishedItem &item, const QString &editorText, const QDateTime &date)
{
    return publishItem(editorText, date, item);
}

PublishResult Publisher::publishItem(const QString &editorText, const QDateTime &date, const PublishedItem &replaced)
{
    if (!addressesUsable(AddressesNeeded::DownloadAndUpload))
        return result(PublishResult::Failed);
    if (!passwordIntended())
        return uploadCancelled();
    if (isBlankNewsText(editorText) && !m_user.confirmEmptyItem()) {
        return uploadCancelled();
    }
    const QString item = composeNewsItem(editorText, date);
    // Every picture is read and checked before the server hears anything.
    QList<Picture> pictures;
    const PublishResult read = readPictures(item, &pictures);
    if (!read.succeeded())
        return read;
    return changePage({item, replaced, date, editorText}, pictures);
}

PublishResult Publisher::remove(const PublishedItem &item)
{
    if (!addressesUsable(AddressesNeeded::DownloadAndUpload))
        return result(PublishResult::Failed);
    if (!passwordIntended())
        return uploadCancelled();
    // The user saw the question and said no: nothing more to say.
    if (!m_user.confirmRemoval(item))
        return result(PublishResult::Cancelled);
    return changePage({QString(), item}, {});
}

PublishResult Publisher::changePage(const PageChange &change, const QList<Picture> &pictures)
{
    const Command command(*this);
    m_change = change;
    startRecord(change.replaced.isNull() ? "send" : change.item.isNull() ? "remove" : "correct");
    PublishResult fetched = lockPage();
    if (fetched.succeeded())
        fetched = fetchWithBackup();
    if (!fetched.succeeded())
        return recorded(fetched);

    if (!change.item.isNull()) {
        m_item = change.item;
        qDebug() << m_item;
    }
    const PublishResult published = publishWithPictures(pictures);
    // Where the command stopped before its change was saved; it has said why already.
    keepFetchedWorkingCopy();
    return recorded(published);
}

PublishResult Publisher::listPublished(QVector<PublishedItem> &items)
{
    items.clear();
    if (!addressesUsable(AddressesNeeded::Download))
        return result(PublishResult::Failed);
    const Command command(*this);
    const PublishResult fetched = fetchBackup(workingCopy());
    if (!fetched.succeeded())
        return fetched;
    QByteArray page;
    QString error;
    if (!readWholeFile(workingCopy(), page, &error)) {
        tell(localFileProblem(workingCopy(), LocalAccess::Read, error));
        return result(PublishResult::Failed);
    }
    const PublishedItems found = publishedItems(page);
    if (found.outcome == PageEdit::UnknownCharset) {
        tell(tr("Страница новостей на сервере объявляет неизвестную кодировку «%1».")
                 .arg(QString::fromLatin1(found.charsetName)));
        return result(PublishResult::Failed);
    }
    items = found.items;
    return result(PublishResult::Done);
}

PublishResult Publisher::backup()
{
    if (!addressesUsable(AddressesNeeded::Download))
        return result(PublishResult::Failed);
    const Command command(*this);
    const QString chosen = passwordIntended() ? m_user.backupFileToSave() : QString();
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
    const QString fileName = passwordIntended() ? m_user.backupFileToRestore() : QString();
    if (fileName.isEmpty() || !m_user.confirmRestore(fileName, m_access.uploadAddress)) {
        tell(tr("Восстановление резервной копии отменено"));
        return result(PublishResult::Cancelled);
    }
    // The page about to be replaced is kept as send keeps it, so a wrong choice can be undone.
    startRecord("restore");
    m_record.restored = QFileInfo(fileName).fileName();
    PublishResult backedUp = lockPage();
    if (backedUp.succeeded())
        backedUp = automaticBackup(nullptr);
    if (!backedUp.succeeded())
        return recorded(backedUp);
    return recorded(upload(fileName));
}
