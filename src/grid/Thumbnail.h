#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

struct MainState;
class ThumbnailPrefetcher;

// Images whose stored size exceeds this are passed over before decoding:
// the reader's own limit checks only the output, not the work of getting it.
constexpr qint64 MaxSourcePixels = 250'000'000;

// The thumbnail size of an upright w x h image under the limits, the aspect
// ratio kept and halves rounded to even; nullopt when the image is used as
// it is (it fits, or both limits are 0). No side is ever 0.
std::optional<QSize> ThumbnailSize(QSize image, int maxWidth, int maxHeight);

// One image decoded for a cell, upright. Safe on any thread.
struct DecodedThumbnail {
    bool decoded = false;
    bool fits = false;  // the image itself, not a scaled copy
    QImage image;
};
DecodedThumbnail DecodeThumbnail(const QString& path, int maxWidth, int maxHeight);

// Decodes a picture to show at no more than `bound` pixels (and no more
// than its own size), upright; the caller stretches it as it likes.
QImage DecodeForDisplay(const QString& path, QSize bound);

// Makes cell pictures. A scaled thumbnail goes through "thumb.bmp" in the
// scratch folder; an image that fits is taken as it is.
class Thumbnailer {
public:
    explicit Thumbnailer(MainState& state) : m_state(state) {}

    // Sets UseFullImage; false when the file cannot be decoded or a stop
    // was requested before a scaled copy was saved.
    bool MakeThumbnail(const QString& path);
    // MakeThumbnail followed by the load every caller does: the picture for
    // the cell, or nullopt when MakeThumbnail refused the file. Throws when
    // the picture cannot be loaded.
    std::optional<QImage> CellPicture(const QString& path);

    // Decodes made ahead by workers are used when they are there.
    void setPrefetcher(ThumbnailPrefetcher* prefetcher) { m_prefetcher = prefetcher; }

    static QString ThumbFile();

private:
    MainState& m_state;
    ThumbnailPrefetcher* m_prefetcher = nullptr;
    QImage m_picImage;  // the source, kept when it is used whole
};
