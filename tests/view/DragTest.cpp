#include "ui/ShownWindow.h"

// Only the left button moves a lifted image, a drop where it cannot go
// changes nothing, and a drop moves or swaps it.
TEST_F(ShownWindow, TheSecondPressLiftsTheImageWhereItWasGrabbedAndTheDropMovesOrSwapsItWhereItCan)
{
    // A red image at (1,1) and a blue one at (2,3), in colour.
    w.cells().setPictureType(CellStore::Colour);
    const QString a = put(1, 1, "a.jpg", Qt::red), b = put(2, 3, "b.jpg", Qt::blue);
    // Selects the cell, then presses on it again: the image is lifted.
    const auto lift = [&](int row, int col) {
        click(row, col);
        mouse(QTest::MousePress, row, col);
    };
    const auto picture = [&](int row, int col) { return w.cells().CellPicture(row, col); };
    lift(1, 1);
    mouse(QTest::MousePress, 1, 1, Qt::RightButton);
    mouse(QTest::MouseMove, 6, 6);
    EXPECT_EQ(overlay.pos(), QPoint(7, 7));  // where it was lifted
    mouse(QTest::MousePress, 6, 6, Qt::MiddleButton);  // beside the image: the grid's, which puts it down
    for (Qt::MouseButton button : {Qt::MiddleButton, Qt::RightButton, Qt::LeftButton})
        mouse(QTest::MouseRelease, 6, 6, button);
    EXPECT_TRUE(!overlay.isVisible() && w.cells().CellData(1, 1) == a && !w.cells().holdsImage(6, 6));

    w.cells().setCols(10);
    w.cells().setCellData(3, 4, QImage(4, 4, QImage::Format_RGB32));  // hidden by a search
    // Itself, the hidden cell, a source changed meanwhile, a load started
    // meanwhile, beside the wall.
    for (int drop : {1, 3, 4, 5, 20}) {
        lift(1, 1);
        w.state().IsLoading = drop == 5;
        if (drop == 4)
            w.cells().setCellData(1, 1, b);
        dropOn(drop, drop == 1 ? 1 : drop + 1);
        EXPECT_TRUE(w.cells().CellDataIsPicture(3, 4) && !w.cells().holdsImage(4, 5) && !overlay.isVisible());
        EXPECT_EQ(w.cells().CellData(1, 1), drop == 4 ? b : a);
        w.cells().setCellData(1, 1, a);
    }

    lift(1, 1);
    const QImage lifted = overlay.grab().toImage();  // the 8 x 6 picture stretched over its cell
    EXPECT_TRUE(overlay.isVisible() && overlay.geometry() == QRect(7, 7, 7, 7) && lifted.pixelColor(0, 0) == Qt::red
                && lifted.pixelColor(6, 6) == Qt::red);
    mouse(QTest::MouseMove, 2, 5);
    EXPECT_EQ(overlay.pos(), QPoint(7, 7) + at(2, 5) - at(1, 1));  // held where it was grabbed
    mouse(QTest::MouseRelease, 2, 5);
    EXPECT_TRUE(w.cells().CellData(2, 5) == a && !w.cells().holdsImage(1, 1)
                && picture(2, 5).whole().pixelColor(0, 0) == Qt::red);
    mouse(QTest::MouseMove, 6, 6);  // the grid had the press but not its release: a hover selects nothing
    EXPECT_EQ(grid.GetSelection().row2, 2);
    w.resize(400, 300);
    grid.setTopRow(2);  // a drop above the scrolled view moves nothing
    lift(2, 5);
    dropOn(1, 5);
    EXPECT_TRUE(w.cells().CellData(2, 5) == a && grid.TopRow() == 2);
    grid.setTopRow(0);
    // A swap: the source gets the other image as a load makes it, in the
    // grid's type, not the whole photograph; the old picture when its file
    // is refused. The lifted one keeps its type. Along its row, as anywhere.
    w.cells().setPictureType(CellStore::Monochrome);
    lift(2, 5);
    dropOn(2, 3);
    EXPECT_TRUE(w.cells().CellData(2, 3) == a && picture(2, 3).whole().pixelColor(0, 0) == Qt::red
                && !picture(2, 3).isGrey());
    EXPECT_TRUE(w.cells().CellData(2, 5) == b && picture(2, 5).isGrey() && picture(2, 5).size() == QSize(40, 30));
    EXPECT_EQ(cursor(), (QList<int>{2, 3, 2, 3, 2, 3}));  // the image's new cell
    TestImages::write(b, "no longer a picture");
    lift(2, 3);
    dropOn(2, 5);
    EXPECT_TRUE(w.cells().CellData(2, 3) == b && picture(2, 3).size() == QSize(40, 30));
    QFile::remove(b);  // an image whose file has gone is not lifted
    lift(2, 3);
    EXPECT_FALSE(overlay.isVisible());
    w.mnuZoomIn->trigger();  // cells of 23.67 pixels: the lifted image is as large as they are shown
    lift(2, 5);
    EXPECT_EQ(overlay.size(), QSize(24, 24));
}
