#include "app/CommandLine.h"
#include "grid/GridWidget.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "ui/frmMain.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct StartFixture : ::testing::Test {
    FakePlatform platform;
    QTemporaryDir dir;
    frmMain w;

    StartFixture() { w.show(); }
    QString wallFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        TestImages::write(path, bytes);
        return path;
    }
};

} // namespace

TEST(CommandLine, TheTailIsTheArgumentsAfterTheProgramJoinedWithBlanks)
{
    EXPECT_EQ(CommandLineTail({"/usr/bin/pavisto"}), "");
    EXPECT_EQ(CommandLineTail({"pavisto", "/walls/my"}), "/walls/my");
    EXPECT_EQ(CommandLineTail({"pavisto", "/walls/my", "holiday.wall"}), "/walls/my holiday.wall");
    EXPECT_EQ(CommandLineTail({"pavisto", "\"/a b.wall\""}), "\"/a b.wall\"");
}

TEST_F(StartFixture, AnExistingWallOnTheCommandLineOpensRelativeToTheStartFolder)
{
    wallFile("my holiday.wall", "1,2,hello\r\n\r\n");
    OpenCommandLineFile(w, CommandLineTail({"pavisto", "my", "holiday.wall"}), dir.path());
    EXPECT_EQ(w.cells().CellText(1, 2), "hello");
    EXPECT_EQ(w.cells().CellForeColor(1, 2), QColor(Qt::white));
    EXPECT_TRUE(platform.messages.isEmpty() && platform.fileRequests.isEmpty());

    const QString absolute = wallFile("sub/other.wall", "3,3,there\r\n");
    OpenCommandLineFile(w, absolute, "/nowhere");
    EXPECT_EQ(w.cells().CellText(3, 3), "there");
    EXPECT_EQ(w.cells().occupiedCount(), 1u);
}

TEST_F(StartFixture, ATailNamingNoFileIsIgnoredSilently)
{
    wallFile("a.wall", "1,1,new\r\n");
    w.cells().setCellText(5, 5, "kept");
    const QString title = w.windowTitle();
    for (const QString& tail : {QString("missing.wall"), QString("\"a.wall\""), QString("."), QString()})
        OpenCommandLineFile(w, tail, dir.path());
    EXPECT_EQ(w.cells().CellText(5, 5), "kept");
    EXPECT_EQ(w.cells().occupiedCount(), 1u);
    EXPECT_EQ(w.windowTitle(), title);
    EXPECT_FALSE(w.state().IsLoading);
    EXPECT_TRUE(platform.messages.isEmpty() && platform.fileRequests.isEmpty());

    // An existing file that is no wall meets Open Wall's own check.
    wallFile("notes.txt", "x");
    OpenCommandLineFile(w, "notes.txt", dir.path());
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages[0].text, "The file must have the .wall extension.");
}

TEST_F(StartFixture, TheMenuOpensAndSavesThroughTheFileDialogAndOpenIsRefusedDuringALoad)
{
    const QString path = wallFile("w.wall", "0,0,first\r\n0,1,second\r\n");
    QList<bool> during;
    QTimer::singleShot(0, &w, [&] {
        during = {w.state().IsLoading, w.mnuStop->isVisible(), w.mnuStop->isEnabled()};
        w.mnuOpenWall->trigger();  // refused: no second dialog
    });
    platform.fileAnswers = {path};
    w.mnuOpenWall->trigger();
    EXPECT_EQ(during, (QList<bool>{true, true, true}));
    EXPECT_FALSE(w.mnuStop->isVisible() || w.state().IsLoading);
    ASSERT_EQ(platform.fileRequests.size(), 1);
    EXPECT_EQ(platform.fileRequests[0].title, "Open File");
    EXPECT_EQ(platform.fileRequests[0].defaultExt, "wall");
    EXPECT_FALSE(platform.fileRequests[0].save);
    EXPECT_EQ(platform.fileRequests[0].filter, "Wall Files (*.wall);;All Files (*)");
    EXPECT_EQ(w.cells().CellText(0, 1), "second");
    EXPECT_TRUE(w.windowTitle().startsWith("Pavisto 1-1  "));

    const QString copy = dir.filePath("copy.wall");
    platform.fileAnswers = {copy};
    w.mnuSave->trigger();
    EXPECT_EQ(platform.fileRequests.value(1).title, "Save File");
    EXPECT_TRUE(platform.fileRequests.value(1).save);
    QFile file(copy);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "0,0,first\r\n0,1,second\r\n\r\n");

    w.fg().Select(0, 1);
    platform.inputAnswers = {QString("changed")};
    w.mnuRightAddText->trigger();
    EXPECT_EQ(w.cells().CellText(0, 1), "changed");
}
