#include "publish/queuedsends.h"

#include "publish/itemqueue.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ItemQueue", text);
}

QString shownName(const QueuedItem &item)
{
    const QString when = item.date.isValid() ? item.date.toString(QStringLiteral("dd.MM.yyyy hh:mm")) + QLatin1Char(' ')
                                             : QString();
    return tr("Новость из очереди %1(%2)").arg(when, item.name);
}

} // namespace

QString noRememberedPassword()
{
    return tr("нет сохранённого пароля");
}

QueuedSend sendQueuedItem(ItemQueue &queue, Publisher &publisher, const QString &name,
                          const std::function<void(const QString &)> &report)
{
    const QString claimName = queue.claim(name);
    if (claimName.isEmpty())
        return QueuedSend::Taken;
    const QueuedItem item = queue.read(claimName);
    if (!item.problem.isEmpty()) {
        queue.release(claimName);
        report(shownName(item) + tr(" пропущена: ") + item.problem);
        return QueuedSend::Skipped;
    }
    if (!publisher.access().login.isEmpty() && publisher.access().password.isEmpty()) {
        queue.failed(claimName, noRememberedPassword());
        report(shownName(item) + tr(" ждёт: ") + noRememberedPassword());
        return QueuedSend::NoPassword;
    }
    const PublishResult result = publisher.send(item.text, item.date);
    if (result.succeeded()) {
        queue.remove(claimName);
        return QueuedSend::Sent;
    }
    if (result.outcome == PublishResult::Interrupted && result.message.isEmpty()) {
        queue.release(claimName);  // quitting: nothing was said, nothing is held against it
        return QueuedSend::Interrupted;
    }
    const QString message = result.message.isEmpty() ? tr("отправка не удалась") : result.message;
    QString error;
    if (!queue.failed(claimName, message, &error))
        report(shownName(item) + tr(": сообщение об ошибке не записано: ") + error);
    report(shownName(item) + tr(" не отправлена: ") + message);
    return QueuedSend::Failed;
}

DueSends sendDueItems(ItemQueue &queue, Publisher &publisher, const std::function<void(const QString &)> &report)
{
    DueSends sends;
    for (const QString &name : queue.dueNames()) {
        switch (sendQueuedItem(queue, publisher, name, report)) {
        case QueuedSend::Sent:
            ++sends.sent;
            break;
        case QueuedSend::Failed:
        case QueuedSend::NoPassword:
            ++sends.failed;
            break;
        case QueuedSend::Skipped:
            ++sends.skipped;
            break;
        case QueuedSend::Taken:
            break;
        case QueuedSend::Interrupted:
            sends.interrupted = true;
            return sends;
        }
    }
    return sends;
}
