#include "grid/CellStore.h"
#include "grid/FolderScan.h"
#include "grid/ThumbnailPrefetcher.h"
#include "shell/MainState.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <fstream>

namespace {
// A folder tree and a wall of rows x cols that a scan fills.
struct Scan {
    QTemporaryDir dir;
    QString root = dir.path();
    FakePlatform platform;
    MainState state;
    CellStore cells;
    Thumbnailer thumbs{state};
    QStringList titles;
    FolderScan scan{state, cells, thumbs, [this](const QString& t) { titles.append(t); }};

    Scan(int rows, int cols) : cells(rows, cols) { state.GridRows = rows; state.GridCols = cols; }
    QString put(const QString& name, const QByteArray& bytes = TestImages::jpeg(40, 30))
    {
        TestImages::write(root + '/' + name, bytes);
        return root + '/' + name;
    }
    void run() { scan.FindFile(root, true, false, 0, 0); }
    QStringList wall() const  // the placed paths column by column
    {
        QStringList paths;
        for (int c = 0; c < cells.Cols(); ++c)
            for (int r = 0; r < cells.Rows(); ++r)
                paths.append(cells.CellData(r, c));
        paths.removeAll(QString());
        return paths;
    }
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
    ThumbnailPrefetcher prefetcher(2);
    ahead.root = s.root;
    ahead.scan.setPrefetcher(&prefetcher);
    ahead.thumbs.setPrefetcher(&prefetcher);
    ahead.run();
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
