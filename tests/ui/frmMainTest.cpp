#include "grid/GridWidget.h"
#include "shell/MainModule.h"
#include "support/FakePlatform.h"
#include "ui/frmMain.h"
#include "view/frmPreview.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

namespace {

enum { Hidden = 1, Disabled = 2 };

struct Item {
    QAction* frmMain::*field;
    const char* name;
    const char* caption;  // "-": a separator
    const char* parent;   // nullptr: on the menu bar
    const char* shortcut = "";
    int flags = 0;
};

const Item Items[] = {
    {&frmMain::mnuFile, "mnuFile", "File", nullptr},
    {&frmMain::mnuAddFiles, "mnuAddFiles", "Add Images (jpg only)", "mnuFile"},
    {&frmMain::mnuOpenWall, "mnuOpenWall", "Open Wall", "mnuFile"},
    {&frmMain::mnuSave, "mnuSave", "Save Wall", "mnuFile"},
    {&frmMain::mnuSplit3, "mnuSplit3", "-", "mnuFile"},
    {&frmMain::mnuExit, "mnuExit", "Exit", "mnuFile"},
    {&frmMain::mnuTools, "mnuTools", "Tools", nullptr},
    {&frmMain::mnuScrollLock, "mnuScrollLock", "Scroll Lock", "mnuTools", "", Hidden},
    {&frmMain::mnuOptions, "mnuOptions", "Options", "mnuTools", "Ctrl+O"},
    {&frmMain::mnuFindFile, "mnuFindFile", "Search Grid", "mnuTools", "Ctrl+F"},
    {&frmMain::mnuShowAll, "mnuShowAll", "Show All", "mnuTools"},
    {&frmMain::mnuSortCreateDate, "mnuSortCreateDate", "Sort by Create Date", "mnuTools"},
    {&frmMain::mnuSlideshow, "mnuSlideshow", "Slideshow On", "mnuTools", "Ctrl+S", Disabled},
    {&frmMain::mnuSplit2, "mnuSplit2", "-", "mnuTools"},
    {&frmMain::mnuAbout, "mnuAbout", "About", "mnuTools"},
    {&frmMain::mnuStop, "mnuStop", "Stop Loading", nullptr, "", Hidden | Disabled},
    {&frmMain::mnuZoomIn, "mnuZoomIn", " + ", nullptr},
    {&frmMain::mnuZoomOut, "mnuZoomOut", " - ", nullptr},
    {&frmMain::mnuRight, "mnuRight", "", nullptr, "", Hidden},
    {&frmMain::mnuRightZoomToImage, "mnuRightZoomToImage", "Zoom to Image", "mnuRight"},
    {&frmMain::mnuRightReset, "mnuRightReset", "Reset Zoom", "mnuRight"},
    {&frmMain::mnuRightOpen, "mnuRightOpen", "Open", "mnuRight"},
    {&frmMain::mnuRightSaveAs, "mnuRightSaveAs", "Save As (Copy to)", "mnuRight"},
    {&frmMain::mnuRightMove, "mnuRightMove", "Move", "mnuRight"},
    {&frmMain::mnuRightReload, "mnuRightReload", "Refresh Image", "mnuRight"},
    {&frmMain::mnuRightAddText, "mnuRightAddText", "Add Text", "mnuRight"},
    {&frmMain::mnuAddImagesFromHere, "mnuAddImagesFromHere", "Add Images From Here", "mnuRight"},
    {&frmMain::mnuRightAddSingleFile, "mnuRightAddSingleFile", "Add Single File", "mnuRight"},
    {&frmMain::mnuSplit1, "mnuSplit1", "-", "mnuRight"},
    {&frmMain::mnuRightDelete, "mnuRightDelete", "Delete", "mnuRight"},
};

} // namespace

