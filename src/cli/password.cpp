#include "cli/password.h"

#include "publish/localfile.h"
#include "publish/passwordstore.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("CommandLine", text);
}

QString storedPassword(const QString &address, const QString &login)
{
    if (!PasswordStore::unavailableReason().isEmpty())
        return QString();
    PasswordStore store;
    QEventLoop loop;
    QString found;
    // The store answers once, within its time-out.
    store.read(PasswordStore::entryFor(address, login), [&](const QString &password, const QString &) {
        found = password;
        loop.quit();
    });
    loop.exec();
    return found;
}

QString filePassword(const QString &fileName, QString *problem)
{
    const QFileInfo info(fileName);
    if (info.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther)) {
        *problem = tr("Файл пароля %1 могут читать другие пользователи: закройте его (chmod 600 %1).").arg(fileName);
        return QString();
    }
    QByteArray bytes;
    QString error;
    if (!readWholeFile(fileName, bytes, &error)) {
        *problem = tr("Файл пароля %1 не читается: %2").arg(fileName, error);
        return QString();
    }
    // Its first line, as `echo secret > file` writes it.
    const int end = bytes.indexOf('\n');
    QByteArray line = end < 0 ? bytes : bytes.left(end);
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

} // namespace

QString commandLinePassword(const QString &address, const QString &login, bool remembered,
                            const QString &passwordFile, QString *problem)
{
    if (remembered && !login.isEmpty()) {
        const QString stored = storedPassword(address, login);
        if (!stored.isEmpty())
            return stored;
    }
    const QString variable = qEnvironmentVariable("NEWSADDER_PASSWORD");
    if (!variable.isEmpty())
        return variable;
    return passwordFile.isEmpty() ? QString() : filePassword(passwordFile, problem);
}
