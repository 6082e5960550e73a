#include "image/Decode.h"

#include "image/Exif.h"
#include "image/ThumbnailCache.h"
#include "picture/Picture.h"
#include "shell/FileNames.h"

#include <QFile>
#include <QImageReader>

#include <cmath>
#include <new>
#include <utility>

namespace {

// Large enough for a full decode of the largest image we accept.
constexpr int AllocationLimitMB = int(MaxSourcePixels * 4 / (qint64{1024} * 1024)) + 64;
constexpr qint64 BytesPerBlock = qint64{64} * 2;  // one coefficient block
constexpr qint64 DecoderOverhead = 1 << 20;
constexpr int MaxHeaderSegments = 512;
constexpr int SmallestEntrySize = 128;  // the cache's "normal" size

int roundHalfEven(double value)
{
    // nearbyint rounds in the current mode, which is to-nearest-even.
    return int(std::nearbyint(value));
}

qint64 area(QSize size)
{
    return qint64(size.width()) * size.height();
}

quint16 bigEndian16(const uchar* p)
{
    return quint16((p[0] << 8) | p[1]);
}

// The file as the decoder reads it. Once a stop is asked for, every read
// fails: the decoder then ends as at a cut-off file, with the little work
// left of a decode at the thumbnail's scale, whatever the file holds.
class StoppableFile final : public QFile {
public:
    explicit StoppableFile(DecodeStop stop) : m_stop(std::move(stop)) {}
    bool stopped() const { return m_stopped; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (!m_stopped && m_stop)
            m_stopped = m_stop();
        if (m_stopped)
            return -1;
        return QFile::readData(data, maxSize);
    }

private:
    const DecodeStop m_stop;
    bool m_stopped = false;
};

// A reader that decodes upright (EXIF orientation applied), with sizes
// given and taken upright although the decoder works in stored orientation.
class UprightReader {
public:
    explicit UprightReader(const QString& path, DecodeStop stop = {}) : m_file(std::move(stop))
    {
        if (!OpenForReading(m_file, path))
            return;
        m_frame = ReadJpegFrame(m_file);
        m_file.seek(0);
        m_reader.setDevice(&m_file);
        m_reader.setAutoTransform(true);
        m_reader.setAllocationLimit(AllocationLimitMB);
        m_stored = m_reader.size();
        m_transformation = m_reader.transformation();
        m_turned = m_transformation & QImageIOHandler::TransformationRotate90;
    }

    // Not a picture, too large to decode safely, or a header that claims
    // more than the file's bytes could ever describe.
    bool refused() const
    {
        if (m_stored.isEmpty() || area(m_stored) > MaxSourcePixels)
            return true;
        // Every block of a Huffman-coded JPEG takes at least one bit.
        return m_frame && !m_frame->arithmetic && m_file.size() * 8 < m_frame->blocks;
    }
    QSize size() const { return m_turned ? m_stored.transposed() : m_stored; }
    // A picture of the whole image made by a program that did not turn it
    // upright comes out with the stored aspect; it is turned here.
    QImage upright(const QImage& picture) const
    {
        const bool landscape = picture.width() > picture.height();
        if (!m_turned || picture.width() == picture.height() || landscape == (size().width() > size().height()))
            return picture;
        return turned(picture);
    }
    // A picture in the stored orientation turned as the image is.
    QImage turned(const QImage& picture) const
    {
        // The order in which the reader applies them.
        QImage turned = picture.mirrored(m_transformation & QImageIOHandler::TransformationMirror,
                                         m_transformation & QImageIOHandler::TransformationFlip);
        return m_turned ? turned.transformed(QTransform().rotate(90)) : turned;
    }
    // JPEG decodes straight at a reduced size.
    void setScaledSize(QSize upright) { m_reader.setScaledSize(m_turned ? upright.transposed() : upright); }
    QImage read() { return m_reader.read(); }
    bool stopped() const { return m_file.stopped(); }

    // Memory a decode to `target` (upright; nullopt for the whole image) holds.
    qint64 decodeBytes(std::optional<QSize> target) const
    {
        qint64 bytes = DecoderOverhead;
        if (m_frame && m_frame->wholeImageBuffer)
            bytes += m_frame->blocks * BytesPerBlock;
        if (!target)
            return bytes + area(m_stored) * 4 * (m_turned ? 2 : 1);  // turning copies the image
        const QSize out = m_turned ? target->transposed() : *target;
        int denominator = 1;  // libjpeg decodes at 1/2, 1/4 or 1/8 when that is still large enough
        while (m_frame && denominator < 8 && m_stored.width() / (denominator * 2) >= out.width()
               && m_stored.height() / (denominator * 2) >= out.height())
            denominator *= 2;
        const QSize decoded((m_stored.width() + denominator - 1) / denominator,
                            (m_stored.height() + denominator - 1) / denominator);
        return bytes + (area(decoded) + area(out)) * 4;
    }

private:
    StoppableFile m_file;
    QImageReader m_reader;
    std::optional<JpegFrame> m_frame;
    QSize m_stored;
    QImageIOHandler::Transformations m_transformation;
    bool m_turned = false;
};

} // namespace

