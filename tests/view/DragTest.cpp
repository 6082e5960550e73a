#include "ViewWall.h"

#include <QFile>
#include <gtest/gtest.h>

#include <random>

namespace {

struct DragTest : ::testing::Test, ViewWall {
    QString a = put(1, 1, "a.jpg", Qt::red);
    QString b = put(1, 3, "b.jpg", Qt::blue, {400, 300});

    // Path and picture colour of a cell.
    std::pair<QString, QColor> cell(int row, int col) const
    {
        const QImage picture = cells.CellPicture(row, col);
        return {cells.CellData(row, col), picture.isNull() ? QColor() : picture.pixelColor(0, 0)};
    }
    void lift(int row, int col)
    {
        click(row, col);
        press(row, col);
        ASSERT_TRUE(overlay.isVisible());
    }
};

} // namespace

TEST_F(DragTest, TheSecondPressLiftsAndTheDropMovesOrSwapsWithoutCaptionOrPreview)
{
    click(1, 1);
    EXPECT_TRUE(!overlay.isVisible() && captions == 1 && previews == 1);
    press(1, 1);
    EXPECT_TRUE(overlay.isVisible());
    EXPECT_EQ(overlay.geometry(), QRect(7, 7, 7, 7));
    EXPECT_TRUE(overlay.DragRow() == 1 && overlay.DragCol() == 1);
    moveTo(2, 5);
    EXPECT_EQ(overlay.pos(), QPoint(7, 7) + at(2, 5) - at(1, 1));  // the grab point stays under the pointer
    release(2, 5);
    EXPECT_FALSE(overlay.isVisible());
    EXPECT_EQ(cell(2, 5), std::make_pair(a, QColor(Qt::red)));
    EXPECT_EQ(cell(1, 1), std::make_pair(QString(), QColor()));
    EXPECT_TRUE(captions == 2 && previews == 1);
    // The grid had the press but not its release: a hover selects nothing.
    moveTo(6, 6);
    EXPECT_TRUE(grid.Row() == 1 && grid.Col() == 1);
    EXPECT_EQ(grid.GetSelection().row2, 1);

    // Onto an occupied cell: the two swap; the source gets the other image
    // as a load would make it, not the whole photograph.
    lift(2, 5);
    moveTo(1, 3);
    release(1, 3);
    EXPECT_EQ(cell(1, 3), std::make_pair(a, QColor(Qt::red)));
    EXPECT_EQ(cells.CellData(2, 5), b);
    EXPECT_EQ(cells.CellPicture(2, 5).size(), QSize(200, 150));
    EXPECT_EQ(state.ImageCount, 0);
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(DragTest, DropsOnItselfBesideTheCellsOrOnAHiddenCellChangeNothing)
{
    cells.setCols(10);
    cells.setRows(10);
    lift(1, 1);
    release(1, 1);
    EXPECT_EQ(cell(1, 1), std::make_pair(a, QColor(Qt::red)));
    lift(1, 1);
    moveTo(QPoint(200, 150));
    release(QPoint(200, 150));  // right of the last column
    EXPECT_TRUE(!overlay.isVisible() && cells.CellData(1, 1) == a);
    cells.setCellData(3, 3, QImage(4, 4, QImage::Format_RGB32));  // what a search leaves
    lift(1, 1);
    release(3, 3);
    EXPECT_TRUE(cells.CellData(1, 1) == a && cells.CellDataIsPicture(3, 3));
    // The source changed while lifted: the lifted image is not put twice.
    lift(1, 1);
    cells.clearImage(1, 1);
    release(4, 4);
    EXPECT_TRUE(cells.CellData(4, 4).isEmpty());
}

TEST_F(DragTest, OnlyTheLeftButtonAloneMovesItAndAnyPressPutsItDown)
{
    lift(1, 1);
    const QPoint lifted = overlay.pos();
    press(1, 1, Qt::RightButton);
    moveTo(6, 6);
    EXPECT_EQ(overlay.pos(), lifted);
    release(6, 6, Qt::RightButton);  // any release drops, on the cell under the pointer
    EXPECT_TRUE(!overlay.isVisible() && cells.CellData(1, 1).isEmpty() && cells.CellData(6, 6) == a);
    release(6, 6);
    EXPECT_EQ(previews, 2);  // the grid has its release again

    // A press beside the lifted image is the grid's, and puts it down.
    lift(1, 3);
    press(1, 3, Qt::RightButton);
    moveTo(5, 5);
    press(5, 5, Qt::MiddleButton);
    EXPECT_FALSE(overlay.isVisible());
    for (Qt::MouseButton button : {Qt::MiddleButton, Qt::RightButton, Qt::LeftButton})
        release(5, 5, button);
    EXPECT_TRUE(cells.CellData(1, 3) == b && cells.CellData(5, 5).isEmpty());
    EXPECT_EQ(popups, 1);

    // An image whose file has gone is not lifted.
    QFile::remove(a);
    click(6, 6);
    press(6, 6);
    EXPECT_FALSE(overlay.isVisible());
    release(6, 6);
}

TEST_F(DragTest, ALongRandomRunKeepsEveryImageOnce)
{
    cells.setCols(8);
    cells.setRows(8);
    QStringList paths{a, b};
    for (int i = 0; i < 12; ++i)
        paths << put(2 + i / 4, 2 * (i % 4), QString("%1.jpg").arg(i));
    cells.setCellData(7, 7, QImage(4, 4, QImage::Format_RGB32));
    std::mt19937 random(7);
    const auto any = [&] { return int(random() % 9); };  // 8 is beside the cells
    const auto point = [&](int row, int col) { return QPoint(col * 7 + 3, row * 7 + 3); };
    for (int step = 0; step < 400; ++step) {
        const int row = any(), col = any();
        switch (random() % 5) {
        case 0: QTest::mouseClick(window(), Qt::LeftButton, {}, vp->mapTo(&grid, point(row, col))); break;
        case 1: QTest::mousePress(window(), Qt::LeftButton, {}, vp->mapTo(&grid, point(row, col))); break;
        case 2: moveTo(point(row, col)); break;
        case 3: release(point(row, col)); break;
        default: {
            bool cancel = false;
            input->fg_BeforeMouseDown(GridWidget::LeftButton, 0, 0, 0, cancel);
        }
        }
    }
    release(point(0, 0));
    QStringList after;
    cells.forEachOccupied(cells.wholeGrid(), [&](int, int, const Cell& c) {
        if (const QString* path = std::get_if<QString>(&c.data); path && !path->isEmpty())
            after << *path;
    });
    after.sort();
    paths.sort();
    EXPECT_EQ(after, paths);
    EXPECT_TRUE(cells.CellDataIsPicture(7, 7));
}
