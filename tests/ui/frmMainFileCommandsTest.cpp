#include "grid/GridWidget.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "ui/frmMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(MainWindow, FileSearchSortAndSingleCellCommandsAreWiredToTheirMenuItems)
{
    FakePlatform platform;
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("copies"));
    QDir().mkpath(dir.filePath("moved"));
    const QString a = dir.filePath("a.jpg"), b = dir.filePath("b.jpg");
    TestImages::write(a, TestImages::jpeg(40, 30));
    TestImages::write(b, TestImages::jpeg(20, 10));
    frmMain w;
    CellStore& cells = w.cells();
    cells.setImage(5, 5, QImage(4, 4, QImage::Format_Grayscale8), a);
    w.fg().Select(5, 5);

    w.mnuRightReload->trigger();
    EXPECT_EQ(cells.CellPicture(5, 5).size(), QSize(40, 30));
    platform.folderAnswers = {dir.filePath("copies")};
    w.mnuRightSaveAs->trigger();
    EXPECT_EQ(platform.messages.last().text, "1 files copied.");

    platform.inputAnswers = {QString("zzz")};
    w.mnuFindFile->trigger();
    EXPECT_TRUE(cells.CellDataIsPicture(5, 5));
    w.mnuShowAll->trigger();
    EXPECT_EQ(cells.CellData(5, 5), a);

    // Refused while a load runs.
    w.state().IsLoading = true;
    w.mnuSortCreateDate->trigger();
    EXPECT_EQ(cells.CellData(5, 5), a);
    w.state().IsLoading = false;
    w.mnuSortCreateDate->trigger();
    EXPECT_EQ(cells.CellData(0, 0), a);
    EXPECT_TRUE(w.fgTop().Rows() == 0 && w.fgTop().Cols() == 4);

    w.fg().Select(0, 1);
    platform.fileAnswers = {b};
    w.mnuRightAddSingleFile->trigger();
    EXPECT_EQ(cells.CellData(0, 1), b);

    w.fg().Select(0, 0);
    platform.folderAnswers = {dir.filePath("moved")};
    w.mnuRightMove->trigger();
    EXPECT_EQ(platform.messages.last().text, "1 files moved.");
    EXPECT_TRUE(QFile::exists(dir.filePath("moved/a.jpg")) && !QFile::exists(a));

    w.fg().Select(0, 1);
    w.mnuRightDelete->trigger();
    EXPECT_EQ(platform.messages.last().text, "Delete all selected files?");
    EXPECT_TRUE(!QFile::exists(b) && !cells.holdsImage(0, 1));
}
