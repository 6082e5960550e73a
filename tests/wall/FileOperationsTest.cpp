#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "support/TestWall.h"
#include "wall/FileOperations.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(DeleteFile, RemovesTheFileAndTheImageButKeepsTheCellsText)
{
    FakePlatform platform;
    QTemporaryDir dir;
    TestWall wall;
    const QString path = dir.filePath("a.jpg");
    TestImages::write(path, TestImages::jpeg(8, 8));
    wall.cells.setImage(2, 3, QImage(8, 8, QImage::Format_RGB32), path);
    wall.cells.setCellText(2, 3, "note");
    wall.state.ImageCount = 5;
    DeleteFile(wall.ctx, 2, 3);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(wall.state.ImageCount, 4);
    EXPECT_TRUE(wall.cells.CellData(2, 3).isEmpty() && wall.cells.CellPicture(2, 3).isNull());
    EXPECT_EQ(wall.cells.CellText(2, 3), "note");
    EXPECT_TRUE(wall.state.StopSlideshow && wall.previews == 1 && platform.messages.isEmpty());

    // A cell whose file is already gone is emptied without a count.
    wall.cells.setImage(0, 0, QImage(8, 8, QImage::Format_RGB32), dir.filePath("gone.jpg"));
    DeleteFile(wall.ctx, 0, 0);
    EXPECT_EQ(wall.state.ImageCount, 4);
    EXPECT_EQ(wall.cells.occupiedCount(), 1u);
}

TEST(DeleteFile, AFileTheFileSystemRefusesLeavesTheCellAsItWas)
{
    FakePlatform platform;
    TestWall wall;
    // A regular file on a file system that deletes nothing, even for root.
    const QString refused = "/proc/self/status";
    ASSERT_TRUE(QFile::exists(refused));
    wall.cells.setImage(1, 1, QImage(8, 8, QImage::Format_RGB32), refused);
    wall.state.ImageCount = 1;
    DeleteFile(wall.ctx, 1, 1);
    EXPECT_EQ(wall.cells.CellData(1, 1), refused);
    EXPECT_FALSE(wall.cells.CellPicture(1, 1).isNull());
    EXPECT_EQ(wall.state.ImageCount, 1);
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].text.startsWith(
        "An error has occurred in form: frmMain and procedure: DeleteFile (Pavisto)\nNumber: 75\n"));
    EXPECT_EQ(wall.previews, 0);
}

TEST(DeleteFile, ThePreviewsDeleteTakesOnlyTheFileItShowed)
{
    FakePlatform platform;
    QTemporaryDir dir;
    TestWall wall;
    const QString shown = dir.filePath("shown.jpg");
    const QString other = dir.filePath("other.jpg");
    TestImages::write(shown, TestImages::jpeg(8, 8));
    TestImages::write(other, TestImages::jpeg(8, 8));
    wall.cells.setImage(0, 0, QImage(8, 8, QImage::Format_RGB32), other);
    wall.state.ImageCount = 1;
    DeleteShownFile(wall.ctx, shown, 0, 0);
    DeleteShownFile(wall.ctx, "", 0, 1);
    EXPECT_TRUE(QFile::exists(shown) && QFile::exists(other));
    EXPECT_EQ(wall.cells.CellData(0, 0), other);
    EXPECT_EQ(wall.previews, 2);
    DeleteShownFile(wall.ctx, other, 0, 0);
    EXPECT_FALSE(QFile::exists(other));
    EXPECT_EQ(wall.state.ImageCount, 0);
}
