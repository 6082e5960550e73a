#include "shell/MainModule.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "support/TestWall.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
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
    "mnuTools|mnuSplit2|-||; mnuTools|mnuAbout|About||; |mnuStop|Stop Loading||HD; |mnuZoomIn| + |Ctrl++|; "
    "|mnuZoomOut| - |Ctrl+-|; |mnuRight|||H; mnuRight|mnuRightZoomToImage|Zoom to Image||; "
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
                                              "mnuSlideshow mnuSortCreateDate mnuStop mnuZoomIn mnuZoomOut");
    EXPECT_TRUE(disabledItems(w).isEmpty() && w.cells().holdsImage(0, 0));
}

TEST(MainWindow, AboutIsOneModelessWindowAndExitClosesEveryWindow)
{
    FakePlatform platform;
    frmMain w;
    w.show();
    w.mnuAbout->trigger();
    w.mnuAbout->trigger();
    const QList<QWidget*> abouts = w.findChildren<QWidget*>("frmAbout");
    ASSERT_EQ(abouts.size(), 1);
    EXPECT_TRUE(abouts[0]->isWindow() && abouts[0]->isVisible() && abouts[0]->windowModality() == Qt::NonModal);
    const auto* text = abouts[0]->findChild<QLabel*>("lblAbout");
    EXPECT_TRUE(abouts[0]->windowTitle() == AppTitle && text && text->text().contains("1.0.0"));
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {  // either closes it
        w.mnuAbout->trigger();
        const QPointer<QWidget> about = w.findChild<QWidget*>("frmAbout");
        QTest::keyClick(about, key);
        EXPECT_TRUE(!about || !about->isVisible()) << key;
    }
    w.mnuExit->trigger();
    EXPECT_TRUE(w.state().StopSlideshow && w.state().StopLoading && w.state().IsClosing && !w.isVisible());
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
}
