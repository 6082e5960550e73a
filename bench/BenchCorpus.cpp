#include "BenchCorpus.h"

#include "app/ProcessSettings.h"
#include "grid/GridWidget.h"
#include "load/Loading.h"
#include "shell/LoadingRun.h"
#include "shell/MainModule.h"
#include "support/TestImages.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageWriter>

#include <cmath>
#include <cstdlib>
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

} // namespace

namespace BenchCorpus {

Program::Program()
{
    ApplyProcessSettings();
    AppTitle = BuildAppTitle();
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_scratch.filePath("cache")));
}

void Program::forgetThumbnails() const
{
    QDir(m_scratch.filePath("cache")).removeRecursively();
}

QString folder(int argc, char** argv, int index)
{
    // Absolute: walls name their images by absolute paths.
    return QDir(argc > index ? QString::fromLocal8Bit(argv[index]) : QDir::tempPath() + "/pavisto-bench-corpus")
        .absolutePath();
}

QStringList make(const QString& folder, int count)
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
        const QImage photo = photoLike(width, width * 3 / 4, unsigned(i + 1));
        writer.write(photo);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        // Two in five carry a camera's 160 x 120 thumbnail, as real photographs often do.
        const QByteArray embedded = i % 5 < 2 ? TestImages::encode(photo.scaled(160, 120)) : QByteArray();
        file.write(TestImages::withExif(bytes, {.orientation = orientation, .thumbnail = embedded}));
        std::fprintf(stderr, "made %s\n", qPrintable(path));
    }
    return files;
}

Corpus prepare(int argc, char** argv)
{
    Corpus corpus{folder(argc, argv, 1), {}};
    corpus.files = make(corpus.folder, argc > 2 ? std::atoi(argv[2]) : 96);
    readIntoCache(corpus.files);
    return corpus;
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

void LoadFolder(CommandContext& ctx, const QString& folder)
{
    LoadingRun run(ctx);
    LoadImages(ctx, run, folder, false, 0, 0);
}

double seconds(const std::function<void()>& work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return clock.nsecsElapsed() / 1e9;
}

qint64 statusKB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(QByteArray(field) + ':'))
            return line.mid(qstrlen(field) + 1).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

double SharpMs(GridWidget& grid, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    grid.viewport()->repaint();
    while (grid.cellsAwaitingVersions() > 0 && clock.elapsed() < timeoutMs)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return grid.cellsAwaitingVersions() > 0 ? -1 : double(clock.nsecsElapsed()) / 1e6;
}

} // namespace BenchCorpus
