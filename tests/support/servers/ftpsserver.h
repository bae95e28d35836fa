#ifndef FTPSSERVER_H
#define FTPSSERVER_H

#include "ftpserver.h"
#include "testcertificate.h"

// The test FTP server over TLS (ftpsserver.py) with a certificate made for this run, taking every
// option of FtpServer. Login and data without TLS are refused in both modes; with
// --require-session-reuse so is a data connection that does not resume the control connection's
// TLS session (vsftpd's and proftpd's default).
//   Explicit: the client sends AUTH TLS on the plain connection; URLs are ftpes://.
//   Implicit: TLS from the first byte; URLs are ftps://.
// The certificate comes first among the bases so its files exist before the server's arguments name them.
class FtpsServer : public TestCertificate, public FtpServer
{
public:
    enum Mode { Explicit, Implicit };
    explicit FtpsServer(Mode mode, const QStringList &extraArgs = {});

    // Makes the certificate, then starts the server; false when either fails.
    bool start() override;
};

#endif // FTPSSERVER_H
