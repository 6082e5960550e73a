#include "ViewWall.h"
#include "view/Zoom.h"

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

// Cell size, level, top row and left column.
QList<int> view(const ViewWall& w)
{
    return {w.grid.ColWidth(), w.state.ZoomLevel, w.grid.TopRow(), w.grid.LeftCol()};
}

} // namespace

TEST(Zoom, StepsFromTheGridsWidthWithAFloorKeepThePositionFromLevelThreeAndZoomToImageCountsThem)
{
    ViewWall w;
    w.grid.Select(60, 61);
    ZoomIn(w.ctx);  // larger cells can show (60, 61) at the top left, where small ones could not
    EXPECT_EQ(view(w), (QList<int>{355, 1, 60, 61}));
    ZoomIn(w.ctx);
    ZoomIn(w.ctx, true);
    w.grid.Select(70, 72);
    ZoomOut(w.ctx);
    EXPECT_EQ(view(w), (QList<int>{605, 2, 70, 72}));
    ZoomOut(w.ctx);
    EXPECT_EQ(view(w), (QList<int>{355, 1, 0, 0}));
    ZoomOut(w.ctx);
    ZoomOut(w.ctx);  // the floor; the level stays 0
    EXPECT_EQ(view(w), (QList<int>{100, 0, 0, 0}));
    ZoomIn(w.ctx);  // from the width the grid reports
    EXPECT_TRUE(view(w) == (QList<int>{350, 1, 70, 72}) && w.grid.RowHeight() == 350 && w.captions == 8);

    w.grid.Select(40, 50);
    mnuRightZoomToImage_Click(w.ctx);
    EXPECT_TRUE(view(w) == (QList<int>{12600, 50, 40, 50}) && w.state.StopSlideshow);
    w.grid.setTopRow(30);
    mnuRightZoomToImage_Click(w.ctx);  // at the level nothing moves
    EXPECT_EQ(view(w), (QList<int>{12600, 50, 30, 50}));
    w.state.ZoomLevel = 53;
    mnuRightZoomToImage_Click(w.ctx);
    EXPECT_EQ(view(w), (QList<int>{11850, 50, 40, 50}));
    w.state.IsLoading = true;
    w.state.ZoomLevel = 47;
    mnuRightZoomToImage_Click(w.ctx);  // counted steps: refused, never stuck
    EXPECT_EQ(view(w), (QList<int>{11850, 47, 40, 50}));
    mnuRightReset_Click(w.ctx);
    EXPECT_TRUE(w.grid.ColWidth() == 105 && w.grid.RowHeight() == 105 && w.state.ZoomLevel == 0);
    EXPECT_TRUE(w.grid.Row() == 0 && w.grid.Col() == 0 && w.previews == 1);
}

TEST(Wheel, EveryNotchOfTurnOverTheGridOrItsScrollBarsIsOneStepAndNothingScrolls)
{
    ViewWall w;
    w.grid.Select(70, 72);
    quint64 clock = 0;  // the events' own time, in ms
    const auto turn = [&](QWidget* over, QList<QPoint> angles, quint64 gap = 10) {
        for (QPoint angle : angles) {
            QWheelEvent event({5, 5}, {5, 5}, {}, angle, {}, {}, Qt::NoScrollPhase, false);
            event.setTimestamp(clock += gap);
            QApplication::sendEvent(over, &event);
        }
    };
    turn(w.vp, {{0, 120}});
    turn(w.vp, QList<QPoint>(12, {0, 30}));  // a touchpad's swipe of three notches
    EXPECT_EQ(view(w), (QList<int>{1105, 4, 70, 72}));
    // What is left over is dropped when the wheel turns back or after a
    // pause: the notch back is one step, the small turn after the pause none.
    turn(w.vp, {{0, 100}, {0, -120}});
    turn(w.vp, {{0, 100}});
    turn(w.vp, {{0, 30}}, 1000);
    EXPECT_EQ(view(w), (QList<int>{855, 3, 70, 72}));
    turn(w.vp, {{0, 90}, {120, 0}});  // sideways: eaten
    EXPECT_EQ(view(w), (QList<int>{1105, 4, 70, 72}));

    // The scroll bars and the corner zoom too, and none of them scrolls.
    turn(w.grid.verticalScrollBar(), {{0, 120}});
    turn(w.grid.horizontalScrollBar(), {{0, 120}});
    turn(&w.grid, {{0, -120}});
    EXPECT_TRUE(view(w) == (QList<int>{1355, 5, 70, 72}) && w.captions == 9);
    w.state.IsLoading = true;  // zoom refused: the wheel does not scroll either
    turn(w.vp, {{0, -120}});
    turn(w.grid.verticalScrollBar(), {{0, -120}});
    EXPECT_EQ(view(w), (QList<int>{1355, 5, 70, 72}));
}
