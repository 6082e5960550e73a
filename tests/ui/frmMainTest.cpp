#include "grid/GridWidget.h"
#include "shell/MainModule.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "ui/frmMain.h"
#include "view/frmPreview.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Every entry of the menu bar and its menus in order: menu, name, caption
// ("-": a separator), shortcut, then H when hidden and D when disabled.
const QStringList Menus{
    "|mnuFile|File||",
    "mnuFile|mnuAddFiles|Add Images (jpg only)||",
    "mnuFile|mnuOpenWall|Open Wall||",
    "mnuFile|mnuSave|Save Wall||",
    "mnuFile|mnuSplit3|-||",
    "mnuFile|mnuExit|Exit||",
    "|mnuTools|Tools||",
    "mnuTools|mnuScrollLock|Scroll Lock||H",
    "mnuTools|mnuOptions|Options|Ctrl+O|",
    "mnuTools|mnuFindFile|Search Grid|Ctrl+F|",
    "mnuTools|mnuShowAll|Show All||",
    "mnuTools|mnuSortCreateDate|Sort by Create Date||",
    "mnuTools|mnuSlideshow|Slideshow On|Ctrl+S|D",
    "mnuTools|mnuSplit2|-||",
    "mnuTools|mnuAbout|About||",
    "|mnuStop|Stop Loading||HD",
    "|mnuZoomIn| + ||",
    "|mnuZoomOut| - ||",
    "|mnuRight|||H",
    "mnuRight|mnuRightZoomToImage|Zoom to Image||",
    "mnuRight|mnuRightReset|Reset Zoom||",
    "mnuRight|mnuRightOpen|Open||",
    "mnuRight|mnuRightSaveAs|Save As (Copy to)||",
    "mnuRight|mnuRightMove|Move||",
    "mnuRight|mnuRightReload|Refresh Image||",
    "mnuRight|mnuRightAddText|Add Text||",
    "mnuRight|mnuAddImagesFromHere|Add Images From Here||",
    "mnuRight|mnuRightAddSingleFile|Add Single File||",
    "mnuRight|mnuSplit1|-||",
    "mnuRight|mnuRightDelete|Delete||",
};

} // namespace

TEST(MainWindow, EveryMenuItemWithCaptionShortcutAndStartStateInOrder)
{
    FakePlatform platform;
    frmMain w;
    QStringList seen;
    const std::function<void(const QWidget*, const QString&)> walk = [&](const QWidget* menu, const QString& name) {
        for (QAction* action : menu->actions()) {
            const QString hidden = action->isVisible() ? "" : "H";
            action->setVisible(true);  // Qt reports every hidden action as disabled
            seen << name + '|' + action->objectName() + '|' + (action->isSeparator() ? "-" : action->text()) + '|'
                        + action->shortcut().toString() + '|' + hidden + (action->isEnabled() ? "" : "D");
            if (action->menu())
                walk(action->menu(), action->objectName());
        }
    };
    walk(w.menuBar(), "");
    EXPECT_EQ(seen, Menus);
    EXPECT_EQ(w.rightMenu(), w.mnuRight->menu());
}

TEST(MainWindow, StartsWithAnEmptyWallFillingTheClientArea)
{
    FakePlatform platform;
    frmMain w;
    w.show();
    GridWidget& fg = w.fg();
    EXPECT_EQ(fg.objectName(), "fg");
    for (const QSize size : {w.size(), QSize(800, 500)}) {
        w.resize(size);
        QCoreApplication::processEvents();
        const int top = w.menuBar()->geometry().bottom() + 1;
        EXPECT_EQ(fg.geometry(), QRect(0, top, w.width(), w.height() - top));
    }
    EXPECT_TRUE(w.cells().Cols() == 100 && w.cells().Rows() == 100
                && w.cells().PictureType() == CellStore::Monochrome);
    EXPECT_EQ(w.windowTitle(),
              QString("Pavisto 1-1    [Zoom Level 0]   0 Images [10,000 cells]   Available memory: 4.00 GB"));
}

