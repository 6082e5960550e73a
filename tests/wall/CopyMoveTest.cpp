#include "shell/AppError.h"
#include "shell/MainModule.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "support/TestWall.h"
#include "wall/CopyMove.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Every entry of a folder, hidden ones too, by name.
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QImage picture()
{
    return QImage(4, 4, QImage::Format_Grayscale8);
}

// A source folder with a.jpg and b.jpg, a subfolder with another b.jpg, and
// an empty target folder.
struct Folders {
    QTemporaryDir dir;
    QString src = dir.filePath("src");
    QString dst = dir.filePath("dst");
    Folders()
    {
        TestImages::write(src + "/a.jpg", "A");
        TestImages::write(src + "/b.jpg", "B-top");
        TestImages::write(src + "/sub/b.jpg", "B-sub");
        QDir().mkpath(dst);
    }
    // a.jpg, b.jpg and sub/b.jpg into cells (0, 0), (0, 1) and (1, 0).
    void place(TestWall& wall) const
    {
        wall.cells.setImage(0, 0, picture(), src + "/a.jpg");
        wall.cells.setImage(0, 1, picture(), src + "/b.jpg");
        wall.cells.setImage(1, 0, picture(), src + "/sub/b.jpg");
    }
};

} // namespace

TEST(CopyMove, CopyKeepsEveryFileUnderAFreeNameAndCountsWhatItCopied)
{
    FakePlatform platform;
    Folders f;
    TestWall wall(4, 4);
    TestImages::write(f.dst + "/a.jpg", "older");
    f.place(wall);
    wall.cells.setCellText(1, 1, "words");
    wall.cells.setImage(2, 0, picture(), f.src + "/gone.jpg");
    TestImages::write(f.src + "/c.jpg", "C");
    wall.cells.setImage(2, 1, picture(), f.src + "/c.jpg");
    wall.cells.hideImage(2, 1);
    wall.cells.setImage(3, 1, picture(), f.src + "/b.jpg");  // the same file twice
    wall.cells.setImage(3, 3, picture(), f.src + "/a.jpg");  // outside the selection
    wall.grid.Select(0, 0, 3, 1);
    platform.folderAnswers = {f.dst};
    mnuRightSaveAs_Click(wall.ctx);

    EXPECT_EQ(platform.folderPrompts, QStringList{"Select Folder to copy selected file(s) to."});
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages[0].text, "3 files copied.");
    EXPECT_TRUE(platform.messages[0].icon == MsgIcon::Information && platform.messages[0].title == AppTitle);
    EXPECT_EQ(entries(f.dst), (QStringList{"a (2).jpg", "a.jpg", "b (2).jpg", "b.jpg"}));
    EXPECT_EQ(bytesOf(f.dst + "/a.jpg"), "older");
    EXPECT_EQ(bytesOf(f.dst + "/a (2).jpg"), "A");
    EXPECT_EQ(bytesOf(f.dst + "/b.jpg"), "B-top");
    EXPECT_EQ(bytesOf(f.dst + "/b (2).jpg"), "B-sub");
    EXPECT_EQ(entries(f.src), (QStringList{"a.jpg", "b.jpg", "c.jpg", "sub"}));
    EXPECT_EQ(wall.cells.CellData(0, 0), f.src + "/a.jpg");
    EXPECT_EQ(wall.cells.CellText(1, 1), "words");
    EXPECT_FALSE(wall.state.StopSlideshow);
    // The cells with a path are the steps; the hidden image names no file.
    EXPECT_EQ(platform.progressRuns, QStringList{"Copying files to " + f.dst + "//4"});
    EXPECT_EQ(platform.progressSteps, (QList<int>{1, 2, 3, 4}));
    EXPECT_EQ(platform.progressEnds, 1);

    // Into its own folder, a file gets a copy under a free name.
    wall.grid.Select(0, 0);
    platform.folderAnswers = {f.src + "/"};
    mnuRightSaveAs_Click(wall.ctx);
    EXPECT_EQ(platform.messages.last().text, "1 files copied.");
    EXPECT_EQ(bytesOf(f.src + "/a (2).jpg"), "A");
}

