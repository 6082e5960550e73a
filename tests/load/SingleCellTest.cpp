#include "image/ThumbnailCache.h"
#include "load/SingleCell.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "support/TestWall.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(SingleCell, AddCountsOnlyACellWithoutAnImageAndRefreshKeepsThePathOfAFileThatWent)
{
    FakePlatform platform;
    QTemporaryDir dir;
    TestWall wall(3, 3);
    const QString jpeg = dir.filePath("a.jpg"), bitmap = dir.filePath("b.bmp");
    TestImages::write(jpeg, TestImages::jpeg(20, 10));
    ASSERT_TRUE(QImage(12, 8, QImage::Format_RGB32).save(bitmap, "BMP"));
    wall.cells.setCellText(1, 2, "label");
    wall.grid.Select(1, 2);
    platform.fileAnswers = {bitmap, jpeg, QString(), dir.filePath("gone.jpg"), bitmap};
    mnuRightAddSingleFile_Click(wall.ctx);
    const FileRequest& asked = platform.fileRequests.value(0);
    EXPECT_TRUE(asked.title == "Choose File" && asked.defaultExt == "jpg" && !asked.save);
    EXPECT_EQ(asked.filter, "JPEG Files (*.jpg);;All Files (*)");
    EXPECT_TRUE(wall.cells.CellData(1, 2) == bitmap && wall.cells.CellPicture(1, 2).size() == QSize(12, 8));
    EXPECT_TRUE(wall.cells.CellText(1, 2) == "label" && wall.state.ImageCount == 1 && wall.captions == 1);
    mnuRightAddSingleFile_Click(wall.ctx);  // replaces an existing file's image
    // Cancelled and missing files leave the cell as it was.
    mnuRightAddSingleFile_Click(wall.ctx);
    mnuRightAddSingleFile_Click(wall.ctx);
    EXPECT_TRUE(wall.cells.CellData(1, 2) == jpeg && wall.state.ImageCount == 1 && wall.captions == 2);

    wall.cells.setCellPicture(1, 2, QImage(40, 30, QImage::Format_Grayscale8));
    mnuRightReload_Click(wall.ctx);
    EXPECT_TRUE(wall.cells.CellPicture(1, 2).size() == QSize(20, 10) && wall.state.StopSlideshow);
    QFile::remove(jpeg);
    mnuRightReload_Click(wall.ctx);
    EXPECT_TRUE(wall.cells.CellPicture(1, 2).isNull() && wall.cells.CellData(1, 2) == jpeg && wall.captions == 2);
    // A cell whose file has gone still holds its image: it is replaced, not counted again.
    mnuRightAddSingleFile_Click(wall.ctx);
    EXPECT_TRUE(wall.cells.CellData(1, 2) == bitmap && wall.state.ImageCount == 1 && platform.messages.isEmpty());

    wall.cells.setRows(0);  // no current cell: the standard report
    platform.fileAnswers = {bitmap};
    mnuRightAddSingleFile_Click(wall.ctx);
    EXPECT_TRUE(platform.texts().value(0).startsWith(
        "An error has occurred in form: frmMain and procedure: mnuRightAddSingleFile_Click (Pavisto)"));
}

TEST(SingleCell, RefreshMakesThePictureFromTheFileWhateverTheSharedCacheHolds)
{
    QTemporaryDir dir;
    ThumbnailCache cache(dir.filePath("thumbnails"));
    TestWall wall(3, 3, &cache);
    const QString path = dir.filePath("a.jpg");
    QImage green(800, 600, QImage::Format_RGB32);
    green.fill(Qt::green);
    // Rewritten with its time kept, as cp -p, rsync -t and restores do.
    const auto rewrite = [&](const QByteArray& bytes) {
        const QDateTime kept = QFileInfo(path).lastModified();
        TestImages::write(path, bytes);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.setFileTime(kept, QFileDevice::FileModificationTime));
    };
    TestImages::write(path, TestImages::jpeg(800, 600));  // red and blue
    wall.cells.setImage(0, 0, *wall.thumbnails.CellPicture(path, false), path);
    wall.grid.Select(0, 0);
    rewrite(TestImages::encode(green));
    mnuRightReload_Click(wall.ctx);
    const auto isGreen = [](const QImage& picture) { return picture.pixelColor(4, 24).green() > 200; };
    EXPECT_TRUE(isGreen(wall.cells.CellPicture(0, 0).small()));
    // The cache now holds the new picture, for the next load.
    EXPECT_TRUE(isGreen(wall.thumbnails.CellPicture(path, false)->small()));

    // Once broken, the file is fixed under its old time.
    rewrite("not a picture");
    EXPECT_FALSE(wall.thumbnails.MakeThumbnail(path));
    rewrite(TestImages::jpeg(800, 600));
    mnuRightReload_Click(wall.ctx);
    EXPECT_FALSE(wall.cells.CellPicture(0, 0).isNull());
    EXPECT_TRUE(wall.thumbnails.MakeThumbnail(path));
}
