#include "shell/MainModule.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "support/TestWall.h"
#include "wall/OpenWall.h"
#include "wall/SaveWall.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct OpenFixture : ::testing::Test {
    FakePlatform platform;
    QTemporaryDir dir;
    TestWall wall{10, 10};
    QStringList asked;

    QString jpeg(const QString& name)
    {
        const QString path = dir.filePath(name);
        TestImages::write(path, TestImages::jpeg(40, 30));
        return path;
    }
    QString wallFile(const QByteArray& bytes, const QString& name = "w.wall")
    {
        const QString path = dir.filePath(name);
        TestImages::write(path, bytes);
        return path;
    }
    void open(const QString& path, const QString& answer = {})
    {
        OpenFile(wall.ctx, path, [&](const QString& title, bool save) {
            asked.append(title + (save ? " (save)" : " (open)"));
            return answer;
        });
    }
    void save(const QString& path)
    {
        mnuSave_Click(wall.ctx, [&](const QString&, bool) { return path; });
    }
    // Runs in the open's n-th yield to the event loop.
    void inYield(int n, std::function<void()> step)
    {
        QTimer::singleShot(0, [this, n, step = std::move(step)]() mutable {
            if (n > 1)
                inYield(n - 1, std::move(step));
            else
                step();
        });
    }
    bool isWhiteText(int r, int c, const QString& text) const
    {
        return wall.cells.CellText(r, c) == text && wall.cells.CellForeColor(r, c) == QColor(Qt::white)
               && wall.cells.CellPicture(r, c).isNull() && wall.cells.CellData(r, c).isEmpty();
    }
    bool holdsImage(int r, int c, const QString& path) const
    {
        return wall.cells.CellData(r, c) == path && !wall.cells.CellPicture(r, c).isNull();
    }
};

} // namespace

TEST_F(OpenFixture, ASavedWallComesBackCellForCell)
{
    const QString a = jpeg("a.jpg"), b = jpeg("sub/b.jpg");
    wall.cells.setImage(0, 0, QImage(4, 4, QImage::Format_RGB32), a);
    wall.cells.setImage(7, 3, QImage(4, 4, QImage::Format_RGB32), b);
    wall.cells.setCellText(2, 9, "a note");
    const QString path = dir.filePath("w.wall");
    save(path);
    wall.cells.Clear();
    wall.cells.setCellText(5, 5, "old");
    wall.grid.Select(4, 4);
    wall.state.ImageCount = 9;

    open(path);
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_TRUE(holdsImage(0, 0, a) && holdsImage(7, 3, b));
    EXPECT_EQ(wall.cells.CellPicture(0, 0).size(), QSize(40, 30));  // a fresh thumbnail
    EXPECT_TRUE(isWhiteText(2, 9, "a note"));
    EXPECT_EQ(wall.cells.occupiedCount(), 3u);
    EXPECT_EQ(wall.state.ImageCount, 2);
    EXPECT_EQ(wall.titles.value(0), "Loading files. 1 Images found. Please wait...   Available memory: 4.00 GB");
    EXPECT_EQ(wall.titles.size(), 2);
    EXPECT_EQ(QPoint(wall.grid.Col(), wall.grid.Row()), QPoint(0, 0));
    EXPECT_TRUE(wall.captions == 1 && wall.previews == 1 && wall.previewHides == 1);
    EXPECT_FALSE(wall.state.IsLoading || wall.state.StopLoading || wall.state.StopEnabled);
    EXPECT_TRUE(wall.state.StopSlideshow);
    EXPECT_TRUE(platform.messages.size() == 1 && platform.messages[0].text.startsWith("File saved."));
    EXPECT_EQ(QSize(wall.cells.Cols(), wall.cells.Rows()), QSize(10, 10));

    // The same wall again gives the same grid.
    open(path);
    EXPECT_TRUE(holdsImage(0, 0, a) && holdsImage(7, 3, b) && isWhiteText(2, 9, "a note"));
    EXPECT_EQ(wall.cells.occupiedCount(), 3u);
    EXPECT_EQ(wall.state.ImageCount, 2);
}

