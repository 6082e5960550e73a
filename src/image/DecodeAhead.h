#pragma once

#include "image/Decode.h"
#include "shell/WorkerPool.h"

#include <QStringList>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>

// Decodes the next files of a load in the worker pool while the user-interface
// thread places the images before them. The load still asks for every image
// in order; a file that was never queued is simply decoded by the caller.
//
// Memory stays bounded whatever the number of cores: the decodes running at
// once never hold more than the budget by their header's estimate (a large
// decode waits until it can run alone), and finished decodes waiting to be
// placed never hold more than a second, smaller budget. A picture that the
// shared thumbnail cache holds is taken from it at once, never waiting
// behind a decode.
class DecodeAhead final : public ReadyDecodes {
public:
    static constexpr qint64 DefaultBudget = qint64{256} * 1024 * 1024;

    // `stop` ends the decodes under way and the load's waits for one.
    explicit DecodeAhead(WorkerPool& pool, const ThumbnailCache* cache = nullptr, qint64 budget = DefaultBudget,
                         DecodeStop stop = {});
    ~DecodeAhead() override;
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    // Files the load will ask for next, in the order it will ask.
    void enqueue(const QStringList& paths, int maxWidth, int maxHeight);
    // The decode of a queued file: waits for it if it is under way, makes it
    // here if no worker has started it. Files queued before it are dropped.
    // A stop meanwhile gives a stopped result at once.
    std::optional<DecodedThumbnail> take(const QString& path, int maxWidth, int maxHeight) override;

    // The most decodes that ran at once so far.
    int peakConcurrentDecodes() const;

private:
    struct Job {
        QString path;
        int maxWidth = 0;
        int maxHeight = 0;
        enum State { Waiting, Claimed, Done } state = Waiting;
        bool dropped = false;  // no longer queued: its bytes are not held
        qint64 cost = -1;      // known once a worker found no room for it
        DecodedThumbnail result;
    };
    using Lock = std::unique_lock<std::mutex>;

    void decodeNext(const std::stop_token& stop);
    std::shared_ptr<Job> nextWaiting() const;
    bool fits(qint64 cost) const { return m_inFlightBytes == 0 || m_inFlightBytes + cost <= m_budget; }
    // Gives the pool a job for every decode that may start now.
    void post();
    // Decodes a claimed job under the budget; the lock is held on entry and
    // on return, and released while decoding. The load waits for room; a
    // worker does not, nor goes on once told to stop: it gets nullopt.
    std::optional<DecodedThumbnail> decodeClaimed(Lock& lock, Job& job, int maxWidth, int maxHeight,
                                                  const std::stop_token* worker);
    // Waits on `wake` until `ready`; false when the stop came first. The
    // stop is asked without the lock, now and then.
    template <class Ready>
    bool waitUnlessStopped(Lock& lock, std::condition_variable& wake, Ready ready);

    mutable std::mutex m_mutex;
    std::condition_variable m_roomFreed;  // the load waits for room in the budget
    std::condition_variable m_done;       // and for a worker's decode
    std::deque<std::shared_ptr<Job>> m_jobs;
    static constexpr std::size_t Window = 64;
    static constexpr qint64 HeldBudget = qint64{64} * 1024 * 1024;
    const ThumbnailCache* const m_cache;
    const qint64 m_budget;
    qint64 m_heldBytes = 0;
    qint64 m_inFlightBytes = 0;
    int m_running = 0;
    int m_peakRunning = 0;
    bool m_loadWaitsForRoom = false;  // meanwhile no new decode starts beside it
    const int m_decoders;             // the most pool jobs at once
    int m_posted = 0;                 // pool jobs not ended
    int m_unclaimed = 0;              // of those, not begun
    const DecodeStop m_stop;
    WorkerJobs m_work;  // last: it ends the decodes, which use all above
};
