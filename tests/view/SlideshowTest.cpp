#include "support/FakePlatform.h"
#include "support/TestWall.h"
#include "view/Slideshow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPoint>
#include <gtest/gtest.h>

namespace {

// A wall of 10 x 4 cells with one row on screen, which notes at each
// hand-off to the caption and the preview the current row and the row in view.
struct OneRowInView : TestWall {
    QList<QPoint> previewed;
    OneRowInView() : TestWall(10, 4)
    {
        grid.setRowHeight(1500);
        grid.resize(200, 150);
        grid.show();
    }
    void PreviewCurrentCell() override { previewed << QPoint(grid.Row(), grid.TopRow()); }
    // Runs a slideshow with a pause that lets events run once and notes the
    // row it moved to and the wait asked for, with `during` run in the pause
    // after the given step; then the rows it went through.
    QList<int> run(int atStep = -1, const std::function<void()>& during = {})
    {
        QList<int> rows;
        mnuSlideshow_Click(ctx, [&](double ms, const bool&) {
            rows << grid.Row();
            EXPECT_EQ(ms, 2500);  // 2.5 s a step
            QCoreApplication::processEvents();
            if (rows.size() - 1 == atStep)
                during();
        });
        return rows;
    }
};

} // namespace

TEST(Slideshow, WalksTheColumnOnceShowingEachCellEveryStepAndStopsAfterThePauseItIsAskedIn)
{
    FakePlatform platform;
    OneRowInView w, menu, grown, shrunk, narrowed;
    w.grid.Select(5, 2);
    w.state.StopSlideshow = true;  // an old request, from a command before the run
    EXPECT_TRUE(w.run() == (QList<int>{6, 7, 8, 9}) && w.grid.Col() == 2);
    // Each step is scrolled into view, then handed to the caption and the preview.
    EXPECT_EQ(w.previewed, (QList<QPoint>{{6, 6}, {7, 7}, {8, 8}, {9, 9}}));
    EXPECT_TRUE(w.state.SlideshowCaptionOff && !w.state.StopSlideshow);
    w.run();  // only turns the caption back
    EXPECT_TRUE(!w.state.SlideshowCaptionOff && w.state.StopSlideshow);
    EXPECT_TRUE(w.run().isEmpty() && w.state.SlideshowCaptionOff);  // from the last row: ends at once

    EXPECT_EQ(menu.run(2, [&] { mnuSlideshow_Click(menu.ctx); }), (QList<int>{1, 2, 3}));
    EXPECT_TRUE(!menu.state.SlideshowCaptionOff && !menu.state.StopSlideshow);
    EXPECT_EQ(grown.run(0, [&] { grown.cells.setRows(20); }).last(), 9);  // the last row is read once
    EXPECT_EQ(shrunk.run(1, [&] { shrunk.cells.setRows(4); }), (QList<int>{1, 2, 3}));
    narrowed.grid.Select(0, 3);
    EXPECT_EQ(narrowed.run(0, [&] { narrowed.cells.setCols(3); }), QList<int>{1});  // its column gone
    // Closing the window cuts the real pause short and ends the walk, and
    // then the program.
    TestWall closing(10, 4);
    QElapsedTimer clock;
    clock.start();
    QMetaObject::invokeMethod(qApp, [&] { closing.state.IsClosing = true; }, Qt::QueuedConnection);
    mnuSlideshow_Click(closing.ctx);
    EXPECT_TRUE(closing.ended && closing.grid.Row() == 1 && platform.messages.isEmpty()
                && clock.elapsed() < 2000);  // before the step's 2.5 s are up
}
