// Wall painting benchmark, run by hand (never by ctest):
//
//   cmake --build build --target paint_bench
//   QT_QPA_PLATFORM=offscreen build/bench/paint_bench
//
// A 1920 x 1080 view of the main window's grid on a wall of 10,000 distinct
// 200 x 150 thumbnails (100 x 100 cells), monochrome and in colour. At zoom
// levels 0, 1, 2, 5 and 20 it times the first frame after the zoom steps
// (when the cell-size copies are made afresh), a steady frame (the median of
// several) and the frame after a scroll by one screen; then a wheel notch
// from each level, the zoom step and its frame together. Goals: every steady
// and scrolled frame at most 16 ms, a first frame at most 100 ms.

#include "BenchCorpus.h"
#include "grid/GridWidget.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cstdio>
#include <vector>

using BenchCorpus::seconds;

namespace {

constexpr int WallSide = 100;
const int Levels[] = {0, 1, 2, 5, 20};

// A distinct photograph-like thumbnail: a gradient with a few shapes.
QImage thumbnail(int index)
{
    QImage picture(200, 150, QImage::Format_RGB32);
    const QRgb base = QColor::fromHsv(index * 37 % 360, 160, 90 + index % 120).rgb();
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const int shade = 70 + (x + y + index) % 80;  // percent
            line[x] = qRgb(qRed(base) * shade / 100, qGreen(base) * shade / 100, qBlue(base) * shade / 100);
        }
    }
    QPainter(&picture).fillRect(20 + index % 90, 30, 60, 50, QColor::fromHsv(index * 71 % 360, 200, 220));
    return picture;
}

void fill(frmMain& w, int pictureType)
{
    CellStore& cells = w.cells();
    cells.setPictureType(pictureType);
    for (int i = 0; i < WallSide * WallSide; ++i)
        cells.setImage(i % WallSide, i / WallSide, thumbnail(i), QString("/photos/%1.jpg").arg(i));
    w.state().ImageCount = WallSide * WallSide;
}

double frameMs(GridWidget& grid)
{
    return seconds([&] { grid.viewport()->repaint(); }) * 1000;
}

double steadyMs(GridWidget& grid)
{
    std::vector<double> frames;
    for (int i = 0; i < 9; ++i)
        frames.push_back(frameMs(grid));
    std::sort(frames.begin(), frames.end());
    return frames[frames.size() / 2];
}

void toLevel(frmMain& w, int level)
{
    w.mnuRightReset->trigger();
    for (int i = 0; i < level; ++i)
        w.ZoomIn();
}

void wheelNotch(GridWidget& grid)
{
    QWheelEvent notch(QPointF(10, 10), grid.viewport()->mapToGlobal(QPointF(10, 10)), {}, {0, 120},
                      Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid.viewport(), &notch);
}

// The program idles for a moment: copies ahead of a scroll get made.
void idle()
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 300)
        QApplication::processEvents();
}

// Each level's cells have a size not painted before, so its first frame
// makes every copy it shows. A scroll by a screen right after it makes its
// copies too ("at once"); after a moment of idling they are ready.
void measure(frmMain& w, const char* kind)
{
    GridWidget& grid = w.fg();
    std::printf("\n%s  first  steady  scrolled: at once  later  back   (ms; cells in view)\n", kind);
    for (int level : Levels) {
        toLevel(w, level);
        const double first = frameMs(grid);
        const double steady = steadyMs(grid);
        const int rows = std::max(1, grid.viewport()->height() * 15 / grid.RowHeight());
        const int cols = std::max(1, grid.viewport()->width() * 15 / grid.ColWidth());
        const int top = grid.TopRow();
        std::printf("  level %2d %7.1f %7.1f ", level, first, steady);
        grid.setTopRow(top + rows);
        if (grid.TopRow() != top) {
            const double atOnce = frameMs(grid);
            grid.setTopRow(top);
            frameMs(grid);
            grid.setTopRow(top + 2 * rows);
            frameMs(grid);
            idle();
            grid.setTopRow(top + 3 * rows);
            const double later = frameMs(grid);
            grid.setTopRow(top + 2 * rows);
            std::printf("%17.1f %6.1f %6.1f", atOnce, later, frameMs(grid));
        } else {
            std::printf("%17s %6s %6s", "-", "-", "-");
        }
        std::printf("   (%d)\n", std::min(rows, WallSide) * std::min(cols, WallSide));
    }
    std::printf("  wheel notch (zoom step and its frame):");
    for (int level : Levels) {
        toLevel(w, level);
        frameMs(grid);
        std::printf("  %d->%d %.1f", level, level + 1, seconds([&] {
                        wheelNotch(grid);
                        grid.viewport()->repaint();
                    }) * 1000);
    }
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const BenchCorpus::Program program;
    frmMain w;
    // Scroll bars that come and go with the zoom would change the view's size.
    w.fg().setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    w.fg().setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    w.show();
    QApplication::processEvents();
    w.resize(w.size() + QSize(1920, 1080) - w.fg().viewport()->size());
    QApplication::processEvents();
    std::printf("viewport %d x %d, %d thumbnails of 200 x 150\n", w.fg().viewport()->width(),
                w.fg().viewport()->height(), WallSide * WallSide);

    fill(w, CellStore::Monochrome);
    measure(w, "monochrome");
    fill(w, CellStore::Colour);
    measure(w, "colour    ");
    std::printf("(wheel notches step up from each level; every frame after one makes new copies)\n");
    return 0;
}
