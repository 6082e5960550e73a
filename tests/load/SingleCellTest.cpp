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
    const QString jpeg = dir.filePath("a.jpg"), bitmap = dir.filePath("b.bmp"), broken = dir.filePath("c.jpg"),
                  other = dir.filePath("d.jpg");
    TestImages::write(jpeg, TestImages::jpeg(40, 30));
    TestImages::write(other, TestImages::jpeg(8, 8));
    ASSERT_TRUE(QImage(12, 8, QImage::Format_RGB32).save(bitmap, "BMP"));
    TestImages::write(broken, "not a picture");
    wall.cells.setCellText(1, 2, "label");
    wall.grid.Select(1, 2);
    platform.fileAnswers = {bitmap, jpeg, other, QString(), dir.filePath("missing.jpg"), broken};
    mnuRightAddSingleFile_Click(wall.ctx);
    const FileRequest& asked = platform.fileRequests.value(0);
    EXPECT_TRUE(asked.title == "Choose File" && asked.defaultExt == "jpg" && !asked.save);
    EXPECT_EQ(asked.filter, "JPEG Files (*.jpg);;All Files (*)");
    EXPECT_TRUE(wall.cells.CellData(1, 2) == bitmap && wall.cells.CellPicture(1, 2).size() == QSize(12, 8));
    EXPECT_TRUE(wall.cells.CellText(1, 2) == "label" && wall.state.ImageCount == 1 && wall.captions == 1);
    mnuRightAddSingleFile_Click(wall.ctx);  // replaces an existing file's image
    EXPECT_TRUE(wall.cells.CellData(1, 2) == jpeg && wall.state.ImageCount == 1);
    QFile::remove(jpeg);  // a cell whose file has gone counts again
    for (int i = 0; i < 4; ++i)
        mnuRightAddSingleFile_Click(wall.ctx);
    // Cancelled, missing and undecodable files leave the cell as it was.
    EXPECT_TRUE(wall.cells.CellData(1, 2) == other && wall.state.ImageCount == 2);
    EXPECT_TRUE(wall.captions == 3 && platform.messages.isEmpty());

    wall.cells.setRows(0);  // no current cell: the standard report
    platform.fileAnswers = {other};
    mnuRightAddSingleFile_Click(wall.ctx);
    EXPECT_TRUE(platform.texts().value(0).startsWith(
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
    mnuRightReload_Click(wall.ctx);  // on the empty current cell (0, 0)
    EXPECT_TRUE(wall.cells.occupiedCount() == 1 && wall.state.StopSlideshow);
    wall.grid.Select(0, 1);
    mnuRightReload_Click(wall.ctx);
    EXPECT_EQ(wall.cells.CellPicture(0, 1).size(), QSize(20, 10));
    for (const QByteArray& content : {QByteArray("no longer a picture"), QByteArray()}) {
        content.isEmpty() ? void(QFile::remove(path)) : TestImages::write(path, content);
        mnuRightReload_Click(wall.ctx);
        EXPECT_TRUE(wall.cells.CellPicture(0, 1).isNull() && wall.cells.CellData(0, 1) == path);
        TestImages::write(path, TestImages::jpeg(20, 10));
        mnuRightReload_Click(wall.ctx);
    }
    EXPECT_TRUE(wall.captions == 0 && platform.messages.isEmpty());
}
