#include "support/TestImages.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

#include <tuple>
#include <utility>

namespace TestImages {

QByteArray encode(const QImage& image, const char* format, bool progressive)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);  // opened by the writer
    QImageWriter writer(&buffer, format);
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
    QImage image = filled({width, height}, Qt::blue);
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
    // An IFD at `at` of (tag, type, value) entries, type 2 ASCII, 3 SHORT or 4 LONG; the values longer than four
    // bytes follow it.
    using Entries = QList<std::tuple<int, int, QByteArray>>;
    const auto ifd = [&](quint32 at, const Entries& entries, quint32 next) {
        const quint32 dataAt = at + 6 + 12 * quint32(entries.size());
        QByteArray table = number(entries.size(), 2), data;
        for (const auto& [tag, type, value] : entries) {
            table += number(tag, 2) + number(type, 2) + number(type == 2 ? value.size() : 1, 4);
            table += value.size() <= 4 ? value.leftJustified(4, '\0') : number(dataAt + data.size(), 4);
            data += value.size() <= 4 ? QByteArray() : value;
        }
        return table + number(next, 4) + data;
    };
    Entries ifd0, sub;
    for (const auto& [tag, text] :
         {std::pair{0x9003, fields.taken}, {0x9004, fields.digitized}, {0x9011, fields.offset}})
        if (!text.isEmpty())
            sub << std::tuple{tag, 2, text + '\0'};
    if (fields.orientation)
        ifd0 << std::tuple{0x0112, 3, number(fields.orientation, 2)};
    const quint32 subAt = 8 + 6 + 12 * quint32(ifd0.size() + !sub.isEmpty());
    const QByteArray subIfd = sub.isEmpty() ? QByteArray() : ifd(subAt, sub, 0);
    if (!sub.isEmpty())
        ifd0 << std::tuple{0x8769, 4, number(subAt, 4)};
    const quint32 ifd1At = subAt + subIfd.size();  // the thumbnail's, which its bytes follow
    const Entries thumbnail{{0x0201, 4, number(ifd1At + 6 + 24, 4)}, {0x0202, 4, number(fields.thumbnail.size(), 4)}};
    const QByteArray tiff = QByteArray(fields.bigEndian ? "MM\0*" : "II*\0", 4) + number(8, 4)
        + ifd(8, ifd0, fields.thumbnail.isEmpty() ? 0 : ifd1At) + subIfd
        + (fields.thumbnail.isEmpty() ? QByteArray() : ifd(ifd1At, thumbnail, 0) + fields.thumbnail);
    const QByteArray body = QByteArray("Exif\0\0", 6) + tiff;
    const quint32 length = body.size() + 2;
    return QByteArray("\xFF\xE1") + char(length >> 8) + char(length) + body;
}

QByteArray withExif(const QByteArray& jpeg, const Exif& fields, qsizetype at)
{
    return QByteArray(jpeg).insert(at, exif(fields));
}

QByteArray jpegClaiming(int width, int height, bool progressive)
{
    QByteArray bytes = encode(filled({16, 16}, Qt::gray), "jpeg", progressive);
    const qsizetype sof = bytes.indexOf(progressive ? "\xFF\xC2" : "\xFF\xC0");  // start of frame
    for (int i = 0; i < 4; ++i)
        bytes[sof + 5 + i] = char((i < 2 ? height : width) >> (i % 2 ? 0 : 8));
    return bytes;
}

QString write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

} // namespace TestImages
