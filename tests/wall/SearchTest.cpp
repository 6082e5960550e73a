#include "WallFixture.h"
#include "load/Loading.h"
#include "wall/CopyMove.h"
#include "wall/Search.h"

#include <QDir>
#include <QLocale>

namespace {

using Search = WallFixture;

// What shows: "r,c:path" for pictures, "r,c:text" for white texts.
std::string visible(const CellStore& cells)
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

} // namespace

TEST_F(Search, KeepsFileNamesAndTextsThatHoldTheTextInAnyCase)
{
    place(0, 0, "/p/jpgs/Holiday.JPG");
    place(0, 1, "/p/jpgs/beach.jpeg");
    place(1, 0, "/p/sunset/sea.png");
    place(2, 2, "/p/dog.png");
    wall.cells.setCellText(2, 2, "Rex");  // an image's text is not searched
    wall.cells.setCellText(1, 1, "Sunset walk");
    wall.cells.setCellForeColor(1, 1, Qt::white);
    platform.inputAnswers = {QString("jpg")};
    mnuFindFile_Click(wall.ctx);
    const AskedInput input = platform.inputs.value(0);
    EXPECT_TRUE(input.title == "Filename Search" && input.value.isEmpty()
                && input.prompt.endsWith("Choose Tools | Show All to reset the grid."));
    // The folder's "jpgs" does not count.
    EXPECT_EQ(visible(wall.cells), "0,0:/p/jpgs/Holiday.JPG");
    EXPECT_TRUE(wall.previewHides == 1 && wall.grid.isRedrawing());
    SearchGrid(wall.ctx, "SUNSET");  // shows the hidden cells first
    EXPECT_EQ(visible(wall.cells), "1,1:Sunset walk");
    mnuFindFile_Click(wall.ctx);  // cancelled: nothing changes
    EXPECT_EQ(visible(wall.cells), "1,1:Sunset walk");

    // After a load from the middle of the wall, one Show All brings back
    // the cells the load did not touch.
    write(".add/new.jpg", TestImages::jpeg(8, 8));  // a hidden folder the user chose
    platform.folderAnswers = {dir.filePath(".add")};
    wall.grid.Select(3, 3);
    mnuAddImagesFromHere_Click(wall.ctx);
    mnuShowAll_Click(wall.ctx);
    EXPECT_EQ(visible(wall.cells), "0,0:/p/jpgs/Holiday.JPG | 0,1:/p/jpgs/beach.jpeg | 1,0:/p/sunset/sea.png | "
                                   "1,1:Sunset walk | 2,2:/p/dog.png | 3,3:" + dir.filePath(".add/new.jpg").toStdString());
}

TEST_F(Search, AnImageHiddenDuringAMoveStaysWhereItIsAndComesBackWithItsPath)
{
    place(0, 0, write("a.jpg", "A"));
    place(0, 1, write("b.jpg", "B"));
    QDir().mkpath(dir.filePath("to"));
    SearchGrid(wall.ctx, "b");
    wall.grid.Select(0, 0, 0, 1);
    platform.folderAnswers = {dir.filePath("to")};
    mnuRightMove_Click(wall.ctx);
    mnuShowAll_Click(wall.ctx);
    EXPECT_EQ(lastMessage(), "1 files moved.");
    EXPECT_EQ(QString::fromStdString(visible(wall.cells)), "0,0:" + dir.filePath("a.jpg") + " | 0,1:" + dir.filePath("to/b.jpg"));
}

TEST_F(Search, UpperCasesTheWayTheLocaleDoes)
{
    place(0, 0, "/p/Izmir.jpg");
    place(0, 1, "/p/İSTANBUL.jpg");
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));  // the capital of i is İ
    SearchGrid(wall.ctx, "istanbul");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(visible(wall.cells), "0,1:/p/İSTANBUL.jpg");
}
