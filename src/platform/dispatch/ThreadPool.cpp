#include "inkstead/platform/dispatch/ThreadPool_p.h"

#include <thread>

namespace ov::dispatch {

namespace {

thread_local bool tIsPoolWorker = false;

// Stand-ins for blocked workers are capped so that a pile of blocked waits cannot start an
// unbounded number of threads.
constexpr std::size_t kMaxExtraThreads = 64;
constexpr auto kIdleExitDelay = std::chrono::seconds(10);

} // namespace

std::size_t processorCount() {
    static const std::size_t count = std::max(1u, std::thread::hardware_concurrency());
    return count;
}

Clock::time_point deadlineAfter(Clock::duration duration) {
    const auto now = Clock::now();
    if (duration >= Clock::time_point::max() - now)
        return Clock::time_point::max();
    return now + std::max(duration, Clock::duration::zero());
}

ThreadPool& ThreadPool::shared() {
    // Leaked on purpose: detached workers may still touch it while the process exits.
    static ThreadPool* pool = new ThreadPool;
    return *pool;
}

ThreadPool::ThreadPool() : target_(processorCount()) {}

std::size_t ThreadPool::queuedLocked() const {
    std::size_t n = 0;
    for (const auto& q : queues_)
        n += q.size();
    return n;
}

void ThreadPool::spawnLocked() {
    ++threads_;
    std::thread([this] {
        tIsPoolWorker = true;
        workerLoop();
    }).detach();
}

void ThreadPool::maybeSpawnLocked() {
    // Idle workers take queued items one each; start a thread only for what they cannot take.
    if (queuedLocked() <= idle_) {
        wake_.notify_one();
        return;
    }
    if (threads_ - blocked_ < target_ && threads_ < target_ + kMaxExtraThreads)
        spawnLocked();
    else if (idle_ > 0)
        wake_.notify_one();
}

void ThreadPool::submit(Work work, QualityOfService qos) {
    std::lock_guard lock(mutex_);
    queues_[static_cast<std::size_t>(qos)].push_back(std::move(work));
    maybeSpawnLocked();
}

void ThreadPool::workerLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        Work work;
        for (auto q = queues_.rbegin(); q != queues_.rend(); ++q) {
            if (!q->empty()) {
                work = std::move(q->front());
                q->pop_front();
                break;
            }
        }
        if (work) {
            lock.unlock();
            try {
                work();
            } catch (...) {
                // A throwing work item must not take the pool down; its exception has nowhere
                // to go.
            }
            work = nullptr; // destroy captures outside the lock
            lock.lock();
            continue;
        }
        if (threads_ - blocked_ > target_) {
            --threads_;
            return;
        }
        ++idle_;
        const bool woken =
            wake_.wait_for(lock, kIdleExitDelay, [this] { return queuedLocked() > 0; });
        --idle_;
        if (!woken && threads_ > target_) {
            --threads_;
            return;
        }
    }
}

ThreadPool::BlockingScope::BlockingScope() : active_(tIsPoolWorker) {
    if (!active_)
        return;
    auto& pool = shared();
    std::lock_guard lock(pool.mutex_);
    ++pool.blocked_;
    if (pool.queuedLocked() > pool.idle_)
        pool.maybeSpawnLocked();
}

ThreadPool::BlockingScope::~BlockingScope() {
    if (!active_)
        return;
    auto& pool = shared();
    std::lock_guard lock(pool.mutex_);
    --pool.blocked_;
}

} // namespace ov::dispatch
