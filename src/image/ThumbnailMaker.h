#pragma once

#include "picture/Picture.h"
#include "image/Decode.h"

#include <QString>

#include <optional>

struct MainState;
class ReadyDecodes;
class ThumbnailCache;

// Makes cell pictures. A scaled thumbnail is also written to "thumb.bmp" in
// the scratch folder; an image that fits is taken as it is. With a shared
// thumbnail cache, its entries spare the decode.
class Thumbnailer {
public:
    explicit Thumbnailer(MainState& state, const ThumbnailCache* cache = nullptr) : m_state(state), m_cache(cache) {}

    const ThumbnailCache* cache() const { return m_cache; }

    // Sets UseFullImage; false when the file cannot be decoded or a stop
    // was requested before a scaled copy was saved. A picture the shared
    // cache holds is scaled by nobody, so it writes no scratch file.
    bool MakeThumbnail(const QString& path);
    // MakeThumbnail followed by the load every caller does: the picture for
    // the cell, grey when `grey`, or nullopt when MakeThumbnail refused the
    // file. The picture is always this file's own, whatever became of the
    // scratch file.
    std::optional<Picture> CellPicture(const QString& path, bool grey);
    // The same made from the file itself, never from the shared cache
    // (whose entries it writes again): for a file that changed.
    std::optional<Picture> FreshCellPicture(const QString& path, bool grey);
    // The version of a placed picture that fits a box of `side` pixels,
    // made again from its source. Safe on any thread.
    QImage Version(const PictureSource& source, int side, bool grey) const;

    // Decodes made ahead are used when there are some; nullptr for none.
    void setReadyDecodes(ReadyDecodes* ready) { m_ready = ready; }

    static QString ThumbFile();

private:
    bool place(DecodedThumbnail decoded);
    std::optional<Picture> made(const QString& path, bool grey);

    MainState& m_state;
    const ThumbnailCache* m_cache;
    ReadyDecodes* m_ready = nullptr;
    DecodedThumbnail m_made;  // what the last MakeThumbnail made
};

// Lets the thumbnail maker take decodes made ahead for as long as it lives.
class UseReadyDecodes {
public:
    UseReadyDecodes(Thumbnailer& maker, ReadyDecodes& ready) : m_maker(maker) { m_maker.setReadyDecodes(&ready); }
    ~UseReadyDecodes() { m_maker.setReadyDecodes(nullptr); }
    UseReadyDecodes(const UseReadyDecodes&) = delete;
    UseReadyDecodes& operator=(const UseReadyDecodes&) = delete;

private:
    Thumbnailer& m_maker;
};
