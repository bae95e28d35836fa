#ifndef CACERTFILE_H
#define CACERTFILE_H

#include <QByteArray>
#include <QString>

// Whether text holds at least one PEM certificate whose base64 decodes to a DER structure.
bool holdsPemCertificate(const QByteArray &text);

// Why the file named by the cacert key cannot give the certificates to trust (missing, unreadable, no
// certificate in it), in a message that names the file and the key and says nothing was transferred;
// empty when it can. A relative name is taken from the working directory.
QString caCertProblem(const QString &fileName);

#endif // CACERTFILE_H
