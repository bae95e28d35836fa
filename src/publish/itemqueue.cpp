#include "publish/itemqueue.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <unistd.h>

namespace {

const int Format = 1;
const char ItemSuffix[] = ".json";
const char HeldPrefix[] = "held-";
const char ClaimMark[] = ".claim-";  // NAME.json.claim-PID-SECONDS

QString tr(const char *text)
{
    return QCoreApplication::translate("ItemQueue", text);
}

// The UTC second an item's name says it may be tried at; -1 for a held one or no item's name.
qint64 tryTime(const QString &name)
{
    const int dash = name.indexOf(QLatin1Char('-'));
    bool ok = false;
    const qint64 seconds = name.left(dash).toLongLong(&ok);
    return ok && name.endsWith(QLatin1String(ItemSuffix)) ? seconds : -1;
}

QString unclaimedName(const QString &claimName)
{
    const int mark = claimName.indexOf(QLatin1String(ClaimMark));
    return mark < 0 ? claimName : claimName.left(mark);
}

QString idOf(const QString &name)
{
    const QString base = unclaimedName(name);
    return base.mid(base.indexOf(QLatin1Char('-')) + 1).chopped(int(qstrlen(ItemSuffix)));
}

bool processGone(qint64 pid)
{
    return pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH);
}

} // namespace

ItemQueue::ItemQueue(const QString &siteFolder)
    : m_folder(QDir(siteFolder).filePath(QString::fromLatin1(QueueFolderName)))
{
}

QString ItemQueue::path(const QString &name) const
{
    return m_folder + QLatin1Char('/') + name;
}

QString ItemQueue::nameFor(const QDateTime &tryAt, const QString &id) const
{
    const QString prefix = tryAt.isValid() ? QString::number(tryAt.toSecsSinceEpoch()) + QLatin1Char('-')
                                           : QString::fromLatin1(HeldPrefix);
    return prefix + id + QLatin1String(ItemSuffix);
}

bool ItemQueue::write(const QueuedItem &item, const QString &name, QString *error) const
{
    QJsonArray pictures;
    for (const QString &picture : item.pictures)
        pictures.append(picture);
    QJsonObject object{{"format", Format},
                       {"date", item.date.toString(Qt::ISODate)},
                       {"time", item.time.toString(Qt::ISODate)},
                       {"text", item.text},
                       {"pictures", pictures},
                       {"site", item.site}};
    if (!item.failure.isEmpty()) {
        object.insert("failure", item.failure);
        object.insert("firstFailure", item.firstFailure.toUTC().toString(Qt::ISODate));
    }
    if (!QDir().mkpath(m_folder)) {
        if (error)
            *error = tr("папка %1 не создана").arg(QDir::toNativeSeparators(m_folder));
        return false;
    }
    QSaveFile file(path(name));
    const QByteArray bytes = QJsonDocument(object).toJson();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool ItemQueue::add(const QueuedItem &item, QString *error)
{
    QueuedItem fresh = item;
    fresh.failure.clear();
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!fresh.time.isValid())
        fresh.time = fresh.date;
    return write(fresh, nameFor(fresh.time, id), error);
}

QStringList ItemQueue::names() const
{
    QStringList names;
    DIR *folder = ::opendir(QFile::encodeName(m_folder).constData());
    if (!folder)
        return names;
    while (const dirent *entry = ::readdir(folder)) {
        if (entry->d_name[0] != '.')
            names << QFile::decodeName(entry->d_name);
    }
    ::closedir(folder);
    return names;
}

ItemQueue::Summary ItemQueue::summary() const
{
    Summary summary;
    const qint64 now = m_clock().toSecsSinceEpoch();
    const qint64 wallClock = QDateTime::currentSecsSinceEpoch();
    qint64 next = -1;
    QList<QPair<qint64, QString>> due;
    for (const QString &name : names()) {
        const int mark = name.indexOf(QLatin1String(ClaimMark));
        if (mark >= 0) {
            ++summary.count;
            const QStringList parts = name.mid(mark + int(qstrlen(ClaimMark))).split(QLatin1Char('-'));
            if (wallClock - parts.value(1).toLongLong() >= qint64(StaleClaimHours) * 3600
                && processGone(parts.value(0).toLongLong()))
                summary.stale << name;
            continue;
        }
        if (!name.endsWith(QLatin1String(ItemSuffix)))
            continue;  // QSaveFile's unfinished files
        ++summary.count;
        const qint64 at = tryTime(name);
        if (at >= 0 && (next < 0 || at < next))
            next = at;
        if (at >= 0 && at <= now)
            due.append({at, name});
    }
    if (next >= 0)
        summary.next = QDateTime::fromSecsSinceEpoch(next);
    std::sort(due.begin(), due.end());
    for (const auto &item : due)
        summary.due << item.second;
    return summary;
}

