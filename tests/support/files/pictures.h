#ifndef PICTURES_H
#define PICTURES_H

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainter>

// Pictures made in the test, as a camera or an editor would have them on disk.

// A picture whose left half is red and right half blue, to tell how it was turned.
inline QImage halves(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, width / 2, height, Qt::red);
    return image;
}

inline QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 95);
    return bytes;
}

// A camera's JPEG: image stored as it is, lying on its side (EXIF orientation 6: turn 90° clockwise).
inline QByteArray cameraJpeg(const QImage &image)
{
    // APP1 "Exif", a little-endian TIFF header and one IFD holding the orientation alone.
    const char exif[] = "\xFF\xE1\x00\x22" "Exif\0\0" "II\x2A\x00\x08\x00\x00\x00" "\x01\x00"
                        "\x12\x01\x03\x00\x01\x00\x00\x00\x06\x00\x00\x00" "\x00\x00\x00\x00";
    return encoded(image, "jpeg").insert(2, QByteArray(exif, sizeof(exif) - 1));
}

// A GIF of 8 by 2, as Qt writes none: red on the left half, blue on the right.
inline QByteArray twoColourGif()
{
    const char gif[] = "GIF89a\x08\x00\x02\x00\x80\x00\x00\xFF\x00\x00\x00\x00\xFF"  // size; colours red, blue
                       ",\x00\x00\x00\x00\x08\x00\x02\x00\x00\x02"                  // one image, 2-bit codes
                       "\x0A\x04\x08\x30\x61\x42\x80\x00\x13\x26\x05\x00;";      // a clear code every 2 pixels
    return QByteArray(gif, sizeof(gif) - 1);
}

#endif // PICTURES_H
