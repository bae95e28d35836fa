#ifndef HOSTKEYPOLICY_H
#define HOSTKEYPOLICY_H

#include "transfer/transferresult.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>

// Whether an SSH server's key may be used: known_hosts in the working directory decides, a key it
// does not hold is put to the question once per session and written there when trusted.
class HostKeyPolicy
{
public:
    // Runs a question on the GUI thread and returns its answer (TransferSession::askUser).
    using Ask = std::function<bool(const std::function<bool()> &)>;

    HostKeyPolicy();

    // The known_hosts file, encoded for curl.
    const QByteArray &file() const { return m_file; }
    void setQuestion(const HostKeyQuestion &question) { m_question = question; }
    bool accept(const QString &host, int port, int curlKeyType, const QByteArray &key, const Ask &ask);

    // Why the last refused key was refused, in the user's words; empty once cleared for a new transfer.
    const QString &refusal() const { return m_refusal; }
    void clearRefusal() { m_refusal.clear(); }

private:
    QByteArray m_file;
    HostKeyQuestion m_question;
    QHash<QByteArray, bool> m_answers;  // known_hosts line -> the user's answer in this session
    QString m_refusal;
};

#endif // HOSTKEYPOLICY_H
