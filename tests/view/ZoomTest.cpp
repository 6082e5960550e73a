#include "ViewWall.h"
#include "view/Zoom.h"

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override { return (paints += e->type() == QEvent::Paint), false; }
};

// Cell size, level, top row and left column.
QList<int> view(const ViewWall& w)
{
    return {w.grid.ColWidth(), w.grid.RowHeight(), w.state.ZoomLevel, w.grid.TopRow(), w.grid.LeftCol()};
}

void wheel(ViewWall& w, QPoint angle)
{
    QWheelEvent event(w.at(3, 3), w.vp->mapToGlobal(w.at(3, 3)), {}, angle, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.vp, &event);
}

} // namespace

TEST(Zoom, StepsFromColumnZerosWidthWithAFloorAndKeepThePositionFromLevelThree)
{
    ViewWall w;
    w.grid.Select(60, 61);
    ZoomIn(w.ctx);
    // The larger cells can show cell (60, 61) at the top left, which the
    // small ones could not.
    EXPECT_EQ(view(w), (QList<int>{355, 355, 1, 60, 61}));
    ZoomIn(w.ctx);
    ZoomIn(w.ctx, true);
    EXPECT_EQ(view(w), (QList<int>{855, 855, 3, 60, 61}));
    w.grid.Select(70, 72);
    ZoomOut(w.ctx);  // from level 3 the current cell goes to the top left
    EXPECT_EQ(view(w), (QList<int>{605, 605, 2, 70, 72}));
    ZoomOut(w.ctx);  // below it the view returns to the corner
    EXPECT_EQ(view(w), (QList<int>{355, 355, 1, 0, 0}));
    w.grid.setTopRow(20);
    ZoomOut(w.ctx);
    EXPECT_EQ(view(w), (QList<int>{105, 105, 0, 0, 0}));
    ZoomOut(w.ctx);  // the floor, and the level stays 0
    EXPECT_EQ(view(w), (QList<int>{100, 100, 0, 0, 0}));
    ZoomIn(w.ctx);  // the next step starts from what the grid reports
    EXPECT_EQ(view(w), (QList<int>{350, 350, 1, 70, 72}));
    EXPECT_EQ(w.captions, 8);
    EXPECT_TRUE(w.grid.Row() == 70 && w.grid.Col() == 72);
}

TEST(Zoom, ZoomToImageStepsToLevelFiftyFromBelowAndAboveAndStopsTheSlideshow)
{
    ViewWall w;
    w.grid.Select(40, 50);
    mnuRightZoomToImage_Click(w.ctx);
    EXPECT_EQ(view(w), (QList<int>{105 + 50 * 250, 105 + 50 * 250, 50, 40, 50}));
    EXPECT_TRUE(w.state.StopSlideshow);
    // At the level nothing moves, not even the view.
    w.grid.setTopRow(30);
    const int captions = w.captions;
    mnuRightZoomToImage_Click(w.ctx);
    EXPECT_EQ(view(w), (QList<int>{12605, 12605, 50, 30, 50}));
    EXPECT_EQ(w.captions, captions);
    w.state.ZoomLevel = 53;
    mnuRightZoomToImage_Click(w.ctx);
    EXPECT_EQ(view(w), (QList<int>{12605 - 3 * 250, 12605 - 3 * 250, 50, 40, 50}));
}

TEST(Zoom, WhileLoadingOnlyResetZoomWorksAndItSelectsTheFirstCellForThePreview)
{
    ViewWall w;
    ZoomIn(w.ctx);
    ZoomIn(w.ctx);
    w.grid.Select(7, 8);
    w.state.IsLoading = true;
    const QList<int> before = view(w);
    ZoomIn(w.ctx);
    ZoomOut(w.ctx);
    wheel(w, {0, 120});
    mnuRightZoomToImage_Click(w.ctx);  // counted steps: refused, never stuck
    EXPECT_EQ(view(w), before);
    mnuRightReset_Click(w.ctx);
    EXPECT_TRUE(w.grid.ColWidth() == 105 && w.grid.RowHeight() == 105 && w.state.ZoomLevel == 0);
    EXPECT_TRUE(w.grid.Row() == 0 && w.grid.Col() == 0 && w.state.StopSlideshow);
    EXPECT_EQ(w.previews, 1);
}

TEST(Zoom, AStepRepaintsTheGridOnce)
{
    ViewWall w;
    PaintCounter counter;
    w.vp->installEventFilter(&counter);
    QTest::qWait(20);
    counter.paints = 0;
    ZoomIn(w.ctx);
    QTest::qWait(50);
    EXPECT_EQ(counter.paints, 1);
    mnuRightZoomToImage_Click(w.ctx);
    QTest::qWait(50);
    EXPECT_EQ(counter.paints, 2);
}

TEST(Zoom, EachWheelEventIsOneStepBySignAndNeverAScroll)
{
    ViewWall w;
    for (int y : {120, 15, 1, 960})
        wheel(w, {0, y});
    EXPECT_EQ(w.state.ZoomLevel, 4);
    for (int y : {-960, -1})
        wheel(w, {0, y});
    EXPECT_EQ(view(w), (QList<int>{605, 605, 2, 0, 0}));
    // Refused zoom shows that the wheel never scrolls either.
    w.grid.setTopRow(10);
    w.state.IsLoading = true;
    wheel(w, {0, -120});
    EXPECT_EQ(view(w), (QList<int>{605, 605, 2, 10, 0}));
    // A sideways wheel is the grid's own: it scrolls the columns.
    w.state.IsLoading = false;
    wheel(w, {-120, 0});
    EXPECT_EQ(w.state.ZoomLevel, 2);
    EXPECT_GT(w.grid.LeftCol(), 0);
    EXPECT_EQ(w.grid.horizontalScrollBar()->value(), w.grid.LeftCol());
}
