#include "WallFixture.h"
#include "shell/AppError.h"
#include "shell/FileNames.h"
#include "wall/CopyMove.h"
#include "wall/FileOperations.h"

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>
#include <QStorageInfo>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Every entry of a folder, hidden ones too, as "name=content".
QString entries(const QString& folder)
{
    QStringList seen;
    for (const QFileInfo& entry : QDir(folder).entryInfoList(
             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
        seen.append(entry.fileName() + (entry.isFile() ? "=" + TestImages::read(entry.filePath()) : ""));
    return seen.join(' ');
}

using FileCommand = void (*)(CommandContext&);

// The command on the files of a selection of cells (0, 0), (0, 1) and (1, 0),
// holding src/a.jpg, src/b.jpg and src/sub/b.jpg, and the cells `more`;
// `put` files are written first. The folder answered is the hidden .dst.
struct Case {
    FileCommand command;
    QList<std::pair<QString, QByteArray>> put;
    QList<std::tuple<int, int, QString>> more;
    CellRect selection;
    QList<MsgAnswer> answers;
    int cancelAt;
    QString told, dst, src;
};

} // namespace

TEST_F(WallFixture, CopyMoveAndDeleteKeepEveryFileUnderAFreeNameAndTellWhatTheyDid)
{
    const FileCommand copy = mnuRightSaveAs_Click, move = mnuRightMove_Click, del = mnuRightDelete_Click;
    const QString all = "a.jpg=A b.jpg=B sub";
    const Case cases[] = {
        // A text, a gone file, a file twice, a file of the folder itself: each with a path is a step.
        {copy, {{".dst/a.jpg", "older"}}, {{2, 0, "words"}, {2, 1, "src/gone.jpg"}, {3, 0, "src/b.jpg"}, {3, 1, ".dst/a.jpg"}},
         {0, 0, 3, 1}, {}, -1, "4 files copied.", "a (2).jpg=A a (3).jpg=older a.jpg=older b (2).jpg=sub-B b.jpg=B", all},
        {copy, {}, {}, {0, 0, 1, 1}, {}, 1, "1 files copied.", "a.jpg=A", all},  // Cancel after the file in hand
        {move, {{".dst/b.jpg", "there"}, {".dst/c.jpg", "C"}}, {{1, 1, ".dst/c.jpg"}}, {0, 0, 1, 1}, {}, -1,
         "3 files moved.\n\n1 already in that folder: left where they were.",
         "a.jpg=A b (2).jpg=B b (3).jpg=sub-B b.jpg=there c.jpg=C", "sub"},
        // Its size reads as 0 but it holds text: no copy matches it, and nothing after it moves.
        {move, {{"src/d.jpg", "D"}}, {{0, 2, "/proc/self/status"}, {0, 3, "src/d.jpg"}}, {0, 2, 0, 3}, {}, -1,
         "0 files moved.", "", "a.jpg=A b.jpg=B d.jpg=D sub"},
        {del, {}, {}, {0, 0, 1, 1}, {MsgAnswer::No}, -1, "Delete all selected files?", "", all},
        // Yes: a file that cannot go to the trash is deleted for good only after a second Yes.
        {del, {}, {{0, 2, "/proc/self/status"}}, {0, 1, 0, 2}, {MsgAnswer::Yes, MsgAnswer::No}, -1,
         "/proc/self/status cannot be moved to the trash. Delete it for good?", "", "a.jpg=A sub"},
        {del, {}, {{0, 2, "/proc/self/status"}}, {0, 2, 0, 2}, {MsgAnswer::Yes, MsgAnswer::Yes}, -1,
         "An error has occurred in form: frmMain and procedure: mnuRightDelete_Click (Pavisto)\nNumber: 75\n", "", all},
    };
    for (const Case& c : cases) {
        const QTemporaryDir scratch;
        const auto at = [&](const QString& p) { return p.startsWith('/') ? p : scratch.filePath(p); };
        TestWall w{10, 10};
        QDir().mkpath(scratch.filePath(".dst"));
        for (const auto& [name, bytes] : QList<std::pair<QString, QByteArray>>{{"src/a.jpg", "A"}, {"src/b.jpg", "B"}, {"src/sub/b.jpg", "sub-B"}} + c.put)
            TestImages::write(scratch.filePath(name), bytes);
        for (const auto& [r, col, path] : QList<std::tuple<int, int, QString>>{{0, 0, "src/a.jpg"}, {0, 1, "src/b.jpg"}, {1, 0, "src/sub/b.jpg"}} + c.more)
            path.contains('/') ? w.cells.setImage(r, col, QImage(4, 4, QImage::Format_RGB32), at(path)) : w.cells.setCellText(r, col, path);
        w.state.ImageCount = int(3 + c.more.size());
        w.grid.Select(c.selection.row1, c.selection.col1, c.selection.row2, c.selection.col2);
        platform.messages.clear();
        platform.messageAnswers = c.answers;
        platform.folderAnswers = {scratch.filePath(".dst")};
        platform.cancelAtStep = c.cancelAt;
        c.command(w.ctx);
        EXPECT_TRUE(lastMessage().startsWith(c.told)) << qPrintable(lastMessage());
        EXPECT_EQ(entries(scratch.filePath(".dst")), c.dst) << qPrintable(c.told);
        EXPECT_EQ(entries(scratch.filePath("src")), c.src) << qPrintable(c.told);
        EXPECT_EQ(platform.progressEnds, platform.progressRuns.size());
        if (c.command != del) {
            EXPECT_TRUE(platform.messages.size() == 1 || platform.texts()[0].contains(" (Pavisto)\nNumber: 75")) << qPrintable(c.told);
        }
    }
    EXPECT_TRUE(platform.progressRuns.value(0).startsWith("Copying files to /") && platform.progressRuns.value(0).endsWith("/.dst//5"));
}

TEST_F(WallFixture, DeleteTrashesWhatTheTrashCanRestoreAndKeepsTexts)
{
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("data")));
    const QString latin1 = FileNameFromBytes(QFile::encodeName(dir.path()) + "/caf\xe9.jpg");
    WriteRaw(latin1, "C");
    place(0, 0, write("a.jpg", "A")), place(0, 1, write("sub/a.jpg", "sub-A")), place(1, 0, latin1);
    wall.cells.setCellText(0, 0, "keep");
    wall.state.ImageCount = 3;
    wall.grid.Select(0, 0, 1, 1);
    mnuRightDelete_Click(wall.ctx);
    EXPECT_TRUE(wall.state.ImageCount == 0 && wall.cells.CellText(0, 0) == "keep" && wall.cells.occupiedCount() == 1);
    EXPECT_TRUE(wall.captions == 1 && wall.previews == 1 && wall.state.StopSlideshow && platform.messages.size() == 1);
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/";
    EXPECT_EQ(entries(trash + "files"), "a.jpg=A a.jpg.2=sub-A");
    EXPECT_TRUE(TestImages::read(trash + "info/a.jpg.2.trashinfo")
                    .startsWith("[Trash Info]\nPath=" + QFile::encodeName(dir.path()) + "/sub/a.jpg\nDeletionDate="));
    const QString info = FileNameFromBytes(QFile::encodeName(trash) + "info/caf\xe9.jpg.trashinfo");
    const int fd = ::open(FileNameBytes(info).constData(), O_RDONLY);
    QByteArray recorded(4096, '\0');
    recorded.resize(std::max<ssize_t>(::read(fd, recorded.data(), 4096), 0));
    ::close(fd);
    EXPECT_TRUE(recorded.contains("/caf%E9.jpg\nDeletionDate="));
    EXPECT_TRUE(RemovePath(FileNameFromBytes(QFile::encodeName(trash) + "files/caf\xe9.jpg")) && RemovePath(info));
    qputenv("XDG_DATA_HOME", data);
}

