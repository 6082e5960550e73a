#pragma once

#include <QImage>
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
    // was requested before a scaled copy was saved.
    bool MakeThumbnail(const QString& path);
    // MakeThumbnail followed by the load every caller does: the picture for
    // the cell, or nullopt when MakeThumbnail refused the file. The picture
    // is always this file's own, whatever became of the scratch file.
    std::optional<QImage> CellPicture(const QString& path);

    // Decodes made ahead are used when there are some; nullptr for none.
    void setReadyDecodes(ReadyDecodes* ready) { m_ready = ready; }

    static QString ThumbFile();

private:
    MainState& m_state;
    const ThumbnailCache* m_cache;
    ReadyDecodes* m_ready = nullptr;
    QImage m_picImage;  // the decoded picture: the image itself or its scaled copy
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
