#ifndef KNOWNHOSTS_H
#define KNOWNHOSTS_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// SSH host keys checked against an OpenSSH known_hosts file, so that a file filled by ssh or
// ssh-keyscan works as it is and a line written here works for ssh. Keys are the raw blobs a
// server presents (as libcurl hands them to its key function), not base64.
namespace KnownHosts {

// libcurl's key types, numbered as its CURLKHTYPE_* values, so they pass straight through.
enum CurlKeyType { CurlUnknown = 0, CurlRsa1 = 1, CurlRsa = 2, CurlDss = 3, CurlEcdsa = 4, CurlEd25519 = 5 };

enum Status {
    Unknown,  // no key of this type for the host: ask the user
    Match,    // the host is known with exactly this key
    Mismatch, // the host is known with another key of this type: its key changed
    Revoked   // this key is marked @revoked for the host: never accept it
};

struct Entry {
    enum Marker { Plain, Revoked, CertAuthority };
    Marker marker = Plain;
    QStringList patterns;   // host patterns of a plain entry, "!" negations included
    QByteArray salt, hash;  // a hashed entry (|1|salt|hash) instead of patterns
    QString keyType;
    QByteArray key;
};

// The entries of a known_hosts file's text; comments, blank and malformed lines are left out.
QList<Entry> parse(const QByteArray &text);

// How host:port with this key stands in entries. @cert-authority lines only vouch for host
// certificates, which plain keys are not, so they decide nothing here.
Status check(const QList<Entry> &entries, const QString &host, int port, const QString &keyType,
             const QByteArray &key);

// The keys host:port is known by that libcurl can ask the server for, one a type in the order
// they are tried: Ed25519, ECDSA, then RSA (which libssh2 asks for with SHA-1 signatures, refused
// by OpenSSH 8.8 and later) and DSS; revoked keys left out.
QList<Entry> keysToOffer(const QList<Entry> &entries, const QString &host, int port);

// "host" for port 22, "[host]:port" otherwise, lower case: the name OpenSSH looks up and hashes.
QString hostName(const QString &host, int port);

// The key type's name as known_hosts writes it ("ssh-ed25519", "ecdsa-sha2-nistp256"), from
// libcurl's type and the blob (an ECDSA blob names its curve); empty when there is none (RSA1, unknown).
QString keyTypeName(int curlKeyType, const QByteArray &key);
// The reverse: libcurl's type for a name, CurlUnknown when it has none.
int curlKeyType(const QString &keyTypeName);

// The key's fingerprint as ssh-keygen -l and ssh show it: "SHA256:" and unpadded base64.
QString fingerprint(const QByteArray &key);

// "[host]:port type base64" (or "host type base64" on port 22), without a line end.
QByteArray line(const QString &host, int port, const QString &keyType, const QByteArray &key);

// Adds LINE to the file at PATH (created when missing), keeping what it held; the file is replaced
// only once everything is written, a symbolic link by a file of its own (its target left as it
// is). False with the reason in *error when anything fails.
bool append(const QString &path, const QByteArray &line, QString *error);

} // namespace KnownHosts

#endif // KNOWNHOSTS_H
