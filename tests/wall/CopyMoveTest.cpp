#include "WallFixture.h"
#include "shell/AppError.h"
#include "shell/MainModule.h"
#include "shell/FileNames.h"
#include "wall/CopyMove.h"
#include "wall/FileOperations.h"

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>
#include <QStorageInfo>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

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
// (1, 0); dst is an empty folder, hidden, as a user may choose one.
struct Files : WallFixture {
    QString src = dir.filePath("src");
    QString dst = dir.filePath(".dst");
    Files()
    {
        place(0, 0, write("src/a.jpg", "A"));
        place(0, 1, write("src/b.jpg", "B"));
        place(1, 0, write("src/sub/b.jpg", "sub-B"));
        QDir().mkpath(dst);
    }
};

// Sets or clears a file's immutable flag; false where the file system or
// the user may not.
bool immutable(const QString& path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
}

} // namespace

TEST_F(Files, CopyKeepsEveryFileUnderAFreeNameCountsWhatItCopiedAndStopsOnCancel)
{
    wall.cells.setCellText(2, 0, "words");
    place(2, 1, src + "/gone.jpg");
    place(3, 0, src + "/b.jpg");  // the same file twice
    place(3, 1, write(".dst/a.jpg", "older"));  // copied into its own folder too
    wall.grid.Select(0, 0, 3, 1);
    mnuRightSaveAs_Click(wall.ctx);  // the dialog was cancelled
    platform.folderAnswers = {src + "/a.jpg", dst};  // no folder, then one
    mnuRightSaveAs_Click(wall.ctx);
    EXPECT_TRUE(platform.texts().value(0).startsWith(
        "The folder selected is not accessible or access is denied.\n\n" + src + "/a.jpg\n\n"));
    mnuRightSaveAs_Click(wall.ctx);
    EXPECT_EQ(platform.folderPrompts, QStringList(3, "Select Folder to copy selected file(s) to."));
    const AskedMessage told = platform.messages.value(1);
    EXPECT_TRUE(told.text == "4 files copied." && told.icon == MsgIcon::Information && told.title == AppTitle);
    EXPECT_EQ(entries(dst), "a (2).jpg=A a (3).jpg=older a.jpg=older b (2).jpg=sub-B b.jpg=B");
    // Each cell with a path is a step.
    EXPECT_EQ(platform.progressRuns, QStringList{"Copying files to " + dst + "//5"});

    // Cancel in the progress stops after the file in hand.
    platform.cancelAtStep = 1;
    platform.folderAnswers = {dst};
    mnuRightSaveAs_Click(wall.ctx);
    EXPECT_EQ(lastMessage(), "1 files copied.");
}

