#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

class QIODevice;
class ThumbnailCache;

// Images whose stored size exceeds this are passed over before decoding:
// the reader's own limit checks only the output, not the work of getting it.
constexpr qint64 MaxSourcePixels = 250'000'000;

// Asked between reads of a file, on the thread that decodes it: true ends
// the decode at once, with nothing made. A pool passes its job's token.
using DecodeStop = std::function<bool()>;

// The thumbnail size of an upright w x h image under the limits, the aspect
// ratio kept and halves rounded to even; nullopt when the image is used as
// it is (it fits, or both limits are 0). No side is ever 0.
std::optional<QSize> ThumbnailSize(QSize image, int maxWidth, int maxHeight);

// One image made ready for a cell, upright. Safe on any thread.
struct DecodedThumbnail {
    bool decoded = false;
    bool fits = false;  // the image itself, not a scaled copy
    bool stopped = false;  // a stop ended the decode: nothing was made
    QImage image;  // the whole thumbnail, when it is kept
    // Its small version, all a cell shows until the view zooms in, made
    // where the decode is (a picture from the shared cache has only this);
    // `size` is the whole thumbnail's.
    QImage small;
    QSize size;

    qint64 bytes() const { return image.sizeInBytes() + small.sizeInBytes(); }
};
// A cell's picture: its small version and the whole thumbnail's size; the
// image too only when it fits as it is. Made from the embedded thumbnail
// when that is the same picture and large enough. With a cache, the normal
// entry for the file (or the note that it failed) is written as well;
// a stopped decode writes nothing.
DecodedThumbnail DecodeThumbnail(const QString& path, int maxWidth, int maxHeight,
                                 const ThumbnailCache* cache = nullptr, const DecodeStop& stop = {});
// A cell's picture from a valid cache entry, as the small version of its
// entry of the cache's smallest size, or a refusal the cache remembers;
// nullopt when the file has to be decoded.
std::optional<DecodedThumbnail> CachedThumbnail(const QString& path, int maxWidth, int maxHeight,
                                                const ThumbnailCache& cache);
// The version of a thumbnail made under the limits that fits a box of
// `side` pixels (the whole thumbnail when it fits), upright and in grey
// when `grey`: from the shared cache where it holds one, else from the
// file. A null image when the file cannot be decoded.
QImage ThumbnailVersion(const QString& path, int maxWidth, int maxHeight, int side, bool grey,
                        const ThumbnailCache* cache);

// Decodes a picture to show within `bound` pixels (and no larger than its
// own size), upright, its aspect kept.
QImage DecodeForDisplay(const QString& path, QSize bound);

// What DecodeThumbnail will hold in memory for this file at these limits,
// read from the header alone; 0 when the file will be refused unread.
qint64 EstimatedDecodeBytes(const QString& path, int maxWidth, int maxHeight);

// The frame of a JPEG file as its header describes it.
struct JpegFrame {
    QSize size;                 // stored orientation
    bool progressive = false;
    bool arithmetic = false;
    bool wholeImageBuffer = false;  // libjpeg keeps every coefficient in memory
    qint64 blocks = 0;              // 8 x 8 blocks of all components
};
// Reads the markers up to the first scan; nullopt for anything else.
std::optional<JpegFrame> ReadJpegFrame(QIODevice& file);

// Decodes made ahead of time, asked for in order by the thumbnail maker.
class ReadyDecodes {
public:
    virtual ~ReadyDecodes() = default;
    // The decode of a file that was queued for it, nullopt for any other.
    virtual std::optional<DecodedThumbnail> take(const QString& path, int maxWidth, int maxHeight) = 0;
};