TEST(CopyMove, FreeNamesAndAVerifiedCopyNeverReplaceAnything)
{
    QTemporaryDir dir;
    for (const char* name : {"README", "README (2)", ".x.jpg", ".profile"})
        TestImages::write(dir.filePath(name), name);
    QFile readme(dir.filePath("README"));  // changed long ago
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly)
                && readme.setFileTime(QDateTime::fromSecsSinceEpoch(1'000'000'000), QFileDevice::FileModificationTime));
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere"), dir.filePath("x.jpg")));  // a dangling link
    for (const auto& [name, free] : {std::pair{"README", "README (3)"}, {"x.jpg", "x (2).jpg"}, {".x.jpg", ".x (2).jpg"},
                                     {".profile", ".profile (2)"}, {"new", "new"}})
        EXPECT_EQ(FreeFileName(dir.path() + "/", name), dir.filePath(free));
    EXPECT_THROW(CopyFileVerified(dir.filePath("README (2)"), dir.filePath("README")), AppError);
    QFile::setPermissions(dir.filePath("README"), QFile::ReadOwner | QFile::ExeOwner);
    CopyFileVerified(dir.filePath("README"), dir.filePath("copy"));
    EXPECT_EQ(entries(dir.path()), ".profile=.profile .x.jpg=.x.jpg README=README README (2)=README (2) copy=README x.jpg");
    const QFileInfo original(dir.filePath("README")), copy(dir.filePath("copy"));
    EXPECT_TRUE(copy.permissions() == original.permissions() && copy.lastModified() == original.lastModified());

    // To another file system: copied, checked, then removed.
    FakePlatform platform;
    QTemporaryDir other("/dev/shm/pavisto-test-XXXXXX");
    if (!other.isValid() || QStorageInfo(other.path()).device() == QStorageInfo(dir.path()).device())
        GTEST_SKIP() << "no second file system at /dev/shm";
    TestWall wall;
    wall.cells.setImage(0, 0, QImage(4, 4, QImage::Format_RGB32), dir.filePath("copy"));
    platform.folderAnswers = {other.path()};
    mnuRightMove_Click(wall.ctx);
    EXPECT_TRUE(platform.texts() == QStringList{"1 files moved."} && !QFile::exists(dir.filePath("copy")));
    EXPECT_TRUE(entries(other.path()) == "copy=README" && wall.cells.CellData(0, 0) == other.filePath("copy"));
}