TEST_F(Files, MoveLeavesAFileInItsOwnFolderNeverReplacesOneStopsAtAFailureAndCrossesFileSystems)
{
    write(".dst/b.jpg", "there");
    place(1, 1, write(".dst/c.jpg", "C"));
    place(5, 5, src + "/a.jpg");  // outside the selection, the same file
    wall.cells.hideImage(5, 5);
    wall.grid.Select(0, 0, 1, 1);
    platform.folderAnswers = {dst, dst};
    mnuRightMove_Click(wall.ctx);
    EXPECT_EQ(platform.folderPrompts, QStringList{"Select Folder to move selected file(s) to."});
    EXPECT_EQ(lastMessage(), "3 files moved.\n\n1 already in that folder: left where they were.");
    const std::string moved = "a.jpg=A b (2).jpg=B b (3).jpg=sub-B b.jpg=there c.jpg=C";
    EXPECT_EQ(entries(dst), moved);
    EXPECT_EQ(entries(src), "sub");
    // The cells follow their files, hidden ones too, so a save keeps them.
    EXPECT_EQ(ColumnPaths(wall.cells), (QStringList{dst + "/a.jpg", dst + "/b (3).jpg", dst + "/b (2).jpg",
                                                    dst + "/c.jpg"}));
    wall.cells.showImage(5, 5);
    EXPECT_TRUE(wall.state.StopSlideshow && wall.cells.CellData(5, 5) == dst + "/a.jpg");

    // Its size reads as 0 but it holds text: a copy never matches it, on any
    // machine and for any user.
    place(0, 1, "/proc/self/status");
    place(0, 2, write("src/d.jpg", "D"));
    wall.grid.Select(0, 1, 0, 2);
    mnuRightMove_Click(wall.ctx);
    // Nothing after the failure, no half copy left, and what was done told.
    EXPECT_TRUE(platform.texts().value(platform.messages.size() - 2).contains("mnuRightMove_Click (Pavisto)\nNumber: 75"));
    EXPECT_TRUE(lastMessage() == "0 files moved." && QFile::exists(src + "/d.jpg") && platform.progressEnds == 2);
    EXPECT_EQ(entries(dst), moved);
    // A rename refused on the same file system makes no copy.
    ::chmod(QFile::encodeName(src).constData(), 0555);  // refuses all but root, whom only a locked file stops
    const bool locked = ::geteuid() != 0 || immutable(src + "/d.jpg", true);
    wall.grid.Select(0, 2);
    platform.folderAnswers = {dst};
    mnuRightMove_Click(wall.ctx);
    immutable(src + "/d.jpg", false), ::chmod(QFile::encodeName(src).constData(), 0755);
    EXPECT_TRUE(!locked || (lastMessage() == "0 files moved." && QFile::exists(src + "/d.jpg")));
    EXPECT_EQ(entries(dst), moved);

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

TEST(CopyMove, FreeNamesAndAVerifiedCopyNeverReplaceAnything)
{
    QTemporaryDir dir;
    TestImages::write(dir.filePath("README"), "r");
    QFile readme(dir.filePath("README"));  // changed long ago
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly)
                && readme.setFileTime(QDateTime::fromSecsSinceEpoch(1'000'000'000), QFileDevice::FileModificationTime));
    TestImages::write(dir.filePath("README (2)"), "r2");
    TestImages::write(dir.filePath(".x.jpg"), "x");
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere"), dir.filePath("x.jpg")));  // a dangling link
    EXPECT_EQ(FreeFileName(dir.path(), "README"), dir.filePath("README (3)"));
    EXPECT_EQ(FreeFileName(dir.path() + "/", "x.jpg"), dir.filePath("x (2).jpg"));
    EXPECT_EQ(FreeFileName(dir.path(), ".x.jpg"), dir.filePath(".x (2).jpg"));
    EXPECT_THROW(CopyFileVerified(dir.filePath("README (2)"), dir.filePath("README")), AppError);
    QFile::setPermissions(dir.filePath("README"), QFile::ReadOwner | QFile::ExeOwner);
    CopyFileVerified(dir.filePath("README"), dir.filePath("copy"));
    EXPECT_EQ(entries(dir.path()), ".x.jpg=x README=r README (2)=r2 copy=r x.jpg");
    const QFileInfo original(dir.filePath("README")), copy(dir.filePath("copy"));
    EXPECT_TRUE(copy.permissions() == original.permissions() && copy.lastModified() == original.lastModified());
}

TEST_F(Files, DeleteAfterYesTrashesTheSelectedFilesAndEmptiesTheirCellsKeepingTexts)
{
    wall.cells.setCellText(0, 0, "keep");
    place(1, 1, src + "/gone.jpg");
    wall.cells.hideImage(0, 1);  // names no file
    wall.state.ImageCount = 4;
    wall.grid.Select(0, 0, 1, 1);
    platform.messageAnswers = {MsgAnswer::No};
    mnuRightDelete_Click(wall.ctx);
    const AskedMessage question = platform.messages.value(0);
    EXPECT_TRUE(question.text == "Delete all selected files?" && question.title == "Warning"
                && question.icon == MsgIcon::Question && question.buttons == MsgButtons::YesNo);
    EXPECT_TRUE(wall.state.StopSlideshow && wall.state.ImageCount == 4 && wall.cells.occupiedCount() == 4);

    // Two files of one name, and one whose name is not UTF-8.
    const QString latin1 = FileNameFromBytes(QFile::encodeName(src) + "/caf\xe9.jpg");
    std::ofstream(FileNameBytes(latin1).toStdString()) << "C";
    place(2, 0, latin1);
    place(2, 1, write("src/sub/a.jpg", "sub-A"));
    wall.state.ImageCount = 6;
    wall.grid.Select(0, 0, 2, 1);
    mnuRightDelete_Click(wall.ctx);
    EXPECT_EQ(entries(src) + entries(src + "/sub"), "b.jpg=B sub");
    EXPECT_TRUE(wall.state.ImageCount == 0 && wall.cells.CellText(0, 0) == "keep" && wall.cells.occupiedCount() == 1);
    EXPECT_TRUE(wall.captions == 1 && wall.previews == 1 && platform.messages.size() == 2);
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/";
    EXPECT_EQ(entries(trash + "files"), "a.jpg=A a.jpg.2=sub-A b.jpg=sub-B");
    EXPECT_TRUE(TestImages::read(trash + "info/b.jpg.trashinfo")
                    .startsWith("[Trash Info]\nPath=" + QFile::encodeName(src) + "/sub/b.jpg\nDeletionDate="));
    // Qt lists no name that is not UTF-8: it is found by its bytes.
    const QString info = FileNameFromBytes(QFile::encodeName(trash) + "info/caf\xe9.jpg.trashinfo");
    std::stringstream recorded;
    recorded << std::ifstream(FileNameBytes(info).toStdString()).rdbuf();
    EXPECT_NE(recorded.str().find("/caf%E9.jpg\nDeletionDate="), std::string::npos);
    EXPECT_TRUE(RemovePath(FileNameFromBytes(QFile::encodeName(trash) + "files/caf\xe9.jpg")) && RemovePath(info));

    // A file that cannot be trashed is deleted for good only when the user
    // agrees; one the file system keeps ends the command with the report.
    place(0, 0, "/proc/self/status");
    wall.grid.Select(0, 0);
    platform.messageAnswers = {MsgAnswer::Yes, MsgAnswer::No};
    mnuRightDelete_Click(wall.ctx);
    EXPECT_EQ(platform.messages.last().text, "/proc/self/status cannot be moved to the trash. Delete it for good?");
    EXPECT_TRUE(wall.cells.CellData(0, 0) == "/proc/self/status" && platform.messages.size() == 4);
    mnuRightDelete_Click(wall.ctx);
    EXPECT_TRUE(reported("mnuRightDelete_Click", 75) && wall.cells.CellData(0, 0) == "/proc/self/status");
}
