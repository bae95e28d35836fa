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
// And its folder: others may read and enter it.
const int OpenToOthers = 0005;
const int OpenFolder = 0755;

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
        const QString path = m_folder.mid(0, level).join(QLatin1Char('/'));
        const RemoteAddress folder = m_page.sibling(path);
        TransferResult made;
        if (overHttp()) {
            made = m_session.request(folder.sibling(folder.fileName + QLatin1Char('/')), m_login, "MKCOL");
            if (made.responseCode == AlreadyThere)
                continue;
            if (made.succeeded())
                m_madeFolders.prepend(folder);
        } else {
            RemoteFacts found;
            made = folderFacts(folder, &found);
            if (made.succeeded() && found.presence == RemoteFacts::Present)
                continue;
            if (serverStoppedAnswering(made))
                return made;
            made = m_session.makeFolder(folder, m_login);
            if (made.succeeded()) {
                m_madeFolders.prepend(folder);
                made = openToOthers(folder, path);
            }
        }
        if (!made.succeeded())
            return made;
    }
    return succeeded();
}

TransferResult PictureUpload::folderFacts(const RemoteAddress &folder, RemoteFacts *found)
{
    QVector<FactsAsked> asked{{folder, RemoteFacts::Mode | RemoteFacts::Folder, RemoteFacts()}};
    const TransferResult result = m_session.facts(m_login, &asked);
    *found = asked.first().found;
    return result;
}

// A folder made for its owner alone (vsftpd's local_umask=077) keeps the web server out, and every
// picture in it shows broken; a folder that was there already is the host's business.
TransferResult PictureUpload::openToOthers(const RemoteAddress &folder, const QString &path)
{
    RemoteFacts found;
    const TransferResult asked = folderFacts(folder, &found);
    if (serverStoppedAnswering(asked))
        return asked;
    if (found.mode >= 0 && (found.mode & OpenToOthers) == OpenToOthers)
        return succeeded();
    const TransferResult set = m_session.setMode(folder, m_login, found.mode < 0 ? OpenFolder : found.mode | OpenFolder);
    if (set.succeeded() || serverStoppedAnswering(set))
        return set;
    if (found.mode >= 0) {
        m_closedFolders << tr("Папка %1 создана с правами %2: если картинки не видны на сайте, попросите хостинг "
                              "открыть её для чтения.")
                               .arg(path, QString::number(found.mode, 8).rightJustified(4, QLatin1Char('0')));
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
    // Where the server has MLST, whether the name is free comes with the same question.
    QVector<FactsAsked> asked{{temporary, RemoteFacts::Size | RemoteFacts::Mode, RemoteFacts()},
                              {inFolder(name), 0, RemoteFacts()}};
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
    // The names taken, asked just before the rename (with the size where MLST tells): FTP's RNTO
    // would write over one.
    QString free = name;
    if (asked.last().found.presence != RemoteFacts::Absent) {
        QByteArray listing;
        result = m_session.listFolder(temporary, m_login, &listing, true);
        if (!result.succeeded())
            return removeTemporary(temporary, result);
        int number = 1;
        while (nameInListing(listing, free) && number < MaxNumberedNames)
            free = numberedName(name, ++number);
        if (nameInListing(listing, free))
            return removeTemporary(temporary, failed(tr("в папке нет свободного имени для %1").arg(name)));
    }
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
