#include "grid/GridWidget.h"

#include <QPainter>
#include <QScrollBar>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <climits>

namespace {
constexpr int Px = 7;  // 105 twips
QPoint at(int row, int col) { return {col * Px + 3, row * Px + 3}; }

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
};
} // namespace

TEST(GridWidget, MouseKeysAndSelectMoveTheCurrentCellAndScrollBarsCountCells)
{
    Shown fg;
    QWidget* vp = fg.viewport();
    fg.Select(5, 6, 2, 3);
    EXPECT_EQ(fg.state(), (QList<int>{5, 6, 2, 3, 5, 6}));
    QTest::mouseClick(vp, Qt::LeftButton, {}, at(2, 3));
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, at(5, 1));
    fg.moveCursor(GridWidget::Move::Down, true);
    EXPECT_EQ(fg.state(), (QList<int>{2, 3, 2, 1, 6, 3}));
    QTest::mousePress(vp, Qt::LeftButton, {}, at(1, 1));
    QTest::mouseMove(vp, at(4, 6));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, at(4, 6));
    // The popup acts on what is selected: a right press inside the
    // selection keeps it, one outside selects the cell under it.
    QTest::mouseClick(vp, Qt::RightButton, {}, at(4, 6));
    EXPECT_EQ(fg.state(), (QList<int>{1, 1, 1, 1, 4, 6}));
    QTest::mouseClick(vp, Qt::RightButton, {}, at(5, 6));
    EXPECT_EQ(fg.state(), (QList<int>{5, 6, 5, 6, 5, 6}));
    fg.Select(2, 1, 2, 4);  // one row: the highlight covers it and no more
    const QImage shot = fg.viewport()->grab().toImage();
    EXPECT_TRUE(shot.pixelColor(at(2, 4)) != Qt::black && shot.pixelColor(at(2, 5)) == Qt::black
                && shot.pixelColor(at(3, 2)) == Qt::black && shot.pixelColor(at(1, 2)) == Qt::black);
    fg.Select(1, 1);

    for (GridWidget::Move move : {GridWidget::Move::Down, GridWidget::Move::Right, GridWidget::Move::Right,
                                  GridWidget::Move::Up, GridWidget::Move::Left})
        fg.moveCursor(move, false);
    QObject::connect(&fg, &GridWidget::BeforeMouseDown, [](int, int, bool& no) { no = true; });
    QTest::mouseClick(vp, Qt::LeftButton, {}, at(6, 6));
    EXPECT_EQ(fg.state(), (QList<int>{1, 2, 1, 2, 1, 2}));

    const int rows = fg.viewport()->height() / Px;
    EXPECT_EQ(fg.verticalScrollBar()->maximum(), 100 - rows);
    EXPECT_EQ(fg.horizontalScrollBar()->maximum(), 100 - fg.viewport()->width() / Px);
    fg.ShowCell(80, 0);
    EXPECT_EQ(fg.TopRow(), 80 - rows + 1);
    fg.ShowCell(3, 0);
    EXPECT_EQ(fg.TopRow(), 3);
}

