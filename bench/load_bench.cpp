// Folder-load benchmark, run by hand (never by ctest):
//
//   cmake --build build --target load_bench
//   QT_QPA_PLATFORM=offscreen build/bench/load_bench [corpus-folder] [image-count]
//   QT_QPA_PLATFORM=offscreen build/bench/load_bench --cold <folder> [zoom-level] [copy-an-entry-to]
//
// Makes a corpus of photo-like JPEGs once (2 to 24 megapixels, baseline and
// progressive, some turned by an EXIF orientation, with gradients and noise
// so they compress like photographs), then measures on the same files in one
// run: the bare reduced-size decode loop (the floor), the whole load on one
// core, the whole load on every core (with its CPU time per image, the time
// to the first picture on the wall and to a full wall), vipsthumbnail when
// installed, and what the wall holds per placed image.
//
// With --cold it makes no corpus and only loads the folder once from an
// empty cache in a 1920 x 1080 view, then zooms in to the level given (10 by
// default) and waits for the cells on screen to be sharp; it prints one line
// of key=value figures, times on the monotonic clock, for bench/peers.py to
// set beside another viewer's; it copies one normal entry it wrote where
// asked, to be checked with other programs.

#include "BenchCorpus.h"
#include "grid/CellStore.h"
#include "grid/GridWidget.h"
#include "image/Decode.h"
#include "shell/MainModule.h"
#include "shell/Twips.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <sched.h>
#include <unistd.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

using BenchCorpus::seconds;

namespace {

// Every thread of the process, not only this one: threads that Qt keeps
// in its pools would otherwise stay on the one core of an earlier run.
void useCores(int cores)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    for (int i = 0; i < cores; ++i)
        CPU_SET(i, &set);
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        sched_setaffinity(pid_t(task.toInt()), sizeof(set), &set);
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

// CPU seconds of the whole process so far, every thread.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The CPU seconds of the busiest thread still running: on an idle machine
// with enough cores a run takes at least that long.
double busiestThreadCpu()
{
    double busiest = 0;
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(task));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // After the name in parentheses: state is field 3, utime and stime 14 and 15.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 12)
            busiest = std::max(busiest, double(fields[11].toLongLong() + fields[12].toLongLong()));
    }
    return busiest / double(sysconf(_SC_CLK_TCK));
}

// When the wall was first painted with an image on it, and with all of them.
class PaintClock : public QObject {
public:
    PaintClock(frmMain& w, int expected) : m_w(w), m_expected(expected)
    {
        m_clock.start();
        started = monotonic();
        w.fg().viewport()->installEventFilter(this);
    }
    ~PaintClock() override { m_w.fg().viewport()->removeEventFilter(this); }
    PaintClock(const PaintClock&) = delete;
    PaintClock& operator=(const PaintClock&) = delete;
    double first = 0, full = 0;
    double started = 0;  // on the monotonic clock, as other processes read it

    static double monotonic()
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        const qint64 placed = m_w.cells().occupiedCount();
        if (placed > 0 && first == 0)
            first = m_clock.nsecsElapsed() / 1e9;
        if (placed >= m_expected && full == 0)
            full = m_clock.nsecsElapsed() / 1e9;
        return false;
    }

private:
    frmMain& m_w;
    const int m_expected;
    QElapsedTimer m_clock;
};

struct Load {
    double time = 0, cpu = 0, first = 0, full = 0, started = 0;
};

Load wholeLoad(const BenchCorpus::Program& program, frmMain& w, const QString& folder, int expected)
{
    program.forgetThumbnails();  // what a first load of these files costs
    Load load;
    PaintClock painted(w, expected);
    const double cpu = cpuSeconds();
    load.time = seconds([&] {
        BenchCorpus::LoadFolder(w.commands(), folder);
        QCoreApplication::processEvents();  // the last frame
    });
    load.cpu = cpuSeconds() - cpu;
    load.first = painted.first;
    load.started = painted.started;
    load.full = painted.full;
    if (w.state().ImageCount != expected)
        std::fprintf(stderr, "load placed %d of %d images\n", w.state().ImageCount, expected);
    return load;
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
        bytes += cell.picture.small().sizeInBytes() + cell.picture.whole().sizeInBytes() + qint64(sizeof(Cell))
                 + 48  // map node
                 + std::get<QString>(cell.data).capacity() * 2;
    });
    return bytes;
}

