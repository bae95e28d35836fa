#include "transfer/hostkeypolicy.h"

#include "transfer/knownhosts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("NewsAdder", text);
}

} // namespace

HostKeyPolicy::HostKeyPolicy()
    : m_file(QFile::encodeName(QDir::current().absoluteFilePath(QStringLiteral("known_hosts"))))
    , m_offered(QDir::temp().filePath(QStringLiteral("newsadder-known-hosts-XXXXXX")))
{
}

void HostKeyPolicy::setFile(const QString &fileName)
{
    m_file = QFile::encodeName(QFileInfo(fileName).absoluteFilePath());
}

QByteArray HostKeyPolicy::offeredKeys(const QString &host, int port)
{
    QFile file(QFile::decodeName(m_file));
    const QList<KnownHosts::Entry> keys =
        KnownHosts::keysToOffer(KnownHosts::parse(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray()), host,
                                port);
    const int tried = m_tried.value(KnownHosts::hostName(host, port));
    const QByteArray line = tried < keys.size() ? KnownHosts::line(host, port, keys.at(tried).keyType, keys.at(tried).key)
                                                : QByteArray();
    // A file curl cannot read offers nothing, as an empty one does.
    if ((line != m_offeredLine || !m_offered.isOpen()) && (m_offered.isOpen() || m_offered.open())) {
        m_offered.resize(0);
        m_offered.seek(0);
        if (m_offered.write(line + '\n') == line.size() + 1 && m_offered.flush())
            m_offeredLine = line;
    }
    return QFile::encodeName(m_offered.fileName());
}

bool HostKeyPolicy::offerNextKey(const QString &host, int port)
{
    const QString name = KnownHosts::hostName(host, port);
    if (m_offeredLine.isEmpty() || m_keyShown)
        return false;
    m_tried[name] += 1;
    return true;
}

bool HostKeyPolicy::accept(const QString &hostAddress, int port, int curlKeyType, const QByteArray &key,
                           const Ask &ask)
{
    m_keyShown = true;
    const QString host = KnownHosts::hostName(hostAddress, port);
    const QString type = KnownHosts::keyTypeName(curlKeyType, key);
    if (type.isEmpty()) {
        m_refusal = tr("сервер %1 предъявил ключ неизвестного вида, такой ключ проверить нельзя. "
                       "На сервер ничего не отправлено.").arg(host);
        return false;
    }
    const QByteArray line = KnownHosts::line(hostAddress, port, type, key);
    const QString declined = tr("ключ сервера %1 не принят. На сервер ничего не отправлено.").arg(host);
    if (m_answers.contains(line)) {
        if (!m_answers.value(line))
            m_refusal = declined;
        return m_answers.value(line);
    }
    const QString path = QFile::decodeName(m_file);
    QFile file(path);
    if (file.exists() && !file.open(QIODevice::ReadOnly)) {
        m_refusal = tr("файл %1 не читается (%2), ключ сервера %3 проверить нельзя. На сервер ничего не "
                       "отправлено.").arg(QDir::toNativeSeparators(path), file.errorString(), host);
        return false;
    }
    const QByteArray known = file.isOpen() ? file.readAll() : QByteArray();
    switch (KnownHosts::check(KnownHosts::parse(known), hostAddress, port, type, key)) {
    case KnownHosts::Match:
        return true;
    case KnownHosts::Mismatch:
    case KnownHosts::Revoked:
        m_refusal =
            tr("ВНИМАНИЕ: ключ сервера %1 изменился, он не тот, что записан в known_hosts (сейчас %2 %3). Это "
               "может быть атака (кто-то выдаёт себя за сервер) или переустановка сервера. На сервер ничего не "
               "отправлено. Свяжитесь с хостинг-провайдером и сверьте отпечаток ключа; только если он верен, "
               "удалите старую строку сервера из known_hosts.")
                .arg(host, type, KnownHosts::fingerprint(key));
        return false;
    case KnownHosts::Unknown:
        break;
    }
    const HostKeyFacts facts{host, type, KnownHosts::fingerprint(key)};
    const HostKeyQuestion question = m_question;
    const bool trusted = question && ask([question, facts] { return question(facts); });
    m_answers.insert(line, trusted);
    if (!trusted) {
        m_refusal = declined;
        return false;
    }
    QString error;
    if (!KnownHosts::append(path, line, &error)) {
        m_answers.remove(line);
        m_refusal = tr("ключ сервера %1 не записан в %2: %3. На сервер ничего не отправлено.")
                        .arg(host, QDir::toNativeSeparators(path), error);
        return false;
    }
    return true;
}
