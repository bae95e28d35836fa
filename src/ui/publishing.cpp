// NewsAdder's publishing commands: transfers, item insertion, send, backup and restore.
#include "newsadder.h"
#include "ui_newsadder.h"

#include "backupname.h"
#include "failurereason.h"
#include "localfile.h"
#include "newsitem.h"
#include "questions.h"
#include "remoteaddress.h"
#include "repeateditem.h"
#include "runningcommand.h"
#include "settings.h"
#include "transfersession.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QTextDocument>

// Uploads of one send that may find the page changed by someone else before it gives up.
static const int MaxUploadTries = 3;

// A failure message: its prefix, a space, then why.
static void showFailure(const QString &prefix, const QString &reason)
{
    showMessage(prefix + QLatin1Char(' ') + reason);
}

// A local file that failed before anything went to the server: which file, why, and that nothing was sent.
static QString nothingSent(const QString &fileName, LocalAccess access, const QString &error)
{
    return localFileProblem(fileName, access, error) + QLatin1Char(' ')
           + QCoreApplication::translate("NewsAdder", "На сервер ничего не отправлено.");
}

// The transfers of a command share one session, so one connection and one login, closed when the
// command ends; a transfer called on its own gets a session of its own.
class SessionScope
{
public:
    explicit SessionScope(NewsAdder *window)
        : m_window(window)
        , m_owner(window->session == nullptr)
    {
        if (m_owner) {
            window->session = new TransferSession(window->transferIdleTimeout, window->caCertFile);
            window->session->setHostKeyQuestion(trustUnknownHostKey);
            window->session->setWaitObserver([](bool waiting) {
                waiting ? QApplication::setOverrideCursor(Qt::BusyCursor) : QApplication::restoreOverrideCursor(); });
        }
    }
    ~SessionScope()
    {
        if (m_owner) {
            delete m_window->session;
            m_window->session = nullptr;
        }
    }
    SessionScope(const SessionScope &) = delete;
    SessionScope &operator=(const SessionScope &) = delete;

private:
    NewsAdder *m_window;
    bool m_owner;
};

QList<QWidget *> NewsAdder::publishingButtons() const
{
    return {ui->sendButton, ui->pushButton, ui->restoreButton};
}

// Shows why address cannot be used, after prefix; false then, and nothing has been transferred.
static bool addressUsable(const QString &address, const QString &prefix)
{
    const QString problem = addressProblem(address);
    if (!problem.isEmpty())
        showFailure(prefix, problem);
    return problem.isEmpty();
}

// The addresses a command needs are there and usable, or the user has been told why not; nothing
// has been read, written or transferred then.
bool NewsAdder::addressesUsable(AddressesNeeded needed)
{
    const QString missing = missingAddressMessage(remotePath, remoteFtpPath, needed);
    if (!missing.isEmpty()) {
        showMessage(missing);
        return false;
    }
    return addressUsable(remotePath, tr("Произошла ошибка загрузки файла новостей:"))
           && (needed == AddressesNeeded::Download
               || addressUsable(remoteFtpPath, tr("Произошла ошибка сохранения файла на сервере:")));
}

qint32 NewsAdder::downloadInto(QFile *target, bool remember)
{
    lastWaitCutShort = false;
    if (!addressUsable(remotePath, tr("Произошла ошибка загрузки файла новостей:")))
        return -1;
    const SessionScope scope(this);
    // Raw bytes: line ends and code page are the insertion's business.
    const TransferResult result =
        session->download(remotePath, target->fileName(), ui->loginEdit->text(), ui->passEdit->text(),
                          remember && addressProblem(remoteFtpPath).isEmpty() ? remoteFtpPath : QString());
    // The wait ended because the application is quitting: no message any more, nothing written.
    lastWaitCutShort = result.status == TransferResult::Unfinished;
    if (lastWaitCutShort)
        return -1;
    if (result.status == TransferResult::HostKeyRefused) {
        // Nothing more goes to that server in this command, nor is anything asked about it.
        showFailure(tr("Произошла ошибка загрузки файла новостей:"), result.errorText);
        lastWaitCutShort = true;
        return -1;
    }
    if (result.status == TransferResult::SaveFailed) {
        // Only the working copy's download goes on to an upload.
        showFailure(tr("Произошла ошибка сохранения файла на жестком диске."),
                    localFileProblem(target->fileName(), LocalAccess::Write, result.errorText) + QLatin1Char(' ')
                        + (remember ? tr("Новость не добавлена, на сервер ничего не отправлено.")
                                    : tr("Копия страницы с сервера не сохранена.")));
        return -1;
    }
    if (!result.succeeded()) {
        showFailure(tr("Произошла ошибка загрузки файла новостей:"), failureReason(result, remotePath));
        return -1;
    }
    return 0;
}

qint32 NewsAdder::downloadNewsFile()
{
    return downloadInto(newsFile, true);
}

qint32 NewsAdder::downloadBackupFile()
{
    return downloadInto(backupFile, false);
}