QVector<QueuedItem> ItemQueue::items() const
{
    QVector<QueuedItem> items;
    for (const QString &name : names()) {
        if (name.endsWith(QLatin1String(ItemSuffix)) || name.contains(QLatin1String(ClaimMark)))
            items << read(name);
    }
    std::sort(items.begin(), items.end(), [](const QueuedItem &a, const QueuedItem &b) {
        return a.held != b.held ? b.held : a.time < b.time;
    });
    return items;
}

QueuedItem ItemQueue::read(const QString &name) const
{
    QueuedItem item;
    item.name = name;
    item.claimed = name.contains(QLatin1String(ClaimMark));
    item.held = unclaimedName(name).startsWith(QLatin1String(HeldPrefix));
    QFile file(path(name));
    if (!file.open(QIODevice::ReadOnly)) {
        item.problem = tr("файл не читается: %1").arg(file.errorString());
        return item;
    }
    QJsonParseError parsed;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parsed);
    const QJsonObject object = document.object();
    if (parsed.error != QJsonParseError::NoError || !document.isObject()) {
        item.problem = tr("файл повреждён (не JSON: %1)").arg(parsed.errorString());
        return item;
    }
    if (object.value("format").toInt() > Format) {
        item.problem = tr("файл записан более новой версией программы");
        return item;
    }
    item.date = QDateTime::fromString(object.value("date").toString(), Qt::ISODate);
    item.time = QDateTime::fromString(object.value("time").toString(), Qt::ISODate);
    if (!item.time.isValid())
        item.time = item.date;
    item.text = object.value("text").toString();
    if (object.value("format").toInt() != Format || !item.date.isValid() || !object.value("text").isString()) {
        item.problem = tr("файл повреждён (нет даты или текста новости)");
        return item;
    }
    for (const QJsonValue &picture : object.value("pictures").toArray())
        item.pictures << picture.toString();
    item.site = object.value("site").toString();
    item.failure = object.value("failure").toString();
    item.firstFailure = QDateTime::fromString(object.value("firstFailure").toString(), Qt::ISODate);
    return item;
}

QString ItemQueue::claim(const QString &name)
{
    const QString claimName = name + QLatin1String(ClaimMark) + QString::number(QCoreApplication::applicationPid())
                              + QLatin1Char('-') + QString::number(QDateTime::currentSecsSinceEpoch());
    // rename(2) is atomic within a folder: of two runners, one finds the name gone.
    if (::rename(QFile::encodeName(path(name)).constData(), QFile::encodeName(path(claimName)).constData()) != 0)
        return QString();
    return claimName;
}

bool ItemQueue::remove(const QString &claimName)
{
    return QFile::remove(path(claimName));
}

bool ItemQueue::release(const QString &claimName)
{
    return ::rename(QFile::encodeName(path(claimName)).constData(),
                    QFile::encodeName(path(unclaimedName(claimName))).constData()) == 0;
}

bool ItemQueue::failed(const QString &claimName, const QString &message, QString *error)
{
    QueuedItem item = read(claimName);
    if (!item.problem.isEmpty()) {
        release(claimName);
        return true;
    }
    const QDateTime now = m_clock();
    if (item.failure.isEmpty() || !item.firstFailure.isValid())
        item.firstFailure = now.toUTC();
    item.failure = message;
    // A clock set back makes no day of failures: only time that passed forward counts.
    const bool held = item.firstFailure.secsTo(now) >= qint64(HoldHours) * 3600;
    const QString name = nameFor(held ? QDateTime() : now.addSecs(RetryMinutes * 60), idOf(claimName));
    if (!write(item, name, error))
        return false;
    return remove(claimName);
}

void ItemQueue::releaseClaims(const QStringList &claimNames)
{
    for (const QString &name : claimNames)
        release(name);
}
