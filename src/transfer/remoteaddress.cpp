#include "transfer/remoteaddress.h"

#include <QCoreApplication>
#include <QPair>
#include <QRegularExpression>
#include <QUrl>

namespace {

const SchemeInfo Schemes[] = {
    {"ftp", "ftp", 21, false, true, true, false},
    // "ftpes" as established FTP clients name explicit TLS: AUTH TLS on the plain FTP port.
    {"ftpes", "ftp", 21, true, true, true, false},
    {"ftps", "ftps", 990, true, true, true, false},
    {"sftp", "sftp", 22, false, true, false, true},
    {"http", "http", 80, false, false, false, false},
    {"https", "https", 443, false, false, false, false},
};

} // namespace

const SchemeInfo *schemeInfo(const QString &scheme)
{
    for (const SchemeInfo &info : Schemes) {
        if (scheme == QLatin1String(info.name))
            return &info;
    }
    return nullptr;
}

QStringList supportedSchemes()
{
    QStringList names;
    for (const SchemeInfo &info : Schemes)
        names << QLatin1String(info.name);
    return names;
}

QByteArray curlProtocols()
{
    QByteArrayList names;
    for (const SchemeInfo &info : Schemes) {
        if (!names.contains(info.curlScheme))
            names << info.curlScheme;
    }
    return names.join(',');
}

// Where the address's password stands, as [start, end) with start at its ':'; start -1 without one.
// By hand rather than through QUrl, which refuses the very addresses the messages are about: the user
// part runs to the last '@', so a password may hold '/', '@', ':', '#' or '?' as written.
static QPair<int, int> passwordSpan(const QString &address)
{
    const int schemeEnd = address.indexOf(QLatin1String("://"));
    int at = address.lastIndexOf(QLatin1Char('@'));
    if (at < 0) {
        // A value cut short (by a ';' in settings.ini, say) may end in the password: with no path
        // after the server part, what follows its colon is taken for one.
        const int start = schemeEnd >= 0 ? schemeEnd + 3 : 0;
        if (address.indexOf(QLatin1Char('/'), start) >= 0 || QStringView(address).mid(start).startsWith(QLatin1Char('[')))
            return {-1, -1};
        at = address.size();
    }
    const int userStart = schemeEnd >= 0 && schemeEnd < at ? schemeEnd + 3 : 0;
    const int colon = address.indexOf(QLatin1Char(':'), userStart);
    return colon >= 0 && colon < at ? QPair<int, int>(colon, at) : QPair<int, int>(-1, -1);
}

QString shownAddress(const QString &address, const QString &passwordShownAs)
{
    const QPair<int, int> password = passwordSpan(address);
    if (password.first < 0)
        return address;
    return address.left(password.first) + (passwordShownAs.isEmpty() ? QString() : QLatin1Char(':') + passwordShownAs)
           + address.mid(password.second);
}

