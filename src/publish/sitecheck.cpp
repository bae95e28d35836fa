#include "publish/sitecheck.h"

#include "page/feedlink.h"
#include "page/newsitem.h"
#include "page/publisheditems.h"
#include "publish/cacertfile.h"
#include "publish/userinterface.h"
#include "transfer/failurereason.h"
#include "transfer/pagelock.h"
#include "transfer/transfersession.h"

#include <QCoreApplication>
#include <QTextCodec>

#include <curl/curl.h>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("SiteCheck", text);
}

} // namespace

SiteCheck::SiteCheck(UserInterface &user)
    : m_user(user)
{
}

SiteCheck::~SiteCheck()
{
    stop();
}

void SiteCheck::stop()
{
    if (!m_session)
        return;
    m_stopped = true;
    m_session->stop();
}

bool SiteCheck::fail(const QString &text)
{
    m_report(QStringLiteral("✗ ") + text);
    return false;
}

void SiteCheck::pass(const QString &text)
{
    m_report(QStringLiteral("✓ ") + text);
}

bool SiteCheck::run(const ServerAccess &access, const QString &knownHosts, const QString &feed,
                    const std::function<void(const QString &)> &report)
{
    if (m_session)
        return false;
    m_report = report;
    m_stopped = false;
    for (const QString &address : {access.uploadAddress, access.downloadAddress}) {
        const QString problem = addressProblem(address);
        if (!problem.isEmpty())
            return fail(problem);
    }
    const QString caCert = access.caCertFile.isEmpty() ? QString() : caCertProblem(access.caCertFile);
    if (!caCert.isEmpty())
        return fail(caCert);
    TransferSession session(access.idleTimeout, access.caCertFile);
    session.setKnownHostsFile(knownHosts);
    UserInterface &user = m_user;
    session.setHostKeyQuestion([&user](const HostKeyFacts &facts) { return user.trustUnknownHostKey(facts); });
    session.setWaitObserver([&user](bool waiting) { user.setBusy(waiting); });
    m_session = &session;
    const bool passed = steps(session, access, feed);
    m_session = nullptr;
    if (m_stopped)
        return fail(tr("проверка остановлена"));
    return passed;
}

bool SiteCheck::steps(TransferSession &session, const ServerAccess &access, const QString &feed)
{
    const RemoteAddress page = parseAddress(access.uploadAddress);
    const QString server = page.host + QLatin1Char(':') + QString::number(page.port);
    const Login login = access.login.isEmpty() ? Login() : Login::of(access.login, access.password);
    const QString as = access.login.isEmpty() ? tr("без логина") : tr("как %1").arg(access.login);
    const TransferResult credentials = checkedCredentials(access.login, access.password);
    if (!credentials.succeeded())
        return fail(credentials.errorText);
    if (access.login.isEmpty() && page.scheme->overSsh)
        return fail(noLoginOverSsh());

    // As a send begins: the lock folder made with the upload's login, which no anonymous login stands in for.
    const RemoteAddress lock = page.sibling(PageLock::folderName(page.fileName));
    QString folderLine;
    bool folderWritable = true;
    bool lockMade = false;
    if (page.scheme->replacedByRename) {
        const TransferResult made = session.makeFolder(lock, login);
        if (m_stopped)
            return false;
        if (serverUnusable(made) || serverStoppedAnswering(made) || (!made.succeeded() && made.curlCode != CURLE_QUOTE_ERROR))
            return fail(tr("подключение к %1, вход %2: %3").arg(server, as, failureReason(made, access.uploadAddress)));
        lockMade = made.succeeded();
        if (!lockMade) {
            folderWritable = false;
            folderLine = tr("папка страницы не принимает записи: папка блокировки %1 не создана (%2)")
                             .arg(lock.fileName, failureReason(made, access.uploadAddress));
        }
    }
    pass(page.scheme->replacedByRename ? tr("подключение к %1, вход %2").arg(server, as)
                                       : tr("подключение к %1; логин проверяется при первой отправке").arg(server));

    QByteArray bytes;
    const TransferResult fetched = session.download(access.downloadAddress, &bytes, access.login, access.password);
    bool passed = true;
    if (m_stopped) {
        passed = false;
    } else if (!fetched.succeeded()) {
        passed = fail(tr("страница не загружена: %1").arg(failureReason(fetched, access.downloadAddress)));
    } else {
        const PageCharset charset = pageCharset(bytes);
        const QString charsetName = charset.declaredName.isEmpty() ? tr("windows-1251 (не указана на странице)")
                                                                   : QString::fromLatin1(charset.declaredName);
        pass(tr("страница загружена: %1 байт, кодировка %2").arg(bytes.size()).arg(charsetName));
        if (!charset.codec) {
            passed = fail(tr("кодировку %1 программа не знает: новость не вставить").arg(charsetName));
        } else if (PageTags(bytes, charset.codec).nextMarker() < 0) {
            passed = fail(bytes.contains(encodedAscii(NewsMarker, charset.codec))
                              ? tr("метка %1 есть только в комментарии или скрипте, где браузер её не показывает")
                                    .arg(QString::fromLatin1(NewsMarker))
                              : tr("на странице нет метки %1, после которой встают новости")
                                    .arg(QString::fromLatin1(NewsMarker)));
        } else {
            pass(tr("метка %1 найдена, новостей под ней: %2")
                     .arg(QString::fromLatin1(NewsMarker))
                     .arg(publishedItems(bytes).items.size()));
        }
        if (!feed.trimmed().isEmpty() && charset.codec) {
            if (pageLinksFeed(charset.codec->toUnicode(bytes), feed))
                pass(tr("страница ссылается на ленту %1").arg(feed.trimmed()));
            else
                passed = fail(tr("страница не ссылается на ленту"));
        }
    }
    // Removed also when stopped: a lock left behind would hold every send back for minutes.
    if (lockMade) {
        const TransferResult removed = session.removeFolder(lock, login);
        if (!removed.succeeded() && !m_stopped) {
            folderWritable = false;
            folderLine = tr("папка блокировки %1 создана, но не удалена (%2); удалите её с сервера")
                             .arg(lock.fileName, failureReason(removed, access.uploadAddress));
        }
    }
    if (m_stopped)
        return false;
    if (!page.scheme->replacedByRename)
        pass(tr("запись на сервер проверяется при первой отправке: страница заменяется запросом PUT"));
    else if (folderWritable)
        pass(tr("в папку страницы можно писать: папка блокировки создана и удалена"));
    else
        passed = fail(folderLine);
    return passed && folderWritable;
}
