// NewsAdder's items sent later: «Отправить позже…» puts the editor's item into the site's queue, the
// window sends those whose time has come at its check every minute, «Очередь…» shows them.
#include "ui/newsadder.h"
#include "ui_newsadder.h"

#include "page/localpictures.h"
#include "page/newsitem.h"
#include "publish/itemqueue.h"
#include "publish/publisher.h"
#include "publish/queuedsends.h"
#include "publish/unattendeduser.h"
#include "ui/queuedialog.h"
#include "ui/runningcommand.h"
#include "ui/scheduledialog.h"
#include "ui/windowuserinterface.h"

#include <QDebug>
#include <QDir>
#include <QTimer>

// As often as systemd's timer: an item goes out within a minute of its time.
static const int QueueCheckInterval = 60 * 1000;

void NewsAdder::startQueue()
{
    siteFolder = QDir::currentPath();
    m_queueUser.reset(new UnattendedUser);
    m_queuePublisher.reset(new Publisher(*m_queueUser));
    queueTimer = new QTimer(this);
    queueTimer->setInterval(QueueCheckInterval);
    connect(queueTimer, &QTimer::timeout, this, &NewsAdder::checkQueue);
    queueTimer->start();
    showQueueSummary();
}

ItemQueue NewsAdder::queue() const
{
    ItemQueue queue(siteFolder);
    queue.setClock(clock);
    return queue;
}

void NewsAdder::showQueueSummary()
{
    showQueueSummary(queue().summary());
}

void NewsAdder::showQueueSummary(const ItemQueue::Summary &summary)
{
    QString text;
    if (summary.count > 0 && summary.next.isValid())
        text = tr("В очереди: %1, следующая %2").arg(summary.count).arg(summary.next.toString("dd.MM.yyyy hh:mm"));
    else if (summary.count > 0)
        text = tr("В очереди: %1").arg(summary.count);
    ui->queueLabel->setText(text);
}

void NewsAdder::checkQueue()
{
    ItemQueue queue = this->queue();
    // The folder read once while nothing is due: the check of a long queue stays cheap.
    const ItemQueue::Summary summary = queue.summary();
    queue.releaseClaims(summary.stale);
    if (commandRunning || summary.due.isEmpty()) {
        showQueueSummary(summary);
        return;
    }
    const RunningCommand command(commandRunning, publishingButtons());
    m_queuePublisher->setAccess(accessNow());
    m_queuePublisher->setKeepBackups(keepBackups);
    // A queue file that cannot be read goes to standard error, as the command line says it.
    const DueSends sends =
        sendDueItems(queue, *m_queuePublisher, [](const QString &line) { qWarning().noquote() << line; });
    showQueueSummary();
    if (sends.failed > 0 && !passwordAsked && !m_queuePublisher->access().login.isEmpty()
        && m_queuePublisher->access().password.isEmpty()) {
        passwordAsked = true;
        m_user->showMessage(tr("Новость из очереди ждёт пароля: впишите его в поле «Пароль», и она уйдёт при следующей "
                               "проверке, через минуту."));
    }
}

void NewsAdder::on_scheduleButton_clicked()
{
    const QString text = ui->textEdit->document()->toRawText();
    if (!corrected.isNull()) {
        m_user->showMessage(tr("Исправление опубликованной новости отправляется сразу, не по очереди."));
        return;
    }
    if (isBlankNewsText(text)) {
        m_user->showMessage(tr("В новости нет текста: в очередь ставится только новость с текстом."));
        return;
    }
    const QDateTime now = clock();
    const QDateTime date = ui->dateTimeEdit->dateTime();
    ScheduleDialog dialog(date > now ? date : now.addSecs(3600), clock, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QueuedItem item;
    item.time = dialog.chosenTime();
    // A date that follows the clock is the time the item goes out.
    item.date = dateFollowsClock ? item.time : date;
    item.text = text;
    for (const LocalPicture &picture : localPictures(text))
        item.pictures << picture.filePath;
    QString error;
    if (!queue().add(item, &error)) {
        m_user->showMessage(tr("Новость не поставлена в очередь: %1").arg(error));
        return;
    }
    // A new empty item, its date following the clock again.
    ui->textEdit->clear();
    keepDraft();
    dateFollowsClock = true;
    followClock();
    showQueueSummary();
}

void NewsAdder::on_queueButton_clicked()
{
    QueueDialog dialog(queue().items(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    ItemQueue queue = this->queue();
    const QString name = dialog.chosenName();
    if (dialog.choice() == QueueDialog::SendNow) {
        const RunningCommand command(commandRunning, publishingButtons());
        // Here the editor answers the send's questions.
        if (!command.refused())
            sendQueuedItem(queue, publisher(), name, [this](const QString &line) { m_user->showMessage(line); });
    } else if (dialog.choice() == QueueDialog::Edit) {
        editQueued(name);
    } else {
        const QString claimed = queue.claim(name);
        if (claimed.isEmpty() || !queue.remove(claimed))
            m_user->showMessage(tr("Новость уже отправляется или удалена."));
    }
    showQueueSummary();
}

void NewsAdder::editQueued(const QString &name)
{
    if (!ui->textEdit->document()->toRawText().trimmed().isEmpty() || !corrected.isNull()) {
        m_user->showMessage(tr("В редакторе уже есть новость: отправьте её или поставьте в очередь, затем измените эту."));
        return;
    }
    ItemQueue queue = this->queue();
    const QString claimed = queue.claim(name);
    if (claimed.isEmpty()) {
        m_user->showMessage(tr("Новость уже отправляется или удалена."));
        return;
    }
    const QueuedItem item = queue.read(claimed);
    if (!item.problem.isEmpty()) {
        queue.release(claimed);
        m_user->showMessage(tr("Новость из очереди не прочитать: %1").arg(item.problem));
        return;
    }
    ui->textEdit->setPlainText(item.text);
    ui->textEdit->moveCursor(QTextCursor::End);
    ui->dateTimeEdit->setDateTime(item.date);
    queue.remove(claimed);
    keepDraft();
}
