#include "image/DecodeAhead.h"
#include "load/FolderScan.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "support/TestWall.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <fstream>

namespace {
// A folder tree and a wall of rows x cols that a scan fills.
struct Scan : TestWall {
    QTemporaryDir dir;
    QString root = dir.path();
    FakePlatform platform;
    FolderScan scan{ctx};

    Scan(int rows, int cols) : TestWall(rows, cols) {}
    QString put(const QString& name, const QByteArray& bytes = TestImages::jpeg(40, 30))
    {
        TestImages::write(root + '/' + name, bytes);
        return root + '/' + name;
    }
    void run() { scan.FindFile(root, true, false, 0, 0); }
    QStringList wall() const { return byColumn(); }
};
} // namespace

TEST(FolderScan, FillsColumnByColumnFilesFirstThenSubfoldersByName)
{
    Scan s(3, 4);
    const QStringList expected{s.put("a.jpg"), s.put("B.jpg"), s.put("A/x.jpg"), s.put("A/deep/y.jpg"),
                               s.put("b/z.jpg")};
    s.run();
    EXPECT_EQ(s.wall(), expected);
    EXPECT_TRUE(s.cells.CellData(0, 1) == expected[3] && !s.cells.CellPicture(0, 1).isNull());
    EXPECT_TRUE(s.platform.messages.isEmpty());
    EXPECT_EQ(s.state.ImageCount, 5);
    EXPECT_EQ(s.titles.value(0), "Searching for files. 1 Images found. Please wait...   Available memory: 4.00 GB   "
                                     + s.root);
}

TEST(FolderScan, FullGridEndsTheLoadQuietlyAlsoFromAStartCell)
{
    Scan s(3, 3);  // one column more than the settings, so an overrun would show
    s.state.GridCols = 2;
    for (const char* name : {"1.jpg", "2.jpg", "3.jpg", "4.jpg", "a/5.jpg", "a/6.jpg", "b/7.jpg"})
        s.put(name);
    s.run();
    EXPECT_EQ(s.wall().size(), 6);

    Scan here(3, 2);
    for (int i = 0; i < 10; ++i)
        here.put(QString::number(i) + ".jpg");
    here.scan.FindFile(here.root, true, true, 1, 0);
    EXPECT_EQ(here.wall(), (QStringList{here.root + "/0.jpg", here.root + "/1.jpg", here.root + "/2.jpg",
                                        here.root + "/3.jpg"}));
    EXPECT_EQ(here.cells.CellData(2, 1), here.root + "/3.jpg");
    EXPECT_TRUE(s.platform.messages.isEmpty() && here.platform.messages.isEmpty());
}

TEST(FolderScan, PlacesReadableJpegsOnlyEndsInLinkLoopsAndIsTheSameWhenPrefetching)
{
    Scan s(10, 10);
    const QStringList expected{s.put(".x.jpg"), s.put("a.Jpeg", TestImages::jpeg(300, 200, 6)), s.put("b.jpg"),
                               s.put("f.jpg"), s.put("PHOTO.JPG", TestImages::jpeg(500, 300)), s.put("sub/s.jpg")};
    for (const char* name : {"c.jpe", "d.jfif", "e.jpg.txt", ".hidden/h.jpg"})
        s.put(name);
    s.put("a0.jpg", "");
    s.put("b0.jpg", "plain text");
    s.put("c0.jpg", TestImages::jpegClaiming(65535, 65535));
    s.put("d0.jpg", TestImages::jpegClaiming(30000, 30000));
    // A name that is not UTF-8 cannot be opened again under its decoded name.
    std::ofstream(QFile::encodeName(s.root).toStdString() + "/caf\xe9.jpg", std::ios::binary)
        << TestImages::jpeg(8, 8).toStdString();
    ASSERT_TRUE(QFile::link(s.root, s.root + "/sub/loop"));
    s.run();
    EXPECT_EQ(s.wall(), expected);

    Scan ahead(10, 10);  // decoding on two workers in front of the scan
    DecodeAhead workers(2);
    const UseReadyDecodes use(ahead.thumbnails, workers);
    FolderScan(ahead.ctx, &workers).FindFile(s.root, true, false, 0, 0);
    EXPECT_EQ(ahead.wall(), expected);
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(ahead.cells.CellPicture(row, 0), s.cells.CellPicture(row, 0)) << row;
    EXPECT_TRUE(s.platform.messages.isEmpty() && ahead.platform.messages.isEmpty());
}

