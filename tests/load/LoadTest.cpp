#include "image/ThumbnailCache.h"
#include "load/FolderScan.h"
#include "load/Loading.h"
#include "load/SingleCell.h"
#include "ui/ShownWindow.h"

#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFileInfo>

#include <dirent.h>
#include <dlfcn.h>

// While set, entries are listed as a file system that does not fill in
// their types (NFS, FUSE) lists them: the scan's readdir is this one.
static bool untypedEntries = false;

extern "C" dirent* readdir(DIR* dir)
{
    static const auto real = reinterpret_cast<dirent* (*)(DIR*)>(dlsym(RTLD_NEXT, "readdir"));
    dirent* entry = real(dir);
    if (entry && untypedEntries)
        entry->d_type = DT_UNKNOWN;
    return entry;
}

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
        return TestImages::write(root + '/' + name, bytes);
    }
    void run() { scan.FindFile(root, true, false, 0, 0); }
};

// Loading, Stop visible, Stop enabled, Slideshow enabled.
const QList<bool> Idle{false, false, false, true};

// A shown main window and a tree of five JPEGs (three on top, two in a
// subfolder) in a hidden folder, which the user may choose. Each repaint of
// the wall logs how many images it held.
struct LoadFixture : ShownWindow, QObject {
    const QString root = dir.filePath(".photos");
    QStringList paths;
    CellStore& cells = w.cells();
    QList<int> painted;

    LoadFixture()
    {
        for (const char* name : {"a.jpg", "B.jpg", "c.jpeg", "sub/d.jpg", "sub/e.JPG"})
            TestImages::write(paths.emplace_back(root + '/' + name), TestImages::jpeg(40, 30));
        vp->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted.append(int(cells.occupiedCount()));
        return false;
    }
    QList<bool> menus()
    {
        return {w.state().IsLoading, w.mnuStop->isVisible(), w.mnuStop->isEnabled(), w.mnuSlideshow->isEnabled()};
    }
};

} // namespace

TEST(
    FolderScan,
    PlacesReadableJpegsByColumnFilesFirstThenSubfoldersByNameWhateverTheListingSaysOfTypesTillTheGridIsFullOrTheLoadEnds)
{
    Scan s(3, 3);
    const QStringList expected{s.put(".x.jpg"), s.put("a.Jpeg", TestImages::jpeg(300, 200, 6)), s.put("B.jpg"),
                               s.put("PHOTO.JPG"), s.put("A/x.jpg"), s.put("A/deep/y.jpg"), s.put("b/z.jpg"),
                               s.root + "/b/zz-link.jpg"};
    for (const char* name : {"c.jpe", "d.jfif", "e.jpg.txt", ".hidden/h.jpg"})
        s.put(name);
    s.put("b0.jpg", "plain text");
    // Entries that cannot be examined, a link back up the tree and one to a photograph.
    for (const auto& [target, link] : {std::pair{"missing.jpg", "b-dangling.jpg"},
                                       {"c-self.jpg", "c-self.jpg"},
                                       {".", "b/loop"},
                                       {"B.jpg", "b/zz-link.jpg"}})
        ASSERT_TRUE(QFile::link(s.root + '/' + target, s.root + '/' + link));
    for (const bool untyped : {false, true}) {
        untypedEntries = untyped;
        s.cells.Clear();
        s.run();
        untypedEntries = false;
        EXPECT_EQ(ColumnPaths(s.cells), expected) << untyped;
        EXPECT_TRUE(!s.cells.CellPicture(2, 1).isNull() && s.state.ImageCount == 8 && !s.state.StopLoading);
    }
    s.state.GridCols = 2;  // one column less than the grid, so an overrun would show
    s.cells.Clear();  // as a fresh load does first
    s.run();
    EXPECT_TRUE(ColumnPaths(s.cells) == expected.mid(0, 6) && s.platform.messages.isEmpty());
    s.cells.Clear();
    s.platform.freeMemory = 100LL * 1024 * 1024;
    s.run();
    EXPECT_EQ(s.state.ImageCount, 1);
    ASSERT_EQ(
        s.platform.texts(),
        QStringList{"Out of memory. Please adjust the thumb quality settings from the options menu then try again."});
    EXPECT_TRUE(s.platform.messages[0].icon == MsgIcon::Exclamation && s.state.StopLoading && !s.state.LowMemory);
    // The four images on top fill it from (1, 0) and end at its right edge, before the subfolders.
    s.state.StopLoading = false;
    s.platform.freeMemory = 4LL << 30;
    s.cells.Clear();
    s.cells.setCols(2);
    for (const int r : {0, 1})
        s.cells.setImage(r, 0, QImage(4, 4, QImage::Format_RGB32), QString("/old/%1.jpg").arg(r));
    s.state.ImageCount = 2;
    s.scan.FindFile(s.root, true, true, 1, 0);
    EXPECT_EQ(ColumnPaths(s.cells), QStringList{"/old/0.jpg"} + expected.mid(0, 4));
    EXPECT_TRUE(s.state.ImageCount == 5 && s.platform.messages.size() == 1);  // (1, 0) replaced
    // Folders that are files by the time they are entered: the first one's report, and no folder after it.
    s.cells.Clear();
    inYield(1, [&] {
        for (const QString folder : {"A", "b"}) {
            QDir(s.root + '/' + folder).removeRecursively();
            s.put(folder, "now a file");
        }
    });
    s.run();
    EXPECT_TRUE(s.platform.texts().value(1).startsWith(
        "An error has occurred in form: frmMain and procedure: FindFile\n\n" + s.root + "/A (Pavisto)\nNumber: "));
    EXPECT_TRUE(s.state.StopLoading && s.cells.occupiedCount() == 4 && s.platform.messages.size() == 2);
}

