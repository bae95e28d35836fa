// NewsAdder's publishing commands: transfers, item insertion, send, backup and restore.
#include "newsadder.h"
#include "ui_newsadder.h"

#include "localfile.h"
#include "newsitem.h"
#include "remoteaddress.h"
#include "runningcommand.h"
#include "transfer.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

// Uploads of one send that may find the page changed by someone else before it gives up.
static const int MaxUploadTries = 3;

static void showMessage(const QString &text)
{
    QMessageBox box;
    box.setText(text);
    box.exec();
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
        if (m_owner)
            window->session = new TransferSession(window->transferIdleTimeout, window->caCertFile);
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

// Both addresses checked before a command reads, writes or sends anything.
bool NewsAdder::addressesUsable()
{
    const QString download = addressProblem(remotePath);
    if (!download.isEmpty()) {
        showMessage(tr("Произошла ошибка загрузки файла новостей:") + download);
        return false;
    }
    const QString upload = addressProblem(remoteFtpPath);
    if (!upload.isEmpty()) {
        showMessage(tr("Произошла ошибка сохранения файла на сервере:") + upload);
        return false;
    }
    return true;
}

qint32 NewsAdder::downloadInto(QFile *target, bool remember)
{
    lastWaitCutShort = false;
    const QString problem = addressProblem(remotePath);
    if (!problem.isEmpty()) {
        showMessage(tr("Произошла ошибка загрузки файла новостей:") + problem);
        return -1;
    }
    const SessionScope scope(this);
    // Raw bytes: line ends and code page are the insertion's business.
    const TransferResult result =
        session->download(remotePath, target->fileName(), ui->loginEdit->text(), ui->passEdit->text(),
                          remember && addressProblem(remoteFtpPath).isEmpty() ? remoteFtpPath : QString());
    // The wait ended because the application is quitting: no message any more, nothing written.
    lastWaitCutShort = result.status == TransferResult::Unfinished;
    if (lastWaitCutShort)
        return -1;
    if (result.status == TransferResult::SaveFailed) {
        showMessage(tr("Произошла ошибка сохранения файла на жестком диске."));
        return -1;
    }
    if (!result.succeeded()) {
        showMessage(tr("Произошла ошибка загрузки файла новостей:") + result.errorText);
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
    const QString problem = addressProblem(remoteFtpPath);
    if (!problem.isEmpty()) {
        showMessage(tr("Произошла ошибка сохранения файла на сервере:") + problem);
        return -1;
    }
    const SessionScope scope(this);
    // The working copy after a download of the same command: another editor's send in between is
    // noticed, and the item goes into the page as that send left it.
    const bool keepOthersItems = file == newsFile && session->hasSeen(remoteFtpPath);
    TransferResult result;
    for (int attempt = 1; attempt <= MaxUploadTries; ++attempt) {
        if (attempt > 1 && (downloadNewsFile() != 0 || insertNewsItem() != 0))
            return -1;
        QByteArray contents;
        if (!readWholeFile(file->fileName(), contents)) {
            showMessage(tr("Произошла ошибка загрузки файла новостей на сервер - файл не читается с диска"));
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
        showMessage(tr("Произошла ошибка сохранения файла на сервере:")
                    + tr("страница на сервере менялась %1 раза, пока шла отправка (её правит кто-то ещё). "
                         "Новость не добавлена; повторите отправку немного позже.").arg(MaxUploadTries));
        return -1;
    }
    if (!result.succeeded()) {
        showMessage(tr("Произошла ошибка сохранения файла на сервере:") + result.errorText);
        return -1;
    }
    showMessage(tr("Файл успешно передан на сервер."));
    return 0;
}

qint32 NewsAdder::insertNewsItem()
{
    // Text mode, as the page is a text file: carriage returns are dropped on reading, and line
    // feeds are written as the platform's line end.
    QByteArray page;
    if (!readWholeFile(newsFile->fileName(), page, QIODevice::Text)) {
        showMessage(tr("Произошла ошибка добавления новости в файл. (чтение)"));
        return -1;
    }
    if (!insertAfterMarker(page, encodeForNewsPage(newsItem))) {
        showMessage(tr("Плохой файл на сервере (ошибка)"));
        return -1;
    }
    if (!saveWholeFile(newsFile->fileName(), page, QIODevice::Text)) {
        showMessage(tr("Произошла ошибка записи новости в файл."));
        return -1;
    }
    return 0;
}

void NewsAdder::on_sendButton_clicked()
{
    const RunningCommand command(commandRunning, publishingButtons());
    if (command.refused() || !addressesUsable())
        return;
    const SessionScope connection(this);

    backupFile->setFileName(automaticBackupName(QDateTime::currentDateTime()));
    if (downloadBackupFile() != 0) {
        if (lastWaitCutShort)
            return;
        QMessageBox question;
        question.setWindowTitle(tr("Ошибка"));
        question.setIcon(QMessageBox::Warning);
        question.setText(tr("Произошла ошибка при создании резервной копии. Без резервной копии "
                            "восстановление будет невозможно. Всё равно продолжить загрузку? "));
        question.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        question.setDefaultButton(QMessageBox::Cancel);
        if (question.exec() != QMessageBox::Ok) {
            showMessage(tr("Загрузка на сервер отменена."));
            return;
        }
        showMessage(tr("Запуск процедуры загрузки на сервер без резервной копии."));
    }

    newsItem = composeNewsItem(ui->textEdit->toPlainText(), ui->dateTimeEdit->dateTime());
    qDebug() << newsItem;

    if (downloadNewsFile() != 0)
        return;
    if (insertNewsItem() != 0) {
        showMessage(tr("Проблема добавления новостей. Плохой файл с сервера?"));
        return;
    }
    uploadFile(newsFile);
}

void NewsAdder::on_pushButton_clicked()
{
    const RunningCommand command(commandRunning, publishingButtons());
    if (command.refused() || !addressesUsable())
        return;
    const SessionScope connection(this);

    const QString name = QFileDialog::getSaveFileName(this, tr("Выберите имя сохраняемого файла"), QString(),
                                                      tr("BAK file (*.bak)"));
    if (name.isEmpty()) {
        showMessage(tr("Создание резервной копии отменено"));
        return;
    }
    backupFile->setFileName(name);
    downloadBackupFile();
}

void NewsAdder::on_restoreButton_clicked()
{
    const RunningCommand command(commandRunning, publishingButtons());
    if (command.refused() || !addressesUsable())
        return;
    const SessionScope connection(this);

    const QString name = QFileDialog::getOpenFileName(this, tr("Выберите имя сохраняемого файла"), QString(),
                                                      tr("BAK file (*.bak)"));
    if (name.isEmpty()) {
        showMessage(tr("Восстановление резервной копии отменено"));
        return;
    }
    backupFile->setFileName(name);
    uploadFile(backupFile);
}
