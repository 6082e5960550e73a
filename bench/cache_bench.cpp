// Shared thumbnail cache benchmark, run by hand (never by ctest):
//
//   cmake --build build --target cache_bench
//   QT_QPA_PLATFORM=offscreen build/bench/cache_bench [corpus-folder] [image-count]
//
// Loads the same photographs as a folder four times, each into a fresh wall:
// without a cache (the load as it was before the cache), with an empty cache
// (which the load fills), with that cache warm, and with a cache whose
// entries ImageMagick wrote by the standard (when `convert` is installed).
// Then opens a wall of the same photographs with an empty cache and again
// with the cache that the first opening filled.

#include "BenchCorpus.h"
#include "image/ThumbnailCache.h"
#include "load/Loading.h"
#include "shell/MainModule.h"
#include "shell/Utilities.h"
#include "support/TestWall.h"
#include "wall/OpenWall.h"
#include "wall/WallFormat.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// A folder load, or with `wall` an Open Wall, into a fresh wall.
double load(const QString& folder, const ThumbnailCache* cache, int expected, const QString& wall = {})
{
    TestWall fresh(100, 100, cache);
    const double time = BenchCorpus::seconds([&] {
        if (wall.isEmpty())
            LoadImages(fresh.ctx, folder, false, 0, 0);
        else
            OpenFile(fresh.ctx, wall, {});
    });
    if (fresh.state.ImageCount != expected)
        std::fprintf(stderr, "placed %d of %d images\n", fresh.state.ImageCount, expected);
    return time;
}

// Entries as another program makes them: ImageMagick, turned upright,
// fitted into 256 x 256, with the standard's keys.
bool writeForeignEntries(const QStringList& files, const ThumbnailCache& cache)
{
    const QString convert = QStandardPaths::findExecutable("convert");
    if (convert.isEmpty())
        return false;
    QDir().mkpath(cache.root() + "/large");
    for (const QString& file : files) {
        const auto original = cache.original(file);
        QProcess::execute(convert, {file, "-auto-orient", "-thumbnail", "256x256", "-set", "Thumb::URI",
                                    QString::fromUtf8(original->uri), "-set", "Thumb::MTime",
                                    QString::number(original->mtime),
                                    cache.root() + "/large/" + ThumbnailCache::EntryName(file)});
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const BenchCorpus::Program program;
    const auto [folder, files] = BenchCorpus::prepare(argc, argv);
    const int count = int(files.size());

    load(folder, nullptr, count);  // warm up: plugins, page cache
    const double without = load(folder, nullptr, count);
    QTemporaryDir home;
    const ThumbnailCache ours(home.filePath("ours"));
    const double empty = load(folder, &ours, count);
    const double warm = load(folder, &ours, count);
    const auto rate = [&](double time) { return count / time; };
    std::printf("%d images\n", count);
    std::printf("no cache                    %7.1f images/s\n", rate(without));
    std::printf("empty cache, filled         %7.1f images/s  (%.2f x the time without a cache)\n", rate(empty),
                empty / without);
    std::printf("warm cache                  %7.1f images/s  (%.1f x as fast as with an empty cache)\n", rate(warm),
                empty / warm);
    const ThumbnailCache theirs(home.filePath("theirs"));
    if (writeForeignEntries(files, theirs)) {
        const double foreign = load(folder, &theirs, count);
        std::printf("entries by ImageMagick      %7.1f images/s  (%.1f x as fast as with an empty cache)\n",
                    rate(foreign), empty / foreign);
    } else {
        std::printf("ImageMagick's convert not installed: no foreign entries\n");
    }

    QByteArray records;
    for (int i = 0; i < count; ++i)
        AppendWallRecord(records, i % 100, i / 100, files[i]);
    const QString wall = home.filePath("photos.wall");
    WriteNewFile(wall, records);
    const ThumbnailCache forWall(home.filePath("wall"));
    const double cold = load(folder, &forWall, count, wall);
    const double again = load(folder, &forWall, count, wall);
    std::printf("Open Wall, empty cache      %7.1f images/s\n", rate(cold));
    std::printf("Open Wall, second time      %7.1f images/s  (%.1f x as fast as the first time)\n", rate(again),
                cold / again);
    return 0;
}