TEST(CopyMove, MoveLeavesAFileInItsOwnFolderAndNeverReplacesOne)
{
    FakePlatform platform;
    Folders f;
    TestWall wall(4, 4);
    TestImages::write(f.dst + "/b.jpg", "B-there");
    TestImages::write(f.dst + "/c.jpg", "C-there");
    f.place(wall);
    wall.cells.setImage(1, 1, picture(), f.dst + "/c.jpg");
    wall.cells.setImage(2, 0, picture(), f.src + "/a.jpg");  // the same file twice
    wall.grid.Select(0, 0, 2, 1);
    platform.folderAnswers = {f.dst};
    mnuRightMove_Click(wall.ctx);

    EXPECT_EQ(platform.folderPrompts, QStringList{"Select Folder to move selected file(s) to."});
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages[0].text, "4 files moved.");
    EXPECT_TRUE(wall.state.StopSlideshow);
    EXPECT_EQ(entries(f.dst), (QStringList{"a.jpg", "b (2).jpg", "b (3).jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(bytesOf(f.dst + "/b.jpg"), "B-there");
    EXPECT_EQ(bytesOf(f.dst + "/b (2).jpg"), "B-top");
    EXPECT_EQ(bytesOf(f.dst + "/b (3).jpg"), "B-sub");
    EXPECT_EQ(bytesOf(f.dst + "/c.jpg"), "C-there");
    EXPECT_EQ(entries(f.src), QStringList{"sub"});
    EXPECT_TRUE(entries(f.src + "/sub").isEmpty());
    // The cells keep their pictures and the paths they had.
    EXPECT_TRUE(wall.cells.CellData(0, 0) == f.src + "/a.jpg" && !wall.cells.CellPicture(0, 0).isNull());
}

TEST(CopyMove, MoveToAnotherFileSystemCopiesChecksThenRemoves)
{
    FakePlatform platform;
    Folders f;
    QTemporaryDir other("/dev/shm/pavisto-test-XXXXXX");
    struct stat here {}, there {};
    if (!other.isValid() || ::stat(QFile::encodeName(f.src).constData(), &here) != 0
        || ::stat(QFile::encodeName(other.path()).constData(), &there) != 0 || here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system at /dev/shm";
    TestWall wall(2, 2);
    wall.cells.setImage(0, 0, picture(), f.src + "/a.jpg");
    platform.folderAnswers = {other.path()};
    mnuRightMove_Click(wall.ctx);
    EXPECT_EQ(platform.messages.value(0).text, "1 files moved.");
    EXPECT_EQ(entries(other.path()), QStringList{"a.jpg"});
    EXPECT_EQ(bytesOf(other.path() + "/a.jpg"), "A");
    EXPECT_FALSE(QFile::exists(f.src + "/a.jpg"));
}

TEST(CopyMove, CancelledDialogUnusableFolderFailedCopyAndCancelledProgress)
{
    FakePlatform platform;
    Folders f;
    TestWall wall(2, 4);
    wall.cells.setImage(0, 0, picture(), f.src + "/a.jpg");
    // A file whose size reads as 0 but that holds text: its copy never
    // matches, on any machine and for any user.
    wall.cells.setImage(0, 1, picture(), "/proc/self/status");
    wall.cells.setImage(0, 2, picture(), f.src + "/b.jpg");
    wall.grid.Select(0, 0, 0, 2);

    mnuRightMove_Click(wall.ctx);  // the dialog was cancelled
    EXPECT_TRUE(platform.messages.isEmpty() && platform.opened.isEmpty());

    for (const QString& unusable : {f.dir.filePath("missing"), f.src + "/a.jpg"}) {
        platform.folderAnswers = {unusable};
        mnuRightSaveAs_Click(wall.ctx);
        EXPECT_TRUE(platform.messages.last().text.startsWith(
            "The folder selected is not accessible or access is denied.\n\n" + unusable + "\n\n"));
    }
    EXPECT_EQ(platform.opened.size(), 2);

    platform.messages.clear();
    platform.folderAnswers = {f.dst, f.dst};
    mnuRightMove_Click(wall.ctx);
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].text.startsWith(
        "An error has occurred in form: frmMain and procedure: mnuRightMove_Click (Pavisto)\nNumber: 75\n"));
    // What came before the failure is done, nothing after it; no half copy.
    EXPECT_EQ(entries(f.dst), QStringList{"a.jpg"});
    EXPECT_TRUE(QFile::exists(f.src + "/b.jpg"));
    EXPECT_EQ(platform.progressEnds, platform.progressRuns.size());

    // Cancel in the progress stops after the file in hand.
    wall.cells.setImage(0, 1, picture(), f.src + "/sub/b.jpg");
    wall.cells.setImage(0, 3, picture(), f.dst + "/a.jpg");
    wall.grid.Select(0, 1, 0, 3);
    platform.messages.clear();
    platform.cancelAtStep = 2;
    mnuRightSaveAs_Click(wall.ctx);
    EXPECT_EQ(platform.messages.value(0).text, "2 files copied.");
    EXPECT_EQ(entries(f.dst), (QStringList{"a.jpg", "b (2).jpg", "b.jpg"}));
    EXPECT_EQ(bytesOf(f.dst + "/b.jpg"), "B-sub");
}

TEST(CopyMove, EmptySelectionCountsNothing)
{
    FakePlatform platform;
    Folders f;
    TestWall wall(2, 2);
    platform.folderAnswers = {f.dst, f.dst};
    mnuRightSaveAs_Click(wall.ctx);
    mnuRightMove_Click(wall.ctx);
    ASSERT_EQ(platform.messages.size(), 2);
    EXPECT_EQ(platform.messages[0].text, "0 files copied.");
    EXPECT_EQ(platform.messages[1].text, "0 files moved.");
    EXPECT_TRUE(entries(f.dst).isEmpty());
}

TEST(CopyMove, FreeNamesAndAVerifiedCopyNeverReplaceAnything)
{
    QTemporaryDir dir;
    TestImages::write(dir.filePath("README"), "r");
    TestImages::write(dir.filePath("README (2)"), "r2");
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere"), dir.filePath("x.jpg")));  // a dangling link
    EXPECT_EQ(FreeFileName(dir.path(), "README"), dir.filePath("README (3)"));
    EXPECT_EQ(FreeFileName(dir.path() + "/", "x.jpg"), dir.filePath("x (2).jpg"));
    EXPECT_EQ(FreeFileName(dir.path(), "new.jpg"), dir.filePath("new.jpg"));

    EXPECT_THROW(CopyFileVerified(dir.filePath("README (2)"), dir.filePath("README")), AppError);
    EXPECT_THROW(CopyFileVerified(dir.filePath("missing"), dir.filePath("copy")), AppError);
    EXPECT_EQ(bytesOf(dir.filePath("README")), "r");
    EXPECT_EQ(entries(dir.path()), (QStringList{"README", "README (2)", "x.jpg"}));
    QFile::setPermissions(dir.filePath("README"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    CopyFileVerified(dir.filePath("README"), dir.filePath("sub-copy"));
    EXPECT_EQ(bytesOf(dir.filePath("sub-copy")), "r");
    EXPECT_EQ(QFileInfo(dir.filePath("sub-copy")).permissions(), QFileInfo(dir.filePath("README")).permissions());
    EXPECT_EQ(QFileInfo(dir.filePath("sub-copy")).lastModified(), QFileInfo(dir.filePath("README")).lastModified());
}

TEST(CopyMove, TheRealProgressStaysOutOfSightForTheFirstSecond)
{
    Progress& progress = Platform::progress();
    progress.begin(nullptr, "Copying", 3);
    EXPECT_FALSE(progress.advance(1));
    EXPECT_FALSE(progress.advance(2));
    bool shown = false;
    for (QWidget* window : QApplication::topLevelWidgets())
        shown = shown || qobject_cast<QProgressDialog*>(window);
    progress.end();
    EXPECT_FALSE(shown);
}

TEST(Delete, AfterYesDeletesTheSelectedFilesAndEmptiesTheirCellsKeepingTexts)
{
    FakePlatform platform;
    Folders f;
    TestWall wall(3, 3);
    wall.cells.setImage(0, 0, picture(), f.src + "/a.jpg");
    wall.cells.setCellText(0, 0, "keep");
    wall.cells.setCellText(0, 1, "words");
    wall.cells.setImage(1, 0, picture(), f.src + "/b.jpg");
    wall.cells.hideImage(1, 0);
    wall.cells.setImage(1, 1, picture(), f.src + "/gone.jpg");
    wall.cells.setImage(2, 2, picture(), f.src + "/sub/b.jpg");  // not selected
    wall.state.ImageCount = 4;
    wall.grid.Select(0, 0, 1, 1);
    platform.messageAnswers = {MsgAnswer::No};
    mnuRightDelete_Click(wall.ctx);
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages[0].text, "Delete all selected files?");
    EXPECT_TRUE(platform.messages[0].title == "Warning" && platform.messages[0].icon == MsgIcon::Question
                && platform.messages[0].buttons == MsgButtons::YesNo);
    EXPECT_TRUE(wall.state.StopSlideshow && wall.state.ImageCount == 4 && wall.captions == 0);
    EXPECT_EQ(wall.cells.occupiedCount(), 5u);
    EXPECT_EQ(entries(f.src).size(), 3);

    mnuRightDelete_Click(wall.ctx);
    EXPECT_EQ(entries(f.src), (QStringList{"b.jpg", "sub"}));  // a hidden image names no file
    EXPECT_EQ(wall.state.ImageCount, 3);
    EXPECT_TRUE(wall.cells.CellText(0, 0) == "keep" && wall.cells.CellText(0, 1) == "words");
    for (auto [r, c] : {std::pair{0, 0}, {1, 0}, {1, 1}})
        EXPECT_TRUE(!wall.cells.holdsImage(r, c) && wall.cells.CellPicture(r, c).isNull()) << r << c;
    EXPECT_TRUE(wall.cells.CellText(1, 0).isEmpty());  // its path is not left behind as a text
    EXPECT_TRUE(wall.cells.holdsImage(2, 2));
    EXPECT_TRUE(wall.captions == 1 && wall.previews == 1 && platform.messages.size() == 2);

    // A file the file system keeps ends the command with the report.
    wall.cells.setImage(0, 0, picture(), "/proc/self/status");
    wall.grid.Select(0, 0);
    mnuRightDelete_Click(wall.ctx);
    EXPECT_TRUE(platform.messages.last().text.startsWith(
        "An error has occurred in form: frmMain and procedure: mnuRightDelete_Click (Pavisto)\nNumber: 75\n"));
    EXPECT_EQ(wall.cells.CellData(0, 0), "/proc/self/status");
}
