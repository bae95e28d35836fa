#ifndef QUESTIONS_H
#define QUESTIONS_H

#include <QString>

#include "transferresult.h"

// A plain message: text only, no title or icon, the one OK button.
void showMessage(const QString &text);

// The questions a publishing command asks before it changes the server's page. Each is modal,
// has "no" (or cancel) as its default, and returns true only when the editor chose to go on.

// The automatic backup failed: go on without one? Says what follows either way.
bool goOnWithoutBackup();

// Restore: replace the page at address with fileName's contents?
bool confirmRestore(const QString &fileName, const QString &address);

// The downloaded page already holds the item: publish it a second time?
bool confirmRepeatedItem();

// The SSH server is not in known_hosts yet: trust its key? Shows the key's type and fingerprint to
// be compared with the hosting provider's. Modal, on the GUI thread.
bool trustUnknownHostKey(const HostKeyFacts &facts);

#endif // QUESTIONS_H
