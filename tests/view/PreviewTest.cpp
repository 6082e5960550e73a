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
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A shown window with a menu bar above a wall whose cells point into a
// folder the test owns, and the hand-off that feeds its preview.
struct PreviewFixture : ::testing::Test {
    FakePlatform platform;
    QTemporaryDir dir;
    MainState state;
    CellStore cells{100, 100};
    QMainWindow owner;
    GridWidget* grid = new GridWidget(cells);
    PreviewHandoff handoff{owner, state, cells, *grid};

    PreviewFixture()
    {
        owner.setCentralWidget(grid);
        owner.menuBar()->addMenu("File");
        owner.resize(1024, 720);
        owner.show();
    }
    QString put(int row, int col, const QString& name, int width = 40, int height = 30)
    {
        const QString path = dir.filePath(name);
        TestImages::write(path, TestImages::jpeg(width, height));
        cells.setCellData(row, col, path);
        return path;
    }
    frmPreview* previewCell(int row, int col)
    {
        grid->Select(row, col);
        handoff.PreviewCurrentCell();
        return handoff.previewIfOpen();
    }
    void closedByTheUser(frmPreview* preview)
    {
        preview->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_EQ(handoff.previewIfOpen(), nullptr);
    }
};

} // namespace

TEST_F(PreviewFixture, ShownOnlyForACellWithAnExistingFileAndDecodedNoLargerThanTheWindow)
{
    const QString a = put(0, 0, "a.jpg", 3000, 2000);
    const QString gone = put(0, 2, "gone.jpg");
    EXPECT_EQ(previewCell(0, 1), nullptr);
    frmPreview* preview = previewCell(0, 0);
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible() && preview->windowTitle() == a);
    const QSize shown = preview->Picture1().picture().size();
    EXPECT_TRUE(!shown.isEmpty() && shown.width() <= preview->width() && shown.height() <= preview->height());
    EXPECT_FALSE(previewCell(0, 1)->isVisible());
    ASSERT_TRUE(previewCell(0, 0)->isVisible());
    QFile::remove(gone);
    EXPECT_FALSE(previewCell(0, 2)->isVisible());
    EXPECT_TRUE(platform.messages.isEmpty());

    closedByTheUser(handoff.previewIfOpen());
    state.HidePreview = true;
    EXPECT_EQ(previewCell(0, 0), nullptr);
}

TEST_F(PreviewFixture, OpensAtTheLowerRightOfTheWallEachTime)
{
    put(0, 0, "a.jpg");
    owner.move(30, 20);
    // Its inner right edge 650 twips (43 px) inside the main window's outer
    // right edge; its inner bottom 200 twips (13 px) below the wall's.
    const auto expected = [&](const frmPreview* p) {
        const QRect frame = owner.frameGeometry();
        return QPoint(frame.left() + frame.width() - p->width() - 43, frame.top() + grid->height() - p->height() + 13);
    };
    frmPreview* preview = previewCell(0, 0);
    ASSERT_NE(preview, nullptr);
    ASSERT_LT(grid->height(), owner.height());  // the menu bar is not client area
    EXPECT_EQ(preview->pos(), expected(preview));
    const QPoint first = preview->pos();
    preview->move(0, 0);  // dragged away, then closed by the user
    previewCell(0, 0);
    EXPECT_EQ(preview->pos(), QPoint(0, 0));
    closedByTheUser(preview);
    preview = previewCell(0, 0);
    EXPECT_EQ(preview->pos(), first);
}

TEST_F(PreviewFixture, OpenLaunchesTheFileWhileItExistsAndDeleteAsksForTheFileShown)
{
    const QString path = put(2, 3, "a.jpg");
    frmPreview* preview = previewCell(2, 3);
    QSignalSpy deletes(&handoff, &PreviewHandoff::deleteRequested);
    preview->findChild<QPushButton*>("cmd(0)")->click();
    EXPECT_EQ(platform.opened, QList<QUrl>{QUrl::fromLocalFile(path)});
    preview->findChild<QPushButton*>("cmd(1)")->click();
    ASSERT_EQ(deletes.size(), 1);
    EXPECT_EQ(deletes[0], (QList<QVariant>{path, 2, 3}));
    QFile::remove(path);
    preview->cmd_Click(0);  // the file is gone
    EXPECT_EQ(platform.opened.size(), 1);
    EXPECT_TRUE(platform.messages.isEmpty());
}
