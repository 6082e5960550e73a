#pragma once

#include "image/Decode.h"

#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Decodes the next files of a load on worker threads while the user-interface
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

    // `stop` ends the decodes under way and the load's wait for one; the
    // end of this object ends them as well.
    explicit DecodeAhead(int threads, const ThumbnailCache* cache = nullptr, qint64 budget = DefaultBudget,
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

    // Workers for this machine: one per core the process may use, none on
    // a single core.
    static int defaultThreads();
    // The most decodes that ran at once so far.
    int peakConcurrentDecodes() const;

private:
    struct Job {
        QString path;
        int maxWidth = 0;
        int maxHeight = 0;
        enum State { Waiting, Claimed, Done } state = Waiting;
        bool dropped = false;  // no longer queued: its bytes are not held
        DecodedThumbnail result;
    };
    using Lock = std::unique_lock<std::mutex>;

    void work();
    std::shared_ptr<Job> nextWaiting();
    // Decodes a claimed job under the budget; the lock is held on entry and
    // on return, and released while decoding.
    DecodedThumbnail decodeClaimed(Lock& lock, const Job& job, int maxWidth, int maxHeight);
    // Waits on `wake` until `ready`; false when the stop came first. The
    // stop is asked without the lock, now and then.
    template <class Ready>
    bool waitUnlessStopped(Lock& lock, std::condition_variable& wake, Ready ready);

    mutable std::mutex m_mutex;
    // Workers wait on the first (a job, room in the budgets, the end), the
    // load on the second (a finished decode): each wakes only who can go on.
    std::condition_variable m_work;
    std::condition_variable m_done;
    std::deque<std::shared_ptr<Job>> m_jobs;
    static constexpr std::size_t Window = 64;
    static constexpr qint64 HeldBudget = qint64{64} * 1024 * 1024;
    const ThumbnailCache* const m_cache;
    const qint64 m_budget;
    qint64 m_heldBytes = 0;
    qint64 m_inFlightBytes = 0;
    int m_running = 0;
    int m_peakRunning = 0;
    int m_waitingForBudget = 0;  // while one waits, no new decode starts beside it
    bool m_stopping = false;
    const DecodeStop m_stop;
    std::atomic<bool> m_ending = false;  // read by the decodes under way
    const DecodeStop m_decodeStop;
    std::vector<std::thread> m_workers;
};
