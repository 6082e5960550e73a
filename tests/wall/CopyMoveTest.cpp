#include "WallFixture.h"
#include "shell/AppError.h"
#include "shell/MainModule.h"
#include "wall/CopyMove.h"

#include <QDir>
#include <QStorageInfo>

namespace {

// Every entry of a folder, hidden ones too, as "name=content".
std::string entries(const QString& folder)
{
    QStringList seen;
    for (const QFileInfo& entry : QDir(folder).entryInfoList(
             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
        seen.append(entry.fileName() + (entry.isFile() ? "=" + TestImages::read(entry.filePath()) : ""));
    return seen.join(' ').toStdString();
}

// src holds a.jpg, b.jpg and sub/b.jpg, placed in cells (0, 0), (0, 1) and
// (1, 0); dst is an empty folder.
struct Files : WallFixture {
    QString src = dir.filePath("src");
    QString dst = dir.filePath("dst");
    Files()
    {
        place(0, 0, write("src/a.jpg", "A"));
        place(0, 1, write("src/b.jpg", "B"));
        place(1, 0, write("src/sub/b.jpg", "sub-B"));
        QDir().mkpath(dst);
    }
    QString lastMessage() const { return platform.texts().value(platform.messages.size() - 1); }
};

} // namespace

TEST_F(Files, CopyKeepsEveryFileUnderAFreeNameAndCountsWhatItCopied)
{
    write("dst/a.jpg", "older");
    place(1, 1, write("src/c.jpg", "C"));
    wall.cells.hideImage(1, 1);  // names no file
    wall.cells.setCellText(2, 0, "words");
    place(2, 1, src + "/gone.jpg");
    place(3, 0, src + "/b.jpg");  // the same file twice
    wall.grid.Select(0, 0, 3, 1);
    platform.folderAnswers = {dst};
    mnuRightSaveAs_Click(wall.ctx);
    EXPECT_EQ(platform.folderPrompts, QStringList{"Select Folder to copy selected file(s) to."});
    const AskedMessage told = platform.messages.value(0);
    EXPECT_TRUE(told.text == "3 files copied." && told.icon == MsgIcon::Information && told.title == AppTitle);
    EXPECT_EQ(entries(dst), "a (2).jpg=A a.jpg=older b (2).jpg=sub-B b.jpg=B");
    EXPECT_EQ(entries(src), "a.jpg=A b.jpg=B c.jpg=C sub");
    EXPECT_TRUE(wall.cells.CellText(2, 0) == "words" && !wall.state.StopSlideshow);
    // Each cell with a path is a step.
    EXPECT_EQ(platform.progressRuns, QStringList{"Copying files to " + dst + "//4"});
    EXPECT_TRUE(platform.progressSteps == (QList<int>{1, 2, 3, 4}) && platform.progressEnds == 1);

    // Into its own folder, a file gets a copy under a free name.
    wall.grid.Select(0, 0);
    platform.folderAnswers = {src + "/"};
    mnuRightSaveAs_Click(wall.ctx);
    EXPECT_TRUE(lastMessage() == "1 files copied." && TestImages::read(src + "/a (2).jpg") == "A");
}

TEST_F(Files, MoveLeavesAFileInItsOwnFolderNeverReplacesOneAndCrossesFileSystems)
{
    write("dst/b.jpg", "there");
    place(1, 1, write("dst/c.jpg", "C"));
    wall.grid.Select(0, 0, 1, 1);
    platform.folderAnswers = {dst};
    mnuRightMove_Click(wall.ctx);
    EXPECT_EQ(platform.folderPrompts, QStringList{"Select Folder to move selected file(s) to."});
    EXPECT_EQ(lastMessage(), "4 files moved.");
    EXPECT_EQ(entries(dst), "a.jpg=A b (2).jpg=B b (3).jpg=sub-B b.jpg=there c.jpg=C");
    EXPECT_EQ(entries(src), "sub");
    // The cells keep their pictures and the paths they had.
    EXPECT_TRUE(wall.cells.CellData(0, 0) == src + "/a.jpg" && !wall.cells.CellPicture(0, 0).isNull());
    EXPECT_TRUE(wall.state.StopSlideshow);

    // To another file system: copied, checked, then removed.
    QTemporaryDir other("/dev/shm/pavisto-test-XXXXXX");
    if (!other.isValid() || QStorageInfo(other.path()).device() == QStorageInfo(dst).device())
        GTEST_SKIP() << "no second file system at /dev/shm";
    place(0, 0, dst + "/a.jpg");
    wall.grid.Select(0, 0);
    platform.folderAnswers = {other.path()};
    mnuRightMove_Click(wall.ctx);
    EXPECT_TRUE(lastMessage() == "1 files moved." && !QFile::exists(dst + "/a.jpg"));
    EXPECT_EQ(entries(other.path()), "a.jpg=A");
}

TEST_F(Files, CancelsUnusableFoldersFailuresAndEmptySelections)
{
    // Its size reads as 0 but it holds text: a copy never matches it, on any
    // machine and for any user.
    place(0, 1, "/proc/self/status");
    place(0, 2, src + "/b.jpg");
    wall.grid.Select(0, 0, 0, 2);
    mnuRightMove_Click(wall.ctx);  // the dialog was cancelled
    EXPECT_TRUE(platform.messages.isEmpty() && platform.opened.isEmpty());
    for (const QString& unusable : {dir.filePath("missing"), src + "/a.jpg"}) {
        platform.folderAnswers = {unusable};
        mnuRightSaveAs_Click(wall.ctx);
        EXPECT_TRUE(lastMessage().startsWith("The folder selected is not accessible or access is denied.\n\n"
                                             + unusable + "\n\n"));
    }
    EXPECT_EQ(platform.opened.size(), 2);

    platform.folderAnswers = {dst};
    mnuRightMove_Click(wall.ctx);
    EXPECT_TRUE(lastMessage().startsWith(
        "An error has occurred in form: frmMain and procedure: mnuRightMove_Click (Pavisto)\nNumber: 75\n"));
    // Done up to the failure, nothing after it, no half copy left.
    EXPECT_EQ(entries(dst), "a.jpg=A");
    EXPECT_TRUE(QFile::exists(src + "/b.jpg") && platform.progressEnds == 1);

    // Cancel in the progress stops after the file in hand.
    place(0, 1, src + "/sub/b.jpg");
    place(0, 3, dst + "/a.jpg");
    wall.grid.Select(0, 1, 0, 3);
    platform.cancelAtStep = 2;
    platform.folderAnswers = {dst, dst};
    mnuRightSaveAs_Click(wall.ctx);
    EXPECT_EQ(lastMessage(), "2 files copied.");
    EXPECT_EQ(entries(dst), "a.jpg=A b (2).jpg=B b.jpg=sub-B");
    wall.grid.Select(3, 3);
    mnuRightSaveAs_Click(wall.ctx);
    EXPECT_EQ(lastMessage(), "0 files copied.");
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

TEST_F(Files, DeleteAfterYesDeletesTheSelectedFilesAndEmptiesTheirCellsKeepingTexts)
{
    wall.cells.setCellText(0, 0, "keep");
    place(1, 1, src + "/gone.jpg");
    wall.cells.hideImage(0, 1);
    wall.state.ImageCount = 4;
    wall.grid.Select(0, 0, 0, 1);
    platform.messageAnswers = {MsgAnswer::No};
    mnuRightDelete_Click(wall.ctx);
    ASSERT_EQ(platform.messages.size(), 1);
    const AskedMessage& question = platform.messages[0];
    EXPECT_TRUE(question.text == "Delete all selected files?" && question.title == "Warning"
                && question.icon == MsgIcon::Question && question.buttons == MsgButtons::YesNo);
    EXPECT_TRUE(wall.state.StopSlideshow && wall.state.ImageCount == 4 && wall.cells.occupiedCount() == 4);

    wall.grid.Select(0, 0, 1, 1);
    mnuRightDelete_Click(wall.ctx);
    EXPECT_EQ(entries(src), "b.jpg=B sub");  // a hidden image names no file
    EXPECT_EQ(wall.state.ImageCount, 2);
    EXPECT_EQ(wall.cells.CellText(0, 0), "keep");
    EXPECT_TRUE(wall.cells.CellText(0, 1).isEmpty());  // its path is not left behind as a text
    EXPECT_EQ(wall.cells.occupiedCount(), 1u);
    EXPECT_TRUE(wall.captions == 1 && wall.previews == 1);

    // A file the file system keeps ends the command with the report.
    place(0, 0, "/proc/self/status");
    mnuRightDelete_Click(wall.ctx);
    EXPECT_TRUE(lastMessage().startsWith(
        "An error has occurred in form: frmMain and procedure: mnuRightDelete_Click (Pavisto)\nNumber: 75\n"));
    EXPECT_EQ(wall.cells.CellData(0, 0), "/proc/self/status");
}
