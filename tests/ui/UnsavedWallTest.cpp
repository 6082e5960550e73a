#include "shell/MainModule.h"
#include "support/FakePlatform.h"
#include "ui/frmMain.h"
#include "wall/WallDigest.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Every command that drops the wall, on a changed and on an unchanged wall,
// with every answer to the question: whether it was asked, whether the wall
// was saved and whether the command went on.
TEST(UnsavedWall, EveryCommandThatDropsTheWallAsksFirstWhenItChangedAndFollowsTheAnswer)
{
    using Ran = bool (*)(frmMain&, const FakePlatform&);
    const Ran closed = [](frmMain& w, const FakePlatform&) { return !w.isVisible() && w.state().IsClosing; };
    const struct {
        const char* name;
        QAction* frmMain::*item;  // none: the window's close box
        Ran wentOn;
    } commands[] = {
        {"Add Images", &frmMain::mnuAddFiles, [](frmMain&, const FakePlatform& p) { return !p.folderPrompts.isEmpty(); }},
        {"Open Wall", &frmMain::mnuOpenWall,
         [](frmMain&, const FakePlatform& p) { return p.fileRequests.value(p.fileRequests.size() - 1).title == "Open File"; }},
        {"close", nullptr, closed},
        {"Exit", &frmMain::mnuExit, closed},
    };
    const struct {
        const char* name;
        bool changed;
        MsgAnswer answer;
        const char* file;  // where the save goes: "" cancels it
        bool saved, wentOn;
    } replies[] = {
        {"unchanged", false, MsgAnswer::Yes, "w.wall", false, true},
        {"Yes", true, MsgAnswer::Yes, "w.wall", true, true},
        {"Yes, save cancelled", true, MsgAnswer::Yes, "", false, false},
        {"Yes, save failed", true, MsgAnswer::Yes, "no/such/folder/w.wall", false, false},
        {"No", true, MsgAnswer::No, "w.wall", false, true},
        {"Cancel", true, MsgAnswer::Cancel, "w.wall", false, false},
    };
    for (const auto& command : commands)
        for (const auto& reply : replies) {
            const std::string label = std::string(command.name) + ", " + reply.name;
            FakePlatform platform;
            QTemporaryDir dir;
            frmMain w;
            w.show();
            w.cells().setCellText(0, 0, "mine");
            if (!reply.changed)
                WallIsSaved(w.commands());
            platform.messageAnswers = {reply.answer};
            platform.fileAnswers = {*reply.file ? dir.filePath(reply.file) : QString()};
            command.item ? (w.*command.item)->trigger() : void(w.close());
            const bool asked = platform.texts().value(0) == "The wall has changes that are not saved.\n\nSave them first?";
            EXPECT_EQ(asked, reply.changed) << label;
            EXPECT_TRUE(!asked || (platform.messages[0].buttons == MsgButtons::YesNoCancel
                                   && platform.messages[0].title == AppTitle)) << label;
            EXPECT_EQ(QFile::exists(dir.filePath("w.wall")), reply.saved) << label;
            EXPECT_EQ(command.wentOn(w, platform), reply.wentOn) << label;
        }
    // Closing while a load runs ends the load, as ever, without a question.
    FakePlatform platform;
    frmMain w;
    w.cells().setCellText(0, 0, "mine");
    w.state().IsLoading = true;
    w.close();
    EXPECT_TRUE(platform.messages.isEmpty() && w.state().StopLoading && w.state().IsClosing);
}
