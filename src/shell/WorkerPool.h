#pragma once

#include <functional>
#include <memory>
#include <stop_token>
#include <thread>
#include <vector>

// The program's worker threads, shared by all work computed ahead of the
// user-interface thread. Queued jobs start by priority, first come first
// within one; each running job gets a token that asks it to stop early.
// Its end drops what is queued, asks the running jobs to stop and joins.
class WorkerPool {
public:
    // The order in which queued jobs start.
    enum class Priority { View, Load, Ahead };
    using Job = std::function<void(const std::stop_token& stop)>;

    explicit WorkerPool(int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int threads() const { return int(m_workers.size()); }
    // The program's pool, one worker per core, made at first use.
    static WorkerPool& shared();

    // Queues and workers, shared with the owners' jobs so that an owner
    // may even outlive the pool.
    struct State;

private:
    friend class WorkerJobs;
    std::shared_ptr<State> m_state;
    std::vector<std::thread> m_workers;
};

// One owner's jobs in a pool. Its end cancels them and waits for those
// running, so what they use of the owner, declared before it, outlives them.
class WorkerJobs {
public:
    explicit WorkerJobs(const WorkerPool& pool);
    ~WorkerJobs() { stop(); }
    WorkerJobs(const WorkerJobs&) = delete;
    WorkerJobs& operator=(const WorkerJobs&) = delete;

    // Ignored once stopped.
    void post(WorkerPool::Priority priority, WorkerPool::Job job);
    // Jobs not begun are dropped; running ones go on.
    void dropQueued();
    // Drops the queued jobs, asks the running ones to stop and waits for
    // them; nothing posted later runs.
    void stop();

private:
    friend struct WorkerPool::State;
    std::shared_ptr<WorkerPool::State> m_pool;
    bool m_stopped = false;  // the pool's, under its lock
};
