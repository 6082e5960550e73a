#include "picture/PictureVersions.h"

#include <QThread>

PictureVersions::PictureVersions(QObject* parent, qint64 budget) : QObject(parent), m_budget(budget)
{
    // Workers hand their versions over to the thread that shows them.
    connect(this, &PictureVersions::made, this, &PictureVersions::take, Qt::QueuedConnection);
}

PictureVersions::~PictureVersions()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_waiting.clear();
    }
    m_changed.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
}

void PictureVersions::setMaker(Maker maker)
{
    m_maker = std::move(maker);
    if (m_maker && m_workers.empty()) {
        for (int i = 0, n = std::max(1, QThread::idealThreadCount()); i < n; ++i)
            m_workers.emplace_back([this] { work(); });
    }
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
            std::lock_guard lock(m_mutex);
            if (ahead)
                m_waiting.push_front({wanted, *picture.source(), picture.isGrey()});
            else
                m_waiting.push_back({wanted, *picture.source(), picture.isGrey()});
        }
        m_changed.notify_one();
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
    std::lock_guard lock(m_mutex);
    for (const Job& job : m_waiting)
        m_asked.remove(job.key);
    m_waiting.clear();
}

int PictureVersions::busy() const
{
    std::lock_guard lock(m_mutex);
    return int(m_waiting.size()) + m_making;
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

void PictureVersions::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || !m_waiting.empty(); });
        if (m_stopping)
            return;
        // The newest request first: it is for what the view shows now.
        const Job job = std::move(m_waiting.back());
        m_waiting.pop_back();
        ++m_making;
        lock.unlock();
        const QImage image = m_maker(job.source, job.key.side, job.grey);
        emit made(job.key.picture, job.key.side, image, QPrivateSignal());
        lock.lock();
    }
}
