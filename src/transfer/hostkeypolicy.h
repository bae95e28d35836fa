#ifndef HOSTKEYPOLICY_H
#define HOSTKEYPOLICY_H

#include "transfer/transferresult.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QTemporaryFile>

#include <functional>

// Whether an SSH server's key may be used: known_hosts in the working directory decides, a key it
// does not hold is put to the question once per session and written there when trusted.
class HostKeyPolicy
{
public:
    // Runs a question on the GUI thread and returns its answer (TransferSession::askUser).
    using Ask = std::function<bool(const std::function<bool()> &)>;

    HostKeyPolicy();

    void setQuestion(const HostKeyQuestion &question) { m_question = question; }
    // known_hosts elsewhere than in the working directory (a site not saved yet).
    void setFile(const QString &fileName);
    bool accept(const QString &host, int port, int curlKeyType, const QByteArray &key, const Ask &ask);

    // libcurl asks the server for the type of the first key its known_hosts file holds for the host,
    // and libssh2 for nothing else. So curl reads a file of its own, encoded for curl, holding one of
    // the keys host:port is known by (see KnownHosts::keysToOffer), or none: then the server chooses.
    QByteArray offeredKeys(const QString &host, int port);
    // The server took no key of the type offered (the handshake failed before any key was shown):
    // the next type is offered; false once none is left.
    bool offerNextKey(const QString &host, int port);
    bool keyShown() const { return m_keyShown; }

    // Why the last refused key was refused, in the user's words; empty once cleared for a new transfer.
    const QString &refusal() const { return m_refusal; }
    void clearRefusal()
    {
        m_refusal.clear();
        m_keyShown = false;
    }

private:
    QByteArray m_file;
    QTemporaryFile m_offered;
    QByteArray m_offeredLine;
    QHash<QString, int> m_tried;  // host name -> how many of its known types the servers refused
    bool m_keyShown = false;
    HostKeyQuestion m_question;
    QHash<QByteArray, bool> m_answers;  // known_hosts line -> the user's answer in this session
    QString m_refusal;
};

#endif // HOSTKEYPOLICY_H
