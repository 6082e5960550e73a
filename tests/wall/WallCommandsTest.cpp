#include "WallFixture.h"

// The sort dates a photograph by when it was taken, else its file's birth, else its last change, and
// the undated last; pictures placed in colour keep it in a wall since made monochrome.
TEST_F(WallFixture, SortByCreationDateKeepsThePicturesPlacedInColour)
{
    const QString photo
        = write("photo.jpg",
                TestImages::withExif(TestImages::jpeg(8, 8), {.taken = "2001:09:09 03:46:40", .offset = "+02:00"}));
    QFile born(write("born.jpg", ""));  // changed long ago, made just now
    ASSERT_TRUE(born.open(QIODevice::ReadWrite)
                && born.setFileTime(QDateTime::fromSecsSinceEpoch(100'000'000), QFileDevice::FileModificationTime));
    const QStringList paths{born.fileName(), dir.filePath("gone.jpg"), "/proc/version", photo};
    SortTable fgTop;
    wall.cells.setPictureType(CellStore::Colour);
    for (int i = 0; i < 4; ++i)
        wall.cells.setImage(i, 0, QImage(4, 4, QImage::Format_RGB32), paths[i]);
    wall.cells.setPictureType(CellStore::Monochrome);
    mnuSortCreateDate_Click(wall.ctx, fgTop);
    const bool birth = QFileInfo(born.fileName()).birthTime().isValid();  // not every file system keeps it
    EXPECT_EQ(ColumnPaths(wall.cells),
              (birth ? QStringList{photo, "/proc/version", paths[0], paths[1]}
                     : QStringList{paths[0], photo, "/proc/version", paths[1]}));
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(wall.cells.CellPicture(i, 0).isGrey());
    EXPECT_TRUE(wall.state.StopSlideshow);
}

TEST_F(WallFixture, AddTextScrollsToItsCellAndWithoutACurrentCellIsReported)
{
    wall.grid.resize(40, 40);
    wall.grid.show();
    wall.grid.Select(8, 6);
    platform.inputAnswers = {QString("one")};
    mnuRightAddText_Click(wall.cells, wall.grid);
    EXPECT_TRUE(wall.grid.TopRow() > 0 && wall.grid.LeftCol() > 0);  // scrolled into view
    wall.cells.setRows(0);
    mnuRightAddText_Click(wall.cells, wall.grid);
    EXPECT_TRUE(reported("mnuRightAddText_Click", 381));
}

TEST(Options, GridSizesRoundHalvesToEvenAndRejectWhatIsNoCount)
{
    for (auto [text, value] : {std::pair{"2.5", 2}, {"3.5", 4}, {"1e2", 100}, {" 0.6 ", 1}, {"2147483647", 2147483647}})
        EXPECT_EQ(GridSizeFromText(text), value) << text;
    for (const char* refused : {"0", "-5", "abc", "", "2147483648", "inf", "5x"})
        EXPECT_FALSE(GridSizeFromText(refused).has_value()) << refused;
}

