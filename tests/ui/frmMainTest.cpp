#define QTEST_QPA_MOUSE_HANDLING  // through the window, as the desktop's mouse

#include "grid/GridWidget.h"
#include "shell/MainModule.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "support/TestWall.h"
#include "ui/frmMain.h"
#include "view/frmPreview.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Every entry of the menu bar and its menus in order: menu, name, caption
// ("-": a separator), shortcut, then H when hidden and D when disabled.
const char* const Menus =
    "|mnuFile|File||; mnuFile|mnuAddFiles|Add Images (jpg only)||; mnuFile|mnuOpenWall|Open Wall||; "
    "mnuFile|mnuSave|Save Wall||; mnuFile|mnuSplit3|-||; mnuFile|mnuExit|Exit||; |mnuTools|Tools||; "
    "mnuTools|mnuScrollLock|Scroll Lock||H; mnuTools|mnuOptions|Options|Ctrl+O|; "
    "mnuTools|mnuFindFile|Search Grid|Ctrl+F|; mnuTools|mnuShowAll|Show All||; "
    "mnuTools|mnuSortCreateDate|Sort by Create Date||; mnuTools|mnuSlideshow|Slideshow On|Ctrl+S|D; "
    "mnuTools|mnuSplit2|-||; mnuTools|mnuAbout|About||; |mnuStop|Stop Loading||HD; |mnuZoomIn| + ||; "
    "|mnuZoomOut| - ||; |mnuRight|||H; mnuRight|mnuRightZoomToImage|Zoom to Image||; "
    "mnuRight|mnuRightReset|Reset Zoom||; mnuRight|mnuRightOpen|Open||; "
    "mnuRight|mnuRightSaveAs|Save As (Copy to)||; mnuRight|mnuRightMove|Move||; "
    "mnuRight|mnuRightReload|Refresh Image||; mnuRight|mnuRightAddText|Add Text||; "
    "mnuRight|mnuAddImagesFromHere|Add Images From Here||; mnuRight|mnuRightAddSingleFile|Add Single File||; "
    "mnuRight|mnuSplit1|-||; mnuRight|mnuRightDelete|Delete||";

// The menu items shown but disabled, by name.
QStringList disabledItems(const frmMain& w)
{
    QStringList names;
    for (const QAction* item : w.findChildren<QAction*>())
        if (item->isVisible() && !item->isEnabled())
            names << item->objectName();
    names.sort();
    return names;
}

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
    EXPECT_EQ(seen.join("; "), Menus);
}

TEST(MainWindow, TheCommandsALoadRefusesAreDisabledWhileItRuns)
{
    FakePlatform platform;
    QTemporaryDir dir;
    TestImages::write(dir.filePath("a.jpg"), TestImages::jpeg(40, 30));
    frmMain w;
    w.show();
    platform.folderAnswers = {dir.path()};
    QStringList during;
    inYield(1, [&] { during = disabledItems(w); });
    w.mnuAddFiles->trigger();
    EXPECT_EQ(during.join(' ').toStdString(), "mnuAddFiles mnuAddImagesFromHere mnuOpenWall mnuRightZoomToImage mnuSave "
                                              "mnuSlideshow mnuSortCreateDate mnuStop");
    EXPECT_TRUE(disabledItems(w).isEmpty() && w.cells().holdsImage(0, 0));
}

TEST(MainWindow, ThePreviewDeletesOnlyTheFileItShowsAboutIsOneModelessWindowAndExitClosesEveryWindow)
{
    FakePlatform platform;
    QTemporaryDir dir;
    frmMain w;
    w.show();
    const QString a = dir.filePath("a.jpg"), b = dir.filePath("b.jpg");
    TestImages::write(a, TestImages::jpeg(40, 30));
    TestImages::write(b, TestImages::jpeg(40, 30));
    // A cell whose row and column differ: the preview keeps which is which.
    w.cells().setImage(1, 3, QImage(8, 8, QImage::Format_RGB32), a);
    w.state().ImageCount = 1;
    w.fg().Select(1, 3);
    w.PreviewCurrentCell();
    QPushButton* erase = w.previewIfOpen()->findChild<QPushButton*>("cmd(1)");
    w.cells().setImage(1, 3, QImage(8, 8, QImage::Format_RGB32), b);  // the wall changed under the preview
    erase->click();
    EXPECT_TRUE(QFile::exists(a) && QFile::exists(b) && w.previewIfOpen()->windowTitle() == b);  // shown afresh
    erase->click();
    EXPECT_TRUE(QFile::exists(a) && !QFile::exists(b) && !w.cells().holdsImage(1, 3));
    EXPECT_TRUE(w.state().ImageCount == 0 && !w.previewIfOpen()->isVisible() && platform.messages.isEmpty());

    w.mnuAbout->trigger();
    w.mnuAbout->trigger();
    const QList<QWidget*> abouts = w.findChildren<QWidget*>("frmAbout");
    ASSERT_EQ(abouts.size(), 1);
    EXPECT_TRUE(abouts[0]->isWindow() && abouts[0]->isVisible() && abouts[0]->windowModality() == Qt::NonModal);
    const auto* text = abouts[0]->findChild<QLabel*>("lblAbout");
    EXPECT_TRUE(abouts[0]->windowTitle() == AppTitle && text && text->text().contains("1.0.0"));
    w.state().StopSlideshow = false;  // as the delete left it
    w.mnuExit->trigger();
    EXPECT_TRUE(w.state().StopSlideshow && w.state().StopLoading && w.state().IsClosing && !w.isVisible());
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
}

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
    EXPECT_EQ(platform.texts(), (QStringList{"1 files copied.", "1 files moved.", "Delete all selected files?"}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"a (2).jpg"});
    EXPECT_EQ(w.cells().occupiedCount(), 0u);
}

TEST(MainWindow, GridEventsTheWheelAndTheMenuBarReachTheirCommands)
{
    FakePlatform platform;
    frmMain w;
    w.show();
    QWidget* vp = w.fg().viewport();
    QTest::mouseClick(vp, Qt::LeftButton, {}, {31, 24});
    QTest::keyClick(&w.fg(), Qt::Key_Down);
    EXPECT_TRUE(w.windowTitle().startsWith("Pavisto 5-5 "));
    QTest::mouseClick(vp, Qt::RightButton, {}, {40, 40});
    EXPECT_TRUE(w.rightMenu()->isVisible());
    w.rightMenu()->hide();
    QTest::keyClick(&w.fg(), Qt::Key_Delete);
    QWheelEvent notch({5, 5}, {5, 5}, {}, {0, 120}, {}, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(vp, &notch);
    w.mnuZoomIn->trigger();
    w.mnuZoomOut->trigger();
    EXPECT_EQ(platform.texts(), QStringList{"Delete all selected files?"});
    EXPECT_TRUE(w.windowTitle().contains("[Zoom Level 1]") && w.fg().ColWidth() == 355);
    w.state().SlideshowReady = true;
    w.setMenuStates();
    w.fg().Select(99, 3);
    w.mnuSlideshow->trigger();  // from the last row: ends at once
    EXPECT_EQ(w.mnuSlideshow->text(), "Slideshow Off");
    w.mnuSlideshow->trigger();
    EXPECT_EQ(w.mnuSlideshow->text(), "Slideshow On");
}
