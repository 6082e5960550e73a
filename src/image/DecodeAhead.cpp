#include "image/DecodeAhead.h"

#include <QThread>

#include <algorithm>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

#ifdef __GLIBC__
// Decoding allocates large, short-lived buffers on the worker threads. With
// glibc's sliding thresholds they come from the workers' own heaps, whose
// freed tops stay resident after the load: fixed thresholds give the large
// ones (a progressive photograph's coefficients) their own mappings and trim
// what is freed, while the rest is reused without faulting in fresh pages.
[[maybe_unused]] const bool HeapsGiveBack = [] {
    mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024);
    return true;
}();
#endif

} // namespace

DecodeAhead::DecodeAhead(int threads, const ThumbnailCache* cache, qint64 budget, DecodeStop stop)
    : m_cache(cache), m_budget(budget), m_stop(std::move(stop)),
      m_decodeStop([this] { return m_ending || (m_stop && m_stop()); })
{
    for (int i = 0; i < threads; ++i)
        m_workers.emplace_back([this] { work(); });
}

DecodeAhead::~DecodeAhead()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_jobs.clear();
    }
    m_ending = true;
    m_work.notify_all();
    m_done.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
#ifdef __GLIBC__
    // What the load freed in the middle of the heaps goes back as well.
    malloc_trim(0);
#endif
}

int DecodeAhead::defaultThreads()
{
    // On a single core a worker only adds switching to the same work.
    const int cores = QThread::idealThreadCount();
    return cores > 1 ? cores : 0;
}

int DecodeAhead::peakConcurrentDecodes() const
{
    std::lock_guard lock(m_mutex);
    return m_peakRunning;
}

void DecodeAhead::enqueue(const QStringList& paths, int maxWidth, int maxHeight)
{
    if (m_workers.empty() || paths.isEmpty())
        return;
    {
        std::lock_guard lock(m_mutex);
        for (const QString& path : paths) {
            auto job = std::make_shared<Job>();
            job->path = path;
            job->maxWidth = maxWidth;
            job->maxHeight = maxHeight;
            m_jobs.push_back(std::move(job));
        }
    }
    m_work.notify_all();
}

std::optional<DecodedThumbnail> DecodeAhead::take(const QString& path, int maxWidth, int maxHeight)
{
    Lock lock(m_mutex);
    const auto found = std::find_if(m_jobs.begin(), m_jobs.end(),
                                    [&](const std::shared_ptr<Job>& job) { return job->path == path; });
    if (found == m_jobs.end())
        return std::nullopt;
    const std::shared_ptr<Job> job = *found;
    for (auto it = m_jobs.begin(); it != found + 1; ++it) {
        (*it)->dropped = true;
        if ((*it)->state == Job::Done)
            m_heldBytes -= (*it)->result.bytes();
    }
    m_jobs.erase(m_jobs.begin(), found + 1);
    m_work.notify_all();  // the window moved on
    if (job->state == Job::Waiting) {
        job->state = Job::Claimed;
        return decodeClaimed(lock, *job, maxWidth, maxHeight);
    }
    if (!waitUnlessStopped(lock, m_done, [&] { return job->state == Job::Done; })) {
        DecodedThumbnail stopped;
        stopped.stopped = true;
        return stopped;
    }
    if (job->maxWidth != maxWidth || job->maxHeight != maxHeight)
        return decodeClaimed(lock, *job, maxWidth, maxHeight);  // the limits changed meanwhile
    return std::move(job->result);
}

std::shared_ptr<DecodeAhead::Job> DecodeAhead::nextWaiting()
{
    if (m_heldBytes > HeldBudget || m_waitingForBudget > 0)
        return nullptr;
    const std::size_t end = std::min(Window, m_jobs.size());
    for (std::size_t i = 0; i < end; ++i)
        if (m_jobs[i]->state == Job::Waiting)
            return m_jobs[i];
    return nullptr;
}

DecodedThumbnail DecodeAhead::decodeClaimed(Lock& lock, const Job& job, int maxWidth, int maxHeight)
{
    lock.unlock();
    if (m_cache) {
        if (std::optional<DecodedThumbnail> cached = CachedThumbnail(job.path, maxWidth, maxHeight, *m_cache)) {
            lock.lock();
            return std::move(*cached);
        }
    }
    const qint64 cost = EstimatedDecodeBytes(job.path, maxWidth, maxHeight);
    lock.lock();
    ++m_waitingForBudget;
    const bool started = waitUnlessStopped(
        lock, m_work, [&] { return m_stopping || m_inFlightBytes == 0 || m_inFlightBytes + cost <= m_budget; });
    --m_waitingForBudget;
    if (m_stopping || !started) {
        m_work.notify_all();
        DecodedThumbnail stopped;
        stopped.stopped = true;
        return stopped;
    }
    m_inFlightBytes += cost;
    m_peakRunning = std::max(m_peakRunning, ++m_running);
    m_work.notify_all();  // others may start beside it now
    lock.unlock();
    DecodedThumbnail result = DecodeThumbnail(job.path, maxWidth, maxHeight, m_cache, m_decodeStop);
    lock.lock();
    m_inFlightBytes -= cost;
    --m_running;
    m_work.notify_all();
    return result;
}

template <class Ready>
bool DecodeAhead::waitUnlessStopped(Lock& lock, std::condition_variable& wake, Ready ready)
{
    constexpr std::chrono::milliseconds StopAskedEvery{20};
    while (!ready()) {
        if (wake.wait_for(lock, StopAskedEvery) == std::cv_status::timeout && m_stop) {
            lock.unlock();
            const bool stopped = m_stop();
            lock.lock();
            if (stopped)
                return false;
        }
    }
    return true;
}

void DecodeAhead::work()
{
    Lock lock(m_mutex);
    for (;;) {
        std::shared_ptr<Job> job;
        m_work.wait(lock, [&] { return m_stopping || (job = nextWaiting()); });
        if (m_stopping)
            return;
        job->state = Job::Claimed;
        DecodedThumbnail result = decodeClaimed(lock, *job, job->maxWidth, job->maxHeight);
        if (m_stopping)
            return;
        job->result = std::move(result);
        job->state = Job::Done;
        if (!job->dropped)
            m_heldBytes += job->result.bytes();
        m_done.notify_all();
    }
}
