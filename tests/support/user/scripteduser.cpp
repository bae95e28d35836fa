#include "scripteduser.h"

#include "publish/history.h"

#include "messages.h"
#include "testserver.h"
#include "transfer/transferresult.h"

bool ScriptedUser::ask(const QString &question)
{
    seen << question;
    if (m_answers.isEmpty()) {
        ++unscripted;
        return false;
    }
    return m_answers.dequeue();
}

QString ScriptedUser::nextFile()
{
    seen << Caption;
    if (m_files.isEmpty()) {
        ++unscripted;
        return QString();
    }
    return m_files.dequeue();
}

bool ScriptedUser::goOnWithoutBackup()
{
    return ask(Question);
}

bool ScriptedUser::confirmRestore(const QString &fileName, const QString &address)
{
    return ask(RestoreQuestion + '\n' + shownAddress(address) + '\n' + fileName);
}

bool ScriptedUser::confirmRepeatedItem()
{
    return ask(RepeatQuestion);
}

bool ScriptedUser::confirmEmptyItem()
{
    return ask(EmptyQuestion);
}

bool ScriptedUser::confirmRemoval(const PublishedItem &item)
{
    return ask(RemoveQuestion + publishedItemSummary(item));
}

bool ScriptedUser::confirmEmptyPassword()
{
    return ask(EmptyPasswordQuestion);
}

bool ScriptedUser::confirmRollback(const QDateTime &version, const QStringList &goneItems)
{
    return ask(rollbackQuestion(version, goneItems));
}

bool ScriptedUser::trustUnknownHostKey(const HostKeyFacts &facts)
{
    return ask(facts.host + ' ' + facts.keyType + ' ' + facts.fingerprint);
}

ServerAccess accessTo(const TestServer &server, bool withLogin)
{
    ServerAccess access;
    access.downloadAddress = access.uploadAddress = server.url(QStringLiteral("news.html"));
    if (withLogin) {
        access.login = server.user();
        access.password = server.password();
    }
    return access;
}
