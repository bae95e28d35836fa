#include "publish/cacertfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

bool holdsPemCertificate(const QByteArray &text)
{
    // The labels OpenSSL takes certificates to trust from.
    for (const QByteArray label : {QByteArray("CERTIFICATE"), QByteArray("TRUSTED CERTIFICATE"),
                                   QByteArray("X509 CERTIFICATE")}) {
        const QByteArray begin = "-----BEGIN " + label + "-----";
        const QByteArray end = "-----END " + label + "-----";
        for (int at = text.indexOf(begin); at >= 0; at = text.indexOf(begin, at + 1)) {
            const int bodyStart = at + begin.size();
            const int bodyEnd = text.indexOf(end, bodyStart);
            if (bodyEnd < 0)
                break;
            QByteArray body = text.mid(bodyStart, bodyEnd - bodyStart);
            body.replace(' ', "").replace('\t', "").replace('\r', "").replace('\n', "");
            const QByteArray::FromBase64Result der =
                QByteArray::fromBase64Encoding(body, QByteArray::AbortOnBase64DecodingErrors);
            // A certificate is an ASN.1 SEQUENCE.
            if (der && der.decoded.size() > 2 && der.decoded.at(0) == '\x30')
                return true;
        }
    }
    return false;
}

QString caCertProblem(const QString &fileName)
{
    const auto tr = [](const char *text) { return QCoreApplication::translate("NewsAdder", text); };
    const QFileInfo info(fileName);
    QString reason;
    if (info.isDir()) {
        reason = tr("на месте файла папка");
    } else if (!info.exists()) {
        reason = tr("файла нет");
    } else {
        QFile file(fileName);
        QByteArray text;
        if (file.open(QIODevice::ReadOnly))
            text = file.readAll();
        if (!file.isOpen() || file.error() != QFileDevice::NoError)
            reason = tr("файл не читается (%1)").arg(file.errorString());
        else if (!holdsPemCertificate(text))
            reason = tr("в нём нет ни одного сертификата в виде PEM (-----BEGIN CERTIFICATE----- …)");
        else
            return QString();
    }
    return tr("Файл сертификатов «%1» (ключ cacert в settings.ini) не годится: %2. Исправьте ключ cacert или "
              "положите на его место нужный файл. Ничего не загружено и не отправлено.")
        .arg(QDir::toNativeSeparators(info.absoluteFilePath()), reason);
}
