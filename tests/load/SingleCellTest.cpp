#include "load/SingleCell.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "support/TestWall.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(SingleCell, AddSingleFileCountsOnlyWhereNoExistingFileWasShown)
{
    FakePlatform platform;
    QTemporaryDir dir;
    TestWall wall(3, 3);
    const QString first = dir.filePath("first.jpg"), second = dir.filePath("second.jpg");
    const QString bitmap = dir.filePath("drawing.bmp"), broken = dir.filePath("broken.jpg");
    TestImages::write(first, TestImages::jpeg(40, 30));
    TestImages::write(second, TestImages::jpeg(20, 10));
    ASSERT_TRUE(QImage(12, 8, QImage::Format_RGB32).save(bitmap, "BMP"));
    TestImages::write(broken, "not a picture");
    wall.cells.setCellText(1, 2, "label");
    wall.grid.Select(1, 2);
    platform.fileAnswers = {first};
    mnuRightAddSingleFile_Click(wall.ctx);
    ASSERT_EQ(platform.fileRequests.size(), 1);
    const FileRequest& asked = platform.fileRequests[0];
    EXPECT_EQ(asked.title, "Choose File");
    EXPECT_EQ(asked.filter, "JPEG Files (*.jpg);;All Files (*)");
    EXPECT_TRUE(asked.defaultExt == "jpg" && !asked.save);
    EXPECT_EQ(wall.cells.CellData(1, 2), first);
    EXPECT_EQ(wall.cells.CellPicture(1, 2).size(), QSize(40, 30));
    EXPECT_EQ(wall.cells.CellText(1, 2), "label");
    EXPECT_TRUE(wall.state.ImageCount == 1 && wall.captions == 1);

    // Replacing an existing file's image does not count; a BMP is placed too.
    platform.fileAnswers = {bitmap};
    mnuRightAddSingleFile_Click(wall.ctx);
    EXPECT_EQ(wall.cells.CellData(1, 2), bitmap);
    EXPECT_EQ(wall.state.ImageCount, 1);
    // A cell whose file has gone counts again.
    QFile::remove(bitmap);
    platform.fileAnswers = {second};
    mnuRightAddSingleFile_Click(wall.ctx);
    EXPECT_TRUE(wall.state.ImageCount == 2 && wall.cells.CellData(1, 2) == second);

    // Cancelled, missing and undecodable files leave the cell as it was.
    platform.fileAnswers = {QString(), dir.filePath("missing.jpg"), broken};
    for (int i = 0; i < 4; ++i)
        mnuRightAddSingleFile_Click(wall.ctx);
    EXPECT_TRUE(wall.cells.CellData(1, 2) == second && wall.state.ImageCount == 2 && wall.captions == 3);
    EXPECT_TRUE(platform.messages.isEmpty());

    // Without a current cell the standard report ends it.
    wall.cells.setRows(0);
    platform.fileAnswers = {first};
    mnuRightAddSingleFile_Click(wall.ctx);
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].text.startsWith(
        "An error has occurred in form: frmMain and procedure: mnuRightAddSingleFile_Click (Pavisto)"));
}

TEST(SingleCell, RefreshRemakesThePictureAndKeepsThePathOfAFileThatWent)
{
    FakePlatform platform;
    QTemporaryDir dir;
    TestWall wall(2, 2);
    const QString path = dir.filePath("a.jpg");
    TestImages::write(path, TestImages::jpeg(20, 10));
    wall.cells.setImage(0, 1, QImage(40, 30, QImage::Format_Grayscale8), path);
    wall.state.ImageCount = 1;

    wall.grid.Select(0, 0);  // empty
    mnuRightReload_Click(wall.ctx);
    EXPECT_EQ(wall.cells.occupiedCount(), 1u);
    EXPECT_TRUE(wall.state.StopSlideshow);

    wall.grid.Select(0, 1);
    mnuRightReload_Click(wall.ctx);
    EXPECT_EQ(wall.cells.CellPicture(0, 1).size(), QSize(20, 10));

    TestImages::write(path, "no longer a picture");
    mnuRightReload_Click(wall.ctx);
    EXPECT_TRUE(wall.cells.CellPicture(0, 1).isNull() && wall.cells.CellData(0, 1) == path);

    TestImages::write(path, TestImages::jpeg(20, 10));
    mnuRightReload_Click(wall.ctx);
    QFile::remove(path);
    mnuRightReload_Click(wall.ctx);
    EXPECT_TRUE(wall.cells.CellPicture(0, 1).isNull() && wall.cells.CellData(0, 1) == path);
    EXPECT_TRUE(wall.state.ImageCount == 1 && wall.captions == 0 && platform.messages.isEmpty());
}
