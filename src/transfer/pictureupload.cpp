#include "transfer/pictureupload.h"

#include "transfer/failurereason.h"
#include "transfer/filemode.h"
#include "page/picturename.h"
#include "transfer/transfersession.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <algorithm>

namespace {

// Names tried for one picture before its name counts as used up.
const int MaxNumberedNames = 1000;

// What a picture needs to be shown by the web server: readable by all.
const int ReadableByAll = 0444;

const int NotFound = 404;
const int AlreadyThere = 405;  // MKCOL on a folder that exists

TransferResult succeeded()
{
    return TransferResult{TransferResult::Succeeded, QString()};
}

TransferResult failed(const QString &why)
{
    return TransferResult{TransferResult::Failed, why};
}

QString tr(const char *text)
{
    return QCoreApplication::translate("NewsAdder", text);
}

} // namespace

PictureUpload::PictureUpload(TransferSession &session, const QString &pageAddress, const QStringList &folder,
                             const QString &login, const QString &password)
    : m_session(session)
    , m_page(parseAddress(pageAddress))
    , m_folder(folder)
    , m_login(login.isEmpty() ? Login() : Login::of(login, password))
{
}

RemoteAddress PictureUpload::inFolder(const QString &name) const
{
    return m_page.sibling((m_folder + QStringList{name}).join(QLatin1Char('/')));
}

TransferResult PictureUpload::makeFolder()
{
    for (int level = 1; level <= m_folder.size(); ++level) {
        const RemoteAddress folder = m_page.sibling(m_folder.mid(0, level).join(QLatin1Char('/')));
        TransferResult made;
        if (overHttp()) {
            made = m_session.request(folder.sibling(folder.fileName + QLatin1Char('/')), m_login, "MKCOL");
            if (made.responseCode == AlreadyThere)
                continue;
        } else {
            // The folder holding it lists it when it is there.
            QByteArray listing;
            made = m_session.listFolder(folder, m_login, &listing);
            if (made.succeeded() && modeInListing(listing, folder.fileName) != NotListed)
                continue;
            if (serverStoppedAnswering(made))
                return made;
            made = m_session.makeFolder(folder, m_login);
        }
        if (!made.succeeded())
            return made;
        m_madeFolders.prepend(folder);
    }
    return succeeded();
}

TransferResult PictureUpload::put(const QString &name, const QByteArray &data, QString *storedName)
{
    return overHttp() ? putOverHttp(name, data, storedName) : putRenamed(name, data, storedName);
}

TransferResult PictureUpload::putRenamed(const QString &name, const QByteArray &data, QString *storedName)
{
    const QString token = QString::number(QRandomGenerator::global()->generate() | 0x10000000u, 16);
    const RemoteAddress temporary = inFolder(QLatin1Char('.') + name + QStringLiteral(".newsadder-") + token
                                             + QStringLiteral(".tmp"));
    TransferResult result = m_session.store(temporary, m_login, data);
    if (!result.succeeded())
        return removeTemporary(temporary, result);
    QVector<FactsAsked> asked{{temporary, RemoteFacts::Size | RemoteFacts::Mode, RemoteFacts()}};
    result = m_session.facts(m_login, &asked);
    if (!result.succeeded())
        return removeTemporary(temporary, result);
    const RemoteFacts &stored = asked.first().found;
    if (stored.size >= 0 && stored.size != data.size())
        return removeTemporary(temporary, failed(tr("сервер сохранил %1 байт из %2").arg(stored.size).arg(data.size())));
    // A server that makes files for their owner alone (vsftpd's local_umask=077) would hide the
    // picture from the web server; one that refuses to change modes keeps its own.
    if (stored.mode < 0 || (stored.mode & ReadableByAll) != ReadableByAll) {
        result = m_session.setMode(temporary, m_login, stored.mode < 0 ? 0644 : stored.mode | ReadableByAll);
        if (serverStoppedAnswering(result))
            return result;
    }
    // The names taken, asked just before the rename: FTP's RNTO would write over one.
    QByteArray listing;
    result = m_session.listFolder(temporary, m_login, &listing);
    if (!result.succeeded())
        return removeTemporary(temporary, result);
    int number = 1;
    QString free = name;
    while (modeInListing(listing, free) != NotListed && number < MaxNumberedNames)
        free = numberedName(name, ++number);
    const RemoteAddress final = inFolder(free);
    result = m_session.rename(temporary, final, m_login);
    if (!result.succeeded())
        return removeTemporary(temporary, result);
    m_stored << final;
    *storedName = free;
    return result;
}

TransferResult PictureUpload::putOverHttp(const QString &name, const QByteArray &data, QString *storedName)
{
    QString free = name;
    for (int number = 1;; free = numberedName(name, ++number)) {
        const TransferResult there = m_session.request(inFolder(free), m_login, "HEAD");
        if (there.responseCode == NotFound)
            break;
        if (!there.succeeded() || number >= MaxNumberedNames)
            return there.succeeded() ? failed(tr("в папке нет свободного имени для %1").arg(name)) : there;
    }
    const RemoteAddress final = inFolder(free);
    const TransferResult result = m_session.store(final, m_login, data);
    if (!result.succeeded()) {
        // A server that keeps a part of a broken PUT is told to drop it.
        if (!serverStoppedAnswering(result))
            m_session.request(final, m_login, "DELETE");
        return result;
    }
    m_stored << final;
    *storedName = free;
    return result;
}

TransferResult PictureUpload::removeTemporary(const RemoteAddress &temporary, const TransferResult &failure)
{
    // Quitting, the session still has a few seconds for it; a silent server has none.
    if (failure.status == TransferResult::Unfinished || !serverStoppedAnswering(failure))
        m_session.remove(temporary, m_login);
    return failure;
}

void PictureUpload::removeStored()
{
    for (const RemoteAddress &picture : qAsConst(m_stored)) {
        if (overHttp())
            m_session.request(picture, m_login, "DELETE");
        else
            m_session.remove(picture, m_login);
    }
    m_stored.clear();
    // Only folders this send made, deepest first, and only where a folder someone filled meanwhile
    // stays (a WebDAV DELETE would take its contents along).
    for (const RemoteAddress &folder : qAsConst(m_madeFolders)) {
        if (!overHttp())
            m_session.removeFolder(folder, m_login);
    }
    m_madeFolders.clear();
}
