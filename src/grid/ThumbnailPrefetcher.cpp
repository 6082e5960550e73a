#include "grid/ThumbnailPrefetcher.h"

#include <QThread>

#include <algorithm>

ThumbnailPrefetcher::ThumbnailPrefetcher(int threads)
{
    for (int i = 0; i < threads; ++i)
        m_workers.emplace_back([this] { work(); });
}

ThumbnailPrefetcher::~ThumbnailPrefetcher()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
}

int ThumbnailPrefetcher::defaultThreads()
{
    // On a single core a worker only adds switching to the same work.
    const int cores = QThread::idealThreadCount();
    return cores > 1 ? cores : 0;
}

void ThumbnailPrefetcher::enqueue(const QStringList& paths, int maxWidth, int maxHeight)
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
    m_wake.notify_all();
}

std::optional<DecodedThumbnail> ThumbnailPrefetcher::take(const QString& path, int maxWidth, int maxHeight)
{
    std::unique_lock lock(m_mutex);
    const auto found = std::find_if(m_jobs.begin(), m_jobs.end(),
                                    [&](const std::shared_ptr<Job>& job) { return job->path == path; });
    if (found == m_jobs.end())
        return std::nullopt;
    const std::shared_ptr<Job> job = *found;
    for (auto it = m_jobs.begin(); it != found + 1; ++it) {
        (*it)->dropped = true;
        if ((*it)->state == Job::Done)
            m_heldBytes -= (*it)->result.image.sizeInBytes();
    }
    m_jobs.erase(m_jobs.begin(), found + 1);
    m_wake.notify_all();  // the window moved on
    if (job->state == Job::Waiting || job->maxWidth != maxWidth || job->maxHeight != maxHeight)
        return std::nullopt;  // not started, or for other limits: the caller decodes
    m_done.wait(lock, [&] { return job->state == Job::Done; });
    return std::move(job->result);
}

std::shared_ptr<ThumbnailPrefetcher::Job> ThumbnailPrefetcher::nextWaiting()
{
    if (m_heldBytes > HeldBudget)
        return nullptr;
    const std::size_t end = std::min(Window, m_jobs.size());
    for (std::size_t i = 0; i < end; ++i)
        if (m_jobs[i]->state == Job::Waiting)
            return m_jobs[i];
    return nullptr;
}

void ThumbnailPrefetcher::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        std::shared_ptr<Job> job;
        m_wake.wait(lock, [&] { return m_stopping || (job = nextWaiting()); });
        if (m_stopping)
            return;
        job->state = Job::Decoding;
        lock.unlock();
        DecodedThumbnail result = DecodeThumbnail(job->path, job->maxWidth, job->maxHeight);
        lock.lock();
        job->result = std::move(result);
        job->state = Job::Done;
        if (!job->dropped)
            m_heldBytes += job->result.image.sizeInBytes();
        m_done.notify_all();
    }
}
