#include "inkstead/platform/dispatch/Scheduler_p.h"

#include "inkstead/platform/dispatch/ThreadPool_p.h"

#include <thread>
#include <vector>

namespace ov::dispatch {

Scheduler& Scheduler::shared() {
    static Scheduler* scheduler = new Scheduler;
    return *scheduler;
}

std::uint64_t Scheduler::schedule(Clock::time_point when, Work action) {
    std::lock_guard lock(mutex_);
    const std::uint64_t id = nextID_++;
    entries_.emplace(when, Entry{id, when, std::move(action)});
    if (!threadRunning_) {
        threadRunning_ = true;
        std::thread([this] { run(); }).detach();
    } else {
        changed_.notify_all();
    }
    return id;
}

bool Scheduler::cancel(std::uint64_t id) {
    Work dropped;
    std::lock_guard lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->second.id == id) {
            dropped = std::move(it->second.action);
            entries_.erase(it);
            changed_.notify_all();
            return true;
        }
    }
    return false;
}

void Scheduler::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (entries_.empty()) {
            threadRunning_ = false;
            return;
        }
        const auto wakeAt = entries_.begin()->first;
        if (Clock::now() < wakeAt) {
            if (isForever(wakeAt))
                changed_.wait(lock);
            else
                changed_.wait_until(lock, wakeAt);
            continue;
        }
        const auto now = Clock::now();
        std::vector<Work> due;
        for (auto it = entries_.begin(); it != entries_.end();) {
            if (it->second.when <= now) {
                due.push_back(std::move(it->second.action));
                it = entries_.erase(it);
            } else {
                ++it;
            }
        }
        lock.unlock();
        for (auto& action : due) {
            try {
                action();
            } catch (...) {
            }
        }
        due.clear();
        lock.lock();
    }
}

void asyncAfter(const QueuePtr& queue, Clock::duration delay, Work work) {
    if (!queue || !work)
        return;
    if (delay <= Clock::duration::zero()) {
        queue->async(std::move(work));
        return;
    }
    Scheduler::shared().schedule(deadlineAfter(delay), [queue, work = std::move(work)]() mutable {
        queue->async(std::move(work));
    });
}

} // namespace ov::dispatch
