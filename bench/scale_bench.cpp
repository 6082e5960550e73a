// A wall of 100,000 photographs, run by hand (never by ctest):
//
//   cmake --build build --target scale_bench
//   QT_QPA_PLATFORM=offscreen build/bench/scale_bench [--make] [corpus-folder] [image-count] [tree-folder]
//
// The load benchmark's corpus linked 100,000 times into 100 folders, with a
// shared thumbnail cache (tree-folder/cache/thumbnails) that holds a large
// and a normal entry for every link, as after a zoomed first load or a file
// manager's visit, and the tree's wall file tree-folder/tree.wall (made
// once, into the tree folder, default /tmp/pavisto-scale-<image-count>;
// about 7 GB). With --make it stops there: bench/real_window.sh measures
// the tree in a real window. Otherwise, each in a fresh process,
// in grey and in colour: Open Wall of the whole tree's wall file and a
// folder load of the tree, each with its time and the resident memory
// after it; and on the opened wall, in a 1920 x 1080 view, the first frame
// after the zoom steps to levels 0, 1, 2, 5, 10 and 20, a steady frame, and
// from level 10 up the time until every cell on screen shows its whole
// thumbnail, after the zoom and after a scroll by a screen. Goals: at most
// 1,500 MB resident in grey and 3,000 MB in colour, each opening at most
// 30 s on 2 cores, steady frames at most 16 ms, first frames at most
// 100 ms, sharp cells within 200 ms.

#include "BenchCorpus.h"
#include "grid/GridWidget.h"
#include "image/Decode.h"
#include "image/ThumbnailCache.h"
#include "shell/FileNames.h"
#include "shell/Utilities.h"
#include "ui/frmMain.h"
#include "wall/WallFormat.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

using BenchCorpus::seconds;

namespace {

constexpr int Folders = 100;
constexpr int WallRows = 1000;
const int Levels[] = {0, 1, 2, 5, 10, 20};

QString linkName(int index, const QString& target)
{
    return QString("d%1/i%2_%3")
        .arg(index % Folders, 3, 10, QChar('0'))
        .arg(index, 6, 10, QChar('0'))
        .arg(QFileInfo(target).fileName());
}

// The links, their cache entries and the wall file, when missing.
void makeTree(const QString& tree, const QStringList& files, int count)
{
    const QString done = tree + "/complete";
    if (QFileInfo::exists(done))
        return;
    std::fprintf(stderr, "making %d links and their cache entries in %s (once)\n", count, qPrintable(tree));
    // Each photograph's large entry, from a decode of its own: the whole
    // thumbnail, since a cold load writes only the normal entry.
    QTemporaryDir scratch;
    const ThumbnailCache once(scratch.filePath("cache"));
    struct Entry {
        QImage picture;
        QSize image;
    };
    std::vector<Entry> entries;
    for (const QString& file : files) {
        ThumbnailVersion(file, 200, 200, 256, false, &once);
        const QImage picture = once.find(*once.original(file), 256);
        if (picture.isNull()) {
            std::fprintf(stderr, "no large entry was made for %s\n", qPrintable(file));
            std::exit(1);
        }
        entries.push_back({picture, QSize(picture.text("Thumb::Image::Width").toInt(),
                                          picture.text("Thumb::Image::Height").toInt())});
    }
    for (int f = 0; f < Folders; ++f)
        QDir().mkpath(tree + QString("/links/d%1").arg(f, 3, 10, QChar('0')));
    const ThumbnailCache cache(tree + "/cache/thumbnails");
    std::atomic<int> next{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 2; ++t)
        workers.emplace_back([&] {
            for (int i; (i = next++) < count;) {
                const QString target = files[i % files.size()];
                const QString link = tree + "/links/" + linkName(i, target);
                QFile::link(target, link);
                const Entry& entry = entries[std::size_t(i) % entries.size()];
                cache.store(*cache.original(link), 256, entry.picture, entry.image);
            }
        });
    for (std::thread& worker : workers)
        worker.join();
    // The wall of the tree, in the order a folder load places it.
    QStringList links;
    for (int f = 0; f < Folders; ++f) {
        const QString folder = tree + QString("/links/d%1").arg(f, 3, 10, QChar('0'));
        for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase))
            links.append(folder + '/' + name);
    }
    QByteArray records;
    for (int k = 0; k < links.size(); ++k)
        AppendWallRecord(records, k % WallRows, k / WallRows, links[k]);
    WriteNewFile(tree + "/tree.wall", records);
    WriteNewFile(done, "yes");
}

