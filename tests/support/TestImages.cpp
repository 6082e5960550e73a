#include "support/TestImages.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>

namespace TestImages {

namespace {

QByteArray exifOrientation(int orientation)
{
    // APP1 "Exif", little-endian TIFF header, one IFD entry: Orientation.
    QByteArray tiff("II*\0\x08\0\0\0", 8);
    tiff += QByteArray("\x01\0", 2);                     // one entry
    tiff += QByteArray("\x12\x01\x03\0\x01\0\0\0", 8);   // tag 0x0112, SHORT, count 1
    tiff += char(orientation);
    tiff += QByteArray("\0\0\0", 3);                      // value padding
    tiff += QByteArray("\0\0\0\0", 4);                    // no next IFD
    QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(payload.size()) + 2;
    return QByteArray("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF) + payload;
}

} // namespace

QByteArray jpeg(int width, int height, int orientation, bool progressive)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height, Qt::red);
    painter.fillRect(width / 2, 0, width - width / 2, height, Qt::blue);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return orientation == 1 ? bytes : withOrientation(bytes, orientation);
}

QByteArray withOrientation(const QByteArray& jpeg, int orientation)
{
    QByteArray bytes = jpeg;
    bytes.insert(2, exifOrientation(orientation));  // right after SOI
    return bytes;
}

QByteArray jpegClaiming(int width, int height)
{
    QByteArray bytes = jpeg(16, 16);
    for (qsizetype i = 2; i + 9 < bytes.size(); ++i) {
        const auto marker = uchar(bytes.at(i + 1));
        if (uchar(bytes.at(i)) == 0xFF && (marker == 0xC0 || marker == 0xC2)) {
            bytes[i + 5] = char(height >> 8);
            bytes[i + 6] = char(height & 0xFF);
            bytes[i + 7] = char(width >> 8);
            bytes[i + 8] = char(width & 0xFF);
            break;
        }
    }
    return bytes;
}

void write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

void writeJpeg(const QString& path, int width, int height)
{
    write(path, jpeg(width, height));
}

} // namespace TestImages
