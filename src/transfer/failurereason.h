#ifndef FAILUREREASON_H
#define FAILUREREASON_H

#include "transferresult.h"

#include <QString>

// A failed transfer in the words that follow a message's prefix: a short Russian reason for the
// common causes, then curl's or the server's own words in parentheses. The program's own texts are
// Russian already and come as they are. address names the server the editor may need to check.
QString failureReason(const TransferResult &result, const QString &address);

// The failure text of the 60 s rule, with the configured time.
QString stoppedAnswering(int idleTimeout);

// An HTTP redirect, not followed: from the address asked for (effective) with the status to target.
QString redirected(const QString &effective, long status, const QString &target);

// The server kept stored bytes of the total uploaded under the temporary name.
QString partlyStoredPage(qint64 stored, qint64 total);

enum class LocalAccess { Read, Write };

// A local file that could not be read or written: the file (absolute, native separators), why in
// a few Russian words, and the system's words in parentheses.
QString localFileProblem(const QString &fileName, LocalAccess access, const QString &systemText);

#endif // FAILUREREASON_H
