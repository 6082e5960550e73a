// Search, Show All and sort benchmark, run by hand (never by ctest):
//
//   cmake --build build --target search_bench
//   QT_QPA_PLATFORM=offscreen build/bench/search_bench [image-count]
//
// A 1,000 x 1,000 wall holding 10,000 images (small JPEG files in a
// temporary folder, two in three with an EXIF date, so the sort reads real
// headers and file dates) and 10,000 texts, spread over the grid. Times a
// search that hides most images, Show All, a search that hides nothing, and
// the sort by creation date of the images.

#include "BenchCorpus.h"
#include "grid/CellStore.h"
#include "shell/MainModule.h"
#include "ui/frmMain.h"
#include "wall/Search.h"
#include "wall/Sort.h"
#include "support/TestImages.h"

#include <QApplication>
#include <QDateTime>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

using BenchCorpus::seconds;

namespace {

constexpr int Side = 1000;
constexpr int Texts = 10'000;

void fillWall(frmMain& w, const QString& folder, int images)
{
    const QByteArray jpeg = TestImages::jpeg(160, 120);
    MainState& s = w.state();
    s.GridRows = s.GridCols = Side;
    EmptyGrid(w.cells(), Side, Side);
    const QImage picture(8, 8, QImage::Format_Grayscale8);
    QRandomGenerator random(9);
    for (int i = 0; i < images + Texts; ++i) {
        int r, c;
        do {
            r = int(random.bounded(Side));
            c = int(random.bounded(Side));
        } while (w.cells().holdsImage(r, c) || !w.cells().CellText(r, c).isEmpty());
        if (i < images) {
            const QString path = folder + QStringLiteral("/photo-%1.jpg").arg(i, 5, 10, QLatin1Char('0'));
            const QByteArray taken = QDateTime::fromSecsSinceEpoch(1'500'000'000 - 3600 * i)
                                         .toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"))
                                         .toLatin1();
            TestImages::write(path, i % 3 ? TestImages::withExif(jpeg, {.taken = taken}) : jpeg);
            w.cells().setImage(r, c, picture, path);
        } else {
            w.cells().setCellText(r, c, QStringLiteral("note %1").arg(i));
            w.cells().setCellForeColor(r, c, Qt::white);
        }
    }
    s.ImageCount = images;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const BenchCorpus::Program program;
    QTemporaryDir folder;
    frmMain w;
    const int images = argc > 1 ? std::atoi(argv[1]) : 10'000;
    fillWall(w, folder.path(), images);
    CommandContext& ctx = w.commands();

    SearchGrid(ctx, QStringLiteral("777"));  // warm up
    ResetCells(ctx);
    const double hideMost = seconds([&] { SearchGrid(ctx, QStringLiteral("photo-001")); });
    const double showAll = seconds([&] { ResetCells(ctx); });
    const double hideNone = seconds([&] { SearchGrid(ctx, QStringLiteral("PHOTO")); });
    const BenchCorpus::Answering yes(MsgAnswer::Yes);  // the sort's question on clearing the texts
    const double sort = seconds([&] { mnuSortCreateDate_Click(ctx, w.fgTop()); });
    if (w.state().ImageCount != images)
        std::fprintf(stderr, "sort placed %d of %d images\n", w.state().ImageCount, images);

    std::printf("%d x %d wall, %d images, %d texts\n", Side, Side, images, Texts);
    std::printf("search keeping 100 images  %8.1f ms\n", hideMost * 1e3);
    std::printf("Show All                   %8.1f ms\n", showAll * 1e3);
    std::printf("search hiding nothing      %8.1f ms\n", hideNone * 1e3);
    std::printf("sort by creation date      %8.1f ms\n", sort * 1e3);
    return 0;
}