int coldOnce(const BenchCorpus::Program& program, const QString& folder, int level, const QString& keepEntry)
{
    int count = 0;
    for (QDirIterator it(folder, {"*.jpg"}, QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next())
        ++count;
    frmMain w;
    w.state().HidePreview = true;
    w.show();
    QApplication::processEvents();
    w.resize(w.size() + QSize(1920, 1080) - w.fg().viewport()->size());
    QApplication::processEvents();
    const Load load = wholeLoad(program, w, folder, count);
    const QDir normal(qEnvironmentVariable("XDG_CACHE_HOME") + "/thumbnails/normal");
    const QStringList written = normal.entryList({"*.png"}, QDir::Files);
    const int entries = int(written.size());
    if (!keepEntry.isEmpty() && !written.isEmpty())  // for a look with other programs
        QFile::copy(normal.filePath(written.first()), keepEntry);
    const int large = int(QDir(normal.filePath("../large")).entryList({"*.png"}, QDir::Files).size());
    const double loadCpu = load.cpu;
    const double busiest = busiestThreadCpu();
    const double zoomCpu = cpuSeconds();
    for (int i = 0; i < level; ++i)
        w.ZoomIn();
    w.fg().viewport()->repaint();  // asks for the versions of the cells on screen
    const int awaiting = w.fg().cellsAwaitingVersions();
    const double sharp = BenchCorpus::SharpMs(w.fg(), 20000);
    std::printf("pavisto files=%d placed=%d entries=%d large=%d started=%.4f first=%.4f full=%.4f load_cpu=%.4f "
                "busiest_thread_cpu=%.3f level=%d cell_px=%d awaiting=%d sharp_ms=%.1f zoom_cpu=%.4f\n",
                count, w.state().ImageCount, entries, large, load.started, load.started + load.first,
                load.started + load.full, loadCpu, busiest, level, TwipsToWholePixels(w.fg().ColWidth()),
                awaiting, sharp, cpuSeconds() - zoomCpu);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const BenchCorpus::Program program;
    if (app.arguments().value(1) == "--cold")
        return coldOnce(program, QDir(app.arguments().value(2)).absolutePath(),
                        app.arguments().size() > 3 ? app.arguments().value(3).toInt() : 10, app.arguments().value(4));
    const auto [folder, files] = BenchCorpus::prepare(argc, argv);
    const int count = int(files.size());
    const int cores = QThread::idealThreadCount();
    frmMain w;
    w.show();

    useCores(1);
    decodeFloor(files.mid(0, 8));  // warm up: plugins, caches, clock
    const double floor = decodeFloor(files);
    const double oneCore = wholeLoad(program, w, folder, count).time;
    useCores(cores);
    const Load all = wholeLoad(program, w, folder, count);
    const double allCores = all.time;
    const double vips = vipsThumbnail(files);
    const qint64 bytes = wallBytes(w.cells());

    const auto rate = [&](double time) { return time > 0 ? count / time : 0.0; };
    std::printf("%d images, %d cores\n", count, cores);
    std::printf("decode floor, 1 core        %7.1f images/s\n", rate(floor));
    std::printf("whole load, 1 core          %7.1f images/s  (%.2f x the floor's time per image)\n", rate(oneCore),
                oneCore / floor);
    std::printf("whole load, %d cores         %7.1f images/s  (%.2f x as fast as 1 core)\n", cores, rate(allCores),
                oneCore / allCores);
    std::printf("whole load, %d cores         %7.1f ms of CPU per image, first picture on the wall after %.2f s, "
                "full wall after %.2f s\n",
                cores, all.cpu * 1000 / count, all.first, all.full);
    if (vips > 0)
        std::printf("vipsthumbnail -s 200        %7.1f images/s  (whole load on %d cores: %.2f x its throughput)\n",
                    rate(vips), cores, vips / allCores);
    else
        std::printf("vipsthumbnail not installed (Debian package libvips-tools)\n");
    std::printf("wall memory                 %7.1f KB per placed image (monochrome)\n", bytes / 1024.0 / count);
    return 0;
}
