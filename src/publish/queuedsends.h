#ifndef QUEUEDSENDS_H
#define QUEUEDSENDS_H

#include <QString>

#include <functional>

#include "publish/publisher.h"

class ItemQueue;

// What the check of a queue did.
struct DueSends
{
    int sent = 0;
    int failed = 0;       // tried, or waiting for a password: kept with the message
    int skipped = 0;      // unreadable files, never sent: said, but no failure of the run
    bool interrupted = false;
};

// How the send of one queued item ended.
enum class QueuedSend {
    Sent,        // on the page, out of the queue
    Failed,      // kept with the command's message for the next try
    NoPassword,  // kept, waiting for a password
    Skipped,     // its file cannot be read: never sent
    Taken,       // another runner claimed it first
    Interrupted  // the program quits: left as it was
};

// Why a queued item waits when the site has no password to send it with.
QString noRememberedPassword();

// The queued item name (unclaimed) claimed and sent through publisher as a send is; it leaves the queue
// only once published, and keeps the failure's message otherwise. report gets a line for an item
// skipped or failed, naming it.
QueuedSend sendQueuedItem(ItemQueue &queue, Publisher &publisher, const QString &name,
                             const std::function<void(const QString &)> &report);

// Every item whose time has come, oldest first. Without a password
// for the login they wait with noRememberedPassword().
DueSends sendDueItems(ItemQueue &queue, Publisher &publisher, const std::function<void(const QString &)> &report);

#endif // QUEUEDSENDS_H
