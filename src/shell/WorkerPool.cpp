#include "shell/WorkerPool.h"

#include <QThread>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <deque>
#include <mutex>

struct WorkerPool::State {
    struct Queued {
        const WorkerJobs* owner;
        Job job;
    };
    struct Running {
        const WorkerJobs* owner = nullptr;
        std::stop_source stop;
    };

    explicit State(std::size_t workers) : running(workers) {}

    void work(std::size_t slot);
    void post(const WorkerJobs& owner, Priority priority, Job job);
    // Drops the owner's queued jobs; with `stop`, asks its running ones to
    // stop and refuses its later ones.
    void cancel(WorkerJobs& owner, bool stop);
    void waitForRunning(const WorkerJobs& owner);
    void shutDown();

    std::mutex mutex;
    std::condition_variable queuedOne;  // workers wait for a job
    std::condition_variable ended;      // owners wait for their running jobs
    std::array<std::deque<Queued>, 3> queues;  // one per priority
    std::vector<Running> running;              // one per worker
    bool stopping = false;
};

WorkerPool::WorkerPool(int threads) : m_state(std::make_shared<State>(std::size_t(std::max(threads, 1))))
{
    for (std::size_t slot = 0; slot < m_state->running.size(); ++slot)
        m_workers.emplace_back([state = m_state.get(), slot] { state->work(slot); });
}

WorkerPool::~WorkerPool()
{
    m_state->shutDown();
    for (std::thread& worker : m_workers)
        worker.join();
}

WorkerPool& WorkerPool::shared()
{
    static WorkerPool pool(QThread::idealThreadCount());
    return pool;
}

void WorkerPool::State::work(std::size_t slot)
{
    std::unique_lock lock(mutex);
    for (;;) {
        if (stopping)
            return;
        const auto next = std::find_if(queues.begin(), queues.end(), [](const auto& queue) { return !queue.empty(); });
        if (next == queues.end()) {
            queuedOne.wait(lock);
            continue;
        }
        Queued queued = std::move(next->front());
        next->pop_front();
        running[slot] = {queued.owner, std::stop_source()};
        const std::stop_token stop = running[slot].stop.get_token();
        lock.unlock();
        queued.job(stop);
        // What the job holds goes before its owner may end.
        queued.job = nullptr;
        lock.lock();
        running[slot].owner = nullptr;
        ended.notify_all();
    }
}

void WorkerPool::State::post(const WorkerJobs& owner, Priority priority, Job job)
{
    {
        const std::lock_guard lock(mutex);
        if (owner.m_stopped || stopping)
            return;
        queues[std::size_t(priority)].push_back({&owner, std::move(job)});
    }
    queuedOne.notify_one();
}

void WorkerPool::State::cancel(WorkerJobs& owner, bool stop)
{
    // Dropped jobs are destroyed outside the lock: what they hold may run code of its own.
    std::vector<Job> dropped;
    const std::lock_guard lock(mutex);
    owner.m_stopped = owner.m_stopped || stop;
    for (std::deque<Queued>& queue : queues) {
        const auto kept = std::stable_partition(queue.begin(), queue.end(),
                                                [&](const Queued& queued) { return queued.owner != &owner; });
        for (auto it = kept; it != queue.end(); ++it)
            dropped.push_back(std::move(it->job));
        queue.erase(kept, queue.end());
    }
    if (stop) {
        for (Running& slot : running)
            if (slot.owner == &owner)
                slot.stop.request_stop();
    }
}

void WorkerPool::State::waitForRunning(const WorkerJobs& owner)
{
    std::unique_lock lock(mutex);
    ended.wait(lock, [&] {
        return std::none_of(running.begin(), running.end(), [&](const Running& slot) { return slot.owner == &owner; });
    });
}

void WorkerPool::State::shutDown()
{
    std::array<std::deque<Queued>, 3> dropped;  // destroyed outside the lock, as above
    {
        const std::lock_guard lock(mutex);
        stopping = true;
        dropped.swap(queues);
        for (Running& slot : running)
            slot.stop.request_stop();
    }
    queuedOne.notify_all();
}

WorkerJobs::WorkerJobs(const WorkerPool& pool) : m_pool(pool.m_state) {}

void WorkerJobs::post(WorkerPool::Priority priority, WorkerPool::Job job)
{
    m_pool->post(*this, priority, std::move(job));
}

void WorkerJobs::dropQueued()
{
    m_pool->cancel(*this, false);
}

void WorkerJobs::stop()
{
    m_pool->cancel(*this, true);
    m_pool->waitForRunning(*this);
}
