#include "ShownWindow.h"
#include "ui/frmOptions.h"
#include "wall/WallDigest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

// Every command that drops the wall, on a changed and on an unchanged wall,
// with every answer to the question: whether it was asked, whether the wall
// was saved and whether the command went on.
TEST(UnsavedWall, EveryCommandThatDropsTheWallAsksFirstWhenItChangedAndFollowsTheAnswer)
{
    QAction* frmMain::*const commands[] = {&frmMain::mnuAddFiles, &frmMain::mnuOpenWall, nullptr,  // the close box
                                           &frmMain::mnuExit};
    const struct {
        bool changed;
        MsgAnswer answer;
        const char* file;  // where the save goes: "" cancels it
        bool saved, wentOn;
    } replies[] = {
        {false, MsgAnswer::Yes, "w.wall", false, true},  {true, MsgAnswer::Yes, "w.wall", true, true},
        {true, MsgAnswer::Yes, "", false, false},        {true, MsgAnswer::Yes, "no/such/folder/w.wall", false, false},
        {true, MsgAnswer::No, "w.wall", false, true},    {true, MsgAnswer::Cancel, "w.wall", false, false},
    };
    for (const auto& command : commands)
        for (const auto& reply : replies) {
            const std::string label = std::to_string(&command - commands) + ", " + std::to_string(&reply - replies);
            FakePlatform platform;
            QTemporaryDir dir;
            frmMain w;
            w.show();
            w.cells().setCellText(0, 0, "mine");
            WallIsSaved(w.cells(), w.state());
            if (reply.changed) {  // moved along its row
                w.cells().setCellText(0, 0, "");
                w.cells().setCellText(0, 1, "mine");
            }
            platform.messageAnswers = {reply.answer};
            platform.fileAnswers = {*reply.file ? dir.filePath(reply.file) : QString()};
            command ? (w.*command)->trigger() : void(w.close());
            // The question is the one with a Cancel.
            EXPECT_EQ(platform.messages.value(0).buttons == MsgButtons::YesNoCancel, reply.changed) << label;
            EXPECT_EQ(QFile::exists(dir.filePath("w.wall")), reply.saved) << label;
            // A folder to add, a wall file to open, or the window closed.
            const bool wentOn = !platform.folderPrompts.isEmpty() || (!w.isVisible() && w.state().IsClosing)
                                || platform.fileRequests.value(platform.fileRequests.size() - 1).title == "Open File";
            EXPECT_EQ(wentOn, reply.wentOn) << label;
        }
}

TEST_F(ShownWindow, OptionsOpensOnceWithTheSettingsInForceAndOnlyOKWithoutTheWarningsNoAppliesThemTheSizesOnlyWhenTyped)
{
    QPointer<frmOptions> dialog;
    const auto open = [&] {
        key(Qt::Key_O, Qt::ControlModifier);
        for (frmOptions* shown : w.findChildren<frmOptions*>())
            dialog = shown->isVisible() ? shown : dialog.data();
    };
    const auto box = [&](int i) { return dialog->findChild<QLineEdit*>(QString("txt(%1)").arg(i)); };
    const auto quality = [&] { return dialog->findChild<QComboBox*>("cboQuality"); };
    const auto closed = [&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return !dialog;
    };
    const auto editEverything = [&](int entry) {
        box(1)->setText("3");
        box(2)->setText("12.5");
        quality()->setCurrentIndex(entry);
        for (const char* name : {"chkMono", "chkHideGridlines", "chkHidePreview"})
            dialog->findChild<QCheckBox*>(name)->toggle();
    };
    const MainState& s = w.state();
    w.cells().setRows(151);  // as a wall file grows it
    w.state().HideGridLines = true;  // each box shows its own setting
    grid.GridLines(false);
    open();
    ASSERT_TRUE(dialog && dialog->windowModality() == Qt::NonModal);
    EXPECT_TRUE(box(1)->text() == "100" && box(2)->text() == "151" && quality()->currentIndex() == 0);
    for (const auto& [name, checked] :
         {std::pair{"chkMono", true}, {"chkHideGridlines", true}, {"chkHidePreview", false}})
        EXPECT_EQ(dialog->findChild<QCheckBox*>(name)->isChecked(), checked) << name;
    open();
    EXPECT_EQ(w.findChildren<frmOptions*>().size(), 1);

    editEverything(4);
    platform.messageAnswers = {MsgAnswer::No};
    dialog->findChild<QPushButton*>("cmdOK")->click();
    EXPECT_EQ(platform.messages.value(0).buttons, MsgButtons::YesNo);  // the memory warning, which No answers
    EXPECT_TRUE(!closed() && dialog->isVisible());
    dialog->findChild<QPushButton*>("cmdCancel")->click();
    const QPointer<frmOptions> cancelled = dialog;
    open();  // at once, while the cancelled one waits to go
    EXPECT_TRUE(dialog != cancelled && !closed() && !cancelled);
    editEverything(2);
    dialog->close();
    EXPECT_TRUE(closed() && s.GridCols == 100 && s.ThumbMaxHeight == 200 && s.MonoImages && !s.HidePreview);

    put(0, 2, "kept.jpg");
    put(0, 4, "beyond.jpg");
    grid.Select(0, 4);  // no preview yet: the settings hide it before it is made
    open();
    editEverything(4);  // the rows as shown: set, not typed; 3 columns typed, the image beyond them dropped
    box(1)->setModified(true);
    platform.messageAnswers = {MsgAnswer::Yes, MsgAnswer::Yes};  // to the warning and to the drop
    QTest::keyClick(box(1), Qt::Key_Return);  // Enter is OK
    EXPECT_TRUE(s.ThumbMaxHeight == 0 && s.ThumbMaxWidth == 0 && closed() && platform.messages.size() == 3);
    EXPECT_TRUE(!s.MonoImages && w.cells().PictureType() == CellStore::Colour && !s.HideGridLines && s.HidePreview);
    EXPECT_TRUE(grid.hasGridLines() && s.GridCols == 3 && w.cells().Rows() == 151 && w.cells().Cols() == 3);
    EXPECT_EQ(cursor(), (QList<int>{0, 2, 0, 2, 0, 2}));
    EXPECT_EQ(disagreement(), "");
}