TEST(FolderScan, StopRequestAndLowMemoryEndTheLoadAfterTheFirstImage)
{
    Scan s(10, 10);
    for (const char* name : {"1.jpg", "2.jpg", "sub/3.jpg"})
        s.put(name);
    QTimer::singleShot(0, [&] { s.state.StopLoading = true; });
    s.run();
    EXPECT_TRUE(s.cells.occupiedCount() == 1 && s.platform.messages.isEmpty());

    s.state.StopLoading = false;
    s.cells.Clear();  // as a fresh load does first
    s.platform.freeMemory = 100LL * 1024 * 1024;
    s.run();
    EXPECT_EQ(s.state.ImageCount, 1);
    ASSERT_EQ(s.platform.messages.size(), 1);
    EXPECT_EQ(s.platform.messages[0].text,
              "Out of memory. Please adjust the thumb quality settings from the options menu then try again.");
    EXPECT_EQ(s.platform.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(s.state.StopLoading && !s.state.LowMemory);
}

TEST(FolderScan, FolderThatCannotBeListedEndsTheLoadWithAReport)
{
    Scan s(10, 10);
    const QString sub = s.put("sub/a.jpg").chopped(6);
    s.put("zz/b.jpg");
    QTimer::singleShot(0, [&] {  // the yield just before "sub" is entered
        QDir(sub).removeRecursively();
        s.put("sub", "now a file");
    });
    s.run();
    ASSERT_EQ(s.platform.messages.size(), 1);
    EXPECT_TRUE(s.platform.messages[0].text.startsWith(
        "An error has occurred in form: frmMain and procedure: FindFile\n\n" + sub + " (Pavisto)\nNumber: "));
    EXPECT_TRUE(s.state.StopLoading && s.cells.occupiedCount() == 0);
}

TEST(FolderScan, EntriesThatCannotBeExaminedArePassedOverAndTheLoadGoesOn)
{
    Scan s(10, 10);
    const QStringList expected{s.put("a.jpg"), s.put("e.jpg"), s.put("sub/f.jpg")};
    QDir().mkpath(s.root + "/gone");
    ASSERT_TRUE(QFile::link(s.root + "/missing.jpg", s.root + "/b-dangling.jpg"));
    ASSERT_TRUE(QFile::link(s.root + "/c-self.jpg", s.root + "/c-self.jpg"));
    ASSERT_TRUE(QFile::link(s.root + "/gone", s.root + "/d-gone"));
    ASSERT_TRUE(QFile::link(s.root + "/nowhere", s.root + "/sub/0-dangling.jpg"));
    QDir(s.root + "/gone").removeRecursively();
    s.run();
    EXPECT_EQ(s.wall(), expected);
    EXPECT_TRUE(s.platform.messages.isEmpty());
    EXPECT_FALSE(s.state.StopLoading);
}

TEST(FolderScan, FromHereCountsEveryImageOfTheWallOnce)
{
    Scan s(4, 3);
    s.cells.setImage(0, 0, QImage(4, 4, QImage::Format_RGB32), "/old/a.jpg");
    s.cells.setImage(1, 0, QImage(4, 4, QImage::Format_RGB32), "/old/b.jpg");
    s.cells.setCellText(2, 0, "text only");
    s.state.ImageCount = 2;
    const QStringList added{s.put("1.jpg"), s.put("2.jpg")};
    s.scan.FindFile(s.root, true, true, 1, 0);
    EXPECT_EQ(s.wall(), (QStringList{"/old/a.jpg", added[0], added[1]}));
    EXPECT_EQ(s.state.ImageCount, 3);  // (1, 0) replaced, (2, 0) new
    EXPECT_TRUE(s.titles.value(1).startsWith("Searching for files. 2 Images found"));
}
