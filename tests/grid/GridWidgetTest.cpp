#include "grid/GridWidget.h"
#include "picture/CellCopies.h"
#include "picture/PictureScaling.h"
#include "support/TestImages.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <climits>
#include <future>
#include <list>
#include <mutex>

namespace {

using TestImages::filled;

constexpr int Px = 7;  // 105 twips
QPoint at(int row, int col) { return {col * Px + 3, row * Px + 3}; }
struct Wall {
    CellStore cells{100, 100};
};
struct Shown : Wall, GridWidget {
    Shown() : GridWidget(cells)
    {
        resize(300, 200);
        show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(this));
    }
    QList<int> state() const  // the current cell, then the selection
    {
        const CellRect s = GetSelection();
        return {Row(), Col(), s.row1, s.col1, s.row2, s.col2};
    }
    QColor seen(QPoint point) { return viewport()->grab().toImage().pixelColor(point); }
    void zoom(int twips)
    {
        setColWidth(twips);
        setRowHeight(twips);
    }
};
using Move = GridWidget::Move;

// Pictures of "/p/<name>.jpg", red, whose larger versions are yellow (the lighter in grey too). The
// maker records what it was asked for; "gone" makes none.
struct Versions : ::testing::Test {
    std::mutex lock;  // what the maker uses outlives the grid whose workers run it
    QStringList asked;
    Shown grid;
    PictureVersions::Maker maker = [this](const PictureSource& source, int side, bool grey) {
        const std::lock_guard held(lock);
        asked << source.path.mid(3, 1) + QString::number(side) + (grey ? "g" : "");
        return source.path.contains("gone") ? QImage() : Picture::fitted(filled({200, 150}, Qt::yellow), side, grey);
    };
    static Picture picture(const QString& name, bool grey = false)
    {
        return Picture::fromSource(filled({200, 150}, Qt::red), grey, {"/p/" + name + ".jpg", 200, 200});
    }
    // What the middle of each cell shows once every version asked for is in, at cells of `pixels`:
    // 'v' the version, 's' the small version, in capitals when grey.
    QString shown(int pixels, const QList<QPoint>& cellsAt)
    {
        grid.zoom(pixels * 15);
        grid.viewport()->repaint();
        EXPECT_TRUE(QTest::qWaitFor([&] { return grid.versions().busy() == 0; }));
        QCoreApplication::processEvents();
        QString seen;
        for (const QPoint cell : cellsAt) {
            const QColor c = grid.seen({cell.x() * pixels + pixels / 2, cell.y() * pixels + pixels / 2});
            const QChar kind(c.green() > 200 ? 'v' : 's');
            seen += c.red() == c.blue() ? kind.toUpper() : kind;
        }
        return seen;
    }
};

} // namespace

