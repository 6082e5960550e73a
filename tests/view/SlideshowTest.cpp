#include "support/FakePlatform.h"
#include "support/TestWall.h"
#include "view/Slideshow.h"

#include <QCoreApplication>
#include <QPoint>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs a slideshow with a pause that lets events run once and notes the row
// it moved to and how long it was asked to wait, with `during` run in the
// pause after the given step.
QList<QPair<int, double>> run(TestWall& w, int atStep = -1, const std::function<void()>& during = {})
{
    QList<QPair<int, double>> steps;
    mnuSlideshow_Click(w.ctx, [&](double ms, const bool&) {
        steps.append({w.grid.Row(), ms});
        QCoreApplication::processEvents();
        if (steps.size() - 1 == atStep)
            during();
    });
    return steps;
}
QList<int> rows(const QList<QPair<int, double>>& steps)
{
    QList<int> seen;
    for (const auto& step : steps)
        seen << step.first;
    return seen;
}

// A wall of 10 x 4 cells with one row on screen, which notes at each
// hand-off to the caption and the preview the current row and the row in view.
struct OneRowInView : TestWall {
    QList<QPoint> previewed;
    OneRowInView() : TestWall(10, 4) { grid.setRowHeight(1500), grid.resize(200, 150), grid.show(); }
    void PreviewCurrentCell() override { previewed << QPoint(grid.Row(), grid.TopRow()); }
};

} // namespace

TEST(Slideshow, WalksTheColumnOnceShowingEachCellEveryStepAndStopsAfterThePauseItIsAskedIn)
{
    FakePlatform platform;
    OneRowInView w;
    TestWall menu(10, 4), grown(10, 4), shrunk(10, 4), closing(10, 4);
    w.grid.Select(5, 2);
    w.state.StopSlideshow = true;  // an old request, from a command before the run
    EXPECT_EQ(run(w), (QList<QPair<int, double>>{{6, 2500}, {7, 2500}, {8, 2500}, {9, 2500}}));  // 2.5 s a step
    EXPECT_EQ(w.grid.Col(), 2);
    // Each step is scrolled into view, then handed to the caption and the preview.
    EXPECT_EQ(w.previewed, (QList<QPoint>{{6, 6}, {7, 7}, {8, 8}, {9, 9}}));
    EXPECT_TRUE(w.state.SlideshowCaptionOff && !w.state.StopSlideshow);
    run(w);  // only turns the caption back
    EXPECT_TRUE(!w.state.SlideshowCaptionOff && w.state.StopSlideshow);
    EXPECT_TRUE(run(w).isEmpty() && w.state.SlideshowCaptionOff);  // from the last row: ends at once

    EXPECT_EQ(rows(run(menu, 2, [&] { mnuSlideshow_Click(menu.ctx); })), (QList<int>{1, 2, 3}));
    EXPECT_TRUE(!menu.state.SlideshowCaptionOff && !menu.state.StopSlideshow);
    EXPECT_EQ(rows(run(grown, 0, [&] { grown.cells.setRows(20); })).last(), 9);  // the last row is read once
    EXPECT_EQ(rows(run(shrunk, 1, [&] { shrunk.cells.setRows(4); })), (QList<int>{1, 2, 3}));
    // Closing the window ends the walk after its pause, and then the program.
    EXPECT_EQ(rows(run(closing, 0, [&] { closing.state.IsClosing = true; })), QList<int>{1});
    EXPECT_TRUE(closing.ended && closing.grid.Row() == 1 && platform.messages.isEmpty());
}

TEST(Slideshow, AWindowClosedCutsTheRealPauseShort)
{
    TestWall closing(10, 4);
    QMetaObject::invokeMethod(qApp, [&] { closing.state.IsClosing = true; }, Qt::QueuedConnection);
    mnuSlideshow_Click(closing.ctx);  // a pause of 2.5 s, cut short at once
    EXPECT_TRUE(closing.ended && closing.grid.Row() == 1);
}
