// Shared thumbnail cache benchmark, run by hand (never by ctest):
//
//   cmake --build build --target cache_bench
//   QT_QPA_PLATFORM=offscreen build/bench/cache_bench [corpus-folder] [image-count]
//
// Loads the same photographs as a folder four times, each into a fresh wall:
// without a cache (the load as it was before the cache), with an empty cache
// (which the load fills), with that cache warm, and with a cache whose
// entries ImageMagick wrote by the standard (when `convert` is installed).

#include "BenchCorpus.h"
#include "image/ThumbnailCache.h"
#include "load/Loading.h"
#include "shell/MainModule.h"
#include "support/TestWall.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

namespace {

double load(const QString& folder, const ThumbnailCache* cache, int expected)
{
    TestWall wall(100, 100, cache);
    const double time = BenchCorpus::seconds([&] { LoadImages(wall.ctx, folder, false, 0, 0); });
    if (wall.state.ImageCount != expected)
        std::fprintf(stderr, "load placed %d of %d images\n", wall.state.ImageCount, expected);
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
    return 0;
}
