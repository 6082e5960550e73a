// Memory benchmark, run by hand (never by ctest), one measure per process:
//
//   cmake --build build --target memory_bench
//   QT_QPA_PLATFORM=offscreen build/bench/memory_bench growth [corpus-folder] [photos] [folders]
//   QT_QPA_PLATFORM=offscreen build/bench/memory_bench crafted [corpus-folder]
//
// growth: a few dozen photographs linked into many folders (44 x 75 = 3,300
// images by default) loaded as one wall; the resident memory after the load
// (the wall painted once) minus that of the empty program, per placed image.
// crafted: six 1.4 KB progressive JPEGs whose headers claim 15000 x 15000
// pixels, six more padded until their size could describe that many, and
// seven photographs; the peak resident memory of the whole process.

#include "BenchCorpus.h"
#include "grid/CellStore.h"
#include "shell/MainModule.h"
#include "support/TestImages.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

int growth(const QString& corpus, int photos, int folders)
{
    const QStringList files = BenchCorpus::make(corpus, photos);
    QTemporaryDir tree;
    for (int f = 0; f < folders; ++f) {
        const QString folder = tree.filePath(QString("folder%1").arg(f, 3, 10, QChar('0')));
        QDir().mkpath(folder);
        for (const QString& file : files)
            QFile::link(file, folder + '/' + QFileInfo(file).fileName());
    }
    BenchCorpus::readIntoCache(files);

    frmMain w;
    w.show();
    settle();
    const qint64 before = BenchCorpus::statusKB("VmRSS");
    const double time = BenchCorpus::seconds([&] { BenchCorpus::LoadFolder(w.commands(), tree.path()); });
    settle();
    const qint64 after = BenchCorpus::statusKB("VmRSS");
    const int placed = w.state().ImageCount;
    std::printf("%d images placed in %.1f s (%.1f images/s)\n", placed, time, placed / time);
    std::printf("resident before %lld KB, after %lld KB, peak %lld KB\n", before, after,
                BenchCorpus::statusKB("VmHWM"));
    std::printf("growth per placed image     %7.1f KB\n", double(after - before) / std::max(placed, 1));

    return 0;
}

int crafted(const QString& corpus)
{
    const QStringList photos = BenchCorpus::make(corpus, 7);
    QTemporaryDir folder;
    for (const QString& photo : photos)
        QFile::copy(photo, folder.filePath(QFileInfo(photo).fileName()));
    for (int i = 0; i < 6; ++i) {
        const QByteArray small = TestImages::jpegClaiming(15000, 15000, true);
        TestImages::write(folder.filePath(QString("crafted%1.jpg").arg(i)), small);
        TestImages::write(folder.filePath(QString("padded%1.jpg").arg(i)), small + QByteArray(1200 * 1024, '\0'));
    }
    frmMain w;
    w.show();
    settle();
    const qint64 before = BenchCorpus::statusKB("VmHWM");
    BenchCorpus::LoadFolder(w.commands(), folder.path());
    settle();
    std::printf("%d images placed of %d files\n", w.state().ImageCount, int(QDir(folder.path()).count()) - 2);
    std::printf("peak resident before the load %lld KB, after it %lld KB\n", before, BenchCorpus::statusKB("VmHWM"));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const BenchCorpus::Program program;
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const QString corpus = BenchCorpus::folder(argc, argv, 2);
    if (mode == "growth")
        return growth(corpus, argc > 3 ? std::atoi(argv[3]) : 44, argc > 4 ? std::atoi(argv[4]) : 75);
    if (mode == "crafted")
        return crafted(corpus);
    std::fprintf(stderr, "usage: memory_bench growth|crafted [corpus-folder] [photos] [folders]\n");
    return 2;
}
