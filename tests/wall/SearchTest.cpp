#include "support/FakePlatform.h"
#include "support/TestWall.h"
#include "wall/Search.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

QImage picture(int width)
{
    return QImage(width, 1, QImage::Format_Grayscale8);
}

// A wall of three images, a text cell and an image cell with the user's text.
struct SearchWall : TestWall {
    SearchWall() : TestWall(3, 3)
    {
        cells.setImage(0, 0, picture(1), "/photos/jpgs/Holiday.JPG");
        cells.setImage(0, 1, picture(2), "/photos/jpgs/beach.jpeg");
        cells.setImage(1, 0, picture(3), "/photos/sunset/sea.png");
        cells.setCellText(1, 1, "Sunset walk");
        cells.setCellForeColor(1, 1, Qt::white);
        cells.setImage(2, 2, picture(4), "/photos/dog.png");
        cells.setCellText(2, 2, "Rex");
        cells.setCellForeColor(2, 2, Qt::white);
    }
    // The cells that show something: "r,c:path" for images, "r,c:text" for
    // white texts, joined by " | ".
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

const std::string Everything = "0,0:/photos/jpgs/Holiday.JPG | 0,1:/photos/jpgs/beach.jpeg | "
                               "1,0:/photos/sunset/sea.png | 1,1:Sunset walk | 2,2:/photos/dog.png";

} // namespace

TEST(Search, KeepsFileNamesAndTextsThatHoldTheTextInAnyCase)
{
    FakePlatform platform;
    SearchWall wall;
    platform.inputAnswers = {QString("jpg")};
    mnuFindFile_Click(wall.ctx);
    ASSERT_EQ(platform.inputs.size(), 1);
    EXPECT_EQ(platform.inputs[0].title, "Filename Search");
    EXPECT_TRUE(platform.inputs[0].prompt.startsWith("Enter text to search for. If any part of the filename matches")
                && platform.inputs[0].prompt.endsWith("Choose Tools | Show All to reset the grid."));
    EXPECT_TRUE(platform.inputs[0].value.isEmpty());
    // The folder's "jpgs" does not count; the text cell lacks it.
    EXPECT_EQ(wall.visible(), "0,0:/photos/jpgs/Holiday.JPG");
    EXPECT_EQ(wall.cells.CellForeColor(1, 1), Qt::black);
    EXPECT_EQ(wall.cells.CellText(1, 1), "Sunset walk");
    EXPECT_EQ(wall.previewHides, 1);
    EXPECT_TRUE(wall.grid.isRedrawing() && platform.messages.isEmpty());

    // A hidden image names no file and keeps its path; searching again
    // first restores, then hides the same cells.
    EXPECT_TRUE(wall.cells.CellData(0, 1).isEmpty() && wall.cells.CellDataIsPicture(0, 1));
    EXPECT_EQ(wall.cells.CellText(0, 1), "/photos/jpgs/beach.jpeg");
    const std::string once = wall.visible();
    SearchGrid(wall.ctx, "JPG");
    EXPECT_EQ(wall.visible(), once);

    SearchGrid(wall.ctx, "SUNSET");
    EXPECT_EQ(wall.visible(), "1,1:Sunset walk");
    // An empty answer, or none, leaves the wall filtered.
    platform.inputAnswers = {QString()};
    mnuFindFile_Click(wall.ctx);
    mnuFindFile_Click(wall.ctx);
    EXPECT_EQ(wall.visible(), "1,1:Sunset walk");
    EXPECT_EQ(wall.previewHides, 3);
}

TEST(Search, ShowAllBringsEverythingBackOnceArmedWithTheUsersText)
{
    FakePlatform platform;
    SearchWall wall;
    wall.cells.setCellText(0, 2, "never hidden");  // black until the first reset
    mnuShowAll_Click(wall.ctx);  // right after start: only arms
    EXPECT_EQ(wall.cells.CellForeColor(0, 2), Qt::black);
    EXPECT_TRUE(wall.state.ResetArmed);
    mnuShowAll_Click(wall.ctx);
    EXPECT_EQ(wall.cells.CellForeColor(0, 2), Qt::white);

    SearchGrid(wall.ctx, "nothing matches");
    EXPECT_EQ(wall.visible(), "");
    EXPECT_EQ(wall.cells.CellText(2, 2), "/photos/dog.png");
    mnuShowAll_Click(wall.ctx);
    const std::string everything = "0,0:/photos/jpgs/Holiday.JPG | 0,1:/photos/jpgs/beach.jpeg | 0,2:never hidden | "
                                   "1,0:/photos/sunset/sea.png | 1,1:Sunset walk | 2,2:/photos/dog.png";
    EXPECT_EQ(wall.visible(), everything);
    EXPECT_EQ(wall.cells.CellText(2, 2), "Rex");
    EXPECT_EQ(wall.cells.CellPicture(2, 2).width(), 4);
    mnuShowAll_Click(wall.ctx);  // nothing left to restore
    EXPECT_EQ(wall.cells.CellText(2, 2), "Rex");

    // A load disarms the reset; a search then arms it and restores on the
    // next one.
    SearchGrid(wall.ctx, "beach");
    wall.state.ResetArmed = false;
    mnuShowAll_Click(wall.ctx);
    EXPECT_EQ(wall.visible(), "0,1:/photos/jpgs/beach.jpeg");
    mnuShowAll_Click(wall.ctx);
    EXPECT_EQ(wall.visible(), everything);
}

TEST(Search, ACellStillHiddenByAnEarlierSearchIsNotMistakenForText)
{
    FakePlatform platform;
    SearchWall wall;
    SearchGrid(wall.ctx, "sea");
    wall.state.ResetArmed = false;  // as after a load from the middle of the wall
    SearchGrid(wall.ctx, "zzz");
    wall.state.ResetArmed = true;
    mnuShowAll_Click(wall.ctx);
    EXPECT_EQ(wall.visible(), Everything);
}

TEST(Search, UpperCasingFollowsTheLocale)
{
    FakePlatform platform;
    TestWall wall(1, 3);
    wall.cells.setImage(0, 0, picture(1), "/p/straße.jpg");
    wall.cells.setImage(0, 1, picture(1), "/p/ÉTÉ.jpg");
    wall.cells.setImage(0, 2, picture(1), "/p/İSTANBUL.jpg");
    SearchGrid(wall.ctx, "été");
    EXPECT_TRUE(wall.cells.CellDataIsPicture(0, 0) && !wall.cells.CellDataIsPicture(0, 1));
    SearchGrid(wall.ctx, "STRASSE");
    EXPECT_TRUE(!wall.cells.CellDataIsPicture(0, 0) && wall.cells.CellDataIsPicture(0, 1));
    // In Turkish the capital of i is İ.
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    SearchGrid(wall.ctx, "istanbul");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_TRUE(wall.cells.CellDataIsPicture(0, 0) && !wall.cells.CellDataIsPicture(0, 2));
}
