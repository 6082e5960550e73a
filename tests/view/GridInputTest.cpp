#include "ViewWall.h"
#include "shell/Utilities.h"

#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <gtest/gtest.h>

namespace {

struct GridInputTest : ::testing::Test, ViewWall {
    void key(Qt::Key k) { QTest::keyClick(&grid, k); }
    QStringList openedFiles() const
    {
        QStringList files;
        for (const QUrl& url : platform.opened)
            files << FileNameFromPath(url.toLocalFile());
        return files;
    }
};

} // namespace

TEST_F(GridInputTest, LeftClicksShowTheCellInCaptionAndPreviewExceptWhileLoading)
{
    put(2, 3, "a.jpg");
    click(2, 3);
    click(5, 6);  // an empty cell's position is shown too
    EXPECT_TRUE(grid.Row() == 5 && grid.Col() == 6);
    EXPECT_TRUE(captions == 2 && previews == 2);
    click(1, 1, Qt::MiddleButton);
    EXPECT_EQ(previews, 3);
    // During a load the press still happens; nothing follows the release.
    state.IsLoading = true;
    click(2, 3);
    click(4, 4, Qt::RightButton);
    EXPECT_TRUE(grid.Row() == 2 && grid.Col() == 3);
    EXPECT_TRUE(captions == 3 && previews == 3 && popups == 0);
}

TEST_F(GridInputTest, RightReleaseShowsThePopupOverTheCurrentCellWithoutMovingIt)
{
    grid.Select(90, 95);
    click(1, 1, Qt::RightButton);
    EXPECT_EQ(popups, 1);
    EXPECT_TRUE(grid.Row() == 90 && grid.Col() == 95);
    // The current cell was scrolled into view for the menu.
    const int rows = vp->height() / 7, cols = vp->width() / 7;
    EXPECT_TRUE(grid.TopRow() <= 90 && 90 < grid.TopRow() + rows && grid.LeftCol() <= 95
                && 95 < grid.LeftCol() + cols);
    EXPECT_EQ(captions, 0);
    EXPECT_EQ(previews, 0);
    // A grid without cells has no current cell, and so no menu.
    cells.setRows(0);
    click(0, 0, Qt::RightButton);
    EXPECT_EQ(popups, 1);
}

TEST_F(GridInputTest, KeysWorkOnReleaseAndEscapeOnlyStopsALoad)
{
    key(Qt::Key_Escape);
    EXPECT_FALSE(state.StopLoading);
    for (Qt::Key k : {Qt::Key_Down, Qt::Key_Right, Qt::Key_Up, Qt::Key_Left, Qt::Key_Home, Qt::Key_A})
        key(k);
    EXPECT_TRUE(previews == 4 && captions == 4);
    // Holding an arrow moves the cell; only its release shows it.
    QTest::keyPress(&grid, Qt::Key_Down);
    QTest::keyPress(&grid, Qt::Key_Down, {}, -1);
    EXPECT_TRUE(grid.Row() == 2 && previews == 4);
    QTest::keyRelease(&grid, Qt::Key_Down);
    EXPECT_TRUE(previews == 5 && captions == 5);
    key(Qt::Key_Delete);
    EXPECT_EQ(deletes, 1);

    state.IsLoading = true;
    for (Qt::Key k : {Qt::Key_Delete, Qt::Key_Down})
        key(k);
    EXPECT_TRUE(deletes == 1 && previews == 5 && captions == 5);
    EXPECT_FALSE(state.StopLoading);
    key(Qt::Key_Escape);
    EXPECT_TRUE(state.StopLoading);
}

TEST_F(GridInputTest, DoubleClickOpensTheImageOrResetsTheZoomOnAnEmptyCell)
{
    const QString a = put(2, 2, "a.jpg");
    put(3, 3, "gone.jpg");
    QFile::remove(dir.filePath("gone.jpg"));
    grid.setColWidth(605);
    grid.setRowHeight(605);
    state.ZoomLevel = 2;
    doubleClick(2, 2);
    EXPECT_EQ(platform.opened, QList<QUrl>{QUrl::fromLocalFile(a)});
    doubleClick(3, 3);
    EXPECT_EQ(platform.opened.size(), 1);
    EXPECT_EQ(grid.ColWidth(), 605);

    // While loading nothing happens, and the busy pointer stays.
    grid.setTopRow(4);
    state.IsLoading = true;
    ShowBusyPointer();
    doubleClick(5, 1);
    EXPECT_TRUE(grid.ColWidth() == 605 && QGuiApplication::overrideCursor());
    state.IsLoading = false;
    doubleClick(5, 1);
    EXPECT_FALSE(QGuiApplication::overrideCursor());
    EXPECT_TRUE(grid.ColWidth() == 105 && grid.RowHeight() == 105 && state.ZoomLevel == 0);
    EXPECT_TRUE(grid.TopRow() == 0 && grid.LeftCol() == 0);
    EXPECT_TRUE(grid.Row() == 5 && grid.Col() == 1);  // the cell stays where it was
    // A cell whose image a search hides is left alone.
    cells.setCellData(5, 1, QImage(4, 4, QImage::Format_RGB32));
    grid.setColWidth(355);
    input->fg_DblClick();
    EXPECT_EQ(grid.ColWidth(), 355);
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(GridInputTest, OpenLaunchesTheSelectionsFilesRowByRow)
{
    for (int r = 4; r <= 6; ++r)
        for (int c = 7; c <= 8; ++c)
            if (r != 5 || c != 7)
                put(r, c, QString("%1-%2.jpg").arg(r).arg(c));
    put(7, 7, "outside.jpg");
    grid.Select(6, 8, 4, 7);
    mnuRightOpen_Click(ctx);
    EXPECT_EQ(openedFiles(), (QStringList{"4-7.jpg", "4-8.jpg", "5-8.jpg", "6-7.jpg", "6-8.jpg"}));
    EXPECT_TRUE(state.StopSlideshow && !QGuiApplication::overrideCursor());
    // A file that has gone is passed over.
    QFile::remove(dir.filePath("4-8.jpg"));
    grid.Select(4, 7, 4, 8);
    platform.opened.clear();
    mnuRightOpen_Click(ctx);
    EXPECT_EQ(openedFiles(), (QStringList{"4-7.jpg"}));
}
