#include "publish/passwordstore.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTimer>
#include <QUrl>

#if QT_VERSION_MAJOR >= 6
#include <qt6keychain/keychain.h>
#else
#include <qt5keychain/keychain.h>
#endif

#include <memory>

namespace {

const char Service[] = "NewsAdder";

QString tr(const char *text)
{
    return QCoreApplication::translate("NewsAdder", text);
}

// Starts job and answers once: when it finishes, or with a problem when it takes too long.
void run(QKeychain::Job *job, const PasswordStore::Answer &answer, QObject *context)
{
    auto answered = std::make_shared<bool>(false);
    // The job outlives the store until it finishes: the store's late answer would reach a deleted job.
    job->setAutoDelete(true);
    // Never a file instead of the store.
    job->setInsecureFallback(false);
    QObject::connect(job, &QKeychain::Job::finished, context, [answer, answered](QKeychain::Job *done) {
        if (*answered)
            return;
        *answered = true;
        const auto read = qobject_cast<QKeychain::ReadPasswordJob *>(done);
        if (done->error() == QKeychain::NoError)
            answer(read ? read->textData() : QString(), QString());
        else if (done->error() == QKeychain::EntryNotFound)
            answer(QString(), QString());
        else
            answer(QString(), tr("хранилище паролей отказало: %1").arg(done->errorString()));
    });
    QTimer::singleShot(PasswordStore::TimeoutMsecs, context, [answer, answered] {
        if (*answered)
            return;
        *answered = true;
        answer(QString(), tr("хранилище паролей не ответило за %1 с").arg(PasswordStore::TimeoutMsecs / 1000));
    });
    job->start();
}

} // namespace

PasswordStore::PasswordStore(QObject *parent)
    : QObject(parent)
{
}

QString PasswordStore::unavailableReason()
{
    // Without a session bus address D-Bus would try to start one of its own.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return tr("Пароль не запомнить: нет сеанса рабочего стола с хранилищем паролей (D-Bus не запущен).");
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    if (!bus)
        return tr("Пароль не запомнить: нет связи с D-Bus сеанса.");
    const QStringList stores{QStringLiteral("org.freedesktop.secrets"), QStringLiteral("org.kde.kwalletd5"),
                             QStringLiteral("org.kde.kwalletd6")};
    const QStringList startable = bus->activatableServiceNames();
    for (const QString &store : stores) {
        if (bus->isServiceRegistered(store) || startable.contains(store))
            return QString();
    }
    return tr("Пароль не запомнить: хранилище паролей (GNOME Keyring, KWallet) не запущено.");
}

QString PasswordStore::entryFor(const QString &address, const QString &login)
{
    const QUrl url(address.trimmed());
    QUrl server;
    server.setScheme(url.scheme());
    server.setHost(url.host());
    server.setPort(url.port());
    return login + QLatin1Char('@') + server.toString();
}

void PasswordStore::read(const QString &entry, const Answer &answer)
{
    auto job = new QKeychain::ReadPasswordJob(QLatin1String(Service));
    job->setKey(entry);
    run(job, answer, this);
}

void PasswordStore::write(const QString &entry, const QString &password, const Answer &answer)
{
    auto job = new QKeychain::WritePasswordJob(QLatin1String(Service));
    job->setKey(entry);
    job->setTextData(password);
    run(job, answer, this);
}

void PasswordStore::remove(const QString &entry, const Answer &answer)
{
    auto job = new QKeychain::DeletePasswordJob(QLatin1String(Service));
    job->setKey(entry);
    run(job, answer, this);
}
