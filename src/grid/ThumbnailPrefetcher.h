#pragma once

#include "grid/Thumbnail.h"

#include <QStringList>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Decodes the next files of a scan on worker threads while the user-interface
// thread places the images before them. The scan still asks for every image
// in order; a file that was never queued is simply decoded by the caller.
class ThumbnailPrefetcher {
public:
    explicit ThumbnailPrefetcher(int threads);
    ~ThumbnailPrefetcher();
    ThumbnailPrefetcher(const ThumbnailPrefetcher&) = delete;
    ThumbnailPrefetcher& operator=(const ThumbnailPrefetcher&) = delete;

    // Files the scan will ask for next, in the order it will ask.
    void enqueue(const QStringList& paths, int maxWidth, int maxHeight);
    // The decode of a queued file, waiting for it if it is under way; files
    // queued before it are dropped. nullopt when it was not queued with
    // these limits.
    std::optional<DecodedThumbnail> take(const QString& path, int maxWidth, int maxHeight);

    // Workers for this machine: one per core the process may use, none on
    // a single core.
    static int defaultThreads();

private:
    struct Job {
        QString path;
        int maxWidth = 0;
        int maxHeight = 0;
        enum State { Waiting, Decoding, Done } state = Waiting;
        bool dropped = false;  // no longer queued: its bytes are not held
        DecodedThumbnail result;
    };

    void work();
    std::shared_ptr<Job> nextWaiting();

    std::mutex m_mutex;
    std::condition_variable m_wake;  // workers: a job or the end
    std::condition_variable m_done;  // the taker: a job finished
    std::deque<std::shared_ptr<Job>> m_jobs;
    // Decoding runs at most this many files ahead, and pauses while finished
    // decodes that wait to be placed hold more than the byte budget (large
    // when images are kept whole).
    static constexpr std::size_t Window = 64;
    static constexpr qint64 HeldBudget = 64 * 1024 * 1024;
    qint64 m_heldBytes = 0;
    bool m_stopping = false;
    std::vector<std::thread> m_workers;
};