// Its events come to the handler in the grid's own terms; mouse, keys and select move the current cell, and the
// scroll bars count cells up to the largest wall.
TEST(GridWidget, HandsItsEventsOnMovesTheCurrentCellNamesACellsFileInATooltipAndScrollsUpToTheLargestWall)
{
    Shown fg;
    QWidget* vp = fg.viewport();
    QStringList seen;
    bool take = true;
    fg.setInputHandler([&](const GridEvent& event) {
        seen << QString("%1:%2:%3").arg(int(event.kind)).arg(event.code).arg(event.shift);
        return take;
    });
    // Keys as Windows virtual-key codes, 0 for a key without one; pressed (0) and released (1).
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_End, Qt::Key_Q, Qt::Key_F2, Qt::Key_Menu})
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, key, Qt::ControlModifier | Qt::ShiftModifier);
            QApplication::sendEvent(&fg, &event);
        }
    EXPECT_EQ(seen.join(' '), "0:40:3 1:40:3 0:35:3 1:35:3 0:81:3 1:81:3 0:113:3 1:113:3 0:0:3 1:0:3");
    seen.clear();
    QTest::mouseClick(vp, Qt::RightButton, Qt::AltModifier, at(1, 1));
    QTest::mouseDClick(vp, Qt::LeftButton, {}, at(1, 1));
    EXPECT_TRUE(seen.first() == "2:2:4" && seen.contains("3:0:0"));
    fg.verticalScrollBar()->setValue(10);
    take = false;  // a pressed key the handler leaves goes on to the scroll area
    QTest::keyClick(&fg, Qt::Key_PageDown);
    EXPECT_GT(fg.TopRow(), 10);
    const int top = fg.TopRow();  // a drag above the view selects on upwards, and the view follows
    QTest::mousePress(vp, Qt::LeftButton, {}, at(1, 1));
    QMouseEvent drag(QEvent::MouseMove, QPointF(3, -5), vp->mapToGlobal(QPointF(3, -5)), Qt::NoButton, Qt::LeftButton,
                     {});
    QApplication::sendEvent(vp, &drag);
    QTest::mouseRelease(vp, Qt::LeftButton);
    EXPECT_TRUE(fg.state() == (QList<int>{top + 1, 1, top - 1, 0, top + 1, 1}) && fg.TopRow() == top - 1);

    // A tooltip names the file and the whole text the cell clips; a hidden cell, nothing.
    fg.setTopRow(0);
    fg.cells.setImage(1, 1, filled({4, 4}, Qt::red), "/p/dir/a.jpg");
    fg.cells.setCellText(1, 1, "a long note the cell clips");
    fg.cells.setCellData(1, 2, filled({4, 4}, Qt::red));  // hidden as an open wall writes it: the path in the text
    fg.cells.setCellText(1, 2, "/p/dir/b.jpg");
    seen.clear();
    for (int col : {3, 2, 1, 2}) {
        QHelpEvent help(QEvent::ToolTip, at(1, col), vp->mapToGlobal(at(1, col)));
        QApplication::sendEvent(vp, &help);
        // A tip going away fades; one shown stays.
        seen << (QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 400) ? QString() : QToolTip::text());
    }
    EXPECT_EQ(seen, (QStringList{"", "", "a.jpg\na long note the cell clips", ""}));
    fg.cells.showImage(1, 2);  // shown again, the path goes back to the data slot
    EXPECT_TRUE(fg.cells.CellData(1, 2) == "/p/dir/b.jpg" && fg.cells.CellText(1, 2).isEmpty()
                && fg.cells.CellPicture(1, 2).isGrey());

    QTest::mouseClick(vp, Qt::LeftButton, {}, at(2, 3));
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, at(5, 1));
    fg.moveCursor(Move::Down, true);
    EXPECT_EQ(fg.state(), (QList<int>{2, 3, 2, 1, 6, 3}));
    fg.Select(1, 1, 4, 6);  // the popup acts on what is selected: a right press inside keeps it,
    QTest::mouseClick(vp, Qt::RightButton, {}, at(4, 6));
    EXPECT_EQ(fg.state(), (QList<int>{1, 1, 1, 1, 4, 6}));
    QTest::mouseClick(vp, Qt::RightButton, {},
                      at(1, 7)); // one outside, on a selected row too, selects the cell under it
    EXPECT_EQ(fg.state(), (QList<int>{1, 7, 1, 7, 1, 7}));
    fg.Select(1, 1);
    for (Move move : {Move::Down, Move::PageDown, Move::Right, Move::Right, Move::PageUp, Move::Up, Move::Left})
        fg.moveCursor(move, false);
    QObject::connect(&fg, &GridWidget::BeforeMouseDown, [](int, int, bool& no) { no = true; });
    QTest::mouseClick(vp, Qt::LeftButton, {}, at(6, 6));
    EXPECT_EQ(fg.state(), (QList<int>{1, 2, 1, 2, 1, 2}));

    const int rows = vp->height() / Px, cols = vp->width() / Px;
    EXPECT_EQ(fg.verticalScrollBar()->maximum(), 100 - rows);
    EXPECT_EQ(fg.horizontalScrollBar()->maximum(), 100 - cols);
    for (const int cell : {80, 81, 3}) {  // 81: just past the view
        fg.ShowCell(cell, cell);
        EXPECT_TRUE(fg.TopRow() == (cell > 3 ? cell - rows + 1 : 3) && fg.LeftCol() == (cell > 3 ? cell - cols + 1 : 3))
            << cell;
    }
    fg.Select(90, 95, 3, 40);  // corners in any order
    fg.cells.setCols(30);  // columns only: the current cell and the selection come inside
    EXPECT_EQ(fg.state(), (QList<int>{90, 29, 3, 29, 90, 29}));

    // The largest wall paints, scrolls and moves to its last cell.
    fg.cells.setRows(INT_MAX);
    fg.cells.setCols(INT_MAX);
    fg.cells.setPictureType(CellStore::Colour);
    fg.cells.setCellPicture(INT_MAX - 1, INT_MAX - 1, filled({20, 20}, Qt::red));
    for (int twips : {105, 1500}) {  // tiny cells, and cells that draw copies
        fg.zoom(twips);
        fg.Select(0, 0);
        for (Move move : {Move::WallEnd, Move::PageDown, Move::Right})
            fg.moveCursor(move, false);
        EXPECT_EQ(fg.state(), QList<int>(6, INT_MAX - 1));
        EXPECT_TRUE(fg.TopRow() == fg.verticalScrollBar()->maximum() && fg.LeftCol() > INT_MAX - 100);
        const QPoint last(int(fg.CellLeft() / 15) + 3, int(fg.CellTop() / 15) + 3);
        EXPECT_EQ(fg.seen(last), QColor(Qt::red)) << twips;
        QCoreApplication::processEvents();  // copies ahead of a scroll
        EXPECT_EQ(fg.colAt(last.x() + twips / 15), -1);
    }
}

