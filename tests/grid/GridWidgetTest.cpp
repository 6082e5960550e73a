#include "grid/GridWidget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

#include <climits>

namespace {
constexpr int Px = 7;  // 105 twips
QPoint at(int row, int col) { return {col * Px + 3, row * Px + 3}; }
QImage filled(int side, QColor colour)
{
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

struct Wall {
    CellStore cells{100, 100};
};
struct Shown : Wall, GridWidget {
    Shown() : GridWidget(cells)
    {
        resize(300, 200), show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(this));
    }
    QList<int> state() const  // the current cell, then the selection
    {
        const CellRect s = GetSelection();
        return {Row(), Col(), s.row1, s.col1, s.row2, s.col2};
    }
    QColor seen(QPoint point) { return viewport()->grab().toImage().pixelColor(point); }
    void zoom(int twips) { setColWidth(twips), setRowHeight(twips); }
};
using Move = GridWidget::Move;
} // namespace

TEST(GridWidget, MouseKeysAndSelectMoveTheCurrentCellHighlightItAndScrollBarsCountCells)
{
    Shown fg;
    QWidget* vp = fg.viewport();
    fg.Select(5, 6, 2, 3);
    EXPECT_EQ(fg.state(), (QList<int>{5, 6, 2, 3, 5, 6}));
    QTest::mouseClick(vp, Qt::LeftButton, {}, at(2, 3));
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, at(5, 1));
    fg.moveCursor(Move::Down, true);
    EXPECT_EQ(fg.state(), (QList<int>{2, 3, 2, 1, 6, 3}));
    QTest::mousePress(vp, Qt::LeftButton, {}, at(1, 1));
    QTest::mouseMove(vp, at(4, 6));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, at(4, 6));
    // The popup acts on what is selected: a right press inside the
    // selection keeps it, one outside selects the cell under it.
    QTest::mouseClick(vp, Qt::RightButton, {}, at(4, 6));
    EXPECT_EQ(fg.state(), (QList<int>{1, 1, 1, 1, 4, 6}));
    QTest::mouseClick(vp, Qt::RightButton, {}, at(5, 6));
    QTest::mouseClick(vp, Qt::RightButton, {}, at(5, 2));  // another cell of the current row
    EXPECT_EQ(fg.state(), (QList<int>{5, 2, 5, 2, 5, 2}));
    fg.setTopRow(10);  // a drag above the view grows the selection upward, and the view follows
    QTest::mousePress(vp, Qt::LeftButton, {}, at(1, 1));
    QTest::mouseMove(vp, {3, -5});
    QTest::mouseRelease(vp, Qt::LeftButton, {}, {3, -5});
    EXPECT_EQ(fg.state() << fg.TopRow(), (QList<int>{11, 1, 9, 0, 11, 1, 9}));
    fg.setTopRow(0), fg.Select(2, 1, 2, 4);  // one row: the highlight covers it and no more
    const QImage shot = vp->grab().toImage();
    EXPECT_TRUE(shot.pixelColor(at(2, 4)) != Qt::black && shot.pixelColor(at(2, 5)) == Qt::black
                && shot.pixelColor(at(3, 2)) == Qt::black && shot.pixelColor(at(1, 2)) == Qt::black);
    fg.Select(1, 1);
    for (Move move : {Move::Down, Move::Right, Move::Right, Move::Up, Move::Left})
        fg.moveCursor(move, false);
    QObject::connect(&fg, &GridWidget::BeforeMouseDown, [](int, int, bool& no) { no = true; });
    QTest::mouseClick(vp, Qt::LeftButton, {}, at(6, 6));
    EXPECT_EQ(fg.state(), (QList<int>{1, 2, 1, 2, 1, 2}));

    const int rows = vp->height() / Px;
    EXPECT_EQ(fg.verticalScrollBar()->maximum(), 100 - rows);
    EXPECT_EQ(fg.horizontalScrollBar()->maximum(), 100 - vp->width() / Px);
    fg.ShowCell(80, 0);
    EXPECT_EQ(fg.TopRow(), 80 - rows + 1);
    fg.ShowCell(81, 0);  // the row just below the view
    EXPECT_EQ(fg.TopRow(), 81 - rows + 1);
    fg.ShowCell(3, 0);
    EXPECT_EQ(fg.TopRow(), 3);
    fg.Select(90, 95, 3, 40);
    fg.cells.setCols(30);  // columns only: the current cell and the selection come inside
    EXPECT_EQ(fg.state(), (QList<int>{90, 29, 3, 29, 90, 29}));
}

