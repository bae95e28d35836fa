#ifndef PASTEDPICTURE_H
#define PASTEDPICTURE_H

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

// The folder of the site's folder that pictures pasted into the editor are kept in.
extern const char PastedPictureFolder[];
// A photo-like picture larger than this as PNG is kept as JPEG at PastedJpegQuality instead.
const int MaxPastedPngBytes = 200 * 1024;
const int PastedJpegQuality = 90;

struct PastedPicture
{
    QString filePath;  // where it was saved
    QString problem;   // why it was not, for the user; empty when it was
};

// A picture from the clipboard, as encoded bytes (read only once its size is known to be within the
// limits) or, where the clipboard had none, as image, saved in folder as pasted-YYYY-MM-DD-hhmmss.png
// (.jpg for a large photo) after now, a number added where that name is taken.
PastedPicture savePastedPicture(const QByteArray &bytes, QImage image, const QString &folder, const QDateTime &now);

#endif // PASTEDPICTURE_H
