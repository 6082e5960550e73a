#pragma once

#include "picture/Picture.h"
#include "image/Decode.h"
#include "image/DecodeAhead.h"

#include <QString>

#include <optional>

struct LoadFlags;
struct Settings;
class ReadyDecodes;
class ThumbnailCache;

// Makes cell pictures: a scaled thumbnail, or an image that fits as it is.
// With a shared thumbnail cache, its entries spare the decode.
class Thumbnailer {
public:
    // Thumbnails are bounded by the settings' limits; the load's flags tell
    // a decode to stop.
    Thumbnailer(const Settings& settings, const LoadFlags& load, const ThumbnailCache* cache = nullptr)
        : m_settings(settings), m_load(load), m_cache(cache)
    {
    }

    const ThumbnailCache* cache() const { return m_cache; }

    // False when the file cannot be decoded, or when it had to be scaled
    // and a stop was requested meanwhile.
    bool MakeThumbnail(const QString& path);
    // The picture MakeThumbnail makes, grey when `grey`, or nullopt when it
    // refused the file.
    std::optional<Picture> CellPicture(const QString& path, bool grey);
    // The same made from the file itself, never from the shared cache
    // (whose entries it writes again): for a file that changed.
    std::optional<Picture> FreshCellPicture(const QString& path, bool grey);
    // The version of a placed picture that fits a box of `side` pixels,
    // made again from its source. Safe on any thread.
    QImage Version(const PictureSource& source, int side, bool grey) const;

    // What the decodes of this maker ask to learn of a stop of the load.
    DecodeStop stopCheck() const;
    // Decodes made ahead are used when there are some; nullptr for none.
    void setReadyDecodes(ReadyDecodes* ready) { m_ready = ready; }

private:
    bool place(DecodedThumbnail decoded);
    std::optional<Picture> made(const QString& path, bool grey);

    const Settings& m_settings;
    const LoadFlags& m_load;
    const ThumbnailCache* m_cache;
    ReadyDecodes* m_ready = nullptr;
    DecodedThumbnail m_made;  // what the last MakeThumbnail made
};

// Decodes ahead on workers the files a load queues, and lets the thumbnail
// maker take them, for as long as it lives.
class DecodingAhead {
public:
    explicit DecodingAhead(Thumbnailer& maker)
        : m_maker(maker), m_ahead(WorkerPool::shared(), maker.cache(), DecodeAhead::DefaultBudget, maker.stopCheck())
    {
        m_maker.setReadyDecodes(&m_ahead);
    }
    ~DecodingAhead() { m_maker.setReadyDecodes(nullptr); }
    DecodingAhead(const DecodingAhead&) = delete;
    DecodingAhead& operator=(const DecodingAhead&) = delete;

    // Files the load will ask for next, in the order it will ask.
    void enqueue(const QStringList& paths, int maxWidth, int maxHeight) { m_ahead.enqueue(paths, maxWidth, maxHeight); }

private:
    Thumbnailer& m_maker;
    DecodeAhead m_ahead;
};