TEST(GridWidget, PicturesFillTheirCellsAtEverySizeInColourAndGreyAndEveryChangeScrollAndGridLineShows)
{
    Shown fg;
    QImage halves = filled({200, 200}, Qt::blue);
    QPainter(&halves).fillRect(0, 0, 100, 200, Qt::red);
    fg.resize(700, 500);
    for (int type : {CellStore::Colour, CellStore::Monochrome}) {
        fg.cells.setPictureType(type);
        fg.cells.setCellPicture(0, 0, halves);  // a new picture is drawn, not a copy of the old one
        for (int twips : {105, 355, 605, 1355, 5105, 9105}) {
            fg.zoom(twips);
            const int px = std::min(twips / 15, 450);
            const QColor left = fg.seen({1, px / 2}), right = fg.seen({px - 3, px / 2});
            EXPECT_TRUE(type == CellStore::Colour ? left == Qt::red && right == Qt::blue
                                                  : left.red() == left.blue() && left.red() > right.red() + 30)
                << twips;
            EXPECT_TRUE(px > 300 || fg.seen({px + 3, px / 2}) == Qt::black) << twips;  // the cell beside it
        }
    }
    // Tiny cells come from one image of the wall, which every change reaches.
    fg.zoom(105);
    fg.cells.setPictureType(CellStore::Colour);
    fg.cells.setCellPicture(3, 3, filled({20, 20}, Qt::red));
    EXPECT_EQ(fg.seen(at(3, 3)), QColor(Qt::red));
    fg.cells.setCellPicture(3, 3, filled({20, 20}, Qt::green));  // a cell changed since the last frame
    fg.cells.setCellPicture(4, 4, filled({20, 20}, Qt::red));
    EXPECT_TRUE(fg.seen(at(3, 3)) == Qt::green && fg.seen(at(4, 4)) == Qt::red);
    fg.cells.clearImage(4, 4);
    EXPECT_EQ(fg.seen(at(4, 4)), QColor(Qt::black));
    fg.setTopRow(2);  // scrolled: every cell moves
    EXPECT_TRUE(fg.seen(at(1, 3)) == Qt::green && fg.seen(at(3, 3)) == Qt::black);
    fg.setLeftCol(1);  // and sideways alone
    EXPECT_TRUE(fg.seen(at(1, 2)) == Qt::green && fg.seen(at(1, 3)) == Qt::black);
    fg.Select(5, 5, 6, 6);  // the tint covers the selection and no more
    EXPECT_TRUE(fg.seen(at(4, 5)) != Qt::black && fg.seen(at(4, 6)) == Qt::black);
    const QColor line = fg.seen({Px - 1, 3});
    fg.GridLines(false);
    EXPECT_TRUE(line != Qt::black && fg.seen({Px - 1, 3}) == Qt::black);
    fg.GridLines(true);
    fg.zoom(605);
    fg.cells.setCols(8);  // a narrow wall of 40-pixel cells: its row lines end at its last column
    EXPECT_TRUE(fg.seen({3, 39}) != Qt::black && fg.seen({400, 39}) == Qt::black);
}

