// Shared thumbnail cache benchmark, run by hand (never by ctest):
//
//   cmake --build build --target cache_bench
//   QT_QPA_PLATFORM=offscreen build/bench/cache_bench [corpus-folder] [image-count]
//
// Loads the same photographs as a folder four times, each into a fresh wall:
// without a cache (the load as it was before the cache), with an empty cache
// (which the load fills), with that cache warm, and with a cache whose
// entries ImageMagick wrote by the standard (when `convert` is installed).
// The CPU of the two cold loads counts every thread. Then, on this thread
// alone, the entries that the cold load wrote: their mean size and the time
// to decode one (as a warm load reads it) and to encode one. Last, opens a
// wall of the same photographs with an empty cache and again with the cache
// that the first opening filled.

#include "BenchCorpus.h"
#include "image/PngEncode.h"
#include "image/ThumbnailCache.h"
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

#include <sys/resource.h>

#include <algorithm>
#include <vector>
#include <cstdio>

namespace {

// CPU seconds of every thread of the process so far.
double cpuSeconds()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

struct Timing {
    double seconds = 0;
    double cpu = 0;
};

// A folder load, or with `wall` an Open Wall, into a fresh wall.
Timing load(const QString& folder, const ThumbnailCache* cache, int expected, const QString& wall = {})
{
    TestWall fresh(100, 100, cache);
    const double cpu = cpuSeconds();
    const double time = BenchCorpus::seconds([&] {
        if (wall.isEmpty())
            BenchCorpus::LoadFolder(fresh.ctx, folder);
        else
            OpenWallFile(fresh.ctx, wall, {});
    });
    if (fresh.state.ImageCount != expected)
        std::fprintf(stderr, "placed %d of %d images\n", fresh.state.ImageCount, expected);
    return {time, cpuSeconds() - cpu};
}

// The best of a few runs, in milliseconds per item.
double msEach(int items, const std::function<void()>& work)
{
    double best = 1e9;
    for (int run = 0; run < 5; ++run)
        best = std::min(best, BenchCorpus::seconds(work));
    return best * 1000 / std::max(items, 1);
}

// The entries of one size folder that a load wrote.
void reportEntries(const ThumbnailCache& cache, const QStringList& files, int size, const char* name)
{
    std::vector<ThumbnailCache::Original> originals;
    qint64 bytes = 0;
    for (const QString& file : files) {
        const QFileInfo entry(cache.root() + '/' + name + '/' + ThumbnailCache::EntryName(file));
        if (entry.exists()) {
            originals.push_back(*cache.original(file));
            bytes += entry.size();
        }
    }
    const int count = int(originals.size());
    if (count == 0) {
        std::printf("%-8s entries: none written\n", name);
        return;
    }
    std::vector<QImage> pictures;
    const double decode = msEach(count, [&] {
        pictures.clear();
        for (const auto& original : originals)
            pictures.push_back(cache.find(original, size));
    });
    const PngKeys keys{{"Thumb::URI", originals[0].uri}, {"Thumb::MTime", QByteArray::number(originals[0].mtime)}};
    const double encode = msEach(count, [&] {
        for (const QImage& picture : pictures)
            EncodePng(picture, keys);
    });
    std::printf("%-8s entries: %d, %6.1f kB mean, decode %.3f ms, encode %.3f ms each\n", name, count,
                bytes / 1024.0 / count, decode, encode);
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
    const Timing without = load(folder, nullptr, count);
    QTemporaryDir home;
    const ThumbnailCache ours(home.filePath("ours"));
    const Timing filling = load(folder, &ours, count);
    const double empty = filling.seconds;
    const double warm = load(folder, &ours, count).seconds;
    const auto rate = [&](double time) { return count / time; };
    const auto cpuEach = [&](const Timing& timing) { return timing.cpu * 1000 / count; };
    std::printf("%d images\n", count);
    std::printf("no cache                    %7.1f images/s  %6.1f ms CPU per image\n", rate(without.seconds),
                cpuEach(without));
    std::printf("empty cache, filled         %7.1f images/s  %6.1f ms CPU per image  (%.2f x the time without a cache)\n",
                rate(empty), cpuEach(filling), empty / without.seconds);
    std::printf("warm cache                  %7.1f images/s  (%.1f x as fast as with an empty cache)\n", rate(warm),
                empty / warm);
    reportEntries(ours, files, 256, "large");
    reportEntries(ours, files, 128, "normal");
    const ThumbnailCache theirs(home.filePath("theirs"));
    if (writeForeignEntries(files, theirs)) {
        const double foreign = load(folder, &theirs, count).seconds;
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
    const double cold = load(folder, &forWall, count, wall).seconds;
    const double again = load(folder, &forWall, count, wall).seconds;
    std::printf("Open Wall, empty cache      %7.1f images/s\n", rate(cold));
    std::printf("Open Wall, second time      %7.1f images/s  (%.1f x as fast as the first time)\n", rate(again),
                cold / again);
    return 0;
}
