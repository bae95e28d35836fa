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

// A camera's JPEG: image stored as it is, with an EXIF orientation (6: to be turned 90° clockwise).
inline QByteArray cameraJpeg(const QImage &image, quint16 orientation)
{
    // APP1 "Exif", a little-endian TIFF header and one IFD holding the orientation alone.
    const char exif[] = "\xFF\xE1\x00\x22"
                        "Exif\0\0"
                        "II\x2A\x00\x08\x00\x00\x00"
                        "\x01\x00"
                        "\x12\x01\x03\x00\x01\x00\x00\x00\x00\x00\x00\x00"
                        "\x00\x00\x00\x00";
    QByteArray segment(exif, sizeof(exif) - 1);
    segment[4 + 6 + 8 + 2 + 8] = char(orientation & 0xFF);
    return encoded(image, "jpeg").insert(2, segment);
}

// A GIF of two colours, written here as Qt writes none: red on the left half, blue on the right.
inline QByteArray twoColourGif(int width, int height)
{
    QByteArray gif("GIF89a");
    const auto word = [&gif](int value) { gif.append(char(value & 0xFF)).append(char(value >> 8)); };
    word(width);
    word(height);
    gif.append("\x80\x00\x00\xFF\x00\x00\x00\x00\xFF", 9);  // a table of two colours: red, blue
    gif.append(',');
    word(0);
    word(0);
    word(width);
    word(height);
    gif.append('\0').append('\x02');  // no local table; codes start at two bits
    // Three-bit codes, a clear code before every two pixels, so the code size never grows.
    QByteArray data;
    quint32 bits = 0;
    int count = 0;
    const auto code = [&](int value) {
        bits |= quint32(value) << count;
        for (count += 3; count >= 8; count -= 8, bits >>= 8)
            data.append(char(bits & 0xFF));
    };
    for (int pixel = 0; pixel < width * height; ++pixel) {
        if (pixel % 2 == 0)
            code(4);
        code(pixel % width < width / 2 ? 0 : 1);
    }
    code(5);
    if (count > 0)
        data.append(char(bits & 0xFF));
    for (int at = 0; at < data.size(); at += 255)
        gif.append(char(qMin(255, int(data.size() - at)))).append(data.mid(at, 255));
    return gif.append('\0').append(';');
}

#endif // PICTURES_H
