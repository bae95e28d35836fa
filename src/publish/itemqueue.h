#ifndef ITEMQUEUE_H
#define ITEMQUEUE_H

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// The folder of the queued items inside the site's folder.
inline constexpr char QueueFolderName[] = "queue";

// An item waiting for its time: the editor's raw text, its date and its pictures' local paths.
struct QueuedItem
{
    QString name;           // its file's name in the queue folder
    QDateTime date;         // the item's date, as published
    QDateTime time;         // when it is sent, once the clock has reached it; the date when invalid
    QString text;
    QStringList pictures;
    QString site;           // the site's name; empty for the working folder
    QString failure;        // the last send's message, empty before any failed
    QDateTime firstFailure; // UTC, when sends began to fail
    bool held = false;      // failed for a day: waits for the editor
    bool claimed = false;   // a runner is sending it now
    QString problem;        // why the file cannot be read: it is never sent
};

// The site's queue: one JSON file per item, its name telling when it may next be tried, so that the
// check of a long queue reads no file. A runner (the window, `send --due`) claims an item by an atomic
// rename within the folder before it sends it, so two runners at once send it once.
class ItemQueue
{
public:
    static const int RetryMinutes = 10;
    static const int HoldHours = 24;     // of failures, before the item waits for the editor
    static const int StaleClaimHours = 1;

    explicit ItemQueue(const QString &siteFolder);

    void setClock(const std::function<QDateTime()> &clock) { m_clock = clock; }
    QString folder() const { return m_folder; }

    // The item written through QSaveFile under a fresh name; false and the reason when it could not be.
    bool add(const QueuedItem &item, QString *error);

    struct Summary
    {
        int count = 0;
        QDateTime next;     // the earliest time an item will be tried, local; invalid when none waits for its time
        QStringList due;    // the items whose time has come by the clock now, the oldest first
        QStringList stale;  // claims older than an hour whose process is gone
    };
    // From the files' names alone, the folder read once.
    Summary summary() const;
    QStringList dueNames() const { return summary().due; }
    // Every item, read, in the order they are due; claimed and unreadable ones too.
    QVector<QueuedItem> items() const;

    // The item renamed to a claim of this process; empty when another runner was first.
    QString claim(const QString &name);
    // A claimed file read; problem set when it cannot be sent.
    QueuedItem read(const QString &claimName) const;
    // Sent, or taken out by the editor: the claim removed.
    bool remove(const QString &claimName);
    // The claim back under its name, unchanged: nothing was tried.
    bool release(const QString &claimName);
    // Failed with message: written back under the time of its next try, or held after a day of failures.
    bool failed(const QString &claimName, const QString &message, QString *error = nullptr);
    // Claims older than an hour whose process is gone, released.
    void releaseStaleClaims() { releaseClaims(summary().stale); }
    void releaseClaims(const QStringList &claimNames);

private:
    // The folder's file names, unsorted and without a look at each file.
    QStringList names() const;
    QString path(const QString &name) const;
    bool write(const QueuedItem &item, const QString &name, QString *error) const;
    QString nameFor(const QDateTime &tryAt, const QString &id) const;

    QString m_folder;
    std::function<QDateTime()> m_clock = &QDateTime::currentDateTime;
};

#endif // ITEMQUEUE_H
