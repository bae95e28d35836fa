#ifndef PUBLISHER_H
#define PUBLISHER_H

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

#include "transfer/pagelock.h"
#include "page/publisheditems.h"
#include "publish/journal.h"
#include "publish/settings.h"
#include "transfer/transfersession.h"

class PictureUpload;
class UserInterface;
enum class Failure;

// How a command ended, and the last message it showed (empty when it showed none).
struct PublishResult
{
    enum Outcome {
        Done,        // published, saved or restored
        Failed,      // the message says why
        Cancelled,   // the user said no or chose no file
        Interrupted  // the application quits (no message), or the server's key was refused: nothing more is tried
    };
    Outcome outcome = Done;
    QString message;

    bool succeeded() const { return outcome == Done; }
};

// What the commands need to reach the server.
struct ServerAccess
{
    QString downloadAddress;  // settings key remotepath
    QString uploadAddress;    // settings key remoteFTPpath
    QString caCertFile;       // certificates to trust instead of the system's; empty for the system's
    QString login;
    QString password;
    int idleTimeout = DefaultIdleTimeout;
    int lockWait = DefaultLockWait;  // for someone else's send to end
    // Where the item's pictures from the editor's disk go, relative to the page's folder (settings key imagefolder).
    QString imageFolder = QString::fromLatin1(DefaultImageFolder);
    // The Atom feed beside the page (settings keys feed, feeditems), its links from pageurl; no feed
    // when feedName is empty or feedProblem() refuses it.
    QString pageUrl;
    QString feedName;
    int feedItems = DefaultFeedItems;
};

// The publishing commands: send an item, save the server's page to a backup, restore a backup. It
// keeps the working copy news.html and the automatic backups in the working directory, and asks and
// tells the user through user. The commands' transfers share one session, so one connection and one
// login per server, closed when the command ends; a step called on its own gets a session of its own.
class Publisher
{
public:
    explicit Publisher(UserInterface &user);
    ~Publisher();
    Publisher(const Publisher &) = delete;
    Publisher &operator=(const Publisher &) = delete;

    void setAccess(const ServerAccess &access) { m_access = access; }
    const ServerAccess &access() const { return m_access; }

    // The editor's raw text (paragraph and line separators as its line breaks) with its date, first
    // on the server's page, after an automatic backup of it. Pictures it names by file:// addresses
    // go up into the picture folder first, and the published item names them there.
    PublishResult send(const QString &editorText, const QDateTime &date);
    // The server's page into a file the user chooses.
    PublishResult backup();
    // A file the user chooses onto the server, after an automatic backup of the page it replaces.
    PublishResult restore();
    // The items on the server's page, newest first: one download, nothing locked, backed up or changed.
    PublishResult listPublished(QVector<PublishedItem> &items);
    // A listed item replaced by the editor's text with its date, or removed once the user agrees; each
    // as a send, but only while the page still holds the item as listed.
    PublishResult correct(const PublishedItem &item, const QString &editorText, const QDateTime &date);
    PublishResult remove(const PublishedItem &item);
    // publisherhistory.cpp
    // The server's page into page: one download, nothing locked, backed up or written, nothing told;
    // false with the reason in why when it could not be had.
    bool fetchPage(QByteArray &page, QString *why);
    // An automatic backup in the site's folder onto the server, once the user agrees, with every
    // guarantee of a send; only while the server's page is still comparedPage.
    PublishResult rollback(const QString &backupFile, const QByteArray &comparedPage);
    // Automatic backups kept after a command that succeeded (settings key keepbackups); 0 keeps all.
    void setKeepBackups(int count) { m_keepBackups = count; }

    // The steps the commands are made of.
    // The server's page into the working copy, noting its size and time for the upload.
    PublishResult fetchWorkingCopy();
    PublishResult fetchBackup(const QString &fileName);
    // item into the working copy, after the page's marker.
    PublishResult insertItem(const QString &item);
    // The working copy onto the server; after a fetch in the same command, should someone else's
    // send have changed the page meanwhile, it is fetched and the item inserted again.
    PublishResult uploadWorkingCopy();
    // fileName's contents onto the server as they are.
    PublishResult upload(const QString &fileName);

    // The working copy, news.html in the working directory unless set otherwise.
    void setWorkingCopy(const QString &fileName) { m_workingCopy = fileName; }
    QString workingCopy() const { return m_workingCopy; }
    // Where the automatic backups take their time from; the system clock unless set otherwise.
    void setClock(const std::function<QDateTime()> &clock) { m_clock = clock; }
    // The item the last send composed (as published, its pictures on the server), or the last one inserted.
    QString item() const { return m_item; }

private:
    // One command's transfer session: made by the outermost step or command, closed when it ends.
    class Command
    {
    public:
        explicit Command(Publisher &publisher);
        ~Command();
        Command(const Command &) = delete;
        Command &operator=(const Command &) = delete;

    private:
        Publisher &m_publisher;
        bool m_owner;
    };

    // A picture of the item from the editor's disk, read (and shrunk) before anything is sent.
    struct Picture
    {
        QString filePath;
        QString name;  // its clean name, with the extension of its content
        QByteArray bytes;
    };

