#include "grid/GridWidget.h"
#include "load/Loading.h"
#include "shell/MainModule.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "support/TestWall.h"
#include "ui/frmMain.h"
#include "view/frmPreview.h"
#include "wall/WallDigest.h"

#include <QEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Loading, Stop visible, Stop enabled, Slideshow enabled.
const QList<bool> Idle{false, false, false, true};

// A shown main window and a tree of five JPEGs (three on top, two in a
// subfolder). Images fill a column in name order. Each repaint of the wall
// logs how many images it held.
struct LoadFixture : ::testing::Test, QObject {
    FakePlatform platform;
    QTemporaryDir dir;
    QStringList paths;
    frmMain w;
    CellStore& cells = w.cells();
    QList<int> painted;

    LoadFixture()
    {
        for (const char* name : {"a.jpg", "B.jpg", "c.jpeg", "sub/d.jpg", "sub/e.JPG"})
            TestImages::write(paths.emplace_back(dir.filePath(name)), TestImages::jpeg(40, 30));
        w.show();
        w.fg().viewport()->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted.append(int(cells.occupiedCount()));
        return false;
    }
    QList<bool> menus()
    {
        return {w.state().IsLoading, w.mnuStop->isVisible(), w.mnuStop->isEnabled(), w.mnuSlideshow->isEnabled()};
    }
};

} // namespace

TEST_F(LoadFixture, ALoadReplacesTheWallInTheSettingsSizeAndRefusesASecondOneMeanwhile)
{
    platform.folderAnswers = {dir.path(), dir.path()};
    w.mnuAddFiles->trigger();  // enables the slideshow, which the next load disables
    w.fg().Select(7, 7);
    w.state().GridRows = 20;
    w.state().GridCols = 30;
    QList<bool> starting, during;
    inYield(1, [&] { starting = menus(); });
    inYield(2, [&] {
        during = menus();
        w.mnuAddFiles->trigger();  // refused: no folder dialog
    });
    w.mnuAddFiles->trigger();
    EXPECT_EQ(starting, (QList<bool>{true, true, false, false}));  // Stop shows before it can stop anything
    EXPECT_EQ(during, (QList<bool>{true, true, true, false}));
    EXPECT_EQ(menus(), Idle);
    EXPECT_EQ(platform.folderPrompts,
              QStringList(2, "Select Folder with images in it. Note: Only JPEG images are supported at this time."));
    EXPECT_EQ(ColumnPaths(cells), paths);
    EXPECT_TRUE(cells.Cols() == 30 && cells.Rows() == 20 && w.state().ImageCount == 5);
    EXPECT_TRUE(w.windowTitle().startsWith("Pavisto 1-1  " + paths[0] + "  [Zoom Level 0]   5 Images ["));
    ASSERT_NE(w.previewIfOpen(), nullptr);
    EXPECT_TRUE(w.previewIfOpen()->isVisible() && w.previewIfOpen()->windowTitle() == paths[0]);
}

TEST_F(LoadFixture, NoLoadWithoutAFolderThatCanBeListed)
{
    cells.setCellText(3, 3, "kept");
    WallIsSaved(w.commands());  // no question before the folder picker
    // Cancelled, not there, and a file: it passes the folder search, as on
    // the system this follows, but cannot be listed.
    const QString missing = dir.filePath("missing");
    platform.folderAnswers = {QString(), missing, paths[0]};
    for (int i = 0; i < 3; ++i)
        w.mnuAddFiles->trigger();
    ASSERT_EQ(platform.messages.size(), 2);
    EXPECT_EQ(platform.messages[0].text, "The folder selected is not accessible or access is denied.\n\n" + missing
                                             + "\n\nWhen you click OK a webpage will open that should help you "
                                               "resolve this issue.");
    EXPECT_TRUE(platform.messages[0].icon == MsgIcon::Exclamation && platform.messages[0].title == AppTitle);
    EXPECT_TRUE(platform.messages[1].text.contains("\n\n" + paths[0] + "\n\n"));
    EXPECT_TRUE(platform.opened.size() == 2 && platform.opened[0].path().endsWith("/folder-access.html"));
    EXPECT_TRUE(cells.occupiedCount() == 1 && cells.CellText(3, 3) == "kept" && menus() == Idle);
}

TEST_F(LoadFixture, StopKeepsTheImagesPlacedSoFarAndAddFromHereFillsDownFromTheCurrentCell)
{
    platform.folderAnswers = {dir.path(), dir.path()};
    inYield(2, [&] { w.mnuStop->trigger(); });
    w.mnuAddFiles->trigger();
    EXPECT_EQ(ColumnPaths(cells), paths.mid(0, 1));
    EXPECT_TRUE(painted.contains(1));  // the yield after the first image showed it
    EXPECT_TRUE(w.state().ImageCount == 1 && !w.state().StopLoading);

    cells.setCellText(0, 1, "kept");
    w.fg().Select(5, 2);
    w.mnuAddImagesFromHere->trigger();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(cells.CellData(5 + i, 2), paths[i]) << i;
    EXPECT_TRUE(cells.CellData(0, 0) == paths[0] && cells.CellText(0, 1) == "kept" && w.state().ImageCount == 6);
    // The load's end shows the current cell, which now holds the folder's first image.
    EXPECT_TRUE(w.previewIfOpen()->isVisible() && w.previewIfOpen()->windowTitle() == paths[0]);
}

TEST(LoadClosing, ClosingTheWindowDuringALoadEndsTheProgramOnceTheLoadHasStopped)
{
    FakePlatform platform;
    QTemporaryDir dir;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        TestImages::write(dir.filePath(name), TestImages::jpeg(40, 30));
    TestWall wall;
    platform.folderAnswers = {dir.path()};
    bool endedDuringLoad = true;
    inYield(2, [&] {
        wall.state.StopLoading = wall.state.IsClosing = true, wall.shown = false;
        endedDuringLoad = wall.ended;
    });
    mnuAddFiles_Click(wall.ctx);
    EXPECT_TRUE(wall.ended && !endedDuringLoad && wall.cells.occupiedCount() == 1u);
}