TEST(GridWidget, TheLargestWallPaintsScrollsAndMovesToItsLastCell)
{
    Shown fg;
    fg.cells.setRows(INT_MAX);
    fg.cells.setCols(INT_MAX);
    QImage red(20, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    fg.cells.setPictureType(CellStore::Colour);
    fg.cells.setCellPicture(INT_MAX - 1, INT_MAX - 1, red);
    for (int twips : {105, 1500}) {  // tiny cells, and cells that draw copies
        fg.setColWidth(twips);
        fg.setRowHeight(twips);
        fg.Select(0, 0);
        for (GridWidget::Move move : {GridWidget::Move::WallEnd, GridWidget::Move::PageDown, GridWidget::Move::Right})
            fg.moveCursor(move, false);
        EXPECT_EQ(fg.state(), (QList<int>{INT_MAX - 1, INT_MAX - 1, INT_MAX - 1, INT_MAX - 1, INT_MAX - 1, INT_MAX - 1}));
        EXPECT_TRUE(fg.TopRow() == fg.verticalScrollBar()->maximum() && fg.LeftCol() > INT_MAX - 100);
        const QImage shot = fg.viewport()->grab().toImage();
        QCoreApplication::processEvents();  // copies ahead of a scroll
        const QPoint last(int(fg.CellLeft() / 15) + 3, int(fg.CellTop() / 15) + 3);
        EXPECT_EQ(shot.pixelColor(last), QColor(Qt::red)) << twips;
        EXPECT_EQ(fg.colAt(last.x() + twips / 15), -1);
    }
}

TEST(GridWidget, ACellsTooltipNamesItsFileAndWholeTextAndAHiddenCellNothing)
{
    Shown fg;
    fg.cells.setImage(1, 1, QImage(4, 4, QImage::Format_RGB32), "/p/dir/a.jpg");
    fg.cells.setCellText(1, 1, "a long note the cell clips");
    fg.cells.setImage(1, 2, QImage(4, 4, QImage::Format_RGB32), "/p/dir/b.jpg");
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

TEST(GridWidget, RedrawSuspendsPaintingAndPicturesFillTheirCellsAtEverySizeInColourAndGrey)
{
    Shown fg;
    fg.Redraw(false);
    EXPECT_FALSE(fg.viewport()->updatesEnabled());
    fg.Redraw(true);
    QImage halves(200, 150, QImage::Format_RGB32);
    halves.fill(Qt::blue);
    QPainter(&halves).fillRect(0, 0, 100, 150, Qt::red);
    fg.resize(700, 500);
    for (int type : {CellStore::Colour, CellStore::Monochrome}) {
        fg.cells.setPictureType(type);
        fg.cells.setCellPicture(0, 0, halves);  // a new picture is drawn, not a copy of the old one
        for (int twips : {105, 355, 605, 1355, 5105, 9105}) {
            fg.setColWidth(twips);
            fg.setRowHeight(twips);
            const QImage shot = fg.viewport()->grab().toImage();
            const int px = std::min(twips / 15, 450);
            const QColor left = shot.pixelColor(1, px / 2), right = shot.pixelColor(px - 3, px / 2);
            EXPECT_TRUE(type == CellStore::Colour ? left == Qt::red && right == Qt::blue
                                                  : left.red() == left.blue() && left.red() > right.red() + 30)
                << twips;
            EXPECT_TRUE(px > 300 || shot.pixelColor(px + 3, px / 2) == Qt::black) << twips;  // the cell beside it
        }
    }
}

TEST(GridWidget, FractionalCellsKeepTheirPixelsWhereverTheViewIsAndAreHitWhereDrawn)
{
    Shown fg;
    fg.setColWidth(355);  // 23 2/3 pixels: rows 4 and 5 are 23 and 24 high
    fg.setRowHeight(355);
    QImage red(30, 30, QImage::Format_RGB32);
    red.fill(Qt::red);
    fg.cells.setPictureType(CellStore::Colour);
    fg.cells.setCellPicture(5, 0, red);
    fg.GridLines(false);
    for (int top : {0, 1, 5}) {
        fg.setTopRow(top);
        QMap<int, QList<int>> seen;
        for (int y = 0; y < fg.viewport()->height(); ++y)
            seen[fg.rowAt(y)] << y;
        const QList<int> five = seen.value(5);
        const QImage shot = fg.viewport()->grab().toImage();
        EXPECT_TRUE(five.size() == 24 && (top == 5 || seen.value(4).size() == 23)) << top;
        EXPECT_TRUE(shot.pixelColor(5, five.first()) == Qt::red && shot.pixelColor(5, five.last()) == Qt::red
                    && shot.pixelColor(5, five.last() + 1) != Qt::red) << top;
    }
}

TEST(GridWidget, TheTinyCellsImageShowsEveryChangeScrollAndGridLineSetting)
{
    Shown fg;
    fg.cells.setPictureType(CellStore::Colour);
    QImage red(20, 20, QImage::Format_RGB32), green(20, 20, QImage::Format_RGB32);
    red.fill(Qt::red), green.fill(Qt::green);
    const auto seen = [&](int row, int col) {
        const QImage shot = fg.viewport()->grab().toImage();
        return shot.pixelColor(at(row - fg.TopRow(), col - fg.LeftCol()));
    };
    fg.cells.setCellPicture(3, 3, red);
    EXPECT_EQ(seen(3, 3), QColor(Qt::red));
    fg.cells.setCellPicture(3, 3, green);  // a cell changed since the last frame
    fg.cells.setCellPicture(4, 4, red);
    EXPECT_TRUE(seen(3, 3) == Qt::green && seen(4, 4) == Qt::red);
    fg.cells.clearImage(4, 4);
    EXPECT_EQ(seen(4, 4), QColor(Qt::black));
    fg.setTopRow(2);  // scrolled: every cell moves
    EXPECT_TRUE(seen(3, 3) == Qt::green && fg.viewport()->grab().toImage().pixelColor(at(3, 3)) == Qt::black);
    const QColor line = fg.viewport()->grab().toImage().pixelColor(Px - 1, 3);
    fg.GridLines(false);
    EXPECT_TRUE(line != Qt::black && fg.viewport()->grab().toImage().pixelColor(Px - 1, 3) == Qt::black);
}

TEST(GridWidget, ItsEventsComeToTheHandlerInTheGridsOwnTermsAndTheWheelNeverScrolls)
{
    Shown fg;
    QWidget* vp = fg.viewport();
    QStringList seen;
    bool take = true;
    fg.setInputHandler([&](const GridEvent& event) {
        seen << QString("%1:%2:%3").arg(int(event.kind)).arg(event.code).arg(event.shift);
        return take;
    });
    // Keys as Windows virtual-key codes, 0 for a key without one; pressed
    // (0) and released (1).
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_End, Qt::Key_Q, Qt::Key_F2, Qt::Key_Menu})
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, key, Qt::ControlModifier | Qt::ShiftModifier);
            QApplication::sendEvent(&fg, &event);
        }
    EXPECT_EQ(seen.join(' '), "0:40:3 1:40:3 0:35:3 1:35:3 0:81:3 1:81:3 0:113:3 1:113:3 0:0:3 1:0:3");
    seen.clear();
    QTest::mouseClick(vp, Qt::RightButton, Qt::AltModifier, at(1, 1));
    QTest::mouseDClick(vp, Qt::LeftButton, {}, at(1, 1));
    EXPECT_EQ(seen.first(), "2:2:4");
    EXPECT_TRUE(seen.contains("3:0:0"));
    seen.clear();
    fg.verticalScrollBar()->setValue(10);
    QWheelEvent away({5, 5}, {5, 5}, {}, {0, 240}, {}, {}, Qt::NoScrollPhase, false);
    QWheelEvent sideways({5, 5}, {5, 5}, {}, {120, 0}, {}, {}, Qt::NoScrollPhase, false);
    for (QWidget* over : {vp, static_cast<QWidget*>(fg.verticalScrollBar()), static_cast<QWidget*>(fg.horizontalScrollBar())}) {
        QApplication::sendEvent(over, &away);
        QApplication::sendEvent(over, &sideways);
    }
    EXPECT_EQ(seen.join(' '), QStringList(6, "4:1:0").join(' '));  // two notches each, sideways none
    EXPECT_TRUE(fg.TopRow() == 10 && fg.LeftCol() == 0);
    // A pressed key the handler leaves goes on to the scroll area.
    take = false;
    QTest::keyClick(&fg, Qt::Key_PageDown);
    EXPECT_GT(fg.TopRow(), 10);
}
