#include "grid/GridWidget.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "ui/frmMain.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(MainWindow, FileSearchSortAndSingleCellCommandsAreWiredToTheirMenuItems)
{
    FakePlatform platform;
    QTemporaryDir dir;
    TestImages::write(dir.filePath("a.jpg"), TestImages::jpeg(40, 30));
    frmMain w;
    w.fg().Select(5, 5);
    platform.fileAnswers = {dir.filePath("a.jpg")};
    platform.inputAnswers = {QString("zzz")};
    platform.folderAnswers = {dir.path(), dir.path()};
    w.state().IsLoading = true;  // the sort is refused while a load runs
    for (QAction* item : {w.mnuRightAddSingleFile, w.mnuRightReload, w.mnuFindFile, w.mnuShowAll,
                          w.mnuSortCreateDate, w.mnuRightSaveAs, w.mnuRightMove})
        item->trigger();
    EXPECT_EQ(w.cells().CellData(5, 5), dir.filePath("a.jpg"));
    w.state().IsLoading = false;
    w.mnuSortCreateDate->trigger();
    w.fg().Select(0, 0);
    w.mnuRightDelete->trigger();
    QStringList told;
    for (const AskedMessage& message : platform.messages)
        told << message.text;
    EXPECT_EQ(told, (QStringList{"1 files copied.", "1 files moved.", "Delete all selected files?"}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"a (2).jpg"});
    EXPECT_EQ(w.cells().occupiedCount(), 0u);
}
