#include "WallFixture.h"
#include "grid/SortTable.h"
#include "load/Loading.h"
#include "shell/MainModule.h"
#include "wall/CellText.h"
#include "wall/Options.h"
#include "wall/Search.h"
#include "wall/Sort.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

// What the wall model leaves to examples: the dialogs' words, the locale's
// capitals, pictures that keep their colour, and a load from the middle.
TEST_F(WallFixture, SearchAsksUpperCasesAsTheLocaleDoesAndShowAllBringsBackWhatALoadFromHereLeftHidden)
{
    place(0, 0, "/p/Izmir.jpg");
    place(0, 1, "/p/İSTANBUL.jpg");
    mnuFindFile_Click(wall.ctx);  // cancelled: nothing changes
    EXPECT_TRUE(platform.inputs.value(0).title == "Filename Search" && wall.cells.CellData(0, 0) == "/p/Izmir.jpg");
    EXPECT_TRUE(platform.inputs.value(0).prompt.endsWith("Choose Tools | Show All to reset the grid."));
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));  // the capital of i is İ
    platform.inputAnswers = {QString("istanbul")};
    mnuFindFile_Click(wall.ctx);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_TRUE(wall.cells.CellData(0, 0).isEmpty() && wall.cells.CellData(0, 1) == "/p/İSTANBUL.jpg");
    EXPECT_TRUE(wall.previewHides == 1 && wall.grid.isRedrawing());
    platform.folderAnswers = {write(".add/new.jpg", TestImages::jpeg(8, 8)).chopped(8)};  // a hidden folder the user chose
    wall.grid.Select(3, 3);
    mnuAddImagesFromHere_Click(wall.ctx);
    mnuShowAll_Click(wall.ctx);
    EXPECT_EQ(ColumnPaths(wall.cells), (QStringList{"/p/Izmir.jpg", "/p/İSTANBUL.jpg", dir.filePath(".add/new.jpg")}));
}

TEST_F(WallFixture, SortAsksBeforeClearingTextsGrowsTheGridAndEachImageKeepsItsOwnPicture)
{
    wall.cells.setCols(2);
    wall.state.GridRows = 2;  // fewer than the grid has, as a wall file can leave it
    SortTable fgTop;
    wall.cells.setPictureType(CellStore::Colour);
    for (int i = 0; i < 5; ++i)
        wall.cells.setImage(i % 3, i / 3, QImage(i + 1, 1, QImage::Format_RGB32), QString("/p/%1").arg(4 - i));
    wall.cells.setPictureType(CellStore::Monochrome);  // pictures placed in colour stay so
    wall.cells.setCellText(2, 1, "words");
    const auto byName = [](const QString& path) { return std::optional<qint64>(path.back().digitValue()); };
    mnuSortCreateDate_Click(wall.ctx, fgTop, byName);  // the default No keeps the texts
    EXPECT_TRUE(wall.cells.CellData(0, 0) == "/p/4" && wall.cells.CellText(2, 1) == "words");
    EXPECT_TRUE(lastMessage() == "Sort by Create Date clears the 1 texts of the wall.\n\nSort anyway?"
                && platform.messages.value(0).buttons == MsgButtons::YesNoDefaultNo);
    platform.messageAnswers = {MsgAnswer::Yes};
    mnuSortCreateDate_Click(wall.ctx, fgTop, byName);
    EXPECT_EQ(ColumnPaths(wall.cells), (QStringList{"/p/0", "/p/1", "/p/2", "/p/3", "/p/4"}));
    EXPECT_TRUE(wall.cells.Cols() == 3 && wall.cells.CellText(2, 1).isEmpty() && wall.state.StopSlideshow);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(wall.cells.CellPicture(i % 2, i / 2).size().width() == 5 - i && !wall.cells.CellPicture(i % 2, i / 2).isGrey());
    EXPECT_TRUE(fgTop.cells().Rows() == 0 && fgTop.cells().occupiedCount() == 0);
}

