#include "publish/siteaddress.h"

#include <QCoreApplication>
#include <QUrl>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("SiteAddress", text);
}

struct TransportInfo
{
    const char *scheme;
    int defaultPort;
};

const TransportInfo Transports[TransportCount] = {
    {"sftp", 22}, {"ftpes", 21}, {"ftps", 990}, {"https", 443}, {"ftp", 21},
};

} // namespace

QString transportScheme(Transport transport)
{
    return QString::fromLatin1(Transports[int(transport)].scheme);
}

int transportDefaultPort(Transport transport)
{
    return Transports[int(transport)].defaultPort;
}

bool pathFromStartingFolder(Transport transport)
{
    return transport == Transport::FtpExplicitTls || transport == Transport::FtpImplicitTls
        || transport == Transport::PlainFtp;
}

SiteAddresses siteAddresses(const SiteFields &fields)
{
    QUrl url;
    url.setScheme(transportScheme(fields.transport));
    url.setHost(fields.host.trimmed());
    if (fields.port > 0 && fields.port != transportDefaultPort(fields.transport))
        url.setPort(fields.port);
    QString path = fields.pagePath.trimmed();
    // FTP's path is the account's, from its starting folder, whatever slashes it is typed with; the
    // others' from the root, with or without the first slash.
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    url.setPath(QLatin1Char('/') + path, QUrl::DecodedMode);
    SiteAddresses addresses;
    addresses.upload = url.toString(QUrl::FullyEncoded);
    addresses.download = fields.separateDownload && !fields.downloadAddress.trimmed().isEmpty()
        ? fields.downloadAddress.trimmed()
        : addresses.upload;
    return addresses;
}

bool splitSiteAddress(const QString &text, SiteFields *fields)
{
    const QUrl url(text.trimmed(), QUrl::TolerantMode);
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    int found = 0;
    while (found < TransportCount && scheme != QLatin1String(Transports[found].scheme))
        ++found;
    if (found == TransportCount)
        return false;
    fields->transport = Transport(found);
    fields->host = url.host();
    fields->port = url.port(0);
    QString path = url.path(QUrl::FullyDecoded);
    if (pathFromStartingFolder(fields->transport))
        path.remove(0, 1);
    fields->pagePath = path;
    if (!url.userName().isEmpty())
        fields->login = url.userName(QUrl::FullyDecoded);
    if (!url.password().isEmpty())
        fields->password = url.password(QUrl::FullyDecoded);
    return true;
}

SiteFields siteFieldsFromSettings(const QString &remotePath, const QString &remoteFtpPath)
{
    SiteFields fields;
    const QString upload = remoteFtpPath.trimmed().isEmpty() ? remotePath.trimmed() : remoteFtpPath.trimmed();
    splitSiteAddress(upload, &fields);
    const QUrl download(remotePath.trimmed());
    if (!remotePath.trimmed().isEmpty() && download.adjusted(QUrl::RemoveUserInfo) != QUrl(siteAddresses(fields).upload)) {
        fields.separateDownload = true;
        fields.downloadAddress = remotePath.trimmed();
    }
    return fields;
}

QString siteHostProblem(const QString &host)
{
    const QString trimmed = host.trimmed();
    if (trimmed.isEmpty())
        return tr("«Сервер»: впишите имя сервера или его адрес, например ssh.example.org.");
    if (trimmed.contains(QLatin1String("://")))
        return tr("«Сервер»: имя сервера пишется без «%1»; вставьте полный адрес страницы целиком, и он разделится "
                  "по полям.").arg(trimmed.left(trimmed.indexOf(QLatin1String("://")) + 3));
    if (trimmed.contains(QLatin1Char('/')))
        return tr("«Сервер»: только имя сервера, без пути; путь к странице пишется в поле «Путь к странице».");
    if (trimmed.contains(QLatin1Char(' ')))
        return tr("«Сервер»: в имени сервера не бывает пробелов.");
    return QString();
}

QString sitePathProblem(const QString &path)
{
    const QString trimmed = path.trimmed();
    if (trimmed.isEmpty() || trimmed.endsWith(QLatin1Char('/')))
        return tr("«Путь к странице»: нужен путь к самому файлу страницы, например /var/www/site/news.html.");
    if (trimmed.split(QLatin1Char('/')).contains(QStringLiteral("..")))
        return tr("«Путь к странице»: «..» в пути не годится; напишите путь к странице прямо.");
    return QString();
}