TEST(GridWidget, TheLargestWallPaintsScrollsAndMovesToItsLastCell)
{
    Shown fg;
    fg.cells.setRows(INT_MAX), fg.cells.setCols(INT_MAX);
    fg.cells.setPictureType(CellStore::Colour);
    fg.cells.setCellPicture(INT_MAX - 1, INT_MAX - 1, filled(20, Qt::red));
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

TEST(GridWidget, ACellsTooltipNamesItsFileAndWholeTextAndAHiddenCellNothing)
{
    Shown fg;
    fg.cells.setImage(1, 1, filled(4, Qt::red), "/p/dir/a.jpg");
    fg.cells.setCellText(1, 1, "a long note the cell clips");
    fg.cells.setImage(1, 2, filled(4, Qt::red), "/p/dir/b.jpg");
    fg.cells.hideImage(1, 2);
    QStringList seen;
    for (int col : {3, 2, 1, 2}) {
        QHelpEvent help(QEvent::ToolTip, at(1, col), fg.viewport()->mapToGlobal(at(1, col)));
        QApplication::sendEvent(fg.viewport(), &help);
        // A tip going away fades; one shown stays.
        seen << (QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 400) ? QString() : QToolTip::text());
    }
    EXPECT_EQ(seen, (QStringList{"", "", "a.jpg\na long note the cell clips", ""}));
}

TEST(GridWidget, PicturesFillTheirCellsAtEverySizeInColourAndGreyAndEveryChangeScrollAndGridLineShows)
{
    Shown fg;
    fg.Redraw(false);
    EXPECT_FALSE(fg.viewport()->updatesEnabled());
    fg.Redraw(true);
    QImage halves = filled(200, Qt::blue);
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
    fg.zoom(105), fg.resize(300, 200), fg.cells.setPictureType(CellStore::Colour);
    fg.cells.setCellPicture(3, 3, filled(20, Qt::red));
    EXPECT_EQ(fg.seen(at(3, 3)), QColor(Qt::red));
    fg.cells.setCellPicture(3, 3, filled(20, Qt::green));  // a cell changed since the last frame
    fg.cells.setCellPicture(4, 4, filled(20, Qt::red));
    EXPECT_TRUE(fg.seen(at(3, 3)) == Qt::green && fg.seen(at(4, 4)) == Qt::red);
    fg.cells.clearImage(4, 4);
    EXPECT_EQ(fg.seen(at(4, 4)), QColor(Qt::black));
    fg.setTopRow(2);  // scrolled: every cell moves
    EXPECT_TRUE(fg.seen(at(1, 3)) == Qt::green && fg.seen(at(3, 3)) == Qt::black);
    fg.setLeftCol(1);  // and sideways alone
    EXPECT_TRUE(fg.seen(at(1, 2)) == Qt::green && fg.seen(at(1, 3)) == Qt::black);
    const QColor line = fg.seen({Px - 1, 3});
    fg.GridLines(false);
    EXPECT_TRUE(line != Qt::black && fg.seen({Px - 1, 3}) == Qt::black);
}

TEST(GridWidget, ItsEventsComeToTheHandlerInTheGridsOwnTermsAndAKeyItLeavesScrolls)
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
}