TEST_F(
    LoadFixture,
    ALoadReplacesTheWallInTheSettingsSizeRefusesASecondOneMeanwhileNeedsAFolderThatCanBeListedAndAStopOrClosingKeepsWhatItPlaced)
{
    const QString missing = dir.filePath("missing");
    // After two loads: cancelled, not there, and a file: it passes the folder search but cannot be listed.
    platform.folderAnswers = {root, root, QString(), missing, paths[0]};
    inYield(2, [&] { w.mnuStop->trigger(); });
    w.mnuAddFiles->trigger();  // enables the slideshow, which the next load disables
    EXPECT_EQ(ColumnPaths(cells), paths.mid(0, 1));
    EXPECT_TRUE(painted.contains(1));  // the yield after the first image showed it
    EXPECT_TRUE(w.state().ImageCount == 1 && !w.state().StopLoading && menus() == Idle);
    grid.Select(7, 7);
    w.state().GridRows = 20;
    w.state().GridCols = 30;
    QList<bool> starting, during;
    inYield(1, [&] { starting = menus(); });
    inYield(2, [&] {
        during = menus();
        w.mnuAddFiles->trigger();  // refused: no folder dialog
    });
    w.mnuAddFiles->trigger();
    EXPECT_EQ(starting, (QList<bool>{true, true, false, false}));  // Stop shows before it can stop anything
    EXPECT_TRUE(during == (QList<bool>{true, true, true, false}) && menus() == Idle);
    EXPECT_EQ(platform.folderPrompts.size(), 2);
    EXPECT_EQ(ColumnPaths(cells), paths);
    EXPECT_TRUE(cells.Cols() == 30 && cells.Rows() == 20 && w.state().ImageCount == 5);
    EXPECT_TRUE(w.windowTitle().startsWith("Pavisto 1-1  " + paths[0] + "  [Zoom Level 0]   5 Images ["));
    EXPECT_EQ(disagreement(), "");  // the preview shows the current cell
    for (int i = 0; i < 3; ++i)
        w.mnuAddFiles->trigger();
    ASSERT_EQ(platform.messages.size(), 2);
    EXPECT_TRUE(platform.messages[0].text.contains("\n\n" + missing + "\n\n")
                && platform.messages[1].text.contains("\n\n" + paths[0] + "\n\n"));
    EXPECT_TRUE(platform.opened.size() == 2 && platform.opened[0].path().endsWith("/folder-access.html"));
    EXPECT_TRUE(ColumnPaths(cells) == paths && menus() == Idle);

    TestWall wall;
    platform.folderAnswers = {root};
    bool endedDuringLoad = true;
    inYield(2, [&] {
        wall.state.StopLoading = wall.state.IsClosing = true;
        wall.shown = false;
        endedDuringLoad = wall.ended;
    });
    mnuAddFiles_Click(wall.ctx);
    EXPECT_TRUE(wall.ended && !endedDuringLoad && wall.cells.occupiedCount() == 1u);
}

