#include "WallFixture.h"
#include "wall/OpenWall.h"
#include "wall/SaveWall.h"

#include <QDir>

#include <sys/stat.h>

namespace {

struct OpenFixture : WallFixture {
    QString jpeg(const QString& name) { return write(name, TestImages::jpeg(40, 30)); }
    void open(const QString& path, const QString& answer = {}) { OpenFile(wall.ctx, path, dialog(answer)); }
    bool isText(int r, int c, const QString& text) const
    {
        return wall.cells.CellText(r, c) == text && wall.cells.CellForeColor(r, c) == QColor(Qt::white)
               && !wall.cells.holdsImage(r, c);
    }
};

} // namespace

TEST_F(OpenFixture, AWallComesBackCellForCellEveryTimeAndValuesThatNameNoImageFileAreTexts)
{
    const QString a = jpeg("a.jpg"), b = jpeg("sub/b.jpg"), notJpeg = write("notes.txt", "plain text");
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe.jpg")).constData(), 0600), 0);
    const QStringList texts{dir.filePath("gone.jpg"), "notes.txt", dir.filePath("pipe.jpg"), "/dev/zero"};
    QByteArray records = "0,0," + a.toUtf8() + "\r\n";
    for (int c = 0; c < texts.size(); ++c)
        records += "2," + QByteArray::number(c) + "," + texts[c].toUtf8() + "\r\n";
    records += "7,3," + b.toUtf8() + "\r\n";
    // The file the thumbnail maker refuses leaves no trace.
    const QString path = write("w.wall", records + "9,9," + notJpeg.toUtf8() + "\r\n\r\n");
    const QString here = QDir::currentPath();
    QDir::setCurrent(dir.path());  // a text that names a file in the working folder stays a text
    for (int run = 0; run < 2; ++run) {
        open(path);
        EXPECT_TRUE(wall.cells.CellData(0, 0) == a && wall.cells.CellData(7, 3) == b) << run;
        EXPECT_TRUE(wall.state.ImageCount == 2 && wall.cells.occupiedCount() == 6u) << run;
        for (int c = 0; c < texts.size(); ++c)
            EXPECT_TRUE(isText(2, c, texts[c])) << c;
        mnuSave_Click(wall.ctx, dialog(path));
    }
    QDir::setCurrent(here);
    EXPECT_EQ(TestImages::read(path), records + "\r\n");
    EXPECT_EQ(wall.titles.value(0), "Loading files. 1 Images found. Please wait...   Available memory: 4.00 GB");
    EXPECT_TRUE(wall.captions == 2 && wall.previews == 2 && wall.previewHides == 2);
}

TEST_F(OpenFixture, RecordsTakeEffectInFileOrderGrowTheGridAndStopAtItsCapacityAndNonRecordsAreIgnored)
{
    const QString a = jpeg("a.jpg"), b = jpeg("b.jpg");
    open(write("w.wall", "1,1," + a.toUtf8() + "\r\n1,1," + b.toUtf8() + "\r\n2,2,note\r\n2,2," + a.toUtf8()
                             + "\r\n10,2,just below\r\n1,10,\r\n"));
    EXPECT_TRUE(wall.cells.CellData(1, 1) == b && wall.cells.CellData(2, 2) == a);
    EXPECT_TRUE(wall.cells.CellText(2, 2) == "note" && wall.cells.occupiedCount() == 3u);
    EXPECT_EQ(wall.state.ImageCount, 2);  // the images the wall holds
    EXPECT_EQ(QSize(wall.cells.Cols(), wall.cells.Rows()), QSize(11, 11));
    open(write("photo.wall", TestImages::jpeg(64, 64)));  // no records at all, and no complaint
    EXPECT_TRUE(wall.cells.occupiedCount() == 0u && wall.state.ImageCount == 0 && platform.messages.isEmpty());
    // Row and column numbers in the millions cost their cells only.
    open(write("w.wall", "9999999,0,a\r\n0,9999999,b\r\n"));
    EXPECT_TRUE(wall.cells.Rows() == 10'000'000 && wall.cells.Cols() == 10'000'000);

    wall.state.GridRows = wall.state.GridCols = 2;  // room for 4 images
    QByteArray records;
    for (int i = 0; i < 6; ++i)
        records += QByteArray::number(i) + ",0," + (i % 2 ? a : b).toUtf8() + "\r\n";
    open(write("w.wall", records + "0,1,after the stop\r\n"));
    EXPECT_TRUE(wall.state.ImageCount == 4 && wall.cells.occupiedCount() == 4u);
}

TEST_F(OpenFixture, StopLoadingOrClosingKeepsWhatIsPlaced)
{
    const QByteArray records = "0,0," + jpeg("a.jpg").toUtf8() + "\r\n0,1,t\r\n0,2,u\r\n";
    bool loadingSeen = false;
    inYield(2, [&] { loadingSeen = wall.state.StopLoading = wall.state.IsLoading && wall.state.StopEnabled; });
    open(write("w.wall", records));
    EXPECT_TRUE(loadingSeen && wall.cells.occupiedCount() == 1u);
    EXPECT_FALSE(wall.state.StopLoading || wall.state.IsLoading || wall.state.StopEnabled || wall.ended);
    inYield(3, [&] { wall.state.StopLoading = wall.state.IsClosing = true, wall.shown = false; });
    open(write("w.wall", records));
    EXPECT_TRUE(wall.cells.occupiedCount() == 2u && wall.ended && wall.previews == 1);
}

TEST_F(OpenFixture, OnlyAnExistingWallFileIsReadAndACancelOnlyEndsTheCommand)
{
    wall.cells.setCellText(3, 3, "kept");
    wall.grid.Select(2, 2);
    open("", "");  // cancelled: only the end steps run
    EXPECT_EQ(wall.grid.Row(), 0);
    wall.grid.Select(2, 2);
    open(write("w.wal", "0,0,x\r\n"));
    QDir().mkpath(dir.filePath("folder.wall"));
    open(dir.filePath("folder.wall"));
    EXPECT_EQ(platform.texts(), QStringList{"The file must have the .wall extension."});
    EXPECT_TRUE(wall.cells.CellText(3, 3) == "kept" && wall.grid.Row() == 2 && wall.captions == 1);
}
