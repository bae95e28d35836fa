#include "publish/pastedpicture.h"

#include "publish/localfile.h"
#include "publish/picturefile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QSet>

#include <algorithm>
#include <cmath>

const char PastedPictureFolder[] = "pictures";

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("NewsAdder", text);
}

QByteArray encodedAs(const QImage &image, const char *format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    return writer.write(image) ? bytes : QByteArray();
}

// A photo has colours all over it; a screenshot's few flat ones compress well as PNG and stay sharp.
bool photoLike(const QImage &image)
{
    if (image.hasAlphaChannel())
        return false;
    const int step = std::max(1, int(std::sqrt(double(image.width()) * image.height() / 10000.0)));
    QSet<QRgb> colours;
    int samples = 0;
    for (int y = 0; y < image.height(); y += step) {
        for (int x = 0; x < image.width(); x += step, ++samples)
            colours.insert(image.pixel(x, y) & 0xffffff);
    }
    return colours.size() * 4 > samples;
}

} // namespace

PastedPicture savePastedPicture(const QByteArray &bytes, QImage image, const QString &folder, const QDateTime &now)
{
    PastedPicture pasted;
    QSize size = image.size();
    if (!bytes.isEmpty()) {
        QBuffer buffer;
        buffer.setData(bytes);
        QImageReader reader(&buffer);
        size = reader.size();
    }
    if (size.width() >= MaxPictureSide || size.height() >= MaxPictureSide) {
        pasted.problem = tr("Картинка из буфера обмена — %1×%2 точек, не меньше %3 по стороне: она не вставлена.")
                             .arg(size.width()).arg(size.height()).arg(MaxPictureSide);
        return pasted;
    }
    if (!bytes.isEmpty())
        image = QImage::fromData(bytes);
    if (image.isNull()) {
        pasted.problem = tr("Картинку из буфера обмена не удалось прочесть: она не вставлена.");
        return pasted;
    }
    QByteArray saved = encodedAs(image, "png");
    QString extension = QStringLiteral("png");
    if (saved.size() > MaxPastedPngBytes && photoLike(image)) {
        saved = encodedAs(image.convertToFormat(QImage::Format_RGB32), "jpeg", PastedJpegQuality);
        extension = QStringLiteral("jpg");
    }
    const QDir dir(folder);
    const QString stem = QStringLiteral("pasted-") + now.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    QString name = stem + QLatin1Char('.') + extension;
    for (int number = 2; dir.exists(name) && number < 1000; ++number)
        name = stem + QStringLiteral("-%1.").arg(number) + extension;
    QString error;
    if (saved.isEmpty())
        error = tr("картинку не удалось записать как %1").arg(extension.toUpper());
    else if (!dir.mkpath(QStringLiteral(".")))
        error = tr("папку нельзя создать");
    else if (saveWholeFile(dir.filePath(name), saved, &error))
        pasted.filePath = dir.filePath(name);
    if (pasted.filePath.isEmpty()) {
        pasted.problem = tr("Картинку из буфера обмена не удалось сохранить в %1 (%2): она не вставлена.")
                             .arg(QDir::toNativeSeparators(dir.filePath(name)), error);
    }
    return pasted;
}
