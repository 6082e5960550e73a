#include "support/TestImages.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

#include <utility>

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

QImage filled(QSize size, QColor colour, QImage::Format format)
{
    QImage image(size, format);
    image.fill(colour);
    return image;
}

QByteArray jpeg(int width, int height, int orientation)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, width / 2, height, Qt::red);
    const QByteArray bytes = encode(image);
    return orientation == 1 ? bytes : withExif(bytes, {.orientation = orientation});
}

QByteArray exif(const Exif& fields)
{
    const auto number = [&](quint32 value, int bytes) {
        QByteArray out(bytes, '\0');
        for (int i = 0; i < bytes; ++i)
            out[fields.bigEndian ? bytes - 1 - i : i] = char(value >> (8 * i));
        return out;
    };
    struct Entry {
        quint32 tag, type;  // type 2 ASCII, 3 SHORT, 4 LONG
        QByteArray value;
    };
    QList<Entry> subIfd;
    for (const auto& [tag, text] : {std::pair{0x9003, fields.taken}, {0x9004, fields.digitized}, {0x9011, fields.offset}})
        if (!text.isEmpty())
            subIfd << Entry{quint32(tag), 2, text + '\0'};
    QList<Entry> ifd0;
    if (fields.orientation)
        ifd0 << Entry{0x0112, 3, number(fields.orientation, 2)};
    const auto size = [](qsizetype entries) { return quint32(2 + 12 * entries + 4); };
    const quint32 subAt = 8 + size(ifd0.size() + (subIfd.isEmpty() ? 0 : 1));
    if (!subIfd.isEmpty())
        ifd0 << Entry{0x8769, 4, number(subAt, 4)};
    const quint32 ifd1At = subAt + (subIfd.isEmpty() ? 0 : size(subIfd.size()));
    const quint32 dataAt = ifd1At + (fields.thumbnail.isEmpty() ? 0 : size(2));

    QByteArray tiff = QByteArray(fields.bigEndian ? "MM\0*" : "II*\0", 4) + number(8, 4);
    QByteArray data;  // the values longer than four bytes
    const auto write = [&](const QList<Entry>& ifd, quint32 next) {
        tiff += number(ifd.size(), 2);
        for (const Entry& entry : ifd) {
            const quint32 count = entry.type == 2 ? entry.value.size() : 1;
            tiff += number(entry.tag, 2) + number(entry.type, 2) + number(count, 4);
            if (entry.value.size() <= 4) {
                tiff += entry.value.leftJustified(4, '\0');
            } else {
                tiff += number(dataAt + data.size(), 4);
                data += entry.value;
            }
        }
        tiff += number(next, 4);
    };
    write(ifd0, fields.thumbnail.isEmpty() ? 0 : ifd1At);
    if (!subIfd.isEmpty())
        write(subIfd, 0);
    if (!fields.thumbnail.isEmpty()) {
        write({{0x0201, 4, number(dataAt + data.size(), 4)}, {0x0202, 4, number(fields.thumbnail.size(), 4)}}, 0);
        data += fields.thumbnail;
    }
    const QByteArray body = QByteArray("Exif\0\0", 6) + tiff + data;
    const quint32 length = body.size() + 2;
    return QByteArray("\xFF\xE1") + char(length >> 8) + char(length) + body;
}

QByteArray withExif(const QByteArray& jpeg, const Exif& fields, qsizetype at)
{
    return QByteArray(jpeg).insert(at, exif(fields));
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
