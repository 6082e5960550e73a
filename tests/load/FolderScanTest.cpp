#include "load/FolderScan.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "support/TestWall.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <dirent.h>

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
};
} // namespace

TEST(FolderScan, PlacesReadableJpegsByColumnFilesFirstThenSubfoldersByNamePassingOverTheRest)
{
    Scan s(10, 10);
    const QStringList expected{s.put(".x.jpg"), s.put("a.Jpeg", TestImages::jpeg(300, 200, 6)), s.put("B.jpg"),
                               s.put("PHOTO.JPG"), s.put("A/x.jpg"), s.put("A/deep/y.jpg"), s.put("b/z.jpg")};
    for (const char* name : {"c.jpe", "d.jfif", "e.jpg.txt", ".hidden/h.jpg"})
        s.put(name);
    s.put("b0.jpg", "plain text");
    // Entries that cannot be examined and a link back up the tree.
    for (const auto& [target, link] :
         {std::pair{"missing.jpg", "b-dangling.jpg"}, {"c-self.jpg", "c-self.jpg"}, {".", "b/loop"}})
        ASSERT_TRUE(QFile::link(s.root + '/' + target, s.root + '/' + link));
    s.run();
    EXPECT_EQ(ColumnPaths(s.cells), expected);
    EXPECT_TRUE(!s.cells.CellPicture(5, 0).isNull() && s.state.ImageCount == 7 && !s.state.StopLoading);
    EXPECT_TRUE(s.platform.messages.isEmpty());
    // Where the file system gives no entry types, each is what stat finds.
    for (const auto& [name, kind] : {std::pair{"B.jpg", EntryKind::File}, {"A", EntryKind::Folder},
                                     {"b/loop", EntryKind::Folder}, {"b-dangling.jpg", EntryKind::Other}})
        EXPECT_EQ(KindOfEntry(QFile::encodeName(s.root + '/' + name), DT_UNKNOWN), kind) << name;
    EXPECT_EQ(s.titles.value(0), "Searching for files. 1 Images found. Please wait...   Available memory: 4.00 GB   "
                                     + s.root);
}

TEST(FolderScan, AFullGridEndsTheLoadQuietlyAndFromHereFillsDownFromItsCellCountingEachImageOnce)
{
    Scan s(3, 3);  // one column more than the settings, so an overrun would show
    s.state.GridCols = 2;
    for (const char* name : {"1.jpg", "2.jpg", "3.jpg", "4.jpg", "a/5.jpg", "a/6.jpg", "b/7.jpg"})
        s.put(name);
    s.run();
    EXPECT_EQ(ColumnPaths(s.cells).size(), 6);

    Scan here(3, 2);
    here.cells.setImage(0, 0, QImage(4, 4, QImage::Format_RGB32), "/old/a.jpg");
    here.cells.setImage(1, 0, QImage(4, 4, QImage::Format_RGB32), "/old/b.jpg");
    here.state.ImageCount = 2;
    here.scan.FindFile(s.root, true, true, 1, 0);
    EXPECT_EQ(ColumnPaths(here.cells), (QStringList{"/old/a.jpg", s.root + "/1.jpg", s.root + "/2.jpg",
                                                    s.root + "/3.jpg", s.root + "/4.jpg"}));
    EXPECT_EQ(here.state.ImageCount, 5);  // (1, 0) replaced
    EXPECT_TRUE(here.titles.value(1).startsWith("Searching for files. 2 Images found"));
    EXPECT_TRUE(s.platform.messages.isEmpty() && here.platform.messages.isEmpty());
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
    EXPECT_EQ(s.platform.texts(), QStringList{"Out of memory. Please adjust the thumb quality settings from the "
                                              "options menu then try again."});
    EXPECT_TRUE(s.platform.messages[0].icon == MsgIcon::Exclamation && s.state.StopLoading && !s.state.LowMemory);
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
    EXPECT_TRUE(s.platform.texts().value(0).startsWith(
        "An error has occurred in form: frmMain and procedure: FindFile\n\n" + sub + " (Pavisto)\nNumber: "));
    EXPECT_TRUE(s.state.StopLoading && s.cells.occupiedCount() == 0 && s.platform.messages.size() == 1);
}
