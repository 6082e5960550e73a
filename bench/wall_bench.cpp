// Wall-file benchmark, run by hand (never by ctest):
//
//   cmake --build build --target wall_bench
//   QT_QPA_PLATFORM=offscreen build/bench/wall_bench [corpus-folder] [image-count]
//
// On the load benchmark's corpus of photo-like JPEGs, with the shared
// thumbnail cache warm: a folder load against Open Wall of the same files
// (the goal: Open Wall at least 0.9 x the folder load's speed; the scale
// benchmark does the same for 100,000 photographs). Then the file itself:
// save and open a wall of 100,000 text records, per record; and a wall
// file of 1 GB: the reader's time and the growth of the process's peak
// memory when it reads every record, and how long an Open Wall of it takes
// to end after Stop Loading, pressed after one second (the records not
// placed are counted meanwhile, on a thread of their own).

#include "BenchCorpus.h"
#include "grid/CellStore.h"
#include "shell/MainModule.h"
#include "shell/Utilities.h"
#include "ui/frmMain.h"
#include "wall/SaveWall.h"
#include "wall/WallFormat.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using BenchCorpus::seconds;

namespace {

QByteArray textRecords(int count)
{
    QByteArray records;
    for (int i = 0; i < count; ++i)
        AppendWallRecord(records, i % 1000, i / 1000, QString("text %1").arg(i));
    return records;
}

// A wall file of about `bytes` of records that name photographs which are
// not there (so they come back as texts), written in pieces.
void writeHuge(const QString& path, qint64 bytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    QByteArray block;
    for (int i = 0; i < 100'000; ++i)
        AppendWallRecord(block, i % 1000, i / 1000,
                         QString("/home/someone/Pictures/2019/Holiday in Paris/IMG_%1.JPG").arg(i, 8, 10, QChar('0')));
    for (qint64 written = 0; written < bytes; written += block.size())
        file.write(block);
    file.write("\r\n");
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
    s.HidePreview = true;
    w.show();

    // Folder load against Open Wall of the same images, the cache warm.
    BenchCorpus::LoadFolder(w.commands(), folder);
    const int images = s.ImageCount;
    const QString photoWall = out.filePath("photos.wall");
    WriteNewFile(photoWall, WallRecordText(w.cells()).text);
    double load = 1e300, open = 1e300;
    for (int run = 0; run < 5; ++run) {  // taken in turns, the best of each
        load = std::min(load, seconds([&] { BenchCorpus::LoadFolder(w.commands(), folder); }));
        open = std::min(open, seconds([&] { w.OpenFile(photoWall); }));
    }
    if (s.ImageCount != images)
        std::fprintf(stderr, "Open Wall placed %d of %d images\n", s.ImageCount, images);

    // 100,000 text records.
    const QString textWall = out.filePath("texts.wall");
    WriteNewFile(textWall, textRecords(100'000));
    const double textOpen = seconds([&] { w.OpenFile(textWall); });
    WallRecords saved;
    const double textSave = seconds([&] { saved = WallRecordText(w.cells()); });

    // A wall file of 1 GB: every record read, then an Open Wall stopped.
    const QString huge = out.filePath("huge.wall");
    writeHuge(huge, qint64(1) << 30);
    const qint64 peakBefore = BenchCorpus::statusKB("VmHWM");
    qint64 records = 0;
    const double read = seconds([&] {
        QFile file(huge);
        file.open(QIODevice::ReadOnly);
        WallReader reader(file);
        while (!reader.atEnd())
            records += reader.next() ? 1 : 0;
    });
    const qint64 peakGrowth = BenchCorpus::statusKB("VmHWM") - peakBefore;
    QElapsedTimer sinceStop;
    QTimer::singleShot(1000, [&] {
        s.StopLoading = true;
        sinceStop.start();
    });
    double stopMs = 0;
    {
        const BenchCorpus::Answering quiet(MsgAnswer::Ok);  // the not-placed message
        w.OpenFile(huge);
        stopMs = double(sinceStop.nsecsElapsed()) / 1e6;
    }

    const auto us = [](double time, double n) { return time / n * 1e6; };
    std::printf("%d images, warm thumbnail cache, decoding ahead on every core\n", images);
    std::printf("folder load                 %8.0f images/s\n", images / load);
    std::printf("Open Wall, same images      %8.0f images/s  (%.2f x the folder load's speed)\n", images / open,
                load / open);
    std::printf("100,000 text records        Open Wall %.2f us, save %.2f us per record (%lld records)\n",
                us(textOpen, 1e5), us(textSave, 1e5), saved.count);
    std::printf("1 GB wall file              %lld records read in %.1f s (%.0f MB/s), peak memory %+lld KB\n",
                records, read, 1024 / read, peakGrowth);
    std::printf("Open Wall of it             ended %.0f ms after Stop Loading (the file holds %lld records)\n",
                stopMs, s.PartialWallRecords);
    return 0;
}
