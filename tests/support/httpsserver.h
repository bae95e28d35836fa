#ifndef HTTPSSERVER_H
#define HTTPSSERVER_H

#include <QByteArray>
#include <QProcess>
#include <QTemporaryDir>

#include "testcertificate.h"

// A real nginx on a free 127.0.0.1 port, serving a temporary root over TLS with a certificate made
// for this run. GET is open; PUT (WebDAV) needs basic authentication as user "editor".
// Stopped when the object goes out of scope.
class HttpsServer
{
public:
    HttpsServer();
    ~HttpsServer();

    // Makes the certificate, writes the configuration and starts nginx; false when any step fails.
    bool start();
    void stop();

    quint16 port() const { return m_port; }
    QString root() const;
    QString user() const { return QStringLiteral("editor"); }
    QString password() const { return m_password; }
    void setPassword(const QString &password) { m_password = password; }
    // This run's certificate as a PEM file, for the window's caCertFile.
    QString certificateFile() const;

    // https://127.0.0.1:PORT/NAME, without credentials.
    QString url(const QString &name) const;
    QByteArray fileContents(const QString &name) const;
    bool hasFile(const QString &name) const;
    void putFile(const QString &name, const QByteArray &contents) const;
    // nginx's access log: one line per finished request, with method, path and status.
    QByteArray log() const;
    QString errorString() const { return m_error; }

private:
    bool writeFile(const QString &path, const QByteArray &contents);

    QTemporaryDir m_dir;
    QProcess m_nginx;
    QString m_password = QStringLiteral("secret");
    TestCertificate m_certificateFiles;
    quint16 m_port = 0;
    QString m_error;
};

#endif // HTTPSSERVER_H