TEST_F(OpenFixture, ValuesThatNameNoImageFileComeBackAsTextAndSaveBackUnchanged)
{
    const QString gone = dir.filePath("gone.jpg");
    const QString notJpeg = wallFile("plain text", "notes.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe.jpg")).constData(), 0600), 0);
    QDir().mkpath(dir.filePath("folder.jpg"));
    // A text that happens to name a file in the working folder stays a text.
    const QString here = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const QByteArray records = "0,0," + gone.toUtf8() + "\r\n0,1,C:\\photos\\a.jpg\r\n0,2,notes.txt\r\n0,3,"
                               + dir.filePath("pipe.jpg").toUtf8() + "\r\n0,4," + dir.filePath("folder.jpg").toUtf8()
                               + "\r\n0,5,/dev/zero\r\n0,6," + notJpeg.toUtf8() + "\r\n\r\n";
    const QString path = wallFile(records);
    open(path);
    QDir::setCurrent(here);
    EXPECT_TRUE(isWhiteText(0, 0, gone));
    EXPECT_TRUE(isWhiteText(0, 1, "C:\\photos\\a.jpg"));
    EXPECT_TRUE(isWhiteText(0, 2, "notes.txt"));
    EXPECT_TRUE(isWhiteText(0, 3, dir.filePath("pipe.jpg")));
    EXPECT_TRUE(isWhiteText(0, 4, dir.filePath("folder.jpg")));
    EXPECT_TRUE(isWhiteText(0, 5, "/dev/zero"));
    // A file the thumbnail maker refuses leaves no trace.
    EXPECT_EQ(wall.cells.occupiedCount(), 6u);
    EXPECT_EQ(wall.state.ImageCount, 0);
    EXPECT_TRUE(platform.messages.isEmpty());

    QByteArray expected = records;
    expected.replace("0,6," + notJpeg.toUtf8() + "\r\n", "");
    save(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), expected);
}

TEST_F(OpenFixture, LaterRecordsForACellAddToItInFileOrder)
{
    const QString a = jpeg("a.jpg"), b = jpeg("b.jpg");
    open(wallFile("1,1," + a.toUtf8() + "\r\n1,1," + b.toUtf8() + "\r\n2,2,note\r\n2,2," + a.toUtf8()
                  + "\r\n3,3,first\r\n3,3,second\r\n"));
    EXPECT_TRUE(holdsImage(1, 1, b) && wall.cells.CellText(1, 1).isEmpty());
    EXPECT_TRUE(holdsImage(2, 2, a) && wall.cells.CellText(2, 2) == "note");
    EXPECT_TRUE(isWhiteText(3, 3, "second"));
    EXPECT_EQ(wall.state.ImageCount, 3);
}

TEST_F(OpenFixture, TheGridGrowsForRecordsBeyondItAndNeverShrinks)
{
    TestWall small(5, 5);
    OpenFile(small.ctx, wallFile("9,2,far down\r\n1,7,far right\r\n"), {});
    EXPECT_EQ(QSize(small.cells.Cols(), small.cells.Rows()), QSize(8, 10));
    EXPECT_EQ(small.cells.CellText(9, 2), "far down");

    // An empty value still grows the grid, and nothing else.
    open(wallFile("0,0,a\r\n12,3,\r\n"));
    EXPECT_EQ(QSize(wall.cells.Cols(), wall.cells.Rows()), QSize(10, 13));
    EXPECT_EQ(wall.cells.occupiedCount(), 1u);

    // Row and column numbers in the millions cost their cells only.
    open(wallFile("9999999,0,a\r\n0,9999999,b\r\n10000000,0,passed over\r\n"));
    EXPECT_EQ(QSize(wall.cells.Cols(), wall.cells.Rows()), QSize(10'000'000, 10'000'000));
    EXPECT_TRUE(isWhiteText(9'999'999, 0, "a") && isWhiteText(0, 9'999'999, "b"));
    EXPECT_EQ(wall.cells.occupiedCount(), 2u);
}

TEST_F(OpenFixture, TheOpenStopsWhenTheWallHoldsGridRowsTimesGridColsImages)
{
    TestWall tiny(2, 2);
    QByteArray records;
    for (int i = 0; i < 6; ++i)
        records += QByteArray::number(i) + ",0," + jpeg(QString("%1.jpg").arg(i)).toUtf8() + "\r\n";
    records += "0,1,after the stop\r\n";
    OpenFile(tiny.ctx, wallFile(records), {});
    EXPECT_EQ(tiny.state.ImageCount, 4);
    EXPECT_EQ(tiny.cells.occupiedCount(), 4u);
    EXPECT_EQ(tiny.cells.Rows(), 4);  // grown for the fourth image, not beyond
    EXPECT_EQ(tiny.titles.size(), 3);
    EXPECT_FALSE(tiny.state.IsLoading);
}

