#ifndef LOCALPICTURECACHE_H
#define LOCALPICTURECACHE_H

#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QString>

// The pictures on the editor's disk that the previewed item names, each read again only once its
// file or its shrink width changes.
class LocalPictureCache
{
public:
    // The picture at address (file:…) as it will be published, when item names it; null for any
    // other, and for a file that is not a picture within the limits.
    QImage picture(const QString &address, const QString &item);

private:
    struct Entry
    {
        QDateTime modified;
        qint64 size = -1;
        int shrinkWidth = 0;
        QImage image;
    };
    QHash<QString, Entry> m_entries;  // by file path
};

#endif // LOCALPICTURECACHE_H
