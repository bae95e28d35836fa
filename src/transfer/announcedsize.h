#ifndef ANNOUNCEDSIZE_H
#define ANNOUNCEDSIZE_H

#include <QString>

// The size of a download as an FTP server announces it: SIZE's "213 N", or "(N bytes)" in the reply
// that opens the transfer (125 or 150); -1 for any other reply.
qint64 announcedSize(const QString &reply);

// Why a download that did not end at the size the server announced is not kept.
QString sizeMismatch(qint64 announced, qint64 arrived);

#endif // ANNOUNCEDSIZE_H
