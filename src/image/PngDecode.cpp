#include "image/PngDecode.h"

#include <QtEndian>

#include <libdeflate.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr uchar Signature[] = {137, 80, 78, 71, 13, 10, 26, 10};
constexpr qsizetype ChunkFrameBytes = 12;  // length, type, CRC

quint32 bigEndian32(const uchar* p)
{
    return qFromBigEndian<quint32>(p);
}

libdeflate_decompressor* decompressor()
{
    // One per thread: a decompressor is not shared, and costs 10 KB to make.
    thread_local const std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> made(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    return made.get();
}

uchar paeth(int left, int above, int aboveLeft)
{
    const int estimate = left + above - aboveLeft;
    const int toLeft = std::abs(estimate - left);
    const int toAbove = std::abs(estimate - above);
    const int toAboveLeft = std::abs(estimate - aboveLeft);
    if (toLeft <= toAbove && toLeft <= toAboveLeft)
        return uchar(left);
    return uchar(toAbove <= toAboveLeft ? above : aboveLeft);
}

// Undoes a row's filter in place; `above` is the row before, already undone
// (zeros for the first row). False for a filter PNG does not have.
bool unfilter(uchar filter, uchar* row, const uchar* above, int bytes, int pixelBytes)
{
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (int i = pixelBytes; i < bytes; ++i)
            row[i] = uchar(row[i] + row[i - pixelBytes]);
        return true;
    case 2:
        for (int i = 0; i < bytes; ++i)
            row[i] = uchar(row[i] + above[i]);
        return true;
    case 3:
        for (int i = 0; i < pixelBytes; ++i)
            row[i] = uchar(row[i] + above[i] / 2);
        for (int i = pixelBytes; i < bytes; ++i)
            row[i] = uchar(row[i] + (row[i - pixelBytes] + above[i]) / 2);
        return true;
    case 4:
        for (int i = 0; i < pixelBytes; ++i)
            row[i] = uchar(row[i] + above[i]);
        for (int i = pixelBytes; i < bytes; ++i)
            row[i] = uchar(row[i] + paeth(row[i - pixelBytes], above[i], above[i - pixelBytes]));
        return true;
    default:
        return false;
    }
}

void copyRow(const uchar* from, uchar* to, int width, int channels)
{
    auto* pixels = reinterpret_cast<QRgb*>(to);
    switch (channels) {
    case 1:
        std::memcpy(to, from, size_t(width));
        break;
    case 3:
        for (int x = 0; x < width; ++x, from += 3)
            pixels[x] = qRgb(from[0], from[1], from[2]);
        break;
    default:
        for (int x = 0; x < width; ++x, from += 4)
            pixels[x] = qRgba(from[0], from[1], from[2], from[3]);
    }
}

} // namespace

std::optional<QImage> DecodePlainPng(const QByteArray& png, int maxSide)
{
    const auto* bytes = reinterpret_cast<const uchar*>(png.constData());
    if (png.size() < qsizetype(sizeof Signature) || std::memcmp(bytes, Signature, sizeof Signature) != 0)
        return QImage();
    int width = 0, height = 0, channels = 0;
    QByteArray compressed;
    QList<std::pair<QString, QString>> texts;
    for (qsizetype at = sizeof Signature; at + ChunkFrameBytes <= png.size();) {
        const uchar* chunk = bytes + at;
        const quint32 length = bigEndian32(chunk);
        if (length > quint32(png.size() - at - ChunkFrameBytes))
            return QImage();
        at += ChunkFrameBytes + qsizetype(length);
        const QByteArrayView type(chunk + 4, 4);
        const uchar* data = chunk + 8;
        const bool critical = (type[0] & 0x20) == 0;
        if (libdeflate_crc32(0, chunk + 4, length + 4) != bigEndian32(data + length)) {
            if (critical)
                return QImage();
            continue;  // a damaged note is passed over, as libpng does
        }
        if (type == "IHDR") {
            if (length != 13)
                return QImage();
            const uchar depth = data[8], colour = data[9], interlace = data[12];
            channels = colour == 0 ? 1 : colour == 2 ? 3 : colour == 6 ? 4 : 0;
            if (depth != 8 || channels == 0 || interlace != 0 || data[10] != 0 || data[11] != 0)
                return std::nullopt;
            width = int(std::min<quint32>(bigEndian32(data), INT_MAX));
            height = int(std::min<quint32>(bigEndian32(data + 4), INT_MAX));
        } else if (type == "IDAT") {
            compressed.append(reinterpret_cast<const char*>(data), qsizetype(length));
        } else if (type == "tEXt") {
            const auto* end = data + length;
            const auto* nul = static_cast<const uchar*>(std::memchr(data, 0, length));
            if (nul && nul != data)
                texts.append({QString::fromLatin1(reinterpret_cast<const char*>(data), nul - data),
                              QString::fromLatin1(reinterpret_cast<const char*>(nul + 1), end - nul - 1)});
        } else if (type == "zTXt" || type == "iTXt") {
            return std::nullopt;  // compressed or international notes: Qt's reader reads them
        } else if (type == "IEND") {
            break;
        }
    }
    if (channels == 0 || width <= 0 || height <= 0 || width > maxSide || height > maxSide)
        return QImage();
    const int rowBytes = width * channels;
    const size_t stride = size_t(rowBytes) + 1;  // each row starts with its filter
    const std::unique_ptr<uchar[]> raw(new uchar[stride * size_t(height)]);
    size_t inflated = 0;
    if (libdeflate_zlib_decompress(decompressor(), compressed.constData(), size_t(compressed.size()), raw.get(),
                                   stride * size_t(height), &inflated)
            != LIBDEFLATE_SUCCESS
        || inflated != stride * size_t(height))
        return QImage();
    QImage image(width, height,
                 channels == 1 ? QImage::Format_Grayscale8
                               : channels == 3 ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    if (image.isNull())
        return QImage();
    const std::unique_ptr<uchar[]> zeros(new uchar[size_t(rowBytes)]());
    const uchar* above = zeros.get();
    for (int y = 0; y < height; ++y) {
        uchar* row = raw.get() + stride * size_t(y);
        if (!unfilter(row[0], row + 1, above, rowBytes, channels))
            return QImage();
        copyRow(row + 1, image.scanLine(y), width, channels);
        above = row + 1;
    }
    for (const auto& [key, value] : texts)
        image.setText(key, value);
    return image;
}
