// Folder-load benchmark, run by hand (never by ctest):
//
//   cmake --build build --target load_bench
//   QT_QPA_PLATFORM=offscreen build/bench/load_bench [corpus-folder] [image-count]
//
// Makes a corpus of photo-like JPEGs once (2 to 24 megapixels, baseline and
// progressive, some turned by an EXIF orientation, with gradients and noise
// so they compress like photographs), then measures on the same files in one
// run: the bare reduced-size decode loop (the floor), the whole load on one
// core, the whole load on every core, vipsthumbnail when installed, and what
// the wall holds per placed image.

#include "grid/CellStore.h"
#include "grid/GridWidget.h"
#include "grid/Loading.h"
#include "grid/Thumbnail.h"
#include "shell/MainModule.h"
#include "support/TestImages.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <sched.h>

#include <cmath>
#include <cstdio>
#include <random>

namespace {

QImage photoLike(int width, int height, unsigned seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    std::minstd_rand noise(seed);
    const double fx = 6.28 / (width / (2.0 + seed % 5));
    const double fy = 6.28 / (height / (1.5 + seed % 3));
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const double sy = std::sin(y * fy);
        for (int x = 0; x < width; ++x) {
            const double wave = 40 * std::sin(x * fx) * sy;
            const int n = int(noise() % 33) - 16;
            const int r = std::clamp(int(60 + 150.0 * x / width + wave) + n, 0, 255);
            const int g = std::clamp(int(90 + 100.0 * y / height - wave) + n, 0, 255);
            const int b = std::clamp(int(140 + 60.0 * (x + y) / (width + height) + wave / 2) + n, 0, 255);
            line[x] = qRgb(r, g, b);
        }
    }
    return image;
}

QStringList makeCorpus(const QString& folder, int count)
{
    const int megapixels[] = {2, 4, 6, 8, 12, 16, 20, 24};
    QDir().mkpath(folder + "/more");
    QStringList files;
    for (int i = 0; i < count; ++i) {
        const int mp = megapixels[i % 8];
        const bool progressive = i % 3 == 2;
        const int orientation = i % 4 == 3 ? 6 : 1;
        // Half the files one level down, so the scan recurses.
        const QString path = QString("%1/%2img%3_%4mp%5.jpg")
                                 .arg(folder, i % 2 ? "more/" : "")
                                 .arg(i, 3, 10, QChar('0'))
                                 .arg(mp)
                                 .arg(progressive ? "_prog" : "");
        files.append(path);
        if (QFile::exists(path))
            continue;
        const int width = int(std::sqrt(mp * 1e6 * 4 / 3));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(90);
        writer.setProgressiveScanWrite(progressive);
        writer.write(photoLike(width, width * 3 / 4, unsigned(i + 1)));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(orientation == 1 ? bytes : TestImages::withOrientation(bytes, orientation));
        std::fprintf(stderr, "made %s\n", qPrintable(path));
    }
    return files;
}

void readIntoCache(const QStringList& files)
{
    for (const QString& path : files) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        while (!file.read(1 << 20).isEmpty()) {
        }
    }
}

void useCores(int cores)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    for (int i = 0; i < cores; ++i)
        CPU_SET(i, &set);
    sched_setaffinity(0, sizeof(set), &set);
}

double seconds(const std::function<void()>& work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return clock.nsecsElapsed() / 1e9;
}

// The bare reduced-size decode of every file, nothing placed or written.
double decodeFloor(const QStringList& files)
{
    return seconds([&] {
        for (const QString& path : files)
            if (!DecodeThumbnail(path, 200, 200).decoded)
                std::fprintf(stderr, "floor could not decode %s\n", qPrintable(path));
    });
}

double wholeLoad(frmMain& w, const QString& folder, int expected)
{
    const double time = seconds([&] { LoadImages(w, folder, false, 0, 0); });
    if (w.state().ImageCount != expected)
        std::fprintf(stderr, "load placed %d of %d images\n", w.state().ImageCount, expected);
    return time;
}

double vipsThumbnail(const QStringList& files)
{
    const QString vips = QStandardPaths::findExecutable("vipsthumbnail");
    if (vips.isEmpty())
        return 0;
    QTemporaryDir out;
    QStringList arguments{"-s", "200", "-o", out.path() + "/tn_%s.jpg"};
    arguments += files;
    return seconds([&] {
        QProcess process;
        process.start(vips, arguments);
        process.waitForFinished(-1);
    });
}

qint64 wallBytes(const CellStore& cells)
{
    qint64 bytes = 0;
    cells.forEachOccupied(cells.wholeGrid(), [&](int, int, const Cell& cell) {
        bytes += cell.picture.sizeInBytes() + qint64(sizeof(Cell)) + 48  // map node
                 + std::get<QString>(cell.data).capacity() * 2;
    });
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + "/pavisto-bench-corpus";
    const int count = argc > 2 ? std::atoi(argv[2]) : 96;
    AppTitle = BuildAppTitle();
    QTemporaryDir scratch;
    TempPath = scratch.path() + '/';

    const QStringList files = makeCorpus(folder, count);
    readIntoCache(files);
    const int cores = QThread::idealThreadCount();
    frmMain w;

    useCores(1);
    decodeFloor(files.mid(0, 8));  // warm up: plugins, caches, clock
    const double floor = decodeFloor(files);
    const double oneCore = wholeLoad(w, folder, count);
    useCores(cores);
    const double allCores = wholeLoad(w, folder, count);
    const double vips = vipsThumbnail(files);
    const qint64 bytes = wallBytes(w.fg().cells());

    const auto rate = [&](double time) { return time > 0 ? count / time : 0.0; };
    std::printf("%d images, %d cores\n", count, cores);
    std::printf("decode floor, 1 core        %7.1f images/s\n", rate(floor));
    std::printf("whole load, 1 core          %7.1f images/s  (%.2f x the floor's time per image)\n", rate(oneCore),
                oneCore / floor);
    std::printf("whole load, %d cores         %7.1f images/s  (%.2f x as fast as 1 core)\n", cores, rate(allCores),
                oneCore / allCores);
    if (vips > 0)
        std::printf("vipsthumbnail -s 200        %7.1f images/s  (whole load on %d cores: %.2f x its throughput)\n",
                    rate(vips), cores, vips / allCores);
    else
        std::printf("vipsthumbnail not installed (Debian package libvips-tools)\n");
    std::printf("wall memory                 %7.1f KB per placed image (monochrome)\n", bytes / 1024.0 / count);
    return 0;
}
