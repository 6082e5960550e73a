#define QTEST_QPA_MOUSE_HANDLING  // through the window, as the desktop's mouse

#include "grid/GridWidget.h"
#include "support/FakePlatform.h"
#include "support/TestImages.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

TEST(MainWindowGrid, GridEventsTheWheelAndTheMenuBarReachTheirCommands)
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
    QSignalSpy deletes(w.mnuRightDelete, &QAction::triggered);
    QTest::keyClick(&w.fg(), Qt::Key_Delete);
    QWheelEvent notch({5, 5}, {5, 5}, {}, {0, 120}, {}, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(vp, &notch);
    w.mnuZoomIn->trigger();
    w.mnuZoomOut->trigger();
    EXPECT_TRUE(deletes.size() == 1 && w.windowTitle().contains("[Zoom Level 1]") && w.fg().ColWidth() == 355);
    w.state().SlideshowReady = true;
    w.setMenuStates();
    w.fg().Select(99, 3);
    w.mnuSlideshow->trigger();  // from the last row: ends at once
    EXPECT_EQ(w.mnuSlideshow->text(), "Slideshow Off");
    w.mnuSlideshow->trigger();
    EXPECT_EQ(w.mnuSlideshow->text(), "Slideshow On");
}

TEST(MainWindowGrid, AddImagesFromHereEndsByPuttingALiftedImageDown)
{
    FakePlatform platform;
    QTemporaryDir dir;
    frmMain w;
    w.show();
    TestImages::write(dir.filePath("a.jpg"), TestImages::jpeg(40, 30));
    TestImages::write(dir.filePath("more/b.jpg"), TestImages::jpeg(40, 30));
    w.cells().setImage(2, 2, QImage(4, 4, QImage::Format_RGB32), dir.filePath("a.jpg"));
    QWidget* vp = w.fg().viewport();
    QTest::mouseClick(vp, Qt::LeftButton, {}, {17, 17});
    QTest::mousePress(vp, Qt::LeftButton, {}, {17, 17});  // lifted
    platform.folderAnswers = {dir.filePath("more")};
    w.mnuAddImagesFromHere->trigger();
    EXPECT_FALSE(vp->findChild<QWidget*>("Picture1")->isVisible());
    QTest::mouseRelease(vp, Qt::LeftButton, {}, {38, 38});
    EXPECT_TRUE(w.cells().CellData(2, 2) == dir.filePath("more/b.jpg") && !w.cells().holdsImage(5, 5));
}