TEST(SingleCell, AddCountsOnlyACellWithoutAnImageAndRefreshMakesThePictureFromTheFileItself)
{
    FakePlatform platform;
    QTemporaryDir dir;
    ThumbnailCache cache(dir.filePath("thumbnails"));
    TestWall wall(3, 3, &cache);
    const QString jpeg = dir.filePath("a.jpg"), bitmap = dir.filePath("b.bmp");
    TestImages::write(jpeg, TestImages::jpeg(20, 10));
    ASSERT_TRUE(QImage(12, 8, QImage::Format_RGB32).save(bitmap, "BMP"));
    wall.cells.setCellText(1, 2, "label");
    wall.grid.Select(1, 2);
    platform.fileAnswers = {bitmap, jpeg, QString(), dir.filePath("gone.jpg")};
    mnuRightAddSingleFile_Click(wall.ctx);
    EXPECT_TRUE(wall.cells.CellData(1, 2) == bitmap && wall.cells.CellPicture(1, 2).size() == QSize(12, 8));
    EXPECT_TRUE(wall.cells.CellText(1, 2) == "label" && wall.state.ImageCount == 1 && wall.captions == 1);
    for (int i = 0; i < 3; ++i)  // replaces an existing file's image; cancelled and missing files change nothing
        mnuRightAddSingleFile_Click(wall.ctx);
    EXPECT_TRUE(wall.cells.CellData(1, 2) == jpeg && wall.state.ImageCount == 1 && wall.captions == 2);

    // Rewritten with its time kept, as cp -p, rsync -t and restores do: Refresh reads the file, whatever the cache
    // holds.
    const auto reload = [&](const QByteArray& bytes) {
        const QDateTime kept = QFileInfo(jpeg).lastModified();
        TestImages::write(jpeg, bytes);
        QFile file(jpeg);
        EXPECT_TRUE(file.open(QIODevice::ReadWrite) && file.setFileTime(kept, QFileDevice::FileModificationTime));
        mnuRightReload_Click(wall.ctx);
    };
    reload(TestImages::encode(TestImages::filled({800, 600}, Qt::green)));
    const auto isGreen = [](const QImage& picture) { return picture.pixelColor(4, 4).green() > 200; };
    EXPECT_TRUE(isGreen(wall.cells.CellPicture(1, 2).small()) && wall.state.StopSlideshow);
    EXPECT_TRUE(isGreen(wall.thumbnails.CellPicture(jpeg, false)->small()));  // the cache too, for the next load
    reload("not a picture");
    EXPECT_TRUE(wall.cells.CellPicture(1, 2).isNull() && wall.cells.CellData(1, 2) == jpeg && wall.captions == 2);
    reload(TestImages::jpeg(800, 600));  // fixed under its old time
    EXPECT_TRUE(!wall.cells.CellPicture(1, 2).isNull() && wall.thumbnails.MakeThumbnail(jpeg));
    // Gone: Refresh leaves no picture, and the cell still holds its image: it is replaced, not counted again.
    QFile::remove(jpeg);
    mnuRightReload_Click(wall.ctx);
    EXPECT_TRUE(wall.cells.CellPicture(1, 2).isNull() && wall.cells.CellData(1, 2) == jpeg);
    platform.fileAnswers = {bitmap, bitmap};  // the second for the add without a current cell
    mnuRightAddSingleFile_Click(wall.ctx);
    EXPECT_TRUE(wall.cells.CellData(1, 2) == bitmap && wall.state.ImageCount == 1 && platform.messages.isEmpty());
    wall.cells.setRows(0);  // no current cell: the standard report
    mnuRightAddSingleFile_Click(wall.ctx);
    EXPECT_TRUE(platform.texts().value(0).startsWith(
        "An error has occurred in form: frmMain and procedure: mnuRightAddSingleFile_Click (Pavisto)"));
}
