#include "ViewWall.h"
#include "shell/Utilities.h"

#include <QFile>
#include <QGuiApplication>

TEST(GridInput, ClicksAndKeysShowTheCellOrThePopupAndLoadsHoldThemBack)
{
    ViewWall w;
    w.mouse(QTest::MouseClick, 5, 6);  // an empty cell's position shows too
    w.mouse(QTest::MouseClick, 1, 1, Qt::MiddleButton);
    EXPECT_TRUE(w.grid.Row() == 5 && w.captions == 1 && w.previews == 2);
    w.grid.Select(90, 95, 1, 1);  // a press inside the selection keeps it
    w.mouse(QTest::MouseClick, 1, 1, Qt::RightButton);
    EXPECT_TRUE(w.popups == 1 && w.grid.Row() == 90 && w.grid.Col() == 95);
    EXPECT_TRUE(w.vp->rect().contains(w.at(90, 95)));  // scrolled into view for the menu
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Left, Qt::Key_Home, Qt::Key_A, Qt::Key_Escape, Qt::Key_Delete})
        QTest::keyClick(&w.grid, key);
    EXPECT_TRUE(w.previews == 4 && w.captions == 4 && w.deletes == 1 && !w.state.StopLoading);

    w.state.IsLoading = true;
    w.grid.setTopRow(0);
    w.mouse(QTest::MouseClick, 2, 3);
    w.mouse(QTest::MouseClick, 2, 3, Qt::RightButton);
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Delete, Qt::Key_Escape})
        QTest::keyClick(&w.grid, key);
    EXPECT_TRUE(w.grid.Row() == 3 && w.previews == 4 && w.popups == 1 && w.deletes == 1 && w.state.StopLoading);
    w.cells.setRows(0);  // no current cell, no menu
    w.state.IsLoading = false;
    w.mouse(QTest::MouseClick, 0, 0, Qt::RightButton);
    EXPECT_EQ(w.popups, 1);
}

TEST(GridInput, DoubleClickOpensOrResetsTheZoomAndOpenGoesRowByRow)
{
    ViewWall w;
    const QString a = w.put(2, 3, "a.jpg"), b = w.put(3, 2, "b.jpg");
    w.put(3, 3, "gone.jpg");
    QFile::remove(w.dir.filePath("gone.jpg"));
    w.grid.setColWidth(605);
    w.grid.setRowHeight(605);
    w.mouse(QTest::MouseDClick, 2, 3);
    w.mouse(QTest::MouseDClick, 3, 3);
    EXPECT_TRUE(w.platform.opened == QList<QUrl>{QUrl::fromLocalFile(a)} && w.grid.ColWidth() == 605);
    w.grid.Select(3, 3, 2, 2);
    mnuRightOpen_Click(w.ctx);
    EXPECT_EQ(w.platform.opened, (QList<QUrl>{QUrl::fromLocalFile(a), QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)}));
    EXPECT_TRUE(w.state.StopSlideshow && !QGuiApplication::overrideCursor());

    w.grid.setTopRow(4);
    w.state.IsLoading = true;
    ShowBusyPointer();
    w.mouse(QTest::MouseDClick, 5, 1);
    EXPECT_TRUE(w.grid.ColWidth() == 605 && QGuiApplication::overrideCursor());
    w.state.IsLoading = false;
    w.mouse(QTest::MouseDClick, 5, 1);
    EXPECT_TRUE(w.grid.ColWidth() == 105 && w.grid.TopRow() == 0 && w.grid.Row() == 5 && w.state.ZoomLevel == 0);
    EXPECT_FALSE(QGuiApplication::overrideCursor());
    w.cells.setCellData(5, 1, QImage(4, 4, QImage::Format_RGB32));  // hidden by a search: left alone
    w.grid.setColWidth(355);
    w.input->fg_DblClick();
    EXPECT_EQ(w.grid.ColWidth(), 355);
}