std::optional<QSize> ThumbnailSize(QSize image, int maxWidth, int maxHeight)
{
    const int w = image.width();
    const int h = image.height();
    if (maxWidth == 0 && maxHeight == 0)
        return std::nullopt;
    if (w <= maxWidth && h <= maxHeight)
        return std::nullopt;
    const double rw = double(maxWidth) / w;
    const double rh = double(maxHeight) / h;
    const double r = rw < rh ? rw : rh;
    return QSize(std::max(1, roundHalfEven(w * r)), std::max(1, roundHalfEven(h * r)));
}

namespace {

// Whether a picture is the image's shape within a pixel of rounding at its size.
bool sameShape(QSize picture, QSize image)
{
    const double height = double(picture.width()) * image.height() / image.width();
    const double width = double(picture.height()) * image.width() / image.height();
    return std::abs(picture.height() - height) <= 1 || std::abs(picture.width() - width) <= 1;
}

// Black on average: the compression's ringing lightens a bar near its edge.
bool darkLine(const QImage& picture, int first, bool row)
{
    const int length = row ? picture.width() : picture.height();
    qint64 light = 0;
    for (int i = 0; i < length; ++i) {
        const QRgb pixel = row ? picture.pixel(i, first) : picture.pixel(first, i);
        light += std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
    }
    return light <= qint64(length) * 16;
}

// The picture without the black bars of a letterboxed camera thumbnail.
QImage withoutBars(const QImage& picture)
{
    int top = 0, bottom = picture.height() - 1, left = 0, right = picture.width() - 1;
    while (top < bottom && darkLine(picture, top, true))
        ++top;
    while (bottom > top && darkLine(picture, bottom, true))
        --bottom;
    while (left < right && darkLine(picture, left, false))
        ++left;
    while (right > left && darkLine(picture, right, false))
        --right;
    return picture.copy(QRect(QPoint(left, top), QPoint(right, bottom)));
}

// The photograph's embedded thumbnail, upright and scaled to `target`, when
// it is the same picture and at least that large; a null image otherwise.
QImage embeddedThumbnail(const QString& path, const UprightReader& reader, QSize target)
{
    const QByteArray bytes = ReadExif(path).thumbnail;
    if (bytes.isEmpty())
        return {};
    QImage picture = reader.turned(QImage::fromData(bytes, "JPEG").convertToFormat(QImage::Format_RGB32));
    if (picture.isNull())
        return {};
    // Cropped first: black bars around a picture of the right shape would
    // make it another picture.
    picture = withoutBars(picture);
    if (!sameShape(picture.size(), reader.size()) || picture.width() < target.width()
        || picture.height() < target.height())
        return {};
    return picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The whole thumbnail when `whole`; else only what a cell keeps, its small
// version, made no larger than the cache's normal entry. A photograph that
// has to be decoded for it is decoded at the size of the entry for the
// limits, which that entry gets too: the cost is nearly the same, and a zoom
// soon after the load then reads it instead of decoding again.
DecodedThumbnail decodeThumbnail(const QString& path, int maxWidth, int maxHeight, const ThumbnailCache* cache,
                                 bool whole, const DecodeStop& stop)
{
    DecodedThumbnail result;
    std::optional<ThumbnailCache::Original> file;
    int entrySize = 0;
    if (cache && (entrySize = ThumbnailCache::EntrySize(maxWidth, maxHeight)))
        file = cache->original(path);
    const int limitsEntry = entrySize;
    if (!whole)
        entrySize = std::min(entrySize, SmallestEntrySize);
    try {
        UprightReader reader(path, stop);
        const std::optional<QSize> thumb = reader.refused() ? std::nullopt
                                                            : ThumbnailSize(reader.size(), maxWidth, maxHeight);
        // The cache keeps pictures that fit its size folder; the cell's
        // thumbnail is made from that.
        const bool cached = file && thumb;
        std::optional<QSize> target = cached ? ThumbnailSize(reader.size(), entrySize, entrySize) : thumb;
        const std::optional<QSize> normal = ThumbnailSize(reader.size(), SmallestEntrySize, SmallestEntrySize);
        if (!whole && !cached && thumb && normal && normal->width() < thumb->width())
            target = normal;
        // A cell's small version and the normal entry need no more than a
        // camera's embedded thumbnail holds: the photograph is not decoded.
        if (!whole && thumb && target)
            result.image = embeddedThumbnail(path, reader, *target);
        bool stored = false;  // the larger entry brings the normal one with it
        if (!reader.refused() && result.image.isNull()) {
            const std::optional<QSize> larger = cached && limitsEntry > entrySize
                                                    ? ThumbnailSize(reader.size(), limitsEntry, limitsEntry)
                                                    : std::nullopt;
            if (larger || target)
                reader.setScaledSize(larger ? *larger : *target);
            result.image = reader.read();
            if (larger && !result.image.isNull() && !reader.stopped()) {
                if (result.image.size() != *larger)
                    result.image = result.image.scaled(*larger, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                cache->store(*file, limitsEntry, result.image, reader.size());
                stored = true;
            }
        }
        if (reader.stopped()) {
            result = {};
            result.stopped = true;  // not the file's fault: the cache is not told
            return result;
        }
        if (result.image.isNull()) {
            if (file)
                cache->storeFailure(*file);
            return {};
        }
        if (target && result.image.size() != *target)
            result.image = result.image.scaled(*target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (cached && !stored)
            cache->store(*file, entrySize, result.image, reader.size());
        result.decoded = true;
        result.fits = !thumb;
        result.size = thumb.value_or(result.image.size());
        if (whole && result.image.size() != result.size)
            result.image = result.image.scaled(result.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        result.small = Picture::SmallVersion(result.image, result.size);
        if (!whole && thumb)
            result.image = {};  // a cell keeps its small version only
    } catch (const std::bad_alloc&) {
        result = {};
    }
    return result;
}

} // namespace

DecodedThumbnail DecodeThumbnail(const QString& path, int maxWidth, int maxHeight, const ThumbnailCache* cache,
                                 const DecodeStop& stop)
{
    return decodeThumbnail(path, maxWidth, maxHeight, cache, false, stop);
}

std::optional<DecodedThumbnail> CachedThumbnail(const QString& path, int maxWidth, int maxHeight,
                                                const ThumbnailCache& cache)
{
    const int entrySize = ThumbnailCache::EntrySize(maxWidth, maxHeight);
    const std::optional<ThumbnailCache::Original> file = entrySize ? cache.original(path) : std::nullopt;
    if (!file)
        return std::nullopt;
    if (cache.failedBefore(*file))
        return DecodedThumbnail{};
    // The smallest entry holds more than a cell shows until the view zooms
    // in, and reads in a fraction of the time of a larger one.
    QImage entry = cache.find(*file, SmallestEntrySize);
    if (entry.isNull() && entrySize != SmallestEntrySize)
        entry = cache.find(*file, entrySize);
    if (entry.isNull())
        return std::nullopt;
    try {
        const UprightReader reader(path);
        const std::optional<QSize> thumb = reader.refused() ? std::nullopt
                                                            : ThumbnailSize(reader.size(), maxWidth, maxHeight);
        if (!thumb)
            return std::nullopt;  // kept whole, or not to be decoded at all: the file decides
        const QImage picture = reader.upright(entry);
        // An entry smaller than the small version would be enlarged; the
        // file is decoded instead and the entries made again.
        const QSize small = thumb->boundedTo({Picture::SmallSide, Picture::SmallSide});
        if (picture.width() < small.width() || picture.height() < small.height())
            return std::nullopt;
        DecodedThumbnail found;
        found.decoded = true;
        found.size = *thumb;
        found.small = Picture::SmallVersion(picture.convertToFormat(QImage::Format_RGB32), found.size);
        return found;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

namespace {

// The whole thumbnail from the entry for its limits, scaled to its size.
QImage wholeFromCache(const UprightReader& reader, QSize thumb, const ThumbnailCache::Original& file,
                      int entrySize, const ThumbnailCache& cache)
{
    const QImage picture = reader.upright(cache.find(file, entrySize));
    // An entry smaller than the thumbnail would be enlarged.
    if (picture.width() < thumb.width() || picture.height() < thumb.height())
        return {};
    return picture.scaled(thumb, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32);
}

QImage inType(const QImage& image, bool grey)
{
    return grey && !image.isNull() ? image.convertToFormat(QImage::Format_Grayscale8) : image;
}

} // namespace

QImage ThumbnailVersion(const QString& path, int maxWidth, int maxHeight, int side, bool grey,
                        const ThumbnailCache* cache)
{
    try {
        UprightReader reader(path);
        if (reader.refused())
            return {};
        const std::optional<QSize> thumb = ThumbnailSize(reader.size(), maxWidth, maxHeight);
        const QSize whole = thumb.value_or(reader.size());
        const std::optional<ThumbnailCache::Original> file = cache ? cache->original(path) : std::nullopt;
        if (side >= std::max(whole.width(), whole.height())) {
            const int entrySize = ThumbnailCache::EntrySize(maxWidth, maxHeight);
            if (file && thumb && entrySize) {
                if (const QImage cached = wholeFromCache(reader, *thumb, *file, entrySize, *cache); !cached.isNull())
                    return inType(cached, grey);
            }
            return inType(decodeThumbnail(path, maxWidth, maxHeight, cache, true, {}).image, grey);
        }
        // A version smaller than the whole thumbnail: the cache's entry of
        // the next size up is the image fitted to that, the version fitted
        // to less.
        const QSize fitted = whole.scaled(side, side, Qt::KeepAspectRatio).expandedTo({1, 1});
        if (const int entrySize = ThumbnailCache::EntrySize(side, side); file && entrySize) {
            const QImage entry = reader.upright(cache->find(*file, entrySize));
            if (entry.width() >= fitted.width() && entry.height() >= fitted.height())
                return inType(Picture::fitted(entry, side, false), grey);
            // Decoded at the size of the limits' entry, which is written for
            // the next zoom step, at about the cost of a decode to this one.
            if (thumb)
                return inType(
                    Picture::fitted(decodeThumbnail(path, maxWidth, maxHeight, cache, true, {}).image, side, false),
                    grey);
        }
        reader.setScaledSize(fitted);
        QImage decoded = reader.read();
        if (!decoded.isNull() && decoded.size() != fitted)
            decoded = decoded.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return inType(decoded, grey);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

QImage DecodeForDisplay(const QString& path, QSize bound)
{
    try {
        UprightReader reader(path);
        if (reader.refused())
            return {};
        // In its own shape: each side bounded on its own would squash it.
        QSize target = reader.size();
        if (target.width() > bound.width() || target.height() > bound.height())
            target = target.scaled(bound.expandedTo(QSize(1, 1)), Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        if (target != reader.size())
            reader.setScaledSize(target);
        return reader.read();
    } catch (const std::bad_alloc&) {
        return {};
    }
}

qint64 EstimatedDecodeBytes(const QString& path, int maxWidth, int maxHeight)
{
    const UprightReader reader(path);
    if (reader.refused())
        return 0;
    return reader.decodeBytes(ThumbnailSize(reader.size(), maxWidth, maxHeight));
}

std::optional<JpegFrame> ReadJpegFrame(QIODevice& file)
{
    uchar head[2];
    if (file.read(reinterpret_cast<char*>(head), 2) != 2 || head[0] != 0xFF || head[1] != 0xD8)
        return std::nullopt;
    std::optional<JpegFrame> frame;
    int components = 0;
    for (int segment = 0; segment < MaxHeaderSegments; ++segment) {
        char byte = 0;
        // A marker is 0xFF, possibly padded with more 0xFF, then its code.
        if (!file.getChar(&byte) || uchar(byte) != 0xFF)
            return std::nullopt;
        do {
            if (!file.getChar(&byte))
                return std::nullopt;
        } while (uchar(byte) == 0xFF);
        const uchar marker = uchar(byte);
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;  // markers without a segment
        uchar lengthBytes[2];
        if (marker == 0xD9 || file.read(reinterpret_cast<char*>(lengthBytes), 2) != 2)
            return std::nullopt;
        const int length = bigEndian16(lengthBytes) - 2;
        if (length < 0)
            return std::nullopt;
        const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8
                                  && marker != 0xCC;
        if (startOfFrame) {
            const QByteArray body = file.read(length);
            const auto* p = reinterpret_cast<const uchar*>(body.constData());
            if (body.size() < 6)
                return std::nullopt;
            components = p[5];
            if (components < 1 || body.size() < 6 + 3 * components)
                return std::nullopt;
            JpegFrame found;
            found.size = QSize(bigEndian16(p + 3), bigEndian16(p + 1));
            found.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            found.arithmetic = marker >= 0xC9;
            int hMax = 1;
            int vMax = 1;
            for (int i = 0; i < components; ++i) {
                hMax = std::max(hMax, p[7 + 3 * i] >> 4);
                vMax = std::max(vMax, p[7 + 3 * i] & 15);
            }
            const qint64 mcuColumns = (found.size.width() + 8 * hMax - 1) / (8 * hMax);
            const qint64 mcuRows = (found.size.height() + 8 * vMax - 1) / (8 * vMax);
            for (int i = 0; i < components; ++i)
                found.blocks += mcuColumns * std::max(1, p[7 + 3 * i] >> 4) * mcuRows * std::max(1, p[7 + 3 * i] & 15);
            frame = found;
        } else if (marker == 0xDA) {
            if (!frame)
                return std::nullopt;
            char inScan = 0;
            if (!file.getChar(&inScan))
                return std::nullopt;
            // A first scan without every component means the decoder keeps
            // the whole image until the last scan, as progressive files do.
            frame->wholeImageBuffer = frame->progressive || uchar(inScan) < components;
            return frame;
        } else if (!file.seek(file.pos() + length)) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}
