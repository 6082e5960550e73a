#include "shell/WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <optional>
#include <string>

using Priority = WorkerPool::Priority;

TEST(WorkerPool, QueuedJobsStartByPriorityFirstComeFirstAndDroppingTakesOnlyTheOwnersQueuedOnes)
{
    WorkerPool pool(1);
    std::string order;  // written by the one worker only
    std::promise<void> busy, release, finished;
    WorkerJobs jobs(pool), other(pool);
    other.post(Priority::Ahead, [&](const std::stop_token& stop) {  // which its owner's drop leaves running
        busy.set_value();
        release.get_future().wait();
        order += stop.stop_requested() ? "stopped " : "";
    });
    busy.get_future().wait();  // all that follows waits in the queue
    const auto record = [&](char name) { return [&order, name](const std::stop_token&) { order += name; }; };
    for (const char name : std::string("alvbwm"))  // a, b ahead; l, m load; v, w view
        jobs.post(name == 'l' || name == 'm' ? Priority::Load
                      : name < 'c'           ? Priority::Ahead
                                             : Priority::View,
                  record(name));
    other.post(Priority::View, record('x'));
    other.dropQueued();
    other.post(Priority::Ahead, record('y'));  // dropping does not refuse later ones
    jobs.post(Priority::Ahead, [&](const std::stop_token&) { finished.set_value(); });
    WorkerJobs(pool).stop();  // another owner's stop leaves it running too
    release.set_value();
    finished.get_future().wait();
    EXPECT_EQ(order, "vwlmaby");
}

TEST(WorkerPool, AnOwnersEndAndThePoolsEndTellRunningJobsToStopWaitForThemAndDropTheQueued)
{
    const auto held = std::make_shared<int>();  // what every job captures
    std::atomic<int> started = 0, stopped = 0, queuedRan = 0;
    // Both workers held until told to stop, and one more job queued.
    const auto post = [&](WorkerJobs& jobs) {
        started = 0;
        for (int i = 0; i < 2; ++i)
            jobs.post(Priority::Load, [&, held](const std::stop_token& stop) {
                for (++started; !stop.stop_requested();)
                    std::this_thread::yield();
                ++stopped;
            });
        jobs.post(Priority::Load, [&, held](const std::stop_token&) { ++queuedRan; });
        while (started < 2)
            std::this_thread::yield();
    };
    std::optional<WorkerPool> pool(std::in_place, 2);
    std::optional<WorkerJobs> jobs(std::in_place, *pool), outliving(std::in_place, *pool);
    post(*jobs);
    jobs.reset();
    EXPECT_TRUE(stopped == 2 && queuedRan == 0 && held.use_count() == 1);
    WorkerJobs stoppedOwner(*pool);
    stoppedOwner.stop();
    stoppedOwner.dropQueued();  // and a drop after the stop does not undo it
    stoppedOwner.post(Priority::View, [&, held](const std::stop_token&) { ++queuedRan; });  // refused
    post(*outliving);
    pool.reset();
    outliving->post(Priority::View, [&, held](const std::stop_token&) { ++queuedRan; });
    EXPECT_TRUE(stopped == 4 && queuedRan == 0 && held.use_count() == 1);
}
