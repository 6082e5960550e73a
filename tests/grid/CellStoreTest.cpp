#include "grid/CellStore.h"
#include "shell/AppError.h"

#include <gtest/gtest.h>

TEST(CellStore, ResizeKeepsInsideCellsDropsOthersAndChecksBounds)
{
    CellStore s(2, 2);
    s.setCellText(1, 1, "dropped");
    s.setCellData(0, 1, "/p/a.jpg");
    s.setRows(50);
    s.setRows(1);
    EXPECT_EQ(s.occupiedCount(), 1u);
    for (auto [row, col] : {std::pair{1, 1}, {-1, 0}, {0, 2}})
        EXPECT_THROW(s.CellText(row, col), AppError) << row << ',' << col;
    EXPECT_THROW(s.setCellText(CellRect{0, 0, 0, 2}, "x"), AppError);
    s.setRows(50);
    EXPECT_TRUE(s.CellText(1, 1).isEmpty() && s.CellData(0, 1) == "/p/a.jpg");
}

TEST(CellStore, RectangleWritesReachEveryCellDefaultsEmptyThemAndOnlyOccupiedCellsCost)
{
    CellStore s(100'000, 100'000);
    s.setCellText({1, 1, 3, 2}, "t");
    s.setCellPictureAlignment({3, 2, 4, 4}, 4);
    s.setCellText(99'999, 99'999, "corner");
    QStringList seen;
    const auto note = [&](int r, int c, const Cell& cell) { seen << QString("%1,%2:%3").arg(r).arg(c).arg(cell.text); };
    s.forEachOccupied(s.wholeGrid(), note);
    s.forEachOccupied({5, 5, 99'999, 99'998}, note);  // holds none of them
    EXPECT_EQ(seen.join(' '), "1,1:t 1,2:t 2,1:t 2,2:t 3,1:t 3,2:t 3,3: 3,4: 4,2: 4,3: 4,4: 99999,99999:corner");
    s.setCellText(s.wholeGrid(), "");
    EXPECT_EQ(s.occupiedCount(), 6u);  // the alignment still differs
    s.setCellPictureAlignment(s.wholeGrid(), 9);
    EXPECT_EQ(s.occupiedCount(), 0u);
}

TEST(CellStore, AnImageComesGoesAndHidesInOneChangeEachAndTheUsersTextComesBack)
{
    CellStore s(3, 3);
    const QImage picture(4, 4, QImage::Format_RGB32);
    s.setCellText(0, 0, "note");
    s.setCellForeColor(0, 0, Qt::white);
    int changes = 0;
    s.setChangeListener([&](const CellRect&) { ++changes; });
    s.setImage(0, 0, picture, "/p/a.jpg");
    EXPECT_TRUE(s.CellPicture(0, 0).isGrey());  // monochrome unless told otherwise
    s.hideImage(0, 0);
    s.hideImage(0, 0);  // already hidden
    EXPECT_TRUE(s.holdsImage(0, 0) && s.CellDataIsPicture(0, 0) && s.CellData(0, 0).isEmpty());
    EXPECT_TRUE(s.CellPicture(0, 0).isNull() && s.CellText(0, 0) == "/p/a.jpg" && s.CellForeColor(0, 0) == Qt::black);
    s.showImage(0, 0);
    EXPECT_TRUE(s.CellData(0, 0) == "/p/a.jpg" && !s.CellPicture(0, 0).isNull());
    EXPECT_TRUE(s.CellText(0, 0) == "note" && s.CellForeColor(0, 0) == Qt::white);
    EXPECT_EQ(changes, 4);

    // Taking the image out ends the hiding too; a text written meanwhile stays.
    s.hideImage(0, 0);
    s.clearImage(0, 0);
    EXPECT_TRUE(!s.holdsImage(0, 0) && s.CellPicture(0, 0).isNull() && s.CellText(0, 0) == "note");
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
