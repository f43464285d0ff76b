#pragma once

#include "inkstead/platform/dispatch/Dispatch.h"

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>

namespace ov::dispatch {

/// Runs short actions (posting to a queue) at given times on one shared thread. The thread
/// exists only while actions are scheduled; it ends when none is left and starts again with the
/// next one. Never destroyed, like the pool.
class Scheduler {
public:
    static Scheduler& shared();

    /// Runs `action` on the scheduler thread as soon as possible after `when`. Actions must be
    /// short (they post to a queue). Returns an id for `cancel`.
    std::uint64_t schedule(Clock::time_point when, Work action);
    /// Drops a scheduled action; true when it had not run yet.
    bool cancel(std::uint64_t id);

private:
    Scheduler() = default;
    void run();

    struct Entry {
        std::uint64_t id;
        Clock::time_point when;
        Work action;
    };

    std::mutex mutex_;
    std::condition_variable changed_;
    std::multimap<Clock::time_point, Entry> entries_; // by time
    std::uint64_t nextID_ = 1;
    bool threadRunning_ = false;
};

} // namespace ov::dispatch