double frameMs(GridWidget& grid)
{
    return seconds([&] { grid.viewport()->repaint(); }) * 1000;
}

double steadyMs(GridWidget& grid)
{
    std::vector<double> frames;
    for (int i = 0; i < 7; ++i)
        frames.push_back(frameMs(grid));
    std::sort(frames.begin(), frames.end());
    return frames[frames.size() / 2];
}

// Lets the versions for the view come in, as the idle program would.
double sharpMs(GridWidget& grid)
{
    QElapsedTimer clock;
    clock.start();
    const double sharp = BenchCorpus::SharpMs(grid, 10000);
    // What was asked for ahead of a scroll comes in too, as while the user looks.
    while (grid.versions().busy() > 0 && clock.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return sharp;
}

void paintFigures(frmMain& w)
{
    GridWidget& grid = w.fg();
    std::printf("  level  first  steady   sharp after zoom / scroll (ms)\n");
    for (int level : Levels) {
        // From another size, so that nothing of this one is drawn yet: level 0
        // is reached by a zoom step out of level 1 (to the smallest cells).
        w.mnuRightReset->trigger();
        for (int i = 0; i < std::max(level, 1); ++i)
            w.ZoomIn();
        if (level == 0) {
            grid.viewport()->repaint();
            w.ZoomOut();
        }
        const double first = frameMs(grid);
        const double steady = steadyMs(grid);
        std::printf("  %5d %6.1f %7.1f", level, first, steady);
        if (level >= 10) {
            w.mnuRightReset->trigger();
            for (int i = 0; i < level; ++i)
                w.ZoomIn();
            const double zoomed = sharpMs(grid);
            grid.setTopRow(grid.TopRow() + std::max(1, grid.viewport()->height() * 15 / grid.RowHeight()));
            std::printf("   %8.1f / %.1f", zoomed, sharpMs(grid));
        }
        std::printf("\n");
    }
}

// One measure in this process: "open" or "load", grey or colour.
int measure(const QString& tree, const QString& what, bool grey)
{
    qputenv("XDG_CACHE_HOME", QFile::encodeName(tree + "/cache"));
    frmMain w;
    MainState& s = w.state();
    s.HidePreview = true;
    s.MonoImages = grey;
    w.cells().setPictureType(grey ? CellStore::Monochrome : CellStore::Colour);
    s.GridRows = WallRows;
    s.GridCols = 100;
    w.fg().setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    w.fg().setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    w.show();
    QApplication::processEvents();
    w.resize(w.size() + QSize(1920, 1080) - w.fg().viewport()->size());
    QApplication::processEvents();
    const qint64 before = BenchCorpus::statusKB("VmRSS");
    const double time = seconds([&] {
        if (what == "open")
            w.OpenFile(tree + "/tree.wall");
        else
            BenchCorpus::LoadFolder(w.commands(), tree + "/links");
    });
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    std::printf("%s %-6s %6d images in %5.1f s (%5.0f images/s), resident %5lld MB (%lld MB before, peak %lld MB)\n",
                qPrintable(what == "open" ? QString("Open Wall  ") : QString("folder load")),
                grey ? "grey" : "colour", s.ImageCount, time, s.ImageCount / time,
                BenchCorpus::statusKB("VmRSS") / 1024, before / 1024, BenchCorpus::statusKB("VmHWM") / 1024);
    if (what == "open")
        paintFigures(w);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const BenchCorpus::Program program;
    const QStringList args = app.arguments();
    if (args.value(1) == "--measure")
        return measure(args.value(2), args.value(3), args.value(4) == "grey");

    // "--make" first: the tree only, for a measure from outside the program.
    // Shifted copies: the application keeps argc and argv themselves.
    const bool makeOnly = args.value(1) == "--make";
    const int n = makeOnly ? argc - 1 : argc;
    char** const v = makeOnly ? argv + 1 : argv;
    const auto [corpus, files] = BenchCorpus::prepare(std::min(n, 2), v);
    const int count = n > 2 ? std::atoi(v[2]) : 100'000;
    const QString tree = n > 3 ? QDir(QString::fromLocal8Bit(v[3])).absolutePath()
                               : QDir::tempPath() + QString("/pavisto-scale-%1").arg(count);
    makeTree(tree, files, count);
    if (makeOnly)
        return 0;
    for (const QString what : {"open", "load"})
        for (const QString colour : {"grey", "colour"}) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(QCoreApplication::applicationFilePath(), {"--measure", tree, what, colour});
            child.waitForFinished(-1);
        }
    return 0;
}
