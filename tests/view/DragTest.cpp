#include "ViewWall.h"

#include <QFile>

namespace {

struct Drag : ViewWall {
    QString a = put(1, 1, "a.jpg", Qt::red);
    QString b = put(1, 3, "b.jpg", Qt::blue);

    // Selects the cell, then presses on it again: the image is lifted.
    void lift(int row, int col)
    {
        mouse(QTest::MouseClick, row, col);
        mouse(QTest::MousePress, row, col);
    }
    void dropOn(int row, int col)
    {
        mouse(QTest::MouseMove, row, col);
        mouse(QTest::MouseRelease, row, col);
    }
};

} // namespace

TEST(Drag, TheSecondPressLiftsAndTheDropMovesOrSwapsAndTheCellItWentToIsShown)
{
    Drag w;
    w.mouse(QTest::MouseClick, 1, 1);
    EXPECT_FALSE(w.overlay.isVisible());
    w.mouse(QTest::MousePress, 1, 1);
    EXPECT_TRUE(w.overlay.isVisible() && w.overlay.geometry() == QRect(7, 7, 7, 7));
    const QImage lifted = w.overlay.grab().toImage();  // the 8 x 6 picture stretched over its cell
    EXPECT_TRUE(lifted.pixelColor(0, 0) == Qt::red && lifted.pixelColor(6, 6) == Qt::red);
    w.mouse(QTest::MouseMove, 2, 5);
    EXPECT_EQ(w.overlay.pos(), QPoint(7, 7) + w.at(2, 5) - w.at(1, 1));  // held where it was grabbed
    w.mouse(QTest::MouseRelease, 2, 5);
    EXPECT_TRUE(!w.overlay.isVisible() && w.cells.CellData(2, 5) == w.a && !w.cells.holdsImage(1, 1));
    EXPECT_TRUE(w.cells.CellPicture(2, 5).whole().pixelColor(0, 0) == Qt::red && w.previews == 1);
    EXPECT_TRUE(w.grid.Row() == 2 && w.grid.Col() == 5);
    w.mouse(QTest::MouseMove, 6, 6);  // the grid had the press but not its release: a hover selects nothing
    EXPECT_EQ(w.grid.GetSelection().row2, 2);
    // A swap: the source gets the other image as a load makes it, not the whole
    // photograph; the old picture when its file is refused.
    // Pictures keep the type they were placed with; the one made afresh
    // takes the grid's.
    w.cells.setPictureType(CellStore::Monochrome);
    w.lift(2, 5);
    w.dropOn(1, 3);
    EXPECT_TRUE(w.cells.CellData(1, 3) == w.a && w.cells.CellPicture(1, 3).whole().pixelColor(0, 0) == Qt::red);
    EXPECT_TRUE(!w.cells.CellPicture(1, 3).isGrey() && w.cells.CellPicture(2, 5).isGrey());
    EXPECT_TRUE(w.cells.CellData(2, 5) == w.b && w.cells.CellPicture(2, 5).size() == QSize(200, 150));
    TestImages::write(w.b, "no longer a picture");
    w.lift(1, 3);
    w.dropOn(2, 5);
    EXPECT_TRUE(w.cells.CellData(1, 3) == w.b && w.cells.CellPicture(1, 3).size() == QSize(200, 150));
}

TEST(Drag, OnlyTheLeftButtonMovesItAndDropsOffTheWallChangeNothing)
{
    Drag w;
    w.lift(1, 1);
    w.mouse(QTest::MousePress, 1, 1, Qt::RightButton);
    w.mouse(QTest::MouseMove, 6, 6);
    EXPECT_EQ(w.overlay.pos(), QPoint(7, 7));  // where it was lifted
    w.mouse(QTest::MousePress, 6, 6, Qt::MiddleButton);  // beside the image: the grid's, which puts it down
    for (Qt::MouseButton button : {Qt::MiddleButton, Qt::RightButton, Qt::LeftButton})
        w.mouse(QTest::MouseRelease, 6, 6, button);
    EXPECT_TRUE(!w.overlay.isVisible() && w.cells.CellData(1, 1) == w.a && !w.cells.holdsImage(6, 6));

    w.cells.setCols(10);
    w.cells.setCellData(3, 3, QImage(4, 4, QImage::Format_RGB32));  // hidden by a search
    // Itself, the hidden cell, a source changed meanwhile, a load started
    // meanwhile, beside the wall, above the view.
    for (int drop : {1, 3, 4, 5, 20, -2}) {
        w.lift(1, 1);
        w.state.IsLoading = drop == 5;
        if (drop == 4)
            w.cells.setCellData(1, 1, w.b);
        w.dropOn(drop, drop);
        EXPECT_TRUE(w.cells.CellDataIsPicture(3, 3) && !w.cells.holdsImage(4, 4) && !w.overlay.isVisible());
        EXPECT_EQ(w.cells.CellData(1, 1), drop == 4 ? w.b : w.a);
        w.cells.setCellData(1, 1, w.a);
    }
    w.state.IsLoading = false;
    // A press on another cell of the current row selects from there.
    w.mouse(QTest::MousePress, 1, 3);
    w.dropOn(2, 5);
    EXPECT_TRUE(w.cells.CellData(1, 3) == w.b && !w.cells.holdsImage(2, 5) && w.grid.GetSelection().row2 == 2);
    QFile::remove(w.a);  // an image whose file has gone is not lifted
    w.lift(1, 1);
    EXPECT_FALSE(w.overlay.isVisible());
}
