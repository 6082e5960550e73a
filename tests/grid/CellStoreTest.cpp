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
    EXPECT_TRUE(isEmpty(s, 0, 0) && isEmpty(s, 1, 1) && s.occupiedCount() == 0);
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

TEST(CellStore, RectangleWritesReachEveryCellAndDefaultsEmptyThem)
{
    CellStore s(5, 5);
    s.setCellText({1, 1, 3, 2}, "t");
    s.setCellBackColor({1, 1, 3, 2}, Qt::red);
    s.setCellPictureAlignment({3, 2, 4, 4}, 4);
    EXPECT_EQ(s.occupiedCount(), 11u);
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 2; ++c)
            EXPECT_TRUE(s.CellText(r, c) == "t" && s.CellBackColor(r, c) == Qt::red) << r << c;
    EXPECT_TRUE(isEmpty(s, 0, 1) && isEmpty(s, 1, 3) && isEmpty(s, 4, 1));
    s.setCellText(s.wholeGrid(), "");
    s.setCellBackColor(s.wholeGrid(), Qt::black);
    EXPECT_EQ(s.occupiedCount(), 6u);  // the alignment still differs
    s.setCellPictureAlignment(s.wholeGrid(), 9);
    EXPECT_EQ(s.occupiedCount(), 0u);
}

TEST(CellStore, DataSlotHoldsAPathOrAPictureAndMonochromeKeepsGrey)
{
    CellStore s(2, 2);
    QImage red(4, 4, QImage::Format_RGB32);
    red.fill(Qt::red);
    s.setCellData(0, 0, red);
    EXPECT_TRUE(s.CellData(0, 0).isEmpty() && s.CellDataIsPicture(0, 0) && !s.CellDataPicture(0, 0).isNull());
    s.setCellData(0, 0, "/p/a.jpg");
    EXPECT_TRUE(s.CellData(0, 0) == "/p/a.jpg" && !s.CellDataIsPicture(0, 0) && s.CellDataPicture(0, 0).isNull());
    s.setCellPicture(1, 0, red);
    EXPECT_EQ(s.CellPicture(1, 0).format(), QImage::Format_Grayscale8);
    s.setPictureType(CellStore::Colour);
    s.setCellPicture(1, 1, red);
    EXPECT_EQ(s.CellPicture(1, 1).pixelColor(0, 0), QColor(Qt::red));
}

TEST(CellStore, AnImageComesAndGoesWithItsPathInOneChangeAndLeavesTheText)
{
    CellStore s(3, 3);
    QList<QPair<int, int>> changes;
    s.setChangeListener([&](const CellRect& r) { changes.append({r.row1, r.col1}); });
    s.setCellText(1, 2, "note");
    EXPECT_FALSE(s.holdsImage(1, 2));
    s.setImage(1, 2, QImage(4, 4, QImage::Format_RGB32), "/p/a.jpg");
    EXPECT_TRUE(s.holdsImage(1, 2) && s.CellData(1, 2) == "/p/a.jpg" && !s.CellPicture(1, 2).isNull());
    s.setCellData(0, 0, QImage(4, 4, QImage::Format_RGB32));  // a hidden image is an image too
    EXPECT_TRUE(s.holdsImage(0, 0));
    s.clearImage(1, 2);
    EXPECT_TRUE(!s.holdsImage(1, 2) && s.CellPicture(1, 2).isNull() && s.CellText(1, 2) == "note");
    EXPECT_EQ(changes, (QList<QPair<int, int>>{{1, 2}, {1, 2}, {0, 0}, {1, 2}}));
}

TEST(CellStore, HugeGridCostsOnlyItsOccupiedCells)
{
    CellStore s(100'000, 100'000);
    const QList<QPair<int, int>> placed{{0, 5}, {7, 99'999}, {99'999, 0}, {99'999, 99'999}};
    for (auto [r, c] : placed)
        s.setCellText(r, c, "x");
    s.setCellBackColor(7, 99'999, Qt::red);
    QList<QPair<int, int>> seen;
    const auto note = [&](int r, int c, const Cell&) { seen.append({r, c}); };
    s.forEachOccupied(s.wholeGrid(), note);
    s.forEachOccupied({1, 1, 99'999, 99'998}, note);  // holds none of them
    EXPECT_EQ(seen, placed);
    s.setCellText(s.wholeGrid(), "");
    EXPECT_EQ(s.occupiedCount(), 1u);
    EmptyGrid(s, 100'000, 100'000);
    EXPECT_EQ(s.occupiedCount(), 0u);
}

TEST(CellStore, AHiddenImageKeepsItsPathAndTheUsersTextUntilItShowsAgain)
{
    CellStore s(3, 3);
    const QImage picture(4, 4, QImage::Format_Grayscale8);
    s.setImage(0, 0, picture, "/p/a.jpg");
    s.setCellText(0, 0, "note");
    s.setCellForeColor(0, 0, Qt::white);
    s.setCellText(1, 1, "words");
    s.hideImage(0, 0);
    s.hideImage(0, 0);  // already hidden
    s.hideImage(1, 1);  // no image to hide
    EXPECT_TRUE(s.CellPicture(0, 0).isNull() && s.CellDataIsPicture(0, 0) && s.CellData(0, 0).isEmpty());
    EXPECT_TRUE(s.CellText(0, 0) == "/p/a.jpg" && s.CellForeColor(0, 0) == Qt::black);  // the path is not shown
    EXPECT_TRUE(!s.CellDataIsPicture(1, 1) && s.CellText(1, 1) == "words");
    s.showImage(0, 0);
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

TEST(CellStore, WorkTableRowsSortByTheirColumnsAndMoveWhole)
{
    CellStore t(0, 3);
    t.setColDataType(1, CellStore::ColumnType::Date);
    t.setColSort(1, CellStore::ColumnSort::GenericAscending);
    t.setColSort(2, CellStore::ColumnSort::StringAscendingCaseSensitive);
    for (const char* line : {"top\t\ta", "0\t\tx", "1\t2024-05-01T10:00:05Z\tb", "2\t2024-05-01T09:00:00Z\tz",
                             "3\t2024-05-01T10:00:05Z\tB\tdropped"})
        t.AddItem(QString::fromUtf8(line));
    QString expected = "top,2,3,1";
    for (int i = 0; i < 30; ++i) {  // enough ties to tell a stable sort
        t.AddItem("t" + QString::number(i) + "\t2024-05-02T00:00:00Z\tsame");
        expected += ",t" + QString::number(i);
    }
    t.setCellPicture(2, 0, QImage(7, 1, QImage::Format_Grayscale8));
    t.Sort({1, 0, t.Rows() - 1, 2});
    QStringList order;
    for (int r = 0; r < t.Rows(); ++r)
        order.append(t.CellText(r, 0));
    EXPECT_EQ(order.join(','), expected + ",0");
    EXPECT_EQ(t.CellPicture(3, 0).width(), 7);  // the picture moved with its row
    EXPECT_TRUE(t.CellText(2, 2) == "B" && t.Cols() == 3);
    EXPECT_THROW(t.Sort({0, 0, t.Rows(), 2}), AppError);
}
