#include "picture/PictureVersions.h"

PictureVersions::PictureVersions(QObject* parent, qint64 budget, WorkerPool& pool)
    : QObject(parent), m_budget(budget), m_jobs(pool)
{
    // Workers hand their versions over to the thread that shows them.
    connect(this, &PictureVersions::made, this, &PictureVersions::take, Qt::QueuedConnection);
}

const QImage* PictureVersions::find(const Key& key)
{
    const auto found = m_index.constFind(key);
    if (found == m_index.constEnd())
        return nullptr;
    // Shown again: it goes last when the budget runs out.
    m_kept.splice(m_kept.begin(), m_kept, *found);
    return &(*found)->image;
}

QImage PictureVersions::best(const Picture& picture, int side, bool ahead)
{
    if (side <= 0 || picture.isNull())
        return picture.small();
    if (!picture.source())
        return picture.whole();
    const Key wanted{picture.key(), side};
    if (const QImage* ready = find(wanted))
        return *ready;
    if (m_maker && !m_asked.contains(wanted)) {
        m_asked.insert(wanted, true);
        {
            const std::lock_guard lock(m_mutex);
            (ahead ? m_aheadWaiting : m_viewWaiting).push_back({wanted, *picture.source(), picture.isGrey()});
        }
        m_jobs.post(ahead ? WorkerPool::Priority::Ahead : WorkerPool::Priority::View,
                    [this, ahead](const std::stop_token& stop) { makeNext(ahead, stop); });
    }
    for (int smaller = side / 2; smaller > Picture::SmallSide; smaller /= 2)
        if (const QImage* ready = find({picture.key(), smaller}))
            return *ready;
    return picture.small();
}

bool PictureVersions::isReady(const Picture& picture, int side) const
{
    return side <= 0 || !picture.source() || m_index.contains({picture.key(), side});
}

void PictureVersions::dropWaiting()
{
    m_jobs.dropQueued();
    const std::lock_guard lock(m_mutex);
    for (std::deque<Job>* waiting : {&m_viewWaiting, &m_aheadWaiting}) {
        for (const Job& job : *waiting)
            m_asked.remove(job.key);
        waiting->clear();
    }
}

int PictureVersions::busy() const
{
    const std::lock_guard lock(m_mutex);
    return int(m_viewWaiting.size() + m_aheadWaiting.size()) + m_making;
}

void PictureVersions::keep(const Key& key, const QImage& image)
{
    if (m_index.contains(key))
        return;
    m_kept.push_front({key, image});
    m_index.insert(key, m_kept.begin());
    m_keptBytes += image.sizeInBytes();
    while (m_keptBytes > m_budget && m_kept.size() > 1) {
        m_keptBytes -= m_kept.back().image.sizeInBytes();
        m_index.remove(m_kept.back().key);
        m_kept.pop_back();
    }
}

void PictureVersions::take(quint64 picture, int side, const QImage& image)
{
    {
        std::lock_guard done(m_mutex);
        --m_making;
    }
    if (image.isNull())
        return;  // stays asked: a source that fails is not asked again
    const Key key{picture, side};
    m_asked.remove(key);
    keep(key, image);
    emit arrived();
}

void PictureVersions::makeNext(bool ahead, const std::stop_token& stop)
{
    Job job;
    {
        const std::lock_guard lock(m_mutex);
        std::deque<Job>& waiting = ahead ? m_aheadWaiting : m_viewWaiting;
        if (waiting.empty())
            return;  // dropped since
        // The view's newest request first: it is for what the view shows now.
        if (ahead) {
            job = std::move(waiting.front());
            waiting.pop_front();
        } else {
            job = std::move(waiting.back());
            waiting.pop_back();
        }
        ++m_making;
    }
    const QImage image = m_maker(job.source, job.key.side, job.grey);
    if (!stop.stop_requested())
        emit made(job.key.picture, job.key.side, image, QPrivateSignal());
}
