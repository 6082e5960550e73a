#include "support/FakePlatform.h"
#include "support/TestWall.h"
#include "view/Slideshow.h"

#include <QElapsedTimer>
#include <QPoint>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs a slideshow of 5 ms steps on a wall of 10 rows: the rows it moves to,
// with `during` run once in the pause after the given step.
QList<int> run(TestWall& w, int atStep = -1, const std::function<void()>& during = {})
{
    QList<int> rows;
    QTimer watch;
    int last = w.grid.Row();
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (w.grid.Row() != last)
            rows << (last = w.grid.Row());
        if (atStep >= 0 && rows.size() - 1 == atStep)
            std::exchange(atStep, -1), during();
    });
    watch.start(0);
    mnuSlideshow_Click(w.ctx, 5);
    return rows;
}

// A wall of 10 x 4 cells with one row on screen, which notes at each
// caption and preview the current cell's row and the row in view.
struct OneRowInView : TestWall {
    QList<QPoint> captioned, previewed;
    OneRowInView() : TestWall(10, 4)
    {
        grid.setRowHeight(1500);
        grid.resize(200, 150);
        grid.show();
    }
    void UpdateCaption() override { captioned << QPoint(grid.Row(), grid.TopRow()); }
    void PreviewCurrentCell() override { previewed << QPoint(grid.Row(), grid.TopRow()); }
};

} // namespace

TEST(Slideshow, WalksTheColumnOnceShowingEachCellAndStopsAfterThePauseItIsAskedInOrAtOnceWhenTheWindowCloses)
{
    FakePlatform platform;
    OneRowInView w;
    TestWall menu(10, 4), grown(10, 4), shrunk(10, 4), closing(10, 4);
    w.grid.Select(5, 2);
    EXPECT_TRUE(run(w) == (QList<int>{6, 7, 8, 9}) && w.grid.Col() == 2);
    // Each step is scrolled into view, then captioned and previewed.
    const QList<QPoint> steps{{6, 6}, {7, 7}, {8, 8}, {9, 9}};
    EXPECT_TRUE(w.captioned == steps && w.previewed == steps);
    EXPECT_TRUE(w.state.SlideshowCaptionOff && !w.state.StopSlideshow);
    run(w);  // only turns the caption back
    EXPECT_TRUE(!w.state.SlideshowCaptionOff && w.state.StopSlideshow);
    EXPECT_TRUE(run(w).isEmpty() && w.state.SlideshowCaptionOff);  // from the last row: ends at once

    EXPECT_EQ(run(menu, 2, [&] { mnuSlideshow_Click(menu.ctx); }), (QList<int>{1, 2, 3}));
    EXPECT_TRUE(!menu.state.SlideshowCaptionOff && !menu.state.StopSlideshow);
    EXPECT_EQ(run(grown, 0, [&] { grown.cells.setRows(20); }).last(), 9);  // the last row is read once
    EXPECT_EQ(run(shrunk, 1, [&] { shrunk.cells.setRows(4); }), (QList<int>{1, 2, 3}));

    // Closing the window cuts the pause short and then ends the program.
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(20, [&] { closing.state.IsClosing = true; });
    mnuSlideshow_Click(closing.ctx, 60000);
    EXPECT_TRUE(clock.elapsed() < 5000 && closing.ended && closing.grid.Row() == 1 && platform.messages.isEmpty());
}
