#ifndef TESTCERTIFICATE_H
#define TESTCERTIFICATE_H

#include <QString>
#include <QTemporaryDir>

// A self-signed certificate for 127.0.0.1, made for one run by the openssl tool: the certificate and
// its private key as PEM files in a temporary directory that goes with the object. The certificate
// file is also what a client trusts to accept it (curl's --cacert, the program's cacert).
class TestCertificate
{
public:
    // False, with the reason in errorString(), when openssl fails.
    bool make();
    QString certificatePath() const { return m_dir.filePath(QStringLiteral("cert.pem")); }
    QString keyPath() const { return m_dir.filePath(QStringLiteral("key.pem")); }
    QString errorString() const { return m_error; }

private:
    QTemporaryDir m_dir;
    QString m_error;
};

#endif // TESTCERTIFICATE_H
