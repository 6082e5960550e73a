#include "image/DecodeAhead.h"

#include <QThread>

#include <algorithm>

#ifdef __GLIBC__
#include <malloc.h>
#endif

DecodeAhead::DecodeAhead(WorkerPool& pool, const ThumbnailCache* cache, qint64 budget, DecodeStop stop)
    // On a single core a decode ahead only adds switching to the same work.
    : m_cache(cache), m_budget(budget), m_decoders(QThread::idealThreadCount() > 1 ? pool.threads() : 0),
      m_stop(std::move(stop)), m_work(pool)
{
}

namespace {

DecodedThumbnail stoppedDecode()
{
    DecodedThumbnail stopped;
    stopped.stopped = true;
    return stopped;
}

} // namespace

DecodeAhead::~DecodeAhead()
{
    m_work.stop();
#ifdef __GLIBC__
    // What the load freed in the middle of the heaps goes back as well.
    malloc_trim(0);
#endif
}

int DecodeAhead::peakConcurrentDecodes() const
{
    const std::lock_guard lock(m_mutex);
    return m_peakRunning;
}

void DecodeAhead::enqueue(const QStringList& paths, int maxWidth, int maxHeight)
{
    if (m_decoders == 0)
        return;
    const std::lock_guard lock(m_mutex);
    for (const QString& path : paths) {
        auto job = std::make_shared<Job>();
        job->path = path;
        job->maxWidth = maxWidth;
        job->maxHeight = maxHeight;
        m_jobs.push_back(std::move(job));
    }
    post();
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
    post();  // the window moved on
    // A worker may leave it waiting for room, which the load then waits for itself.
    if (!waitUnlessStopped(lock, m_done, [&] { return job->state != Job::Claimed; }))
        return stoppedDecode();
    if (job->state == Job::Waiting || job->maxWidth != maxWidth || job->maxHeight != maxHeight) {
        job->state = Job::Claimed;  // not begun, or the limits changed meanwhile
        return decodeClaimed(lock, *job, maxWidth, maxHeight, nullptr);
    }
    return std::move(job->result);
}

std::shared_ptr<DecodeAhead::Job> DecodeAhead::nextWaiting() const
{
    if (m_heldBytes > HeldBudget || m_loadWaitsForRoom)
        return nullptr;
    std::shared_ptr<Job> first;
    const std::size_t end = std::min(Window, m_jobs.size());
    for (std::size_t i = 0; i < end; ++i) {
        const std::shared_ptr<Job>& job = m_jobs[i];
        if (job->state != Job::Waiting)
            continue;
        // One left for want of room goes next, and nothing beside it until it fits.
        if (job->cost >= 0)
            return fits(job->cost) ? job : nullptr;
        if (!first)
            first = job;
    }
    return first;
}

void DecodeAhead::post()
{
    int waiting = 0;
    if (nextWaiting()) {
        for (std::size_t i = 0, end = std::min(Window, m_jobs.size()); i < end; ++i)
            waiting += m_jobs[i]->state == Job::Waiting ? 1 : 0;
    }
    // Each pool job takes the next waiting one when it runs.
    for (; m_posted < m_decoders && m_unclaimed < waiting; ++m_posted, ++m_unclaimed)
        m_work.post(WorkerPool::Priority::Load, [this](const std::stop_token& stop) { decodeNext(stop); });
}

std::optional<DecodedThumbnail> DecodeAhead::decodeClaimed(Lock& lock, Job& job, int maxWidth, int maxHeight,
                                                           const std::stop_token* worker)
{
    const auto stopped = [&] { return worker && worker->stop_requested(); };
    qint64 cost = maxWidth == job.maxWidth && maxHeight == job.maxHeight ? job.cost : -1;
    if (cost < 0) {
        lock.unlock();
        if (m_cache) {
            if (std::optional<DecodedThumbnail> cached = CachedThumbnail(job.path, maxWidth, maxHeight, *m_cache)) {
                lock.lock();
                return cached;
            }
        }
        cost = stopped() ? 0 : EstimatedDecodeBytes(job.path, maxWidth, maxHeight);
        lock.lock();
    }
    if (stopped())
        return std::nullopt;
    if (!fits(cost)) {
        if (worker) {
            job.cost = cost;
            return std::nullopt;
        }
        m_loadWaitsForRoom = true;
        const bool room = waitUnlessStopped(lock, m_roomFreed, [&] { return fits(cost); });
        m_loadWaitsForRoom = false;
        if (!room) {
            post();
            return stoppedDecode();
        }
    }
    m_inFlightBytes += cost;
    m_peakRunning = std::max(m_peakRunning, ++m_running);
    post();  // others may start beside it now
    lock.unlock();
    DecodedThumbnail result =
        DecodeThumbnail(job.path, maxWidth, maxHeight, m_cache, [&] { return stopped() || (m_stop && m_stop()); });
    lock.lock();
    m_inFlightBytes -= cost;
    --m_running;
    m_roomFreed.notify_all();
    post();
    return result;
}

void DecodeAhead::decodeNext(const std::stop_token& stop)
{
    Lock lock(m_mutex);
    --m_unclaimed;
    if (const std::shared_ptr<Job> job = nextWaiting()) {
        job->state = Job::Claimed;
        std::optional<DecodedThumbnail> result = decodeClaimed(lock, *job, job->maxWidth, job->maxHeight, &stop);
        if (result) {
            job->result = std::move(*result);
            job->state = Job::Done;
            if (!job->dropped)
                m_heldBytes += job->result.bytes();
        } else {
            job->state = Job::Waiting;
        }
        m_done.notify_all();
    }
    --m_posted;
    post();
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
