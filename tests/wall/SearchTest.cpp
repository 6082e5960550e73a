#include "support/FakePlatform.h"
#include "support/TestWall.h"
#include "wall/Search.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

// Three images, a text cell and an image with the user's text; the
// pictures' widths tell them apart.
struct SearchWall : TestWall {
    SearchWall() : TestWall(3, 3)
    {
        const char* paths[] = {"/p/jpgs/Holiday.JPG", "/p/jpgs/beach.jpeg", "/p/sunset/sea.png", "/p/dog.png"};
        const int cellsAt[][2] = {{0, 0}, {0, 1}, {1, 0}, {2, 2}};
        for (int i = 0; i < 4; ++i)
            cells.setImage(cellsAt[i][0], cellsAt[i][1], QImage(i + 1, 1, QImage::Format_Grayscale8), paths[i]);
        for (auto [r, c, text] : {std::tuple{1, 1, "Sunset walk"}, {2, 2, "Rex"}}) {
            cells.setCellText(r, c, text);
            cells.setCellForeColor(r, c, Qt::white);
        }
    }
    // What shows: "r,c:path" for pictures, "r,c:text" for white texts.
    std::string visible() const
    {
        QStringList seen;
        cells.forEachOccupied(cells.wholeGrid(), [&](int r, int c, const Cell& cell) {
            const QString at = QString::number(r) + ',' + QString::number(c) + ':';
            if (!cell.picture.isNull())
                seen.append(at + cells.CellData(r, c));
            else if (!cell.text.isEmpty() && cell.foreColor == Qt::white)
                seen.append(at + cell.text);
        });
        return seen.join(" | ").toStdString();
    }
};

const std::string Everything =
    "0,0:/p/jpgs/Holiday.JPG | 0,1:/p/jpgs/beach.jpeg | 1,0:/p/sunset/sea.png | 1,1:Sunset walk | 2,2:/p/dog.png";

} // namespace

TEST(Search, KeepsFileNamesAndTextsThatHoldTheTextInAnyCase)
{
    FakePlatform platform;
    SearchWall wall;
    platform.inputAnswers = {QString("jpg")};
    mnuFindFile_Click(wall.ctx);
    ASSERT_EQ(platform.inputs.size(), 1);
    EXPECT_TRUE(platform.inputs[0].title == "Filename Search" && platform.inputs[0].value.isEmpty());
    EXPECT_TRUE(platform.inputs[0].prompt.endsWith("Choose Tools | Show All to reset the grid."));
    // The folder's "jpgs" does not count; a hidden image names no file,
    // keeps its path and does not show it.
    EXPECT_EQ(wall.visible(), "0,0:/p/jpgs/Holiday.JPG");
    EXPECT_TRUE(wall.cells.CellData(0, 1).isEmpty() && wall.cells.CellText(0, 1) == "/p/jpgs/beach.jpeg");
    EXPECT_TRUE(wall.previewHides == 1 && wall.grid.isRedrawing());

    SearchGrid(wall.ctx, "JPG");  // restores first, then hides the same
    EXPECT_EQ(wall.visible(), "0,0:/p/jpgs/Holiday.JPG");
    SearchGrid(wall.ctx, "SUNSET");
    EXPECT_EQ(wall.visible(), "1,1:Sunset walk");
    platform.inputAnswers = {QString()};
    mnuFindFile_Click(wall.ctx);  // empty
    mnuFindFile_Click(wall.ctx);  // cancelled
    EXPECT_EQ(wall.visible(), "1,1:Sunset walk");

    // A load leaves the reset unarmed: cells still hidden are not taken for
    // texts by the next search, and the first Show All only arms it.
    wall.state.ResetArmed = false;
    SearchGrid(wall.ctx, "zzz");
    wall.state.ResetArmed = false;
    mnuShowAll_Click(wall.ctx);
    EXPECT_EQ(wall.visible(), "");
    mnuShowAll_Click(wall.ctx);
    EXPECT_EQ(wall.visible(), Everything);
    EXPECT_EQ(wall.cells.CellText(2, 2), "Rex");
}

TEST(Search, UpperCasesTheWayTheLocaleDoes)
{
    FakePlatform platform;
    TestWall wall(1, 2);
    wall.cells.setImage(0, 0, QImage(1, 1, QImage::Format_Grayscale8), "/p/Izmir.jpg");
    wall.cells.setImage(0, 1, QImage(1, 1, QImage::Format_Grayscale8), "/p/İSTANBUL.jpg");
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));  // the capital of i is İ
    SearchGrid(wall.ctx, "istanbul");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_TRUE(wall.cells.CellDataIsPicture(0, 0) && !wall.cells.CellDataIsPicture(0, 1));
}
