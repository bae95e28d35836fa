#ifndef FAILUREMESSAGES_H
#define FAILUREMESSAGES_H

#include <QString>

enum class LocalAccess;

// What a command was doing when it failed; each has its own first words in the message.
enum class Failure {
    Download,          // fetching the page from the server
    Upload,            // storing the page on the server
    LocalSave,         // saving a fetched page to a local file
    UnreadableUpload,  // reading the local file to upload
    InsertionRead,     // reading the working copy to insert the item
    InsertionWrite,    // writing the working copy with the item
    LocalPicture,      // reading a picture from the editor's disk
    PictureUpload      // storing a picture on the server
};

// The failure's first words, a space, then why.
QString failureMessage(Failure failure, const QString &reason);

// A local file that failed before anything went to the server: which file, why, and that nothing was sent.
QString nothingSent(const QString &fileName, LocalAccess access, const QString &error);

#endif // FAILUREMESSAGES_H
