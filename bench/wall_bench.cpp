// Wall-file benchmark, run by hand (never by ctest):
//
//   cmake --build build --target wall_bench
//   QT_QPA_PLATFORM=offscreen build/bench/wall_bench [corpus-folder] [image-count]
//
// On the load benchmark's corpus of photo-like JPEGs: a folder load against
// Open Wall of the same files (both decode ahead on every core). Then the
// file itself: save and read a wall of 10,000 image records and save and
// open one of 100,000 text records on a 1,000 x 1,000 grid, each per
// record; the reading's share of an Open Wall's time per image; the memory
// of a wall whose records name rows and columns in the millions; and a
// wall that grows the grid one row per record.

#include "BenchCorpus.h"
#include "grid/CellStore.h"
#include "load/Loading.h"
#include "shell/MainModule.h"
#include "shell/Utilities.h"
#include "ui/frmMain.h"
#include "wall/SaveWall.h"
#include "wall/WallFormat.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <malloc.h>

#include <cstdio>
#include <random>

using BenchCorpus::seconds;

namespace {

void writeWall(const QString& path, const QString& records)
{
    WriteNewFile(path, records);
}

double readRecords(const QString& path, std::size_t expected)
{
    return seconds([&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        if (ReadWallRecords(file).size() != expected)
            std::fprintf(stderr, "read a different number of records than %zu\n", expected);
    });
}

// The best of a few runs, each on a fresh grid.
double best(int runs, const std::function<double()>& run)
{
    double fastest = 1e300;
    for (int i = 0; i < runs; ++i)
        fastest = std::min(fastest, run());
    return fastest;
}

QString textRecords(frmMain& w, int count, int rows, int cols, unsigned seed)
{
    std::minstd_rand random(seed);
    EmptyGrid(w.cells(), rows, cols);
    for (int i = 0; i < count; ++i)
        w.cells().setCellText(int(random() % rows), int(random() % cols), QString("text %1").arg(i));
    return WallRecordText(w.cells());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const BenchCorpus::Program program;
    const auto [folder, files] = BenchCorpus::prepare(argc, argv);
    QTemporaryDir out;
    frmMain w;
    MainState& s = w.state();

    // Folder load against Open Wall of the same images.
    LoadImages(w.commands(), folder, false, 0, 0);  // warm up
    // The folder may hold more images than asked for: every one of them counts.
    const int images = s.ImageCount;
    const QString photoWall = out.filePath("photos.wall");
    writeWall(photoWall, WallRecordText(w.cells()));
    // Taken in turns, so that other work on the machine weighs on both alike;
    // each decodes every file, as the first time.
    double load = 1e300, open = 1e300;
    for (int run = 0; run < 3; ++run) {
        program.forgetThumbnails();
        load = std::min(load, seconds([&] { LoadImages(w.commands(), folder, false, 0, 0); }));
        program.forgetThumbnails();
        open = std::min(open, seconds([&] { w.OpenFile(photoWall); }));
    }
    if (s.ImageCount != images)
        std::fprintf(stderr, "Open Wall placed %d of %d images\n", s.ImageCount, images);
    const double perImage = open / images;

    // 10,000 image records on a 1,000 x 1,000 grid.
    s.GridRows = s.GridCols = 1000;
    EmptyGrid(w.cells(), 1000, 1000);
    const QImage picture(20, 15, QImage::Format_Grayscale8);
    for (int i = 0; i < 10000; ++i)
        w.cells().setImage(i % 1000, (i / 1000) * 97 % 1000, picture, files[i % files.size()]);
    QString imageRecords;
    const double imageBuild = seconds([&] { imageRecords = WallRecordText(w.cells()); });
    const QString imageWall = out.filePath("images.wall");
    const double imageWrite = seconds([&] { writeWall(imageWall, imageRecords); });
    const double imageRead = best(3, [&] { return readRecords(imageWall, 10000); });

    // 100,000 text records on a 1,000 x 1,000 grid.
    QString texts;
    const double textBuild = seconds([&] { texts = textRecords(w, 100000, 1000, 1000, 7); });
    const QString textWall = out.filePath("texts.wall");
    const double textWrite = seconds([&] { writeWall(textWall, texts); });
    const std::size_t textCount = std::size_t(texts.count(QStringLiteral("\r\n")));
    const double textRead = best(3, [&] { return readRecords(textWall, textCount); });
    const double textOpen = seconds([&] { w.OpenFile(textWall); });

    // Rows and columns in the millions: memory follows the records.
    s.GridRows = s.GridCols = 100;
    const QString farWall = out.filePath("far.wall");
    writeWall(farWall, textRecords(w, 10000, MaxWallIndex + 1, MaxWallIndex + 1, 11));
    EmptyGrid(w.cells(), 100, 100);
    const std::size_t heapBefore = mallinfo2().uordblks;
    w.OpenFile(farWall);
    const std::size_t heapAfter = mallinfo2().uordblks;
    const QSize farGrid(w.cells().Cols(), w.cells().Rows());

    // One row more for every record.
    QString column;
    for (int r = 0; r < 20000; ++r)
        AppendWallRecord(column, r, 0, "t");
    const QString columnWall = out.filePath("column.wall");
    writeWall(columnWall, column);
    EmptyGrid(w.cells(), 100, 100);
    const double columnOpen = seconds([&] { w.OpenFile(columnWall); });

    const auto us = [](double time, double n) { return time / n * 1e6; };
    std::printf("%d images, decoding ahead on every core\n", images);
    std::printf("folder load                 %8.1f ms per image\n", load / images * 1e3);
    std::printf("Open Wall, same images      %8.1f ms per image  (%.2f x the folder load's speed)\n",
                perImage * 1e3, load / open);
    std::printf("10,000 image records        save %.2f us, write %.2f us, read %.2f us per record\n",
                us(imageBuild, 1e4), us(imageWrite, 1e4), us(imageRead, 1e4));
    std::printf("  file work per image       %.3f %% of Open Wall's time per image\n",
                (imageBuild + imageWrite + imageRead) / 1e4 / perImage * 100);
    std::printf("%zu text records        save %.2f us, write %.2f us, read %.2f us, whole Open Wall %.2f us "
                "per record\n",
                textCount, us(textBuild, textCount), us(textWrite, textCount), us(textRead, textCount),
                us(textOpen, textCount));
    std::printf("10,000 records in the millions: grid %d x %d, %.0f heap bytes per record\n", farGrid.height(),
                farGrid.width(), (double(heapAfter) - double(heapBefore)) / 1e4);
    std::printf("20,000 records one row apart: Open Wall %.2f us per record\n", us(columnOpen, 2e4));
    return 0;
}
