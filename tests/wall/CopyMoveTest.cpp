#include "shell/AppError.h"
#include "shell/MainModule.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "support/TestWall.h"
#include "wall/CopyMove.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>


namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Every entry of a folder, hidden ones too, as "name=content".
std::string entries(const QString& folder)
{
    QStringList seen;
    for (const QFileInfo& entry : QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                                             QDir::Name))
        seen.append(entry.fileName() + (entry.isFile() ? "=" + bytesOf(entry.filePath()) : ""));
    return seen.join(' ').toStdString();
}

const QImage Picture(4, 4, QImage::Format_Grayscale8);

// src holds a.jpg, b.jpg and sub/b.jpg, placed in cells (0, 0), (0, 1) and
// (1, 0) of a 4 x 4 wall; dst is an empty folder.
struct Folders {
    FakePlatform platform;
    QTemporaryDir dir;
    QString src = dir.filePath("src");
    QString dst = dir.filePath("dst");
    TestWall wall{4, 4};
    Folders()
    {
        TestImages::write(src + "/a.jpg", "A");
        TestImages::write(src + "/b.jpg", "B");
        TestImages::write(src + "/sub/b.jpg", "sub-B");
        QDir().mkpath(dst);
        wall.cells.setImage(0, 0, Picture, src + "/a.jpg");
        wall.cells.setImage(0, 1, Picture, src + "/b.jpg");
        wall.cells.setImage(1, 0, Picture, src + "/sub/b.jpg");
    }
    QString lastMessage() const { return platform.messages.isEmpty() ? QString() : platform.messages.last().text; }
};

} // namespace

TEST(CopyMove, CopyKeepsEveryFileUnderAFreeNameAndCountsWhatItCopied)
{
    Folders f;
    TestImages::write(f.dst + "/a.jpg", "older");
    TestImages::write(f.src + "/c.jpg", "C");
    f.wall.cells.setImage(1, 1, Picture, f.src + "/c.jpg");
    f.wall.cells.hideImage(1, 1);  // names no file
    f.wall.cells.setCellText(2, 0, "words");
    f.wall.cells.setImage(2, 1, Picture, f.src + "/gone.jpg");
    f.wall.cells.setImage(3, 0, Picture, f.src + "/b.jpg");  // the same file twice
    f.wall.grid.Select(0, 0, 3, 1);
    f.platform.folderAnswers = {f.dst};
    mnuRightSaveAs_Click(f.wall.ctx);
    EXPECT_EQ(f.platform.folderPrompts, QStringList{"Select Folder to copy selected file(s) to."});
    const AskedMessage told = f.platform.messages.value(0);
    EXPECT_TRUE(told.text == "3 files copied." && told.icon == MsgIcon::Information && told.title == AppTitle);
    EXPECT_EQ(entries(f.dst), "a (2).jpg=A a.jpg=older b (2).jpg=sub-B b.jpg=B");
    EXPECT_EQ(entries(f.src), "a.jpg=A b.jpg=B c.jpg=C sub");
    EXPECT_TRUE(f.wall.cells.CellText(2, 0) == "words" && !f.wall.state.StopSlideshow);
    // Each cell with a path is a step.
    EXPECT_EQ(f.platform.progressRuns, QStringList{"Copying files to " + f.dst + "//4"});
    EXPECT_TRUE(f.platform.progressSteps == (QList<int>{1, 2, 3, 4}) && f.platform.progressEnds == 1);

    // Into its own folder, a file gets a copy under a free name.
    f.wall.grid.Select(0, 0);
    f.platform.folderAnswers = {f.src + "/"};
    mnuRightSaveAs_Click(f.wall.ctx);
    EXPECT_EQ(f.lastMessage(), "1 files copied.");
    EXPECT_EQ(bytesOf(f.src + "/a (2).jpg"), "A");
}

TEST(CopyMove, MoveLeavesAFileInItsOwnFolderAndNeverReplacesOne)
{
    Folders f;
    TestImages::write(f.dst + "/b.jpg", "there");
    TestImages::write(f.dst + "/c.jpg", "C");
    f.wall.cells.setImage(1, 1, Picture, f.dst + "/c.jpg");
    f.wall.grid.Select(0, 0, 1, 1);
    f.platform.folderAnswers = {f.dst};
    mnuRightMove_Click(f.wall.ctx);
    EXPECT_EQ(f.platform.folderPrompts, QStringList{"Select Folder to move selected file(s) to."});
    EXPECT_EQ(f.lastMessage(), "4 files moved.");
    EXPECT_EQ(entries(f.dst), "a.jpg=A b (2).jpg=B b (3).jpg=sub-B b.jpg=there c.jpg=C");
    EXPECT_EQ(entries(f.src), "sub");
    // The cells keep their pictures and the paths they had.
    EXPECT_TRUE(f.wall.cells.CellData(0, 0) == f.src + "/a.jpg" && !f.wall.cells.CellPicture(0, 0).isNull());
    EXPECT_TRUE(f.wall.state.StopSlideshow);
}

TEST(CopyMove, MoveToAnotherFileSystemCopiesChecksThenRemoves)
{
    Folders f;
    QTemporaryDir other("/dev/shm/pavisto-test-XXXXXX");
    if (!other.isValid() || QStorageInfo(other.path()).device() == QStorageInfo(f.src).device())
        GTEST_SKIP() << "no second file system at /dev/shm";
    f.platform.folderAnswers = {other.path()};
    mnuRightMove_Click(f.wall.ctx);
    EXPECT_TRUE(f.lastMessage() == "1 files moved." && !QFile::exists(f.src + "/a.jpg"));
    EXPECT_EQ(entries(other.path()), "a.jpg=A");
}

