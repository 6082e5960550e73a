#include "grid/CellStore.h"
#include "shell/AppError.h"

#include <gtest/gtest.h>

static bool isEmpty(const CellStore& s, int r, int c)
{
    return s.CellData(r, c).isEmpty() && !s.CellDataIsPicture(r, c) && s.CellText(r, c).isEmpty()
           && s.CellPicture(r, c).isNull() && s.CellForeColor(r, c) == Qt::black
           && s.CellBackColor(r, c) == Qt::black && s.CellPictureAlignment(r, c) == 9;
}

TEST(CellStore, ResizeKeepsInsideCellsDropsOthersAndChecksBounds)
{
    CellStore s(2, 2);
    s.setCellText(1, 1, "corner");
    s.setCellData(0, 1, "/p/a.jpg");
    s.setRows(50);
    s.setCellText(49, 0, "far");
    EXPECT_EQ(s.CellText(1, 1), "corner");
    s.setRows(1);
    EXPECT_EQ(s.occupiedCount(), 1u);
    EXPECT_THROW(s.CellText(1, 1), AppError);
    EXPECT_THROW(s.CellPicture(-1, 0), AppError);
    EXPECT_THROW(s.setCellText(0, 2, "x"), AppError);
    EXPECT_THROW(s.setCellText(CellRect{0, 0, 0, 2}, "x"), AppError);
    s.setRows(50);
    EXPECT_TRUE(isEmpty(s, 1, 1) && isEmpty(s, 49, 0) && s.CellData(0, 1) == "/p/a.jpg");
}

TEST(CellStore, RectangleWritesReachEveryCellDefaultsEmptyThemAndOnlyOccupiedCellsCost)
{
    CellStore s(100'000, 100'000);
    s.setCellText({1, 1, 3, 2}, "t");
    s.setCellBackColor({1, 1, 3, 2}, Qt::red);
    s.setCellPictureAlignment({3, 2, 4, 4}, 4);
    s.setCellText(99'999, 99'999, "corner");
    QStringList seen;
    const auto note = [&](int r, int c, const Cell& cell) { seen << QString("%1,%2:%3").arg(r).arg(c).arg(cell.text); };
    s.forEachOccupied(s.wholeGrid(), note);
    s.forEachOccupied({5, 5, 99'999, 99'998}, note);  // holds none of them
    EXPECT_EQ(seen.join(' '), "1,1:t 1,2:t 2,1:t 2,2:t 3,1:t 3,2:t 3,3: 3,4: 4,2: 4,3: 4,4: 99999,99999:corner");
    EXPECT_TRUE(s.CellBackColor(3, 1) == Qt::red && s.CellPictureAlignment(4, 4) == 4);
    EXPECT_TRUE(isEmpty(s, 0, 1) && isEmpty(s, 1, 3) && isEmpty(s, 4, 1));
    s.setCellText(s.wholeGrid(), "");
    s.setCellBackColor(s.wholeGrid(), Qt::black);
    EXPECT_EQ(s.occupiedCount(), 6u);  // the alignment still differs
    s.setCellPictureAlignment(s.wholeGrid(), 9);
    EXPECT_EQ(s.occupiedCount(), 0u);
}

TEST(CellStore, AnImageComesAndGoesWithItsPathInOneChangeAndLeavesTheText)
{
    CellStore s(3, 3);
    QList<QPair<int, int>> changes;
    s.setChangeListener([&](const CellRect& r) { changes.append({r.row1, r.col1}); });
    const QImage picture(4, 4, QImage::Format_RGB32);
    s.setCellText(1, 2, "note");
    s.setImage(1, 2, picture, "/p/a.jpg");
    EXPECT_TRUE(s.holdsImage(1, 2) && s.CellData(1, 2) == "/p/a.jpg");
    EXPECT_EQ(s.CellPicture(1, 2).format(), QImage::Format_Grayscale8);  // monochrome unless told otherwise
    s.setCellData(0, 0, picture);  // a hidden image is an image too, without a path
    EXPECT_TRUE(s.holdsImage(0, 0) && s.CellData(0, 0).isEmpty());
    s.clearImage(1, 2);
    EXPECT_TRUE(!s.holdsImage(1, 2) && s.CellPicture(1, 2).isNull() && s.CellText(1, 2) == "note");
    EXPECT_EQ(changes, (QList<QPair<int, int>>{{1, 2}, {1, 2}, {0, 0}, {1, 2}}));
}

TEST(CellStore, AHiddenImageKeepsItsPathAndTheUsersTextUntilItShowsAgain)
{
    CellStore s(3, 3);
    const QImage picture(4, 4, QImage::Format_Grayscale8);
    s.setImage(0, 0, picture, "/p/a.jpg");
    s.setCellText(0, 0, "note");
    s.setCellForeColor(0, 0, Qt::white);
    s.hideImage(0, 0);
    s.hideImage(0, 0);  // already hidden
    EXPECT_TRUE(s.CellPicture(0, 0).isNull() && s.CellDataIsPicture(0, 0) && s.CellData(0, 0).isEmpty());
    EXPECT_TRUE(s.CellText(0, 0) == "/p/a.jpg" && s.CellForeColor(0, 0) == Qt::black);  // the path is not shown
    s.showImage(0, 0);
    EXPECT_TRUE(s.CellData(0, 0) == "/p/a.jpg" && s.CellPicture(0, 0) == picture);
    EXPECT_TRUE(s.CellText(0, 0) == "note" && s.CellForeColor(0, 0) == Qt::white);

    // Whatever ends the hiding gives the user's text back; a text written
    // meanwhile stays.
    s.hideImage(0, 0);
    s.clearImage(0, 0);
    EXPECT_TRUE(s.CellText(0, 0) == "note" && s.CellForeColor(0, 0) == Qt::white);
    s.setImage(0, 0, picture, "/p/b.jpg");
    s.hideImage(0, 0);
    s.setCellText(0, 0, "new");
    s.showImage(0, 0);
    EXPECT_TRUE(s.CellText(0, 0) == "new" && s.CellData(0, 0) == "/p/b.jpg");
    // A picture put into the data slot directly has its path in the text.
    s.setCellData(2, 0, picture);
    s.setCellText(2, 0, "/p/c.jpg");
    s.showImage(2, 0);
    EXPECT_TRUE(s.CellData(2, 0) == "/p/c.jpg" && s.CellText(2, 0).isEmpty() && !s.CellPicture(2, 0).isNull());
}