TEST(MainWindow, AboutIsOneModelessWindowAndClosingHidesStopsTheLoadAndClosesTheOthers)
{
    FakePlatform platform;
    QTemporaryDir dir;
    frmMain w;
    w.show();
    TestImages::write(dir.filePath("a.jpg"), TestImages::jpeg(40, 30));
    w.cells().setCellData(0, 0, dir.filePath("a.jpg"));
    w.PreviewCurrentCell();
    QPointer<frmPreview> preview = w.previewIfOpen();
    w.mnuAbout->trigger();
    w.mnuAbout->trigger();
    const QList<QWidget*> abouts = w.findChildren<QWidget*>("frmAbout");
    ASSERT_EQ(abouts.size(), 1);
    QPointer<QWidget> about = abouts[0];
    EXPECT_TRUE(about->isWindow() && about->isVisible() && about->windowModality() == Qt::NonModal);
    EXPECT_EQ(about->windowTitle(), AppTitle);
    const auto* text = about->findChild<QLabel*>("lblAbout");
    EXPECT_TRUE(text && text->text().contains("1.0.0"));
    ASSERT_TRUE(preview->isVisible());
    w.close();
    EXPECT_TRUE(!w.isVisible() && w.state().StopLoading && w.state().IsClosing);
    EXPECT_TRUE((!preview || !preview->isVisible()) && (!about || !about->isVisible()));
}

TEST(MainWindow, SelectFileConvertsTheFilterDefaultsToWallsAndReportsCancel)
{
    FakePlatform platform;
    frmMain w;
    platform.fileAnswers = {"/walls/a.wall"};
    EXPECT_EQ(w.SelectFile("Open Wall", "", "wall", false, "start.wall"), "/walls/a.wall");
    EXPECT_EQ(w.SelectFile("Save As", "JPEG Images|*.jpg;*.jpeg", "jpg", true), "");
    QStringList asked;
    for (const FileRequest& r : platform.fileRequests)
        asked << r.title << r.filter << r.defaultExt << QString::number(r.save) << r.startName;
    EXPECT_EQ(asked, (QStringList{"Open Wall", "Wall Files (*.wall);;All Files (*)", "wall", "0", "start.wall",
                                  "Save As", "JPEG Images (*.jpg *.jpeg)", "jpg", "1", ""}));
}

TEST(MainWindow, ExitStopsEverythingAndClosesEveryWindow)
{
    FakePlatform platform;
    frmMain w;
    w.show();
    w.mnuAbout->trigger();
    w.mnuExit->trigger();
    EXPECT_TRUE(w.state().StopSlideshow && w.state().StopLoading && w.state().IsClosing);
    EXPECT_FALSE(w.isVisible());
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
}

TEST(MainWindow, ThePreviewDeletesTheFileItShowsAndOnlyThat)
{
    FakePlatform platform;
    QTemporaryDir dir;
    frmMain w;
    w.show();
    QStringList paths;
    for (const char* name : {"a.jpg", "b.jpg"}) {
        TestImages::write(paths.emplace_back(dir.filePath(name)), TestImages::jpeg(40, 30));
        w.cells().setImage(0, paths.size() - 1, QImage(8, 8, QImage::Format_RGB32), paths.last());
    }
    w.state().ImageCount = 2;
    w.PreviewCurrentCell();
    QPushButton* erase = w.previewIfOpen()->findChild<QPushButton*>("cmd(1)");
    // The wall changed under the preview: cell (0, 0) now holds b.jpg.
    w.cells().setImage(0, 0, QImage(8, 8, QImage::Format_RGB32), paths[1]);
    w.cells().setImage(0, 1, QImage(8, 8, QImage::Format_RGB32), paths[0]);
    erase->click();
    EXPECT_TRUE(QFile::exists(paths[0]) && QFile::exists(paths[1]));
    EXPECT_EQ(w.previewIfOpen()->windowTitle(), paths[1]);  // shown afresh
    erase->click();
    EXPECT_TRUE(QFile::exists(paths[0]) && !QFile::exists(paths[1]));
    EXPECT_TRUE(w.cells().CellData(0, 0).isEmpty() && w.cells().CellPicture(0, 0).isNull());
    EXPECT_EQ(w.state().ImageCount, 1);
    EXPECT_FALSE(w.previewIfOpen()->isVisible());
    EXPECT_TRUE(platform.messages.isEmpty());
}