    // What a command does to the page, the one thing a send, a correction and a removal differ in:
    // item inserted, or put in the place of replaced, or replaced removed when item is null.
    struct PageChange
    {
        QString item;
        PublishedItem replaced;
        QDateTime date;      // the new item's, for the journal
        QString editorText;
    };

    // The editor's item composed and published, in replaced's place unless that is null.
    PublishResult publishItem(const QString &editorText, const QDateTime &date, const PublishedItem &replaced);
    // The lock, the page fetched once for the automatic backup and the working copy, then the rest
    // in publishWithPictures.
    PublishResult changePage(const PageChange &change, const QList<Picture> &pictures);
    // The running command's session, made at its first transfer.
    TransferSession &session();
    void endTransfers();
    // The send's download: the page fetched once, then kept as the automatic backup (see
    // automaticBackup), its size and time noted for the upload. The working copy is written with the
    // change, or as fetched by keepFetchedWorkingCopy where the command stops before that.
    PublishResult fetchWithBackup();
    bool keepFetchedWorkingCopy(QString *error = nullptr);

    // publisherpictures.cpp
    // The item's pictures from the disk, ready to go; Failed, said why, at the first that cannot.
    PublishResult readPictures(const QString &item, QList<Picture> *pictures);
    // The picture folder's parts below the page's folder, empty when the setting is refused.
    QStringList pictureFolder() const;
    // The same as the published item names it, encoded and ending in '/'.
    QString pictureFolderAddress() const;
    // item with its pictures named by their addresses on the server, where names gives them.
    QString publishedItem(const QString &item, const QList<Picture> &pictures, const QStringList &names) const;
    // The pictures into the folder; names gets the names they took.
    PublishResult uploadPictures(const QList<Picture> &pictures, QStringList *names);
    // The steps after the download: the pictures uploaded once the change is sure to go, the working
    // copy changed and uploaded.
    PublishResult publishWithPictures(const QList<Picture> &pictures);

    PublishResult fetchInto(const QString &fileName, bool forUpload);
    // A download's failure told as the command's, Done when it succeeded.
    PublishResult downloaded(const TransferResult &transfer);
    QString comparedUpload() const;
    PublishResult notSaved(const QString &fileName, const QString &error, bool forUpload);
    // The command's change made in the working copy.
    PublishResult editWorkingCopy(bool *markerMissing);
    PublishResult uploadFile(const QString &fileName, bool isWorkingCopy);
    // publisherfeed.cpp
    // The feed rebuilt from page, which this command has just put on the server, under the command's
    // lock: every command that changes the page calls it right after the page's upload. Empty when
    // written or when there is no feed to write, else why not; the page stays as it is then.
    QString writeFeed(const QByteArray &page);
    // The page about to change (page, or downloaded when null) into a fresh automatic backup; should
    // that fail, the user decides whether the command goes on (Done) or not.
    PublishResult automaticBackup(const QByteArray *page);
    // The page's lock for the rest of the command (a send or a restore), taken before its first
    // download; Failed when someone else publishes or the server cannot be used.
    PublishResult lockPage();
    bool addressesUsable(AddressesNeeded needed);
    // No password typed for the login: true only when the user means it.
    bool passwordIntended();
    bool addressUsable(const QString &address, Failure failure);
    void tell(const QString &text);
    PublishResult result(PublishResult::Outcome outcome) const { return {outcome, m_lastMessage}; }
    PublishResult failed(Failure failure, const QString &reason);
    // The server cannot be used (refused login, unreachable, untrusted): said after the download's prefix.
    PublishResult serverFailed(const TransferResult &transfer, const QString &address);
    // The editor said no: nothing goes to the server.
    PublishResult uploadCancelled();

    // publisherhistory.cpp: the journal's line of the command that reaches the server's page, begun
    // at its start, filled by its steps and written at its end (see recorded).
    void startRecord(const char *command);
    PublishResult recorded(const PublishResult &result);

    UserInterface &m_user;
    JournalEntry m_record;
    int m_keepBackups = 0;
    bool m_journalFailureSaid = false;
    ServerAccess m_access;
    QString m_workingCopy = QStringLiteral("news.html");
    std::function<QDateTime()> m_clock = &QDateTime::currentDateTime;
    QString m_item;
    PageChange m_change;
    // The running command's page, held once: as downloaded (the automatic backup is written from it)
    // until the change is made in it, then as uploaded. Kept until the next
    // command starts.
    QByteArray m_page;
    // m_page holds what the working copy holds on the disk, so the upload sends it without reading.
    bool m_pageIsWorkingCopy = false;
    // ... or what it is to hold: until the change is saved, the disk has it in the automatic backup.
    bool m_workingCopyInBackup = false;
    QString m_lastMessage;
    // The running command met a server that cannot be used (see serverUnusable): nothing more is asked.
    bool m_serverUnusable = false;
    // The message being told is not the command's last: a question or more transfers follow.
    bool m_goesOn = false;
    int m_commandDepth = 0;
    TransferSession *m_session = nullptr;
    // The running send's pictures on the server: removed with its transfers' end unless the page
    // now names them.
    std::unique_ptr<PictureUpload> m_pictures;  // the running command's, if any
};

#endif // PUBLISHER_H
