#include "transfer/knownhosts.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QMessageAuthenticationCode>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>

namespace KnownHosts {

namespace {

// OpenSSH's host patterns: "*" any run of characters, "?" one character, nothing else special
// (the brackets of "[host]:port" are literal).
bool globMatches(QStringView pattern, QStringView text)
{
    if (pattern.isEmpty())
        return text.isEmpty();
    if (pattern.at(0) == QLatin1Char('*')) {
        for (int skip = 0; skip <= text.size(); ++skip) {
            if (globMatches(pattern.mid(1), text.mid(skip)))
                return true;
        }
        return false;
    }
    if (text.isEmpty())
        return false;
    if (pattern.at(0) != QLatin1Char('?') && pattern.at(0).toLower() != text.at(0).toLower())
        return false;
    return globMatches(pattern.mid(1), text.mid(1));
}

bool hostMatches(const Entry &entry, const QString &name)
{
    if (!entry.hash.isEmpty())
        return QMessageAuthenticationCode::hash(name.toUtf8(), entry.salt, QCryptographicHash::Sha1) == entry.hash;
    bool matched = false;
    for (const QString &pattern : entry.patterns) {
        if (pattern.startsWith(QLatin1Char('!'))) {
            if (globMatches(QStringView(pattern).mid(1), name))
                return false;
        } else if (globMatches(pattern, name)) {
            matched = true;
        }
    }
    return matched;
}

// The first string of an SSH wire-format blob: the key's type name.
QString blobTypeName(const QByteArray &key)
{
    if (key.size() < 4)
        return QString();
    const quint32 size = qFromBigEndian<quint32>(key.constData());
    if (size > quint32(key.size() - 4))
        return QString();
    return QString::fromLatin1(key.mid(4, int(size)));
}

} // namespace

QList<Entry> parse(const QByteArray &text)
{
    QList<Entry> entries;
    for (const QByteArray &rawLine : text.split('\n')) {
        QList<QByteArray> fields = rawLine.simplified().split(' ');
        if (fields.first().isEmpty() || fields.first().startsWith('#'))
            continue;
        Entry entry;
        if (fields.first().startsWith('@')) {
            const QByteArray marker = fields.takeFirst();
            if (marker == "@revoked")
                entry.marker = Entry::Revoked;
            else if (marker == "@cert-authority")
                entry.marker = Entry::CertAuthority;
            else
                continue;
        }
        if (fields.size() < 3)
            continue;
        const QByteArray hosts = fields.at(0);
        if (hosts.startsWith("|1|")) {
            const QList<QByteArray> parts = hosts.split('|');
            if (parts.size() != 4)
                continue;
            entry.salt = QByteArray::fromBase64(parts.at(2));
            entry.hash = QByteArray::fromBase64(parts.at(3));
            if (entry.salt.isEmpty() || entry.hash.size() != 20)
                continue;
        } else {
            entry.patterns = QString::fromUtf8(hosts).split(QLatin1Char(','), Qt::SkipEmptyParts);
        }
        entry.keyType = QString::fromLatin1(fields.at(1));
        entry.key = QByteArray::fromBase64(fields.at(2));
        // A key whose blob names another type is damaged or forged: it proves nothing.
        if (entry.key.isEmpty() || blobTypeName(entry.key) != entry.keyType)
            continue;
        entries << entry;
    }
    return entries;
}

Status check(const QList<Entry> &entries, const QString &host, int port, const QString &keyType,
             const QByteArray &key)
{
    const QString name = hostName(host, port);
    Status status = Unknown;
    for (const Entry &entry : entries) {
        if (entry.marker == Entry::CertAuthority || !hostMatches(entry, name))
            continue;
        if (entry.marker == Entry::Revoked) {
            if (entry.key == key)
                return Revoked;
        } else if (entry.keyType == keyType) {
            // Any line with this key is enough; one with another key of its type only warns.
            if (entry.key == key)
                status = Match;
            else if (status == Unknown)
                status = Mismatch;
        }
    }
    return status;
}

QList<Entry> keysToOffer(const QList<Entry> &entries, const QString &host, int port)
{
    static const QStringList preferred{QStringLiteral("ssh-ed25519"), QStringLiteral("ecdsa-sha2-"),
                                       QStringLiteral("ssh-rsa"), QStringLiteral("ssh-dss")};
    QList<Entry> keys;
    for (const QString &kind : preferred) {
        for (const Entry &entry : entries) {
            if (entry.marker == Entry::Plain && entry.keyType.startsWith(kind)
                && curlKeyType(entry.keyType) != CurlUnknown && hostMatches(entry, hostName(host, port))
                && check(entries, host, port, entry.keyType, entry.key) == Match
                && std::none_of(keys.cbegin(), keys.cend(), [&entry](const Entry &key) { return key.keyType == entry.keyType; }))
                keys << entry;
        }
    }
    return keys;
}

QString hostName(const QString &host, int port)
{
    const QString lower = host.toLower();
    return port == 22 ? lower : QStringLiteral("[%1]:%2").arg(lower).arg(port);
}

QString keyTypeName(int curlKeyType, const QByteArray &key)
{
    switch (curlKeyType) {
    case CurlRsa:
        return QStringLiteral("ssh-rsa");
    case CurlDss:
        return QStringLiteral("ssh-dss");
    case CurlEd25519:
        return QStringLiteral("ssh-ed25519");
    case CurlEcdsa: {
        const QString name = blobTypeName(key);
        return name.startsWith(QLatin1String("ecdsa-sha2-")) ? name : QString();
    }
    default:
        return QString();
    }
}

int curlKeyType(const QString &keyTypeName)
{
    if (keyTypeName == QLatin1String("ssh-rsa"))
        return CurlRsa;
    if (keyTypeName == QLatin1String("ssh-dss"))
        return CurlDss;
    if (keyTypeName == QLatin1String("ssh-ed25519"))
        return CurlEd25519;
    if (keyTypeName.startsWith(QLatin1String("ecdsa-sha2-")))
        return CurlEcdsa;
    return CurlUnknown;
}

QString fingerprint(const QByteArray &key)
{
    const QByteArray digest = QCryptographicHash::hash(key, QCryptographicHash::Sha256);
    return QStringLiteral("SHA256:")
           + QString::fromLatin1(digest.toBase64(QByteArray::Base64Encoding | QByteArray::OmitTrailingEquals));
}

QByteArray line(const QString &host, int port, const QString &keyType, const QByteArray &key)
{
    return hostName(host, port).toUtf8() + ' ' + keyType.toLatin1() + ' ' + key.toBase64();
}

bool append(const QString &path, const QByteArray &line, QString *error)
{
    QByteArray contents;
    QFile old(path);
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly)) {
            *error = old.errorString();
            return false;
        }
        contents = old.readAll();
        if (old.error() != QFileDevice::NoError) {
            *error = old.errorString();
            return false;
        }
        old.close();
    }
    if (!contents.isEmpty() && !contents.endsWith('\n'))
        contents += '\n';
    contents += line + '\n';
    // QSaveFile would write into whatever file the link points to.
    QFile link(path);
    if (QFileInfo(path).isSymLink() && !link.remove()) {
        *error = link.errorString();
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() || !file.flush()
        || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace KnownHosts
