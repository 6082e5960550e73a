#include "grid/GridWidget.h"
#include "grid/PreviewHandoff.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "ui/frmMain.h"
#include "view/frmPreview.h"

#include <QCoreApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A shown main window whose cells point into a folder the test owns.
struct PreviewFixture : ::testing::Test {
    FakePlatform platform;
    QTemporaryDir dir;
    frmMain w;

    PreviewFixture() { w.show(); }
    QString put(int row, int col, const QString& name, int width = 40, int height = 30)
    {
        const QString path = dir.filePath(name);
        TestImages::write(path, TestImages::jpeg(width, height));
        w.fg().cells().setCellData(row, col, path);
        return path;
    }
    frmPreview* previewCell(int row, int col)
    {
        w.fg().Select(row, col);
        PreviewCurrentCell(w);
        return w.previewIfOpen();
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

    w.previewIfOpen()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    w.state().HidePreview = true;
    EXPECT_EQ(previewCell(0, 0), nullptr);
}

TEST_F(PreviewFixture, OpensAtTheLowerRightOfTheMainWindowEachTime)
{
    put(0, 0, "a.jpg");
    w.move(30, 20);
    // How far the preview's left edge plus its inner width stops short of the main window's outer right edge.
    const auto rightInset = [&](const frmPreview* p) {
        return w.frameGeometry().right() + 1 - (p->frameGeometry().left() + p->width());
    };
    frmPreview* preview = previewCell(0, 0);
    ASSERT_NE(preview, nullptr);
    const QPoint first = preview->pos();
    EXPECT_NEAR(rightInset(preview), 43, 1);
    EXPECT_GT(preview->frameGeometry().bottom(), w.geometry().center().y());
    preview->move(0, 0);  // dragged away, then closed by the user
    preview->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(w.previewIfOpen(), nullptr);
    preview = previewCell(0, 0);
    EXPECT_EQ(preview->pos(), first);
    EXPECT_NEAR(rightInset(preview), 43, 1);
}

TEST_F(PreviewFixture, OpenLaunchesTheFileWhileItExistsAndDeleteRemovesItWithoutAsking)
{
    const QString path = put(2, 3, "a.jpg");
    CellStore& cells = w.fg().cells();
    cells.setCellPicture(2, 3, QImage(8, 8, QImage::Format_RGB32));
    w.state().ImageCount = 4;
    frmPreview* preview = previewCell(2, 3);
    preview->findChild<QPushButton*>("cmd(0)")->click();
    EXPECT_EQ(platform.opened, QList<QUrl>{QUrl::fromLocalFile(path)});
    preview->findChild<QPushButton*>("cmd(1)")->click();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(w.state().ImageCount, 3);
    EXPECT_TRUE(cells.CellPicture(2, 3).isNull() && cells.CellData(2, 3).isEmpty());
    EXPECT_FALSE(w.previewIfOpen()->isVisible());
    preview->cmd_Click(0);  // the file is gone
    EXPECT_EQ(platform.opened.size(), 1);
    EXPECT_TRUE(platform.messages.isEmpty());
}
