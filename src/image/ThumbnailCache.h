#pragma once

#include <QImage>
#include <QString>

#include <optional>

// The desktop's shared thumbnail cache (the freedesktop.org Thumbnail
// Managing Standard): entries that file managers and other viewers made
// serve our cells, and the entries we make serve them. Every failure is
// silent; the caller then decodes as if there were no cache. Safe on any
// thread: entries are written under a temporary name and renamed into place.
class ThumbnailCache {
public:
    // $XDG_CACHE_HOME/thumbnails, or ~/.cache/thumbnails.
    static QString DefaultRoot();
    explicit ThumbnailCache(const QString& root = DefaultRoot());

    const QString& root() const { return m_root; }

    // The side of the size folder that serves thumbnails under these limits
    // (128, 256, 512 or 1024); 0 when the cache is not used for them.
    static int EntrySize(int maxWidth, int maxHeight);
    // The file's URI, escaped as the standard requires, and the name of its
    // entry (the URI's MD5 in hex, then ".png").
    static QByteArray FileUri(const QString& path);
    static QString EntryName(const QString& path);

    // What the cache knows of one file, read once per lookup.
    struct Original {
        QString path;
        QByteArray uri;
        qint64 mtime = 0;  // whole seconds
        qint64 bytes = 0;
    };
    // nullopt when the file is unreadable or lies inside the cache itself:
    // such files are never looked up nor written.
    std::optional<Original> original(const QString& path) const;

    // The picture of a valid entry in the size folder, or a null image.
    QImage find(const Original& file, int entrySize) const;
    // Whether an earlier attempt found the unchanged file undecodable.
    bool failedBefore(const Original& file) const;
    // Writes the entry: `picture` is the whole image scaled to fit the size
    // folder (never enlarged), upright; `imageSize` is the image's own size.
    // Beside an entry larger than 128 it writes the normal one from the same
    // picture, unless a valid one is there already.
    void store(const Original& file, int entrySize, const QImage& picture, QSize imageSize) const;
    void storeFailure(const Original& file) const;

private:
    QString m_root;
};
