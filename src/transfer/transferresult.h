#ifndef TRANSFERRESULT_H
#define TRANSFERRESULT_H

#include <QString>

#include <functional>

// The outcome of one download or upload.
struct TransferResult
{
    enum Status {
        Succeeded,   // finished without error; a download's file holds the whole page
        Failed,      // finished with an error; errorText says why
        Unfinished,  // the wait ended because the application quits
        SaveFailed,  // fetched whole, but the local file could not take it; it keeps its old contents
        PageChanged, // not uploaded: the page on the server is no longer the one downloaded
        HostKeyRefused,  // the SSH server's key changed or was not trusted: nothing sent, the command ends
        Locked       // someone else's send holds the page's lock folder: nothing sent; errorText says so
    };
    Status status = Unfinished;
    QString errorText;     // curl's text or the program's own (SaveFailed: the local file's), never with the password
    // For telling failures apart: curl's code (CURLcode), the server's last reply code, curl's own words.
    int curlCode = 0;
    long responseCode = 0;
    QString curlError;

    bool succeeded() const { return status == Succeeded; }
};

// Size and modification time of a file on the server, to notice that someone else replaced it.
struct RemoteStamp
{
    qint64 size = -1;
    qint64 time = -1;
    bool operator==(const RemoteStamp &other) const { return size == other.size && time == other.time; }
    bool operator!=(const RemoteStamp &other) const { return !(*this == other); }
};

// What a server tells of a file or folder; -1 for what it does not tell.
struct RemoteFacts
{
    enum Presence { Unknown, Present, Absent };
    // The facts a caller asks for, or'ed.
    // Folder: the one asked is a folder, whose presence and mode a listing tells too.
    enum Fact { Size = 1, Time = 2, Mode = 4, Folder = 8 };
    Presence presence = Unknown;
    qint64 size = -1;
    qint64 time = -1;  // seconds since the epoch
    int mode = -1;     // permission bits

    RemoteStamp stamp() const { return RemoteStamp{size, time}; }
};

// An SSH server's key that known_hosts does not hold, as the user is shown it to decide on it.
struct HostKeyFacts
{
    QString host;         // "host" for port 22, "[host]:port" otherwise, as known_hosts names it
    QString keyType;      // "ssh-ed25519", "ecdsa-sha2-nistp256", ...
    QString fingerprint;  // "SHA256:..."
};
// Runs on the GUI thread; true when the user trusts the key.
using HostKeyQuestion = std::function<bool(const HostKeyFacts &)>;

#endif // TRANSFERRESULT_H
