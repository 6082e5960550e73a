#include "ViewWall.h"
#include "shell/Utilities.h"

#include <QFile>
#include <QGuiApplication>

TEST(GridInput, DoubleClickOpensOrResetsTheZoomAndOpenGoesRowByRow)
{
    ViewWall w;
    const QString a = w.put(2, 3, "a.jpg"), b = w.put(3, 2, "b.jpg");
    w.put(3, 3, "gone.jpg");
    QFile::remove(w.dir.filePath("gone.jpg"));
    w.grid.setColWidth(605);
    w.grid.setRowHeight(605);
    w.grid.Select(2, 3);
    fg_DblClick(w.ctx);
    w.grid.Select(3, 3);
    fg_DblClick(w.ctx);
    EXPECT_TRUE(w.platform.opened == QList<QUrl>{QUrl::fromLocalFile(a)} && w.grid.ColWidth() == 605);
    w.grid.Select(3, 3, 2, 2);
    mnuRightOpen_Click(w.ctx);
    EXPECT_EQ(w.platform.opened, (QList<QUrl>{QUrl::fromLocalFile(a), QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)}));
    EXPECT_TRUE(w.state.StopSlideshow && !QGuiApplication::overrideCursor());

    w.grid.setTopRow(4);
    ShowBusyPointer();
    w.grid.Select(5, 1);
    fg_DblClick(w.ctx);
    EXPECT_TRUE(w.grid.ColWidth() == 105 && w.grid.TopRow() == 0 && w.grid.Row() == 5 && w.state.ZoomLevel == 0);
    EXPECT_FALSE(QGuiApplication::overrideCursor());
    w.cells.setCellData(5, 1, QImage(4, 4, QImage::Format_RGB32));  // hidden by a search: left alone
    w.grid.setColWidth(355);
    fg_DblClick(w.ctx);
    EXPECT_EQ(w.grid.ColWidth(), 355);
}