TEST_F(Versions, CellsOnScreenShowTheirLargerVersionOnceItIsMadeAndOnlyThoseAreAsked)
{
    grid.versions().setMaker(maker);
    grid.resize(400, 300);
    CellStore& cells = grid.cells;
    cells.setImage(0, 0, picture("a"), "/p/a.jpg");
    cells.setImage(1, 1, picture("b", true), "/p/b.jpg");
    cells.setImage(60, 60, picture("far"), "/p/far.jpg");  // off the screen
    cells.setImage(1, 0, picture("gone"), "/p/gone.jpg");
    const QList<QPoint> three{{0, 0}, {1, 1}, {0, 1}};
    EXPECT_EQ(shown(48, three) + asked.join(' '), "sSs");  // small cells draw the small version and ask for nothing
    // A grey picture's version is grey too: the maker was told. A source that makes nothing is not asked again.
    EXPECT_EQ(shown(100, three) + shown(100, three) + shown(140, three),
              "vVsvVsvVs"); // larger cells need the whole thumbnail
    EXPECT_TRUE(picture("a").versionSide(128) == 128 && picture("a").versionSide(129) == 256);
    asked.sort();
    EXPECT_EQ(asked.join(' '), "a128 a256 b128g b256g g128 g256");
    // Moved cells take their pictures along: nothing is made again.
    const Picture moved = cells.CellPicture(0, 0);
    cells.clearImage(0, 0);
    cells.setImage(0, 2, moved, "/p/a.jpg");
    EXPECT_EQ(shown(140, {{2, 0}}) + QString::number(asked.size()), "v6");
    // Versions for cells ahead of a scroll are made after those of the view, the view's newest first; a drop
    // takes both kinds; a version larger than the whole budget is still kept, the last one made.
    WorkerPool one(1);
    PictureVersions versions(nullptr, 1, one);
    versions.setMaker(maker);
    std::promise<void> release;
    WorkerJobs busy(one);
    busy.post(WorkerPool::Priority::View,
              [done = release.get_future().share()](const std::stop_token&) { done.wait(); });
    asked.clear();
    versions.best(picture("f"), 128, true);
    versions.dropWaiting();
    versions.best(picture("c"), 128, true);
    versions.best(picture("d"), 128);
    versions.best(picture("e"), 128);
    release.set_value();
    EXPECT_TRUE(QTest::qWaitFor([&] { return versions.busy() == 0; }) && asked.join(' ') == "e128 d128 c128");
    EXPECT_EQ(versions.kept(), 1);
}

