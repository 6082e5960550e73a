#include "grid/CellStore.h"
#include "grid/GridWidget.h"
#include "shell/MainState.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "view/PreviewHandoff.h"
#include "view/frmPreview.h"

#include <QCoreApplication>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Preview, ShownForAnExistingFileAtTheLowerRightOfTheWallWithAnOpenButtonForTheFileShown)
{
    FakePlatform platform;
    QTemporaryDir dir;
    MainState state;
    CellStore cells(1, 3);
    QMainWindow owner;  // a menu bar above the wall
    auto* grid = new GridWidget(cells);
    owner.setCentralWidget(grid);
    owner.menuBar()->addMenu("File");
    owner.setGeometry(30, 20, 1024, 720);
    owner.show();
    PreviewHandoff handoff(owner, state, cells, *grid);
    const auto put = [&](int col, const QString& name, int width) {
        TestImages::write(dir.filePath(name), TestImages::jpeg(width, width * 2 / 3));
        cells.setCellData(0, col, dir.filePath(name));
        return dir.filePath(name);
    };
    const auto show = [&](int col) {
        grid->Select(0, col);
        handoff.PreviewCurrentCell();
        return handoff.previewIfOpen();
    };
    const QString a = put(0, "a.jpg", 3000), gone = put(2, "gone.jpg", 40);
    state.HidePreview = true;
    EXPECT_EQ(show(0), nullptr);
    state.HidePreview = false;
    EXPECT_EQ(show(1), nullptr);  // an empty cell opens nothing
    frmPreview* preview = show(0);
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible() && preview->windowTitle() == a);
    const QSize shown = preview->Picture1().picture().size();  // decoded no larger than the window
    EXPECT_TRUE(!shown.isEmpty() && shown.width() <= preview->width() && shown.height() <= preview->height());
    // Its inner right edge 650 twips (43 px) inside the main window's outer
    // right edge; its inner bottom 200 twips (13 px) below the wall's, not the menu bar's.
    const QRect frame = owner.frameGeometry();
    const QPoint placed(frame.right() + 1 - preview->width() - 43, frame.top() + grid->height() - preview->height() + 13);
    EXPECT_TRUE(preview->pos() == placed && grid->height() < owner.height());

    show(2)->findChild<QPushButton*>("cmd(0)")->click();
    QFile::remove(gone);
    preview->cmd_Click(0);  // the file is gone: no launch
    EXPECT_TRUE(platform.opened == QList<QUrl>{QUrl::fromLocalFile(gone)} && platform.messages.isEmpty());
    for (int col : {1, 2}) {  // an empty cell, a file gone
        show(0);
        EXPECT_FALSE(show(col)->isVisible()) << col;
    }

    // Dragged away it stays; closed by the user it opens in its place again.
    preview->move(0, 0);
    EXPECT_EQ(show(0)->pos(), QPoint(0, 0));
    preview->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(handoff.previewIfOpen(), nullptr);
    EXPECT_EQ(show(0)->pos(), placed);
}
