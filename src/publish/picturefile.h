#ifndef PICTUREFILE_H
#define PICTUREFILE_H

#include <QByteArray>
#include <QImage>
#include <QString>

// The limits on a picture from the editor's disk.
const qint64 MaxPictureBytes = 50 * 1024 * 1024;
const int MaxPictureSide = 12000;
const int PictureJpegQuality = 85;

// A picture from the editor's disk as it goes to the server.
struct PreparedPicture
{
    QByteArray bytes;
    QString extension;  // of its format: "jpg", "png", "gif" or "webp"
    QString problem;    // why it cannot be used, for the user; empty when it can
};

// The file at fileName, checked by its content, ready for upload: a picture wider than shrinkWidth
// (0 for no limit) is turned upright by its EXIF orientation, scaled down to that width and written
// in its own format (JPEG at PictureJpegQuality); any other goes up as its exact bytes. A GIF always
// does: Qt writes none, and a new one would lose its animation.
PreparedPicture preparePicture(const QString &fileName, int shrinkWidth);

// The picture as it shows once published, for the preview: upright and shrunk as preparePicture
// would make it. Only files named like a picture are read; null for anything that cannot be used.
QImage publishedPicture(const QString &fileName, int shrinkWidth);

// Why the file at fileName cannot go up as a picture, judged by its content; empty when it can.
QString pictureProblem(const QString &fileName);

// Whether fileName ends in an extension of the formats above.
bool hasPictureExtension(const QString &fileName);

#endif // PICTUREFILE_H