// What the wall model leaves to examples: the trash, files that fail, and the questions of Delete.
TEST_F(WallFixture, DeleteTrashesWhatTheTrashCanRestoreKeepsTextsAndMoveAndDeleteKeepEveryFileThatFails)
{
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("data")));
    const QString latin1 = FileNameFromBytes(QFile::encodeName(dir.path()) + "/caf\xe9.jpg");
    WriteRaw(latin1, "C");
    place(1, 1, latin1);
    // Their sizes read as 0 but they hold text, so no copy matches them; neither can go to the trash.
    place(0, 2, "/proc/self/status");
    place(1, 2, "/proc/self/stat");
    for (const auto& [r, c, name, bytes] : {std::tuple{0, 0, "src/b.jpg", "B"},
                                            {0, 1, "src/a.jpg", "A"},
                                            {1, 0, "src/sub/a.jpg", "sub-A"},
                                            {0, 3, "src/a.jpg", "A"}})
        place(r, c, write(name, bytes));
    wall.cells.setCellText(1, 0, "keep");
    wall.state.ImageCount = 7;
    QDir().mkpath(dir.filePath(".dst"));  // the folder answered, hidden, which stays empty
    const auto command = [&](void (*click)(CommandContext&), CellRect cells, QList<MsgAnswer> answers,
                             const QString& told, const QString& src) {
        wall.grid.Select(cells.row1, cells.col1, cells.row2, cells.col2);
        platform.messageAnswers = answers;
        platform.folderAnswers = {dir.filePath(".dst")};
        click(wall.ctx);
        EXPECT_TRUE(lastMessage().startsWith(told)) << qPrintable(lastMessage());
        EXPECT_TRUE(entries(dir.filePath(".dst")).isEmpty() && entries(dir.filePath("src")) == src) << qPrintable(told);
    };
    // Nothing after the file that fails moves.
    command(mnuRightMove_Click, {0, 2, 0, 3}, {}, "0 files moved.", "a.jpg=A b.jpg=B sub");
    EXPECT_TRUE(platform.texts()[0].contains(" (Pavisto)\nNumber: 75")
                && platform.progressRuns == QStringList{"Moving files to " + dir.filePath(".dst") + "//2"}
                && platform.progressEnds == 1);
    DeleteShownFile(wall.ctx, dir.filePath("src/a.jpg"), 0, 0);  // the preview's, after its cell took another file
    command(mnuRightDelete_Click, {0, 0, 1, 1}, {MsgAnswer::No}, "Delete all selected files?", "a.jpg=A b.jpg=B sub");
    // Yes: a file that cannot go to the trash is deleted for good only after a second Yes.
    command(mnuRightDelete_Click, {0, 1, 0, 2}, {MsgAnswer::Yes, MsgAnswer::No},
            "/proc/self/status cannot be moved to the trash. Delete it for good?", "b.jpg=B sub");
    command(mnuRightDelete_Click, {0, 2, 1, 2}, {MsgAnswer::Yes, MsgAnswer::Yes},
            "An error has occurred in form: frmMain and procedure: mnuRightDelete_Click (Pavisto)\nNumber: 75\n",
            "b.jpg=B sub");
    EXPECT_TRUE(platform.texts()
                    .value(platform.messages.size() - 2)
                    .startsWith("2 files, /proc/self/status among them, cannot be moved to the trash."));
    command(mnuRightDelete_Click, {0, 0, 1, 1}, {}, "Delete all selected files?", "sub");
    EXPECT_TRUE(wall.state.ImageCount == 3 && wall.cells.CellText(1, 0) == "keep" && wall.cells.occupiedCount() == 4);
    EXPECT_TRUE(wall.captions == 2 && wall.previews == 3 && wall.state.StopSlideshow);
    const QString trash = dir.filePath("data/Trash/");
    EXPECT_EQ(entries(trash + "files"), "a.jpg=A a.jpg.2=sub-A b.jpg=B");
    EXPECT_TRUE(
        TestImages::read(trash + "info/a.jpg.2.trashinfo")
            .startsWith("[Trash Info]\nPath=" + QFile::encodeName(dir.path()) + "/src/sub/a.jpg\nDeletionDate="));
    const QString info = FileNameFromBytes(QFile::encodeName(trash) + "info/caf\xe9.jpg.trashinfo");
    QFile recorded;
    EXPECT_TRUE(OpenForReading(recorded, info) && recorded.readAll().contains("/caf%E9.jpg\nDeletionDate="));
    EXPECT_TRUE(RemovePath(FileNameFromBytes(QFile::encodeName(trash) + "files/caf\xe9.jpg")) && RemovePath(info));
    // No trash to be had (its data folder is a file): one Yes deletes every file for good.
    qputenv("XDG_DATA_HOME", QFile::encodeName(write("no trash", "")));
    place(0, 0, write("src/c.jpg", "C"));
    place(0, 1, write("src/d.jpg", "D"));
    command(mnuRightDelete_Click, {0, 0, 0, 1}, {MsgAnswer::Yes, MsgAnswer::Yes}, "2 files, ", "sub");
    qputenv("XDG_DATA_HOME", data);
}

TEST_F(WallFixture, AVerifiedCopyNeverReplacesAnythingAndKeepsModeAndTime)
{
    const QString text(3 << 19, 'r');  // more than the one block a copy reads at a time
    const QString readme = write("README", text.toLatin1()), source = write("source", "source");
    QFile file(readme);  // changed long ago
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)
                && file.setFileTime(QDateTime::fromSecsSinceEpoch(1'000'000'000), QFileDevice::FileModificationTime));
    EXPECT_THROW(CopyFileVerified(source, readme), AppError);
    QFile::setPermissions(readme, QFile::ReadOwner | QFile::ExeOwner);
    CopyFileVerified(readme, dir.filePath("copy"));
    EXPECT_TRUE(entries(dir.path()) == "README=" + text + " copy=" + text + " source=source");
    const QFileInfo original(readme), copy(dir.filePath("copy"));
    EXPECT_TRUE(copy.permissions() == original.permissions() && copy.lastModified() == original.lastModified());

    // To another file system: copied, checked, then removed.
    QTemporaryDir other("/dev/shm/pavisto-test-XXXXXX");
    if (!other.isValid() || QStorageInfo(other.path()).device() == QStorageInfo(dir.path()).device())
        GTEST_SKIP() << "no second file system at /dev/shm";
    place(0, 0, dir.filePath("copy"));
    platform.folderAnswers = {other.path()};
    mnuRightMove_Click(wall.ctx);
    EXPECT_TRUE(platform.texts() == QStringList{"1 files moved."} && !QFile::exists(dir.filePath("copy")));
    EXPECT_TRUE(entries(other.path()) == "copy=" + text && wall.cells.CellData(0, 0) == other.filePath("copy"));
}
