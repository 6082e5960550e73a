#include "image/ThumbnailCache.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

// Any bytes as the normal entry of one photograph, in a cache of this run's
// own; the seeds in regressions/ are entries as the program writes them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QTemporaryDir folder;
    static const ThumbnailCache cache(folder.path());
    static const ThumbnailCache::Original photo{QStringLiteral("/photos/beach.jpg"),
                                                ThumbnailCache::FileUri("/photos/beach.jpg"), 1700000000, 123456};
    static const bool ready = QDir().mkpath(folder.filePath(QStringLiteral("normal")));
    QFile entry(folder.filePath(QStringLiteral("normal/") + ThumbnailCache::EntryName(photo.path)));
    if (!ready || !entry.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    entry.write(reinterpret_cast<const char*>(data), qint64(size));
    entry.close();
    const QImage found = cache.find(photo, 128);
    // An entry serves only the photograph it names, at its time.
    if (!found.isNull() && found.text(QStringLiteral("Thumb::URI")).toUtf8() != photo.uri)
        std::abort();
    return 0;
}
