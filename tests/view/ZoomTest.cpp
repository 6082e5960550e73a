#include "ViewWall.h"
#include "view/Zoom.h"


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
    ZoomInStep(w.ctx);  // larger cells can show (60, 61) at the top left, where small ones could not
    EXPECT_EQ(view(w), (QList<int>{355, 1, 60, 61}));
    ZoomInStep(w.ctx);
    ZoomInStep(w.ctx, true);
    w.grid.Select(70, 72);
    ZoomOutStep(w.ctx);
    EXPECT_EQ(view(w), (QList<int>{605, 2, 70, 72}));
    ZoomOutStep(w.ctx);
    EXPECT_EQ(view(w), (QList<int>{355, 1, 0, 0}));
    ZoomOutStep(w.ctx);
    ZoomOutStep(w.ctx);  // the floor; the level stays 0
    EXPECT_EQ(view(w), (QList<int>{100, 0, 0, 0}));
    ZoomInStep(w.ctx);  // from the width the grid reports
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
    EXPECT_TRUE(w.grid.Row() == 0 && w.grid.Col() == 0);
}
