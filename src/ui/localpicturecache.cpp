#include "ui/localpicturecache.h"

#include "page/localpictures.h"
#include "publish/picturefile.h"

#include <QFileInfo>
#include <QUrl>

QImage LocalPictureCache::picture(const QString &address, const QString &item)
{
    const QString path = QUrl(address.trimmed(), QUrl::TolerantMode).toLocalFile();
    // Only what the item itself names: the preview reads no other file of the disk.
    for (const LocalPicture &named : localPictures(item)) {
        if (named.filePath != path)
            continue;
        const QFileInfo file(path);
        Entry &entry = m_entries[path];
        if (entry.modified != file.lastModified() || entry.size != file.size() || entry.shrinkWidth != named.shrinkWidth)
            entry = Entry{file.lastModified(), file.size(), named.shrinkWidth, publishedPicture(path, named.shrinkWidth)};
        return entry.image;
    }
    return QImage();
}
