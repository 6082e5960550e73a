#include "support/TestWall.h"
#include "view/Slideshow.h"

#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr double StepMs = 5;

// Runs a slideshow and notes each row it moves to; `during` runs once, in
// the pause after the given step.
struct Show : TestWall {
    QList<int> rows;
    Show() : TestWall(10, 4) {}
    void run(int atStep = -1, const std::function<void()>& during = {})
    {
        QTimer watch;
        int last = grid.Row();
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (grid.Row() != last)
                rows << (last = grid.Row());
            if (rows.size() - 1 == atStep && during) {
                during();
                atStep = -1;
            }
        });
        watch.start(0);
        mnuSlideshow_Click(ctx, StepMs);
    }
};

} // namespace

TEST(Slideshow, WalksDownTheColumnOnceAndLeavesTheCaptionOff)
{
    Show w;
    w.grid.Select(5, 2);
    w.run();
    EXPECT_EQ(w.rows, (QList<int>{6, 7, 8, 9}));
    EXPECT_TRUE(w.grid.Row() == 9 && w.grid.Col() == 2);
    EXPECT_TRUE(w.state.SlideshowCaptionOff && !w.state.StopSlideshow);
    // Chosen now it only turns the caption back: the next run needs a second choice.
    w.rows.clear();
    w.run();
    EXPECT_TRUE(w.rows.isEmpty() && !w.state.SlideshowCaptionOff && w.state.StopSlideshow);
    w.run();
    EXPECT_TRUE(w.grid.Row() == 9 && w.state.SlideshowCaptionOff);
}

TEST(Slideshow, StopsAfterThePauseInWhichItWasAskedTo)
{
    Show w;
    w.grid.Select(0, 1);
    w.run(2, [&] { mnuSlideshow_Click(w.ctx, StepMs); });  // "Slideshow Off"
    EXPECT_EQ(w.rows, (QList<int>{1, 2, 3}));
    EXPECT_TRUE(!w.state.SlideshowCaptionOff && !w.state.StopSlideshow);
    // Another command's stop leaves the caption at "Slideshow Off".
    Show other;
    other.run(1, [&] { other.state.StopSlideshow = true; });
    EXPECT_EQ(other.rows, (QList<int>{1, 2}));
    EXPECT_TRUE(other.state.SlideshowCaptionOff && !other.state.StopSlideshow);
}

TEST(Slideshow, TheLastRowIsReadOnceAndAShrunkenGridEndsTheWalk)
{
    Show w;
    w.grid.Select(9, 0);
    w.run();
    EXPECT_TRUE(w.rows.isEmpty() && w.grid.Row() == 9 && w.state.SlideshowCaptionOff);
    Show grown;
    grown.run(0, [&] { grown.cells.setRows(20); });
    EXPECT_EQ(grown.grid.Row(), 9);
    Show shrunk;
    shrunk.run(1, [&] { shrunk.cells.setRows(4); });
    EXPECT_EQ(shrunk.rows, (QList<int>{1, 2, 3}));
}

TEST(Slideshow, ClosingTheWindowEndsTheWalkAtOnceAndThenTheProgram)
{
    Show w;
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(20, [&] { w.state.IsClosing = true; });
    mnuSlideshow_Click(w.ctx, 60000);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(w.ended && w.grid.Row() == 1);
}
