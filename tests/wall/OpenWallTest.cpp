#include "WallFixture.h"
#include "wall/OpenWall.h"
#include "wall/SaveWall.h"
#include "wall/UnsavedWall.h"
#include "wall/WallFormat.h"

#include <QDir>

#include <sys/stat.h>

namespace {

struct OpenFixture : WallFixture {
    QString jpeg(const QString& name) { return write(name, TestImages::jpeg(40, 30)); }
    void open(const QString& path, const QString& answer = {}) { OpenWallFile(wall.ctx, path, dialog(answer)); }
    bool isText(int r, int c, const QString& text) const
    {
        return wall.cells.CellText(r, c) == text && wall.cells.CellForeColor(r, c) == QColor(Qt::white)
               && !wall.cells.holdsImage(r, c);
    }
    // count records "i,0,text i" and a last line.
    QString texts(int count)
    {
        QByteArray records;
        for (int i = 0; i < count; ++i)
            records += QByteArray::number(i) + ",0,text " + QByteArray::number(i) + "\r\n";
        return write("texts.wall", records + "\r\n");
    }
};

} // namespace

TEST_F(OpenFixture, AWallComesBackCellForCellEveryTimeAndValuesThatNameNoDecodableImageAreTexts)
{
    const QString a = jpeg("a.jpg"), b = jpeg("sub/b.jpg"), notJpeg = write("notes.jpg", "plain text");
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe.jpg")).constData(), 0600), 0);
    // A file that is there but does not decode comes back as text, so the
    // next save keeps it.
    const QStringList texts{dir.filePath("gone.jpg"), "notes.txt", dir.filePath("pipe.jpg"), "/dev/zero", notJpeg};
    QByteArray records = "0,0," + a.toUtf8() + "\r\n";
    for (int c = 0; c < texts.size(); ++c)
        records += "2," + QByteArray::number(c) + "," + texts[c].toUtf8() + "\r\n";
    records += "7,3," + b.toUtf8() + "\r\n";
    const QString path = write("w.wall", records + "\r\n");
    const QString here = QDir::currentPath();
    QDir::setCurrent(dir.path());  // a text that names a file in the working folder stays a text
    for (int run = 0; run < 2; ++run) {
        open(path);
        EXPECT_TRUE(wall.cells.CellData(0, 0) == a && wall.cells.CellData(7, 3) == b) << run;
        EXPECT_TRUE(wall.state.ImageCount == 2 && wall.cells.occupiedCount() == 7u) << run;
        for (int c = 0; c < texts.size(); ++c)
            EXPECT_TRUE(isText(2, c, texts[c])) << c;
    }
    QDir::setCurrent(here);
    EXPECT_EQ(wall.titles.value(0), "Loading files. 1 Images found. Please wait...   Available memory: 4.00 GB");
    EXPECT_TRUE(wall.captions == 2 && wall.previews == 2 && wall.previewHides == 2 && wall.state.SlideshowReady);
}