TEST_F(OpenFixture, StopLoadingKeepsWhatIsPlacedAndResetsTheFlag)
{
    const QString a = jpeg("a.jpg"), b = jpeg("b.jpg");
    bool loadingSeen = false;
    inYield(2, [&] {
        loadingSeen = wall.state.IsLoading && wall.state.StopEnabled;
        wall.state.StopLoading = true;
    });
    open(wallFile("0,0," + a.toUtf8() + "\r\n0,1,t\r\n0,2," + b.toUtf8() + "\r\n"));
    EXPECT_TRUE(loadingSeen);
    EXPECT_TRUE(holdsImage(0, 0, a));
    EXPECT_EQ(wall.cells.occupiedCount(), 1u);
    EXPECT_EQ(wall.state.ImageCount, 1);
    EXPECT_FALSE(wall.state.StopLoading || wall.state.IsLoading || wall.state.StopEnabled);
    EXPECT_EQ(wall.captions, 1);
}

TEST_F(OpenFixture, ClosingTheWindowDuringTheOpenEndsTheProgram)
{
    inYield(1, [&] {
        wall.state.StopLoading = wall.state.IsClosing = true;
        wall.shown = false;
    });
    open(wallFile("0,0,a\r\n0,1,b\r\n"));
    EXPECT_EQ(wall.cells.occupiedCount(), 1u);
    EXPECT_TRUE(wall.ended);
    EXPECT_EQ(wall.previews, 0);
}

TEST_F(OpenFixture, EmptyOrMalformedWallsClearTheGridWithoutAMessage)
{
    wall.cells.setCellText(3, 3, "old");
    wall.grid.Select(2, 2);
    wall.state.ImageCount = 5;
    open(wallFile(""));
    EXPECT_EQ(wall.cells.occupiedCount(), 0u);
    EXPECT_EQ(QSize(wall.cells.Cols(), wall.cells.Rows()), QSize(10, 10));
    EXPECT_EQ(wall.state.ImageCount, 0);
    EXPECT_EQ(QPoint(wall.grid.Col(), wall.grid.Row()), QPoint(0, 0));

    open(wallFile("\r\n\r\nnot a record\r\n-1,2,x\r\n1,x,y\r\n  4 , 5 ,kept\r\n1,2\r\n\r\n"));
    EXPECT_TRUE(isWhiteText(4, 5, "kept"));
    EXPECT_EQ(wall.cells.occupiedCount(), 1u);

    // A JPEG renamed .wall is read harmlessly.
    open(wallFile(TestImages::jpeg(64, 64), "photo.wall"));
    EXPECT_LE(wall.cells.occupiedCount(), 1u);
    EXPECT_EQ(wall.state.ImageCount, 0);
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(OpenFixture, TheChecksBeforeReadingLeaveTheGridAlone)
{
    wall.cells.setCellText(3, 3, "kept");
    wall.grid.Select(2, 2);
    open("", "");  // cancelled: only the end steps
    EXPECT_EQ(asked, QStringList{"Open File (open)"});
    EXPECT_EQ(wall.cells.CellText(3, 3), "kept");
    EXPECT_EQ(QPoint(wall.grid.Col(), wall.grid.Row()), QPoint(0, 0));
    EXPECT_EQ(wall.captions, 1);
    EXPECT_TRUE(platform.messages.isEmpty());

    wall.grid.Select(2, 2);
    open(wallFile("0,0,x\r\n", "w.wal"));
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages[0].text, "The file must have the .wall extension.");
    EXPECT_EQ(platform.messages[0].icon, MsgIcon::Information);

    open(dir.filePath("missing.wall"));
    QDir().mkpath(dir.filePath("folder.wall"));
    open(dir.filePath("folder.wall"));
    EXPECT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(wall.cells.CellText(3, 3), "kept");
    EXPECT_EQ(QPoint(wall.grid.Col(), wall.grid.Row()), QPoint(2, 2));
    EXPECT_EQ(wall.captions, 1);
    EXPECT_TRUE(wall.state.StopSlideshow);
}
