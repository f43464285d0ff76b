#pragma once

#include "inkstead/platform/dispatch/Dispatch.h"

#include <array>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace ov::dispatch {

/// The process-wide pool every queue but the main queue runs on. It keeps `processorCount()`
/// threads for running work; when a worker blocks in a group or semaphore wait (or `sync`), the
/// pool may start a stand-in so that queued work still progresses. Extra threads end after a
/// while without work. The pool is never destroyed (its threads are detached), so process exit
/// never waits for queued work.
class ThreadPool {
public:
    static ThreadPool& shared();

    void submit(Work work, QualityOfService qos);

    /// Marks the calling pool worker as blocked for its lifetime (no effect on other threads).
    class BlockingScope {
    public:
        BlockingScope();
        ~BlockingScope();
        BlockingScope(const BlockingScope&) = delete;
        BlockingScope& operator=(const BlockingScope&) = delete;

    private:
        bool active_ = false;
    };

private:
    ThreadPool();
    void spawnLocked();
    void maybeSpawnLocked();
    void workerLoop();
    [[nodiscard]] std::size_t queuedLocked() const;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::array<std::deque<Work>, 4> queues_; // by QualityOfService, highest last
    std::size_t target_;
    std::size_t threads_ = 0;
    std::size_t idle_ = 0;
    std::size_t blocked_ = 0;
};

/// A time in `duration` from now, saturating instead of overflowing.
[[nodiscard]] Clock::time_point deadlineAfter(Clock::duration duration);
[[nodiscard]] inline bool isForever(Clock::time_point deadline) {
    return deadline == Clock::time_point::max();
}

} // namespace ov::dispatch
