#ifndef HTTPSSERVER_H
#define HTTPSSERVER_H

#include "testcertificate.h"
#include "testserver.h"

// A real nginx on a free 127.0.0.1 port, serving a temporary root over TLS with a certificate made
// for this run. GET is open; PUT, DELETE and MKCOL (WebDAV) need basic authentication as user "editor".
// Stopped when the object goes out of scope.
class HttpsServer : public TestServer
{
public:
    HttpsServer();
    ~HttpsServer();

    // Makes the certificate, writes the configuration and starts nginx; false when any step fails.
    bool start();
    void stop();

    // This run's certificate as a PEM file, for the window's caCertFile.
    QString certificateFile() const;

    // log() is nginx's access log: one line per finished request, with method, path and status.
    QString errorString() const { return m_error; }

private:
    bool writeFile(const QString &path, const QByteArray &contents);

    QTemporaryDir m_dir;  // configuration, nginx's own files and the certificate
    TestCertificate m_certificateFiles;
    QString m_error;
};

#endif // HTTPSSERVER_H