TEST(MainWindow, EveryMenuItemWithCaptionShortcutAndStartStateInOrder)
{
    FakePlatform platform;
    frmMain w;
    QMap<QString, QStringList> order;  // container ("" = menu bar) -> item names
    for (const Item& item : Items) {
        SCOPED_TRACE(item.name);
        QAction* action = w.findChild<QAction*>(item.name);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(w.*item.field, action);
        EXPECT_EQ(action->isSeparator() ? "-" : action->text(), item.caption);
        EXPECT_EQ(action->shortcut().toString(), item.shortcut);
        EXPECT_EQ(action->isVisible(), !(item.flags & Hidden));
        action->setVisible(true);  // Qt reports every hidden action as disabled
        EXPECT_EQ(action->isEnabled(), !(item.flags & Disabled));
        order[item.parent].append(item.name);
    }
    for (auto it = order.cbegin(); it != order.cend(); ++it) {
        QWidget* menu = it.key().isEmpty() ? static_cast<QWidget*>(w.menuBar()) : w.findChild<QMenu*>(it.key());
        ASSERT_NE(menu, nullptr);
        QStringList names;
        for (const QAction* action : menu->actions())
            names.append(action->objectName());
        EXPECT_EQ(names, it.value());
    }
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
    EXPECT_EQ(QSize(fg.Cols(), fg.Rows()), QSize(100, 100));
    EXPECT_EQ(QSize(fg.ColWidth(), fg.RowHeight()), QSize(105, 105));
    EXPECT_EQ(QPoint(fg.rowAt(6.9), fg.rowAt(7)), QPoint(0, 1));  // cells of 7 pixels
    EXPECT_TRUE(fg.hasGridLines());
    EXPECT_EQ(fg.PictureType(), CellStore::Monochrome);
    EXPECT_EQ(w.windowTitle(),
              QString("Pavisto 1-1    [Zoom Level 0]   0 Images [10,000 cells]   Available memory: 4.00 GB"));
}

TEST(MainWindow, ClosingHidesStopsTheLoadAndClosesThePreview)
{
    FakePlatform platform;
    frmMain w;
    w.show();
    QPointer<frmPreview> preview = &w.preview();
    ASSERT_TRUE(preview->isVisible());
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(w.state().StopLoading && w.state().IsClosing);
    EXPECT_TRUE(!preview || !preview->isVisible());
}

TEST(MainWindow, AboutIsOneModelessWindowNamingTheVersion)
{
    FakePlatform platform;
    frmMain w;
    w.show();
    w.mnuAbout->trigger();
    w.mnuAbout->trigger();
    const QList<QWidget*> abouts = w.findChildren<QWidget*>("frmAbout");
    ASSERT_EQ(abouts.size(), 1);
    EXPECT_TRUE(abouts[0]->isWindow() && abouts[0]->isVisible());
    EXPECT_EQ(abouts[0]->windowModality(), Qt::NonModal);
    EXPECT_EQ(abouts[0]->windowTitle(), AppTitle);
    const auto* text = abouts[0]->findChild<QLabel*>("lblAbout");
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->text().contains("1.0.0"));
}

TEST(MainWindow, SelectFileConvertsTheFilterAndReportsCancel)
{
    FakePlatform platform;
    frmMain w;
    platform.fileAnswers = {"/walls/a.wall"};
    EXPECT_EQ(w.SelectFile("Open Wall", "", "wall", false, "start.wall"), "/walls/a.wall");
    EXPECT_EQ(w.SelectFile("Save As", "JPEG Images|*.jpg;*.jpeg", "jpg", true), "");
    ASSERT_EQ(platform.fileRequests.size(), 2);
    const FileRequest& open = platform.fileRequests[0];
    EXPECT_EQ(open.filter, "Wall Files (*.wall);;All Files (*)");
    EXPECT_TRUE(open.title == "Open Wall" && open.defaultExt == "wall" && !open.save && open.startName == "start.wall");
    EXPECT_TRUE(platform.fileRequests[1].filter == "JPEG Images (*.jpg *.jpeg)" && platform.fileRequests[1].save);
}