TEST(CopyMove, CancelsUnusableFoldersFailuresAndEmptySelections)
{
    Folders f;
    // Its size reads as 0 but it holds text: a copy never matches it, on any
    // machine and for any user.
    f.wall.cells.setImage(0, 1, Picture, "/proc/self/status");
    f.wall.cells.setImage(0, 2, Picture, f.src + "/b.jpg");
    f.wall.grid.Select(0, 0, 0, 2);
    mnuRightMove_Click(f.wall.ctx);  // the dialog was cancelled
    EXPECT_TRUE(f.platform.messages.isEmpty() && f.platform.opened.isEmpty());
    for (const QString& unusable : {f.dir.filePath("missing"), f.src + "/a.jpg"}) {
        f.platform.folderAnswers = {unusable};
        mnuRightSaveAs_Click(f.wall.ctx);
        EXPECT_TRUE(f.lastMessage().startsWith("The folder selected is not accessible or access is denied.\n\n"
                                               + unusable + "\n\n"));
    }
    EXPECT_EQ(f.platform.opened.size(), 2);

    f.platform.folderAnswers = {f.dst};
    mnuRightMove_Click(f.wall.ctx);
    EXPECT_TRUE(f.lastMessage().startsWith(
        "An error has occurred in form: frmMain and procedure: mnuRightMove_Click (Pavisto)\nNumber: 75\n"));
    // Done up to the failure, nothing after it, no half copy left.
    EXPECT_EQ(entries(f.dst), "a.jpg=A");
    EXPECT_TRUE(QFile::exists(f.src + "/b.jpg") && f.platform.progressEnds == 1);

    // Cancel in the progress stops after the file in hand.
    f.wall.cells.setImage(0, 1, Picture, f.src + "/sub/b.jpg");
    f.wall.cells.setImage(0, 3, Picture, f.dst + "/a.jpg");
    f.wall.grid.Select(0, 1, 0, 3);
    f.platform.cancelAtStep = 2;
    f.platform.folderAnswers = {f.dst, f.dst};
    mnuRightSaveAs_Click(f.wall.ctx);
    EXPECT_EQ(f.lastMessage(), "2 files copied.");
    EXPECT_EQ(entries(f.dst), "a.jpg=A b (2).jpg=B b.jpg=sub-B");
    f.wall.grid.Select(3, 3);
    mnuRightSaveAs_Click(f.wall.ctx);
    EXPECT_EQ(f.lastMessage(), "0 files copied.");
}

TEST(CopyMove, FreeNamesAndAVerifiedCopyNeverReplaceAnything)
{
    QTemporaryDir dir;
    TestImages::write(dir.filePath("README"), "r");
    TestImages::write(dir.filePath("README (2)"), "r2");
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere"), dir.filePath("x.jpg")));  // a dangling link
    EXPECT_EQ(FreeFileName(dir.path(), "README"), dir.filePath("README (3)"));
    EXPECT_EQ(FreeFileName(dir.path() + "/", "x.jpg"), dir.filePath("x (2).jpg"));
    EXPECT_THROW(CopyFileVerified(dir.filePath("README (2)"), dir.filePath("README")), AppError);
    QFile::setPermissions(dir.filePath("README"), QFile::ReadOwner | QFile::ExeOwner);
    CopyFileVerified(dir.filePath("README"), dir.filePath("copy"));
    EXPECT_EQ(entries(dir.path()), "README=r README (2)=r2 copy=r x.jpg");
    const QFileInfo original(dir.filePath("README")), copy(dir.filePath("copy"));
    EXPECT_TRUE(copy.permissions() == original.permissions() && copy.lastModified() == original.lastModified());
}

TEST(Delete, AfterYesDeletesTheSelectedFilesAndEmptiesTheirCellsKeepingTexts)
{
    Folders f;
    f.wall.cells.setCellText(0, 0, "keep");
    f.wall.cells.setImage(1, 1, Picture, f.src + "/gone.jpg");
    f.wall.cells.hideImage(0, 1);
    f.wall.state.ImageCount = 4;
    f.wall.grid.Select(0, 0, 0, 1);
    f.platform.messageAnswers = {MsgAnswer::No};
    mnuRightDelete_Click(f.wall.ctx);
    ASSERT_EQ(f.platform.messages.size(), 1);
    const AskedMessage& asked = f.platform.messages[0];
    EXPECT_TRUE(asked.text == "Delete all selected files?" && asked.title == "Warning"
                && asked.icon == MsgIcon::Question && asked.buttons == MsgButtons::YesNo);
    EXPECT_TRUE(f.wall.state.StopSlideshow && f.wall.state.ImageCount == 4 && f.wall.cells.occupiedCount() == 4);

    f.wall.grid.Select(0, 0, 1, 1);
    mnuRightDelete_Click(f.wall.ctx);
    EXPECT_EQ(entries(f.src), "b.jpg=B sub");  // a hidden image names no file
    EXPECT_EQ(f.wall.state.ImageCount, 2);
    EXPECT_EQ(f.wall.cells.CellText(0, 0), "keep");
    EXPECT_TRUE(f.wall.cells.CellText(0, 1).isEmpty());  // its path is not left behind as a text
    EXPECT_EQ(f.wall.cells.occupiedCount(), 1u);
    EXPECT_TRUE(f.wall.captions == 1 && f.wall.previews == 1);

    // A file the file system keeps ends the command with the report.
    f.wall.cells.setImage(0, 0, Picture, "/proc/self/status");
    mnuRightDelete_Click(f.wall.ctx);
    EXPECT_TRUE(f.lastMessage().startsWith(
        "An error has occurred in form: frmMain and procedure: mnuRightDelete_Click (Pavisto)\nNumber: 75\n"));
    EXPECT_EQ(f.wall.cells.CellData(0, 0), "/proc/self/status");
}
