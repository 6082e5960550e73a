#pragma once

#include "picture/Picture.h"
#include "shell/WorkerPool.h"

#include <QHash>
#include <QObject>

#include <deque>
#include <functional>
#include <list>
#include <mutex>

// The larger versions of pictures that a zoomed-in view shows. They are
// made on worker threads by a function the window gives (from the shared
// thumbnail cache, else from the photograph), and kept while they fit a
// budget, the least recently shown going first. Until a version is ready
// the best one that is stands in, down to the small version every picture
// keeps, so a cell is never blank.
class PictureVersions : public QObject {
    Q_OBJECT
public:
    // Makes the version of a picture from its source that fits a box of
    // `side` pixels, in grey when `grey`; a null image when it cannot.
    // Called on worker threads.
    using Maker = std::function<QImage(const PictureSource& source, int side, bool grey)>;

    static constexpr qint64 DefaultBudget = qint64{96} * 1024 * 1024;

    explicit PictureVersions(QObject* parent = nullptr, qint64 budget = DefaultBudget,
                             WorkerPool& pool = WorkerPool::shared());

    // Without a maker only the small versions and whole pictures show. Set
    // before any version is asked for.
    void setMaker(Maker maker) { m_maker = std::move(maker); }

    // The version for a box of `side` pixels when it is ready, else the
    // best one that is; a version not ready is asked for, once. Versions
    // asked for ahead of a scroll are made after those of the view.
    QImage best(const Picture& picture, int side, bool ahead = false);
    // Versions asked for but not begun are dropped: the view moved on.
    void dropWaiting();
    // Whether the version for a box of `side` pixels is ready (a picture
    // kept whole always is).
    bool isReady(const Picture& picture, int side) const;

    // Versions being made or waiting, and those kept.
    int busy() const;
    int kept() const { return int(m_kept.size()); }

signals:
    // Versions came in: the view shows them at its next paint.
    void arrived();
    // A worker made a version (null when it could not).
    void made(quint64 picture, int side, const QImage& image, QPrivateSignal);

private:
    struct Key {
        quint64 picture = 0;
        int side = 0;
        bool operator==(const Key&) const = default;
        friend size_t qHash(const Key& key, size_t seed) { return qHashMulti(seed, key.picture, key.side); }
    };
    struct Kept {
        Key key;
        QImage image;
    };
    struct Job {
        Key key;
        PictureSource source;
        bool grey = false;
    };

    const QImage* find(const Key& key);
    void keep(const Key& key, const QImage& image);
    void take(quint64 picture, int side, const QImage& image);
    void makeNext(bool ahead, const std::stop_token& stop);

    const qint64 m_budget;
    qint64 m_keptBytes = 0;
    std::list<Kept> m_kept;  // the most recently shown first
    QHash<Key, std::list<Kept>::iterator> m_index;
    QHash<Key, bool> m_asked;  // asked for and not kept: being made, or failed

    Maker m_maker;
    mutable std::mutex m_mutex;
    // Each request is one job in the pool, which takes the newest of the
    // view's requests, or the oldest of those ahead of a scroll, when it runs.
    std::deque<Job> m_viewWaiting;
    std::deque<Job> m_aheadWaiting;
    int m_making = 0;
    WorkerJobs m_jobs;  // last: it ends the makings, which use all above
};
