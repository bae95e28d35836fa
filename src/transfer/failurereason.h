#ifndef FAILUREREASON_H
#define FAILUREREASON_H

#include "transfer/transferresult.h"

#include <QString>

// A failed transfer in the words that follow a message's prefix: a short Russian reason for the
// common causes, then curl's or the server's own words in parentheses. The program's own texts are
// Russian already and come as they are. address names the server the editor may need to check.
QString failureReason(const TransferResult &result, const QString &address);

// Whether result says that nothing at all can be done on that server in this command: the login
// refused, the server unreachable, its name unknown, its certificate or host key not trusted.
bool serverUnusable(const TransferResult &result);

// A wait cut short or a server that stopped answering: no point in asking it anything more.
bool serverStoppedAnswering(const TransferResult &result);

// The file asked for is not on the server (FTP's 550 says so for one it will not hand out too).
bool fileMissing(const TransferResult &result);

// An SFTP transfer with the login field empty: SSH has no anonymous login.
QString noLoginOverSsh();

// Someone else holds the page's lock folder (lockName on the server).
QString someoneElsePublishing(const QString &lockName);

// The page was set aside and could not be put back: it is missing from its address, its old
// contents lie in setAsideName beside it.
QString pageMissing(const QString &setAsideName);

// The failure text of the 60 s rule, with the configured time.
QString stoppedAnswering(int idleTimeout);

// An HTTP redirect, not followed: from the address asked for (effective) with the status to target.
QString redirected(const QString &effective, long status, const QString &target);

// The server kept stored bytes of the total uploaded under the temporary name.
QString partlyStoredPage(qint64 stored, qint64 total);

// A download that ended elsewhere than at the size the server announced for it.
QString sizeMismatch(qint64 announced, qint64 arrived);

enum class LocalAccess { Read, Write };

// A local file that could not be read or written: the file (absolute, native separators), why in
// a few Russian words, and the system's words in parentheses.
QString localFileProblem(const QString &fileName, LocalAccess access, const QString &systemText);

#endif // FAILUREREASON_H
