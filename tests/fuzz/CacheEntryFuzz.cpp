#include "FuzzSeeds.h"
#include "image/ThumbnailCache.h"

#include <QTemporaryDir>

#include <cstdlib>

namespace {

// A cache of this run's own, with the entry of one photograph in it.
struct Cache {
    QTemporaryDir folder;
    ThumbnailCache cache{folder.path()};
    ThumbnailCache::Original photo{QStringLiteral("/photos/beach.jpg"), ThumbnailCache::FileUri("/photos/beach.jpg"),
                                   1700000000, 123456};
    QString entry(const QString& size) const
    {
        return folder.filePath(size + QLatin1Char('/') + ThumbnailCache::EntryName(photo.path));
    }
};

Cache& cache()
{
    static Cache instance;
    return instance;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// Entries as the program writes them: large with its normal one beside it,
// in grey and in colour, and the mark of a file that did not decode.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    Cache& c = cache();
    QImage grey(200, 150, QImage::Format_Grayscale8);
    grey.fill(128);
    c.cache.store(c.photo, 256, grey, {2000, 1500});
    QList<QByteArray> seeds{contents(c.entry(QStringLiteral("large"))), contents(c.entry(QStringLiteral("normal")))};
    QImage colour(64, 48, QImage::Format_RGB32);
    colour.fill(Qt::darkCyan);
    c.cache.store(c.photo, 128, colour, {64, 48});
    seeds << contents(c.entry(QStringLiteral("normal")));
    c.cache.storeFailure(c.photo);
    QDir fail(c.folder.filePath(QStringLiteral("fail")));
    for (const QString& program : fail.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        seeds << contents(fail.filePath(program + QLatin1Char('/') + ThumbnailCache::EntryName(c.photo.path)));
    WriteSeedsIfEmpty(*argc, *argv, seeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Cache& c = cache();
    QFile entry(c.entry(QStringLiteral("normal")));
    if (!entry.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    entry.write(reinterpret_cast<const char*>(data), qint64(size));
    entry.close();
    const QImage found = c.cache.find(c.photo, 128);
    // An entry serves only the photograph it names, at its time.
    if (!found.isNull() && found.text(QStringLiteral("Thumb::URI")).toUtf8() != c.photo.uri)
        std::abort();
    return 0;
}
