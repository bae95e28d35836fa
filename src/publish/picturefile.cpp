#include "publish/picturefile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("NewsAdder", text);
}

// Qt's format names, as its readers tell them from the content, with the file extension each takes.
QString extensionOf(const QByteArray &format)
{
    if (format == "jpeg" || format == "jpg")
        return QStringLiteral("jpg");
    if (format == "png" || format == "gif" || format == "webp")
        return QString::fromLatin1(format);
    return QString();
}

// The file's bytes when they hold a picture within the limits; problem says why not otherwise.
QByteArray checkedBytes(const QString &fileName, QByteArray *format, QString *problem)
{
    QFile file(fileName);
    const QFileInfo info(fileName);
    if (!info.exists()) {
        *problem = tr("файла нет");
        return QByteArray();
    }
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        *problem = tr("файл не читается: %1").arg(file.errorString());
        return QByteArray();
    }
    if (file.size() > MaxPictureBytes) {
        *problem = tr("файл больше %1 МБ").arg(MaxPictureBytes / (1024 * 1024));
        return QByteArray();
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *problem = tr("файл не читается: %1").arg(file.errorString());
        return QByteArray();
    }
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    *format = reader.format();
    const QSize size = reader.size();
    if (extensionOf(*format).isEmpty() || !size.isValid()) {
        *problem = tr("это не картинка JPEG, PNG, GIF или WebP");
        return QByteArray();
    }
    if (size.width() > MaxPictureSide || size.height() > MaxPictureSide) {
        *problem = tr("картинка %1×%2 точек, больше %3 по стороне")
                       .arg(size.width()).arg(size.height()).arg(MaxPictureSide);
        return QByteArray();
    }
    return bytes;
}

// The picture upright by its EXIF orientation; null when it cannot be decoded.
QImage upright(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    return reader.read();
}

bool needsShrinking(const QImage &image, int shrinkWidth)
{
    return shrinkWidth > 0 && image.width() > shrinkWidth;
}

} // namespace

QString pictureProblem(const QString &fileName)
{
    QByteArray format;
    QString problem;
    checkedBytes(fileName, &format, &problem);
    return problem;
}

bool hasPictureExtension(const QString &fileName)
{
    static const QStringList extensions{QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("png"),
                                        QStringLiteral("gif"), QStringLiteral("webp")};
    return extensions.contains(QFileInfo(fileName).suffix().toLower());
}

PreparedPicture preparePicture(const QString &fileName, int shrinkWidth)
{
    PreparedPicture picture;
    QByteArray format;
    picture.bytes = checkedBytes(fileName, &format, &picture.problem);
    if (!picture.problem.isEmpty())
        return picture;
    picture.extension = extensionOf(format);
    if (format == "gif")
        return picture;
    const QImage image = upright(picture.bytes);
    if (image.isNull()) {
        picture.problem = tr("картинка повреждена и не читается");
        return picture;
    }
    if (!needsShrinking(image, shrinkWidth))
        return picture;
    QByteArray written;
    QBuffer buffer(&written);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (format == "jpeg")
        writer.setQuality(PictureJpegQuality);
    if (!writer.write(image.scaledToWidth(shrinkWidth, Qt::SmoothTransformation))) {
        picture.problem = tr("картинку не удалось уменьшить: %1").arg(writer.errorString());
        return picture;
    }
    picture.bytes = written;
    return picture;
}

QImage publishedPicture(const QString &fileName, int shrinkWidth)
{
    if (!hasPictureExtension(fileName))
        return QImage();
    QByteArray format;
    QString problem;
    const QByteArray bytes = checkedBytes(fileName, &format, &problem);
    if (!problem.isEmpty())
        return QImage();
    const QImage image = upright(bytes);
    return format != "gif" && needsShrinking(image, shrinkWidth)
        ? image.scaledToWidth(shrinkWidth, Qt::SmoothTransformation)
        : image;
}
