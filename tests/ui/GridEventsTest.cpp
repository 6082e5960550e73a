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

namespace {

// A shown main window whose grid gets the mouse through the window.
struct Window : ::testing::Test {
    FakePlatform platform;
    QTemporaryDir dir;
    frmMain w;
    GridWidget& fg = w.fg();
    QWidget* vp = fg.viewport();

    Window()
    {
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
    QPoint at(int row, int col) const
    {
        const double px = fg.ColWidth() / 15.0;
        return vp->mapTo(&w, QPoint(int((col - fg.LeftCol() + 0.5) * px), int((row - fg.TopRow() + 0.5) * px)));
    }
    QWidget* overlay() const { return vp->findChild<QWidget*>("Picture1"); }
    bool titleHas(const char* text) const { return w.windowTitle().contains(QString::fromUtf8(text)); }
};

} // namespace

TEST_F(Window, GridEventsReachTheirHandlers)
{
    QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, at(3, 4));
    EXPECT_TRUE(titleHas("Pavisto 4-5 "));
    QTest::mouseClick(w.windowHandle(), Qt::RightButton, {}, at(6, 6));
    ASSERT_TRUE(w.rightMenu()->isVisible());
    w.rightMenu()->hide();
    QTest::keyClick(&fg, Qt::Key_Down);
    EXPECT_TRUE(titleHas("Pavisto 5-5 "));
    QSignalSpy deletes(w.mnuRightDelete, &QAction::triggered);
    QTest::keyClick(&fg, Qt::Key_Delete);
    EXPECT_EQ(deletes.size(), 1);
    // The wheel zooms, the menu bar's " + " and " - " too.
    QWheelEvent notch(QPointF(5, 5), vp->mapToGlobal(QPointF(5, 5)), {}, {0, 120}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(vp, &notch);
    w.mnuZoomIn->trigger();
    EXPECT_TRUE(titleHas("[Zoom Level 2]") && fg.ColWidth() == 605);
    w.mnuZoomOut->trigger();
    w.ZoomIn(true);
    w.ZoomOut();
    EXPECT_TRUE(titleHas("[Zoom Level 1]") && fg.ColWidth() == 355);
    // A double-click on an empty cell resets the zoom.
    QTest::mouseDClick(w.windowHandle(), Qt::LeftButton, {}, at(1, 1));
    EXPECT_TRUE(titleHas("[Zoom Level 0]") && fg.ColWidth() == 105);
}

TEST_F(Window, PopupCommandsAndTheSlideshowCaption)
{
    const QString a = dir.filePath("a.jpg");
    TestImages::write(a, TestImages::jpeg(40, 30));
    w.cells().setImage(0, 1, QImage(4, 4, QImage::Format_RGB32), a);
    fg.Select(0, 0, 1, 1);
    w.mnuRightOpen->trigger();
    EXPECT_EQ(platform.opened, QList<QUrl>{QUrl::fromLocalFile(a)});
    w.state().IsLoading = true;
    w.mnuRightZoomToImage->trigger();
    EXPECT_EQ(w.state().ZoomLevel, 0);
    w.state().IsLoading = false;
    w.mnuRightZoomToImage->trigger();
    EXPECT_TRUE(titleHas("[Zoom Level 50]") && fg.TopRow() == 0 && fg.LeftCol() == 0);
    w.mnuRightReset->trigger();
    EXPECT_TRUE(titleHas("[Zoom Level 0]") && fg.ColWidth() == 105);

    w.state().SlideshowReady = true;
    w.setMenuStates();
    fg.Select(99, 3);
    w.mnuSlideshow->trigger();  // the last row: ends at once
    EXPECT_EQ(w.mnuSlideshow->text(), "Slideshow Off");
    w.mnuSlideshow->trigger();
    EXPECT_EQ(w.mnuSlideshow->text(), "Slideshow On");
}

TEST_F(Window, AddImagesFromHereEndsByPuttingALiftedImageDown)
{
    const QString a = dir.filePath("a.jpg");
    TestImages::write(a, TestImages::jpeg(40, 30));
    w.cells().setImage(2, 2, QImage(4, 4, QImage::Format_RGB32), a);
    QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, at(2, 2));
    QTest::mousePress(w.windowHandle(), Qt::LeftButton, {}, at(2, 2));
    ASSERT_TRUE(overlay()->isVisible());
    QTemporaryDir more;
    TestImages::write(more.filePath("b.jpg"), TestImages::jpeg(40, 30));
    platform.folderAnswers = {more.path()};
    w.mnuAddImagesFromHere->trigger();
    EXPECT_FALSE(overlay()->isVisible());
    EXPECT_TRUE(w.cells().CellData(2, 2) == more.filePath("b.jpg") && w.cells().CellData(0, 0).isEmpty());
    QTest::mouseRelease(w.windowHandle(), Qt::LeftButton, {}, at(5, 5));
    EXPECT_TRUE(w.cells().CellData(5, 5).isEmpty());
}
