#ifndef QUESTIONS_H
#define QUESTIONS_H

#include <QString>

// The questions a publishing command asks before it changes the server's page. Each is modal,
// has "no" (or cancel) as its default, and returns true only when the editor chose to go on.

// The automatic backup failed: go on without one? Says what follows either way.
bool goOnWithoutBackup();

// Restore: replace the page at address with fileName's contents?
bool confirmRestore(const QString &fileName, const QString &address);

// The downloaded page already holds the item: publish it a second time?
bool confirmRepeatedItem();

#endif // QUESTIONS_H
