// NewsAdder's publishing commands: transfers, item insertion, send, backup and restore.
#include "newsadder.h"
#include "ui_newsadder.h"

#include "backupname.h"
#include "localfile.h"
#include "newsitem.h"
#include "questions.h"
#include "repeateditem.h"
#include "runningcommand.h"
#include "settings.h"
#include "transfer.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTextDocument>

static void showMessage(const QString &text)
{
    QMessageBox box;
    box.setText(text);
    box.exec();
}

bool NewsAdder::reportMissingAddress(AddressesNeeded needed)
{
    const QString message = missingAddressMessage(remotePath, remoteFtpPath, needed);
    if (!message.isEmpty())
        showMessage(message);
    return !message.isEmpty();
}

QList<QWidget *> NewsAdder::publishingButtons() const
{
    return {ui->sendButton, ui->pushButton, ui->restoreButton};
}

qint32 NewsAdder::downloadInto(QFile *target)
{
    // Raw bytes: line ends and code page are the insertion's business.
    const TransferResult result =
        fetchUrlToFile(QUrl(remotePath, QUrl::TolerantMode), target->fileName(), transferIdleTimeout);
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
    return downloadInto(newsFile);
}

qint32 NewsAdder::downloadBackupFile()
{
    return downloadInto(backupFile);
}

qint32 NewsAdder::uploadFile(QFile *file)
{
    login = ui->loginEdit->text();
    password = ui->passEdit->text();
    QByteArray contents;
    if (!readWholeFile(file->fileName(), contents)) {
        showMessage(tr("Произошла ошибка загрузки файла новостей на сервер - файл не читается с диска"));
        return -1;
    }
    const TransferResult result = putUrl(urlWithCredentials(remoteFtpPath, login, password), contents,
                                         transferIdleTimeout);
    lastWaitCutShort = result.status == TransferResult::Unfinished;
    if (lastWaitCutShort)
        return -1;
    if (!result.succeeded()) {
        showMessage(tr("Произошла ошибка сохранения файла на сервере:") + result.errorText);
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
    if (!readWholeFile(newsFile->fileName(), page)) {
        showMessage(tr("Произошла ошибка добавления новости в файл. (чтение)"));
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
    if (!saveWholeFile(newsFile->fileName(), insertion.page)) {
        showMessage(tr("Произошла ошибка записи новости в файл."));
        return -1;
    }
    return 0;
}

void NewsAdder::on_sendButton_clicked()
{
    const RunningCommand command(commandRunning, publishingButtons());
    if (command.refused() || reportMissingAddress(AddressesNeeded::DownloadAndUpload))
        return;

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
    if (command.refused() || reportMissingAddress(AddressesNeeded::Download))
        return;

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
    if (command.refused() || reportMissingAddress(AddressesNeeded::DownloadAndUpload))
        return;

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