TEST_F(OpenFixture, EveryRecordIsPlacedInFileOrderWhateverTheGridSizeAndNonRecordsAreIgnored)
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
    // Every row and column a grid can have costs its cell only.
    open(write("w.wall", "2147483646,0,a\r\n0,2147483646,b\r\n"));
    EXPECT_TRUE(wall.cells.Rows() == 2147483647 && wall.cells.Cols() == 2147483647);
    EXPECT_TRUE(wall.cells.CellText(0, MaxWallIndex) == "b");

    // More images than the grid has cells, and a large wall of texts.
    wall.state.GridRows = wall.state.GridCols = 2;
    QByteArray records;
    for (int i = 0; i < 6; ++i)
        records += QByteArray::number(i) + ",0," + (i % 2 ? a : b).toUtf8() + "\r\n";
    open(write("w.wall", records + "0,1,after the sixth\r\n"));
    EXPECT_TRUE(wall.state.ImageCount == 6 && wall.cells.occupiedCount() == 7u);
    wall.state.GridRows = wall.state.GridCols = 100;
    // More records and images than the reader holds ahead: every one in order.
    records.clear();
    for (int i = 0; i < 1200; ++i)
        records += QByteArray::number(i) + ",0," + (i % 15 ? "t" : a.toUtf8()) + "\r\n";
    open(write("w.wall", records));
    EXPECT_TRUE(wall.state.ImageCount == 80 && wall.cells.occupiedCount() == 1200u && wall.cells.CellData(1185, 0) == a);
    open(texts(100'000));
    EXPECT_TRUE(wall.cells.occupiedCount() == 100'000u && wall.cells.CellText(99'999, 0) == "text 99999");
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(OpenFixture, AnOpenEndedEarlySaysWhatWasNotPlacedAndASmallerSaveOverItsFileAsksFirst)
{
    const QString path = texts(200'000);
    bool loadingSeen = false;
    // Stopped in the 3rd yield: before the 3rd record, which is still placed.
    inYield(3, [&] { loadingSeen = wall.state.StopLoading = wall.state.IsLoading && wall.state.StopEnabled; });
    open(path);
    EXPECT_TRUE(loadingSeen && wall.cells.occupiedCount() == 3u);
    EXPECT_FALSE(wall.state.StopLoading || wall.state.IsLoading || wall.state.StopEnabled || wall.ended);
    EXPECT_EQ(lastMessage(), "The wall was opened only in part: 199,997 records of " + path + " were not placed.");

    const QByteArray whole = TestImages::read(path);
    platform.messageAnswers = {MsgAnswer::No};
    SaveWall(wall.ctx, dialog(path));
    EXPECT_EQ(lastMessage(), "This wall was opened only in part from " + path
                                 + ", which holds 200000 records. Saving writes 3 records over them.\n\nSave anyway?");
    EXPECT_EQ(TestImages::read(path), whole);
    SaveWall(wall.ctx, dialog(dir.filePath("elsewhere.wall")));  // another file: no question
    EXPECT_TRUE(lastMessage().startsWith("File saved."));
    SaveWall(wall.ctx, dialog(path));  // Yes
    EXPECT_EQ(TestImages::read(path), "0,0,text 0\r\n1,0,text 1\r\n2,0,text 2\r\n\r\n");
    // The guard belongs to the wall on screen: a wall loaded since may be
    // saved over that file without it.
    inYield(2, [&] { wall.state.StopLoading = true; });  // in the yield after the first image
    open(write("w.wall", "1,1," + jpeg("b.jpg").toUtf8() + "\r\n1,0,t\r\n2,0,u\r\n"));
    EXPECT_TRUE(wall.cells.holdsImage(1, 1) && wall.cells.occupiedCount() == 1u);
    EXPECT_EQ(lastMessage(), "The wall was opened only in part: 2 records of " + dir.filePath("w.wall") + " were not placed.");
    platform.folderAnswers = {dir.path()};
    AddImagesAsNewWall(wall.ctx, dialog({}));
    const qsizetype asked = platform.messages.size();
    SaveWall(wall.ctx, dialog(dir.filePath("w.wall")));
    EXPECT_TRUE(platform.messages.size() == asked + 1 && lastMessage().startsWith("File saved."));
    // An open that a read error ends is partial too.
    QFile::link("/proc/self/mem", dir.filePath("error.wall"));
    open(dir.filePath("error.wall"));
    EXPECT_TRUE(reported("mnuOpenWall_Click", 75) && wall.cells.occupiedCount() == 0u);
    platform.messageAnswers = {MsgAnswer::No};
    SaveWall(wall.ctx, dialog(dir.filePath("error.wall")));
    EXPECT_TRUE(lastMessage().startsWith("This wall was opened only in part from "));

    // Low memory ends an open as it ends a load.
    const QByteArray image = "0,0," + jpeg("a.jpg").toUtf8() + "\r\n";
    platform.freeMemory = 100 << 20;
    open(write("images.wall", image + image + "0,1,t\r\n"));
    EXPECT_EQ(platform.texts().mid(platform.messages.size() - 2),
              (QStringList{"Out of memory. Please adjust the thumb quality settings from the options menu then try "
                           "again.",
                           "The wall was opened only in part: 2 records of " + dir.filePath("images.wall")
                               + " were not placed."}));
    // Closing ends it without a word, and then the program.
    platform.freeMemory = 4LL << 30;
    const qsizetype told = platform.messages.size();
    inYield(3, [&] { wall.state.StopLoading = wall.state.IsClosing = true, wall.shown = false; });
    open(path);
    EXPECT_TRUE(wall.cells.occupiedCount() == 3u && wall.ended && platform.messages.size() == told);
}

TEST_F(OpenFixture, OnlyAWallFileThatOpensIsReadAndACancelOnlyEndsTheCommand)
{
    wall.cells.setCellText(3, 3, "kept");
    QFile::link("/proc/1/mem", dir.filePath("locked.wall"));
    open(dir.filePath("locked.wall"));  // a file that cannot be opened leaves the wall as it was
    EXPECT_TRUE(reported("mnuOpenWall_Click", 75) && wall.cells.CellText(3, 3) == "kept");
    platform.messages.clear();
    wall.grid.Select(2, 2);
    open("", "");  // cancelled: only the end steps run
    EXPECT_EQ(wall.grid.Row(), 0);
    wall.grid.Select(2, 2);
    open(write("w.wal", "0,0,x\r\n"));
    QDir().mkpath(dir.filePath("folder.wall"));
    open(dir.filePath("folder.wall"));
    EXPECT_EQ(platform.texts(), QStringList{"The file must have the .wall extension."});
    EXPECT_TRUE(wall.cells.CellText(3, 3) == "kept" && wall.grid.Row() == 2 && wall.captions == 2);
    EXPECT_FALSE(wall.state.SlideshowReady);
}