QString addressProblem(const QString &address)
{
    const QString shown = QStringLiteral("«") + shownAddress(address) + QStringLiteral("»");
    const auto problem = [&shown](const QString &what) {
        return QCoreApplication::translate("NewsAdder", "адрес %1 не годится: %2. Исправьте его в settings.ini.")
            .arg(shown, what);
    };
    if (address.isEmpty())
        return QCoreApplication::translate("NewsAdder", "адрес не задан. Впишите его в settings.ini.");
    if (address.trimmed() != address)
        return problem(QCoreApplication::translate("NewsAdder", "в начале или в конце стоит пробел"));
    // The port is looked at before QUrl, which only says the address is invalid; it is looked for
    // after the password, which may hold a ':' of its own. An IPv6 host stands in brackets, its colons
    // no port's.
    static const QRegularExpression portPattern(
        QStringLiteral("^[^:/]+://(?:[^/@]*@)?(?:\\[[^\\]/]*\\]|[^/:\\[]*):([^/]*)(?:/|$)"));
    const QRegularExpressionMatch port = portPattern.match(shownAddress(address));
    if (port.hasMatch()) {
        bool ok = false;
        const int number = port.captured(1).toInt(&ok);
        if (!ok || number < 1 || number > 65535)
            return problem(QCoreApplication::translate("NewsAdder", "порт «%1» вне промежутка 1–65535")
                               .arg(port.captured(1)));
    }
    const QUrl url(address, QUrl::StrictMode);
    // Such a character, written as it is, ends the password for QUrl and curl.
    static const QRegularExpression delimiter(QStringLiteral("[/@#?]"));
    const QPair<int, int> password = passwordSpan(address);
    if (!url.isValid() && password.first >= 0
        && address.mid(password.first + 1, password.second - password.first - 1).contains(delimiter))
        return problem(QCoreApplication::translate("NewsAdder", "в пароле есть «/», «@», «#» или «?», а в адресе они "
                                                                "пишутся как %2F, %40, %23 и %3F"));
    if (!url.isValid())
        return problem(QCoreApplication::translate("NewsAdder", "адрес записан неверно"));
    if (!schemeInfo(url.scheme()))
        return problem(QCoreApplication::translate("NewsAdder",
                                                   "вид адреса «%1» не поддерживается, годятся только %2")
                           .arg(url.scheme(), supportedSchemes().join(QStringLiteral(", "))));
    if (url.host().isEmpty())
        return problem(QCoreApplication::translate("NewsAdder", "в нём нет имени сервера"));
    if (url.hasFragment())
        return problem(QCoreApplication::translate("NewsAdder", "в нём есть «#», а имя файла с «#» пишется как %23"));
    if (url.hasQuery())
        return problem(QCoreApplication::translate("NewsAdder", "в нём есть «?», а имя файла с «?» пишется как %3F"));
    if (url.fileName().isEmpty())
        return problem(QCoreApplication::translate("NewsAdder", "он не называет файл (в конце нет имени файла)"));
    return QString();
}

RemoteAddress parseAddress(const QString &address)
{
    const QUrl url(address, QUrl::StrictMode);
    RemoteAddress remote;
    remote.scheme = schemeInfo(url.scheme());
    remote.hasUser = !url.userName().isEmpty() || !url.password().isEmpty();
    remote.userName = url.userName(QUrl::FullyDecoded);
    remote.password = url.password(QUrl::FullyDecoded);
    QUrl bare = url;
    bare.setUserInfo(QString());
    if (remote.scheme)
        bare.setScheme(QLatin1String(remote.scheme->curlScheme));
    remote.url = bare.toEncoded();
    remote.fileName = url.fileName(QUrl::FullyDecoded);
    QUrl folder = bare.adjusted(QUrl::RemoveFilename);
    remote.folderUrl = QString::fromLatin1(folder.toEncoded());
    // Without changing folders, the server takes paths from its starting folder: the address's path
    // without its first slash.
    remote.folderPath = folder.path(QUrl::FullyDecoded).mid(remote.scheme && remote.scheme->overSsh ? 0 : 1);
    remote.serverPath = remote.folderPath + remote.fileName;
    remote.host = url.host();
    remote.port = url.port(remote.scheme ? remote.scheme->defaultPort : -1);
    remote.origin = url.scheme() + QStringLiteral("://") + remote.host + QLatin1Char(':') + QString::number(remote.port);
    return remote;
}

QByteArray RemoteAddress::siblingUrl(const QString &name) const
{
    return folderUrl.toLatin1() + QUrl::toPercentEncoding(name);
}

RemoteAddress RemoteAddress::sibling(const QString &name) const
{
    RemoteAddress other = *this;
    const QStringList segments = name.split(QLatin1Char('/'));
    for (const QString &folder : segments.mid(0, segments.size() - 1)) {
        other.folderUrl += QString::fromLatin1(QUrl::toPercentEncoding(folder)) + QLatin1Char('/');
        other.folderPath += folder + QLatin1Char('/');
    }
    other.fileName = segments.last();
    other.url = other.siblingUrl(other.fileName);
    other.serverPath = other.folderPath + other.fileName;
    return other;
}