// Versions of five pictures shown in any order, with room for three: a
// model keeps them most recently shown first, and one that fell out is
// made again when it is shown next.
RC_GTEST_FIXTURE_PROP(Versions, KeepTheMostRecentlyShownWithinTheBudgetAndMakeAnEvictedOneAgain, ())
{
    PictureVersions versions(nullptr, qint64{128} * 96 * 4 * 3);  // versions of 128 x 96
    versions.setMaker(maker);
    const std::vector<Picture> pictures{picture("a"), picture("b"), picture("c"), picture("d"), picture("e")};
    std::list<int> kept;
    QStringList made;
    for (const int i : *rc::gen::resize(30, rc::gen::container<std::vector<int>>(rc::gen::element(0, 1, 2, 3, 4)))) {
        const bool ready = std::ranges::find(kept, i) != kept.end();
        RC_ASSERT(versions.isReady(pictures[i], 128) == ready);
        versions.best(pictures[i], 128);
        versions.dropWaiting();  // as a repaint of the whole view does: one dropped is asked for when shown next
        versions.best(pictures[i], 128);
        RC_ASSERT(QTest::qWaitFor([&] { return versions.busy() == 0; }));
        RC_ASSERT(versions.best(pictures[i], 128).pixelColor(0, 0) == QColor(Qt::yellow));
        if (!ready)
            made << QString(QChar('a' + i)) + "128";
        kept.remove(i);
        kept.push_front(i);
        if (kept.size() > 3)
            kept.pop_back();
    }
    RC_ASSERT(asked == made);
}

TEST(PictureScaling, AveragedCopiesAverageWhatLiesUnderEachPixelSampledOnesTakeItsMiddleAndEachSizeHasItsOwn)
{
    const auto ramp = [](int width, int height) {  // grey pixels, 10 times their index row by row
        QImage picture(width, height, QImage::Format_Grayscale8);
        for (int i = 0; i < width * height; ++i)
            picture.scanLine(i / width)[i % width] = uchar(10 * i);
        return picture;
    };
    const auto greys = [](const QImage& copy) {  // what a copy shows, row by row
        QList<int> values;
        for (int i = 0; i < copy.width() * copy.height(); ++i)
            values << qGray(copy.pixel(i % copy.width(), i / copy.width()));
        return values;
    };
    // Uneven spans: 5 columns into 2 (2 and 3 wide), 3 rows into 2 (1 and 2).
    EXPECT_EQ(greys(AveragedCopy(ramp(5, 3), {2, 2})), (QList<int>{5, 30, 80, 105}));
    EXPECT_EQ(greys(AveragedCopy(ramp(2, 1), {4, 1}, QImage::Format_Grayscale8)), (QList<int>{0, 0, 10, 10}));
    EXPECT_EQ(greys(SampledCopy(ramp(6, 3), {3, 1})), (QList<int>{70, 90, 110}));
    QImage halves = filled({200, 150}, Qt::blue, QImage::Format_RGB888);  // colour channels apart, in any format
    QPainter(&halves).fillRect(0, 0, 100, 150, Qt::red);
    const QImage small = AveragedCopy(halves, {24, 24}, QImage::Format_Grayscale8);
    EXPECT_TRUE(small.pixelColor(11, 5) == Qt::red && small.pixelColor(12, 5) == Qt::blue);
    EXPECT_EQ(AveragedCopy(halves, {1, 1}).pixelColor(0, 0), QColor(128, 0, 128));
    CellCopies copies;  // cells of a fractional pixel size differ by a pixel in one direction
    for (const QSize size : {QSize(24, 24), QSize(24, 23), QSize(23, 24)})
        EXPECT_EQ(copies.copy(halves, size).size(), size);
    // A side enlarged is smoothed, even while the other shrinks: black over white meet in grey.
    QImage bands = filled({40, 2}, Qt::black);
    QPainter(&bands).fillRect(0, 1, 40, 1, Qt::white);
    const int between = qGray(copies.copy(bands, {24, 40}).pixel(0, 20));
    EXPECT_TRUE(between > 60 && between < 200) << between;
}