TEST_F(WallFixture, ACreationTimeIsWhenThePhotographWasTakenElseTheFilesBirthElseItsLastChange)
{
    const QString photo = write("photo.jpg", TestImages::withExif(TestImages::jpeg(8, 8), {.taken = "2001:09:09 03:46:40", .offset = "+02:00"}));
    EXPECT_EQ(FileCreationTime(photo), 1'000'000'000);
    QFile file(write("a.jpg", ""));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.setFileTime(QDateTime::fromSecsSinceEpoch(1'000'000'000), QFileDevice::FileModificationTime));
    // Made just now, whatever its last change says.
    EXPECT_TRUE(!QFileInfo(file.fileName()).birthTime().isValid() || std::abs(*FileCreationTime(file.fileName()) - QDateTime::currentSecsSinceEpoch()) < 60);
    EXPECT_EQ(FileCreationTime("/proc/version"), QFileInfo("/proc/version").lastModified().toSecsSinceEpoch());
    EXPECT_FALSE(FileCreationTime(dir.filePath("gone.jpg")).has_value());
}

TEST_F(WallFixture, AddTextRefusesCommasScrollsToItsCellAndKeepsTheTextOnCancel)
{
    wall.grid.resize(40, 40);
    wall.grid.show();
    wall.grid.Select(8, 6);
    wall.cells.setCellText(8, 6, "a,b");
    platform.inputAnswers = {QString("one, two"), QString("one two")};
    mnuRightAddText_Click(wall.ctx);
    EXPECT_TRUE(platform.inputs.value(0).value == "ab" && platform.inputs.value(1).value == "one two");
    EXPECT_TRUE(platform.inputs.value(0).prompt == "Enter text or remove all text to remove it from the cell."
                && platform.inputs.value(0).title == AppTitle);
    EXPECT_EQ(platform.texts(), QStringList{"Commas are not allowed due to the way Wall files are saved."});
    EXPECT_TRUE(wall.grid.TopRow() > 0 && wall.grid.LeftCol() > 0);  // scrolled into view
    mnuRightAddText_Click(wall.ctx);  // cancelled
    EXPECT_EQ(wall.cells.CellText(8, 6), "one two");
    wall.cells.setRows(0);  // no current cell: reported
    mnuRightAddText_Click(wall.ctx);
    EXPECT_TRUE(reported("mnuRightAddText_Click", 381));
}

TEST(Options, GridSizesRoundHalvesToEvenAndRejectWhatIsNoCount)
{
    for (auto [text, value] : {std::pair{"2.5", 2}, {"3.5", 4}, {"1e2", 100}, {" 0.6 ", 1}, {"2147483647", 2147483647}})
        EXPECT_EQ(GridSizeFromText(text), value) << text;
    for (const char* refused : {"0", "-5", "abc", "", "2147483648", "inf", "5x"})
        EXPECT_FALSE(GridSizeFromText(refused).has_value()) << refused;
}

// A wall of 10 x 10 settings whose grid a wall file grew to 151 rows: only a
// typed size resizes it, compared with the wall, and only with the user's
// Yes for what it leaves out; a cell on the new edge stays.
TEST(Options, ResizeTheGridOnlyToATypedSizeAndAskBeforeLeavingCellsOut)
{
    FakePlatform platform;
    struct Case {
        std::optional<QString> cols, rows;
        QList<MsgAnswer> answers;
        QSize grid, settings;  // columns x rows
        int32_t images;
        QString asked;
    };
    const QString question = "A grid of %1 columns and %2 rows leaves out %3 images and %4 texts of the wall.\n\n"
                             "Make the grid smaller?";
    const Case cases[] = {
        {{}, {}, {}, {10, 151}, {10, 10}, 3, {}},
        {{}, QString("abc"), {}, {10, 151}, {10, 10}, 3, {}},
        {{}, QString("12"), {}, {10, 151}, {10, 10}, 3, question.arg(10).arg(12).arg(1).arg(1)},  // No by default
        {{}, QString("12"), {MsgAnswer::Yes}, {10, 12}, {10, 12}, 2, question.arg(10).arg(12).arg(1).arg(1)},
        {QString("9"), {}, {MsgAnswer::Yes}, {9, 151}, {9, 10}, 2, question.arg(9).arg(151).arg(1).arg(0)},
        {QString("20"), QString("200"), {}, {20, 200}, {20, 200}, 3, {}},
    };
    for (const Case& c : cases) {
        TestWall wall{10, 10};
        wall.cells.setRows(151);
        for (auto [r, col] : {std::pair{150, 0}, {11, 9}, {5, 5}})
            wall.cells.setImage(r, col, QImage(4, 4, QImage::Format_RGB32), "/p/a.jpg");
        wall.cells.hideImage(5, 5);  // hidden by a search, an image all the same
        wall.cells.setCellText(12, 2, "a text");
        wall.state.ImageCount = 3;
        EXPECT_TRUE(ShownGridCols(wall.ctx) == 10 && ShownGridRows(wall.ctx) == 151);
        platform.messages.clear();
        platform.messageAnswers = c.answers;
        EXPECT_TRUE(ApplyOptions(wall.ctx, {c.cols, c.rows, 1, true, false, false}));
        const QString label = c.cols.value_or("-") + 'x' + c.rows.value_or("-");
        EXPECT_EQ(platform.texts().value(0), c.asked) << qPrintable(label);
        EXPECT_TRUE(c.asked.isEmpty() || platform.messages.value(0).buttons == MsgButtons::YesNoDefaultNo);
        EXPECT_EQ(QSize(wall.cells.Cols(), wall.cells.Rows()), c.grid) << qPrintable(label);
        EXPECT_EQ(QSize(wall.state.GridCols, wall.state.GridRows), c.settings) << qPrintable(label);
        EXPECT_TRUE(wall.state.ImageCount == c.images && wall.state.CellCount == c.settings.width() * c.settings.height());
    }
    // A text alone on the edge is asked about too, and kept on No.
    TestWall texts{10, 10};
    texts.cells.setCellText(9, 9, "a text");
    platform.messages.clear();
    platform.messageAnswers = {MsgAnswer::No};
    EXPECT_TRUE(ApplyOptions(texts.ctx, {QString("9"), {}, 1, true, false, false}));
    EXPECT_TRUE(platform.texts().value(0) == question.arg(9).arg(10).arg(0).arg(1) && texts.cells.Cols() == 10);
}
