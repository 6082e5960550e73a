#include "app/CommandLine.h"
#include "app/Startup.h"
#include "shell/MainModule.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "ui/frmMain.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(CommandLine, AnExistingFileOpensRelativeToTheStartFolderAndTheMenuUsesTheWallDialog)
{
    FakePlatform platform;
    QTemporaryDir dir;
    frmMain w;
    w.show();
    TestImages::write(dir.filePath("my holiday.wall"), "0,0,first\r\n0,1,second\r\n");
    // Quotes are part of the name; a missing file or a folder is ignored.
    for (const QString& tail : {QString("\"my holiday.wall\""), QString("missing.wall"), QString(".")})
        OpenCommandLineFile(w, tail, dir.path());
    EXPECT_EQ(w.cells().occupiedCount(), 0u);
    OpenCommandLineFile(w, CommandLineTail({"pavisto", "my", "holiday.wall"}), dir.path());
    EXPECT_EQ(w.cells().CellText(0, 1), "second");
    EXPECT_TRUE(platform.messages.isEmpty() && platform.fileRequests.isEmpty());
    // The options answer before any window, unless a file of their name is there to open.
    TestImages::write(dir.filePath("--help"), "");
    EXPECT_TRUE(!CommandLineAnswer("--help", dir.path()) && !CommandLineAnswer("a --help", "/"));
    EXPECT_TRUE(CommandLineAnswer("--help", "/")->startsWith("Usage: pavisto [WALL FILE]\n"));
    char* version[] = {const_cast<char*>("pavisto"), const_cast<char*>("--version")};
    testing::internal::CaptureStdout();
    EXPECT_TRUE(Main(2, version) == 0 && testing::internal::GetCapturedStdout() == BuildAppTitle().toStdString() + "\n");

    platform.fileAnswers = {dir.filePath("my holiday.wall"), dir.filePath("copy.wall")};
    w.mnuOpenWall->trigger();
    w.mnuSave->trigger();
    ASSERT_EQ(platform.fileRequests.size(), 2);
    const FileRequest& open = platform.fileRequests[0];
    EXPECT_TRUE(open.title == "Open File" && open.defaultExt == "wall" && !open.save);
    EXPECT_EQ(open.filter, "Wall Files (*.wall);;All Files (*)");
    EXPECT_TRUE(platform.fileRequests[1].title == "Save File" && platform.fileRequests[1].save);
    EXPECT_EQ(TestImages::read(dir.filePath("copy.wall")), "0,0,first\r\n0,1,second\r\n\r\n");
}
