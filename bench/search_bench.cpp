// Search, Show All and sort benchmark, run by hand (never by ctest):
//
//   cmake --build build --target search_bench
//   QT_QPA_PLATFORM=offscreen build/bench/search_bench
//
// A 1,000 x 1,000 wall holding 10,000 images (empty files in a temporary
// folder, so the sort reads real file dates) and 10,000 texts, spread over
// the grid. Times a search that hides most images, Show All, a search that
// hides nothing, and the sort by creation date of the 10,000 images.

#include "BenchCorpus.h"
#include "grid/CellStore.h"
#include "shell/MainModule.h"
#include "ui/frmMain.h"
#include "wall/Search.h"
#include "wall/Sort.h"

#include <QApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

using BenchCorpus::seconds;

namespace {

constexpr int Side = 1000;
constexpr int Images = 10'000;
constexpr int Texts = 10'000;

void fillWall(frmMain& w, const QString& folder)
{
    MainState& s = w.state();
    s.GridRows = s.GridCols = Side;
    EmptyGrid(w.cells(), Side, Side);
    const QImage picture(8, 8, QImage::Format_Grayscale8);
    QRandomGenerator random(9);
    for (int i = 0; i < Images + Texts; ++i) {
        int r, c;
        do {
            r = int(random.bounded(Side));
            c = int(random.bounded(Side));
        } while (w.cells().holdsImage(r, c) || !w.cells().CellText(r, c).isEmpty());
        if (i < Images) {
            const QString path = folder + QStringLiteral("/photo-%1.jpg").arg(i, 5, 10, QLatin1Char('0'));
            QFile(path).open(QIODevice::WriteOnly);
            w.cells().setImage(r, c, picture, path);
        } else {
            w.cells().setCellText(r, c, QStringLiteral("note %1").arg(i));
            w.cells().setCellForeColor(r, c, Qt::white);
        }
    }
    s.ImageCount = Images;
    s.ResetArmed = true;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const BenchCorpus::Program program;
    QTemporaryDir folder;
    frmMain w;
    fillWall(w, folder.path());
    CommandContext& ctx = w.commands();

    SearchGrid(ctx, QStringLiteral("777"));  // warm up
    ResetCells(ctx);
    const double hideMost = seconds([&] { SearchGrid(ctx, QStringLiteral("photo-001")); });
    const double showAll = seconds([&] { ResetCells(ctx); });
    const double hideNone = seconds([&] { SearchGrid(ctx, QStringLiteral("PHOTO")); });
    const double sort = seconds([&] { mnuSortCreateDate_Click(ctx, w.fgTop()); });
    if (w.state().ImageCount != Images)
        std::fprintf(stderr, "sort placed %d of %d images\n", w.state().ImageCount, Images);

    std::printf("%d x %d wall, %d images, %d texts\n", Side, Side, Images, Texts);
    std::printf("search keeping 100 images  %8.1f ms\n", hideMost * 1e3);
    std::printf("Show All                   %8.1f ms\n", showAll * 1e3);
    std::printf("search hiding nothing      %8.1f ms\n", hideNone * 1e3);
    std::printf("sort by creation date      %8.1f ms\n", sort * 1e3);
    return 0;
}
