#include "support/TestImages.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

namespace TestImages {

QByteArray encode(const QImage& image, bool progressive)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

QByteArray jpeg(int width, int height, int orientation)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, width / 2, height, Qt::red);
    const QByteArray bytes = encode(image);
    return orientation == 1 ? bytes : withOrientation(bytes, orientation);
}

QByteArray withOrientation(const QByteArray& jpeg, int orientation)
{
    // APP1 "Exif": a little-endian TIFF header, one IFD entry (tag 0x0112,
    // SHORT, count 1, the value at byte 28) and no next IFD.
    QByteArray app1("\xFF\xE1\0\x22" "Exif\0\0" "II*\0\x08\0\0\0" "\x01\0" "\x12\x01\x03\0\x01\0\0\0"
                    "?\0\0\0" "\0\0\0\0", 36);
    app1[28] = char(orientation);
    return QByteArray(jpeg).insert(2, app1);  // right after SOI
}

QByteArray jpegClaiming(int width, int height, bool progressive)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QByteArray bytes = encode(image, progressive);
    const qsizetype sof = bytes.indexOf(progressive ? "\xFF\xC2" : "\xFF\xC0");  // start of frame
    for (int i = 0; i < 4; ++i)
        bytes[sof + 5 + i] = char((i < 2 ? height : width) >> (i % 2 ? 0 : 8));
    return bytes;
}

void write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

} // namespace TestImages