qint32 NewsAdder::uploadFile(QFile *file)
{
    login = ui->loginEdit->text();
    password = ui->passEdit->text();
    lastWaitCutShort = false;
    if (!addressUsable(remoteFtpPath, tr("Произошла ошибка сохранения файла на сервере:")))
        return -1;
    const SessionScope scope(this);
    // The working copy after a download of the same command: another editor's send in between is
    // noticed, and the item goes into the page as that send left it.
    const bool keepOthersItems = file == newsFile && session->hasSeen(remoteFtpPath);
    TransferResult result;
    for (int attempt = 1; attempt <= MaxUploadTries; ++attempt) {
        if (attempt > 1 && (downloadNewsFile() != 0 || insertNewsItem() != 0))
            return -1;
        QByteArray contents;
        QString error;
        if (!readWholeFile(file->fileName(), contents, &error)) {
            showFailure(tr("Произошла ошибка загрузки файла новостей на сервер - файл не читается с диска"),
                        nothingSent(file->fileName(), LocalAccess::Read, error));
            return -1;
        }
        result = session->upload(remoteFtpPath, contents, login, password, keepOthersItems);
        if (result.status != TransferResult::PageChanged)
            break;
    }
    lastWaitCutShort = result.status == TransferResult::Unfinished;
    if (lastWaitCutShort)
        return -1;
    if (result.status == TransferResult::PageChanged) {
        showFailure(tr("Произошла ошибка сохранения файла на сервере:"),
                    tr("страница на сервере менялась %1 раза, пока шла отправка (её правит кто-то ещё). "
                         "Новость не добавлена; повторите отправку немного позже.").arg(MaxUploadTries));
        return -1;
    }
    if (!result.succeeded()) {
        showFailure(tr("Произошла ошибка сохранения файла на сервере:"), failureReason(result, remoteFtpPath));
        return -1;
    }
    showMessage(tr("Файл успешно передан на сервер."));
    return 0;
}

qint32 NewsAdder::insertNewsItem()
{
    // In binary: every byte around the item goes back to the server as it came, whatever the page's
    // charset and line ends.
    QByteArray page;
    QString error;
    if (!readWholeFile(newsFile->fileName(), page, &error)) {
        showFailure(tr("Произошла ошибка добавления новости в файл. (чтение)"),
                    nothingSent(newsFile->fileName(), LocalAccess::Read, error));
        return -1;
    }
    const ItemInsertion insertion = insertNewsItemIntoPage(page, newsItem);
    if (insertion.outcome == ItemInsertion::UnknownCharset) {
        showMessage(tr("Страница новостей на сервере объявляет неизвестную кодировку «%1». Новость не "
                       "добавлена, на сервер ничего не отправлено.")
                        .arg(QString::fromLatin1(insertion.charsetName)));
        return -1;
    }
    if (insertion.outcome == ItemInsertion::NoMarker) {
        showMessage(tr("Плохой файл на сервере (ошибка)"));
        return -1;
    }
    if (!saveWholeFile(newsFile->fileName(), insertion.page, &error)) {
        showFailure(tr("Произошла ошибка записи новости в файл."),
                    nothingSent(newsFile->fileName(), LocalAccess::Write, error));
        return -1;
    }
    return 0;
}

void NewsAdder::on_sendButton_clicked()
{
    const RunningCommand command(commandRunning, publishingButtons());
    if (command.refused() || !addressesUsable(AddressesNeeded::DownloadAndUpload))
        return;
    const SessionScope connection(this);

    backupFile->setFileName(freeBackupName(QDateTime::currentDateTime(), QDir::current()));
    if (downloadBackupFile() != 0) {
        if (lastWaitCutShort || !goOnWithoutBackup())
            return;
    }

    // The raw text: the plain text would turn non-breaking spaces into spaces.
    newsItem = composeNewsItem(ui->textEdit->document()->toRawText(), ui->dateTimeEdit->dateTime());
    qDebug() << newsItem;

    if (downloadNewsFile() != 0)
        return;
    QByteArray page;
    if (readWholeFile(newsFile->fileName(), page) && pageHoldsItem(page, newsItem) && !confirmRepeatedItem()) {
        showMessage(tr("Загрузка на сервер отменена."));
        return;
    }
    if (insertNewsItem() != 0) {
        showMessage(tr("Проблема добавления новостей. Плохой файл с сервера?"));
        return;
    }
    uploadFile(newsFile);
}

void NewsAdder::on_pushButton_clicked()
{
    const RunningCommand command(commandRunning, publishingButtons());
    if (command.refused() || !addressesUsable(AddressesNeeded::Download))
        return;
    const SessionScope connection(this);

    // The dialog adds the extension itself, and asks before replacing the file under that name.
    QFileDialog dialog(this, tr("Выберите имя сохраняемого файла"), QString(), tr("BAK file (*.bak)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("bak"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().value(0).isEmpty()) {
        showMessage(tr("Создание резервной копии отменено"));
        return;
    }
    backupFile->setFileName(withBackupExtension(dialog.selectedFiles().first()));
    if (downloadBackupFile() == 0) {
        showMessage(tr("Резервная копия страницы с сервера сохранена в файл: %1")
                        .arg(QDir::toNativeSeparators(QFileInfo(backupFile->fileName()).absoluteFilePath())));
    }
}

void NewsAdder::on_restoreButton_clicked()
{
    const RunningCommand command(commandRunning, publishingButtons());
    if (command.refused() || !addressesUsable(AddressesNeeded::DownloadAndUpload))
        return;
    const SessionScope connection(this);

    const QString name = QFileDialog::getOpenFileName(this, tr("Выберите имя сохраняемого файла"), QString(),
                                                      tr("BAK file (*.bak)"));
    if (name.isEmpty()) {
        showMessage(tr("Восстановление резервной копии отменено"));
        return;
    }
    if (!confirmRestore(name, remoteFtpPath)) {
        showMessage(tr("Восстановление резервной копии отменено"));
        return;
    }
    // The page about to be replaced is kept as send keeps it, so a wrong choice can be undone.
    backupFile->setFileName(freeBackupName(QDateTime::currentDateTime(), QDir::current()));
    if (downloadBackupFile() != 0) {
        if (lastWaitCutShort || !goOnWithoutBackup())
            return;
    }
    backupFile->setFileName(name);
    uploadFile(backupFile);
}
