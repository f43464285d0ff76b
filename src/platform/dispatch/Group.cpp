#include "inkstead/platform/dispatch/ThreadPool_p.h"

#include <condition_variable>
#include <mutex>
#include <vector>

namespace ov::dispatch {

struct Group::State {
    std::mutex mutex;
    std::condition_variable empty;
    long count = 0;
    std::vector<std::pair<QueuePtr, Work>> notifications;
};

Group::Group() : d(std::make_shared<State>()) {}

Group::~Group() = default;

void Group::enter() {
    std::lock_guard lock(d->mutex);
    ++d->count;
}

void Group::leave() {
    leaveState(d);
}

void Group::leaveState(const std::shared_ptr<State>& state) {
    std::vector<std::pair<QueuePtr, Work>> due;
    {
        std::lock_guard lock(state->mutex);
        if (state->count == 0)
            return;
        if (--state->count > 0)
            return;
        due.swap(state->notifications);
        state->empty.notify_all();
    }
    for (auto& [queue, work] : due)
        queue->async(std::move(work));
}

void Group::async(const QueuePtr& queue, Work work) {
    if (!queue || !work)
        return;
    enter();
    // The item keeps the group's state, not the group: the group may go away meanwhile.
    queue->async([state = d, work = std::move(work)] {
        try {
            work();
        } catch (...) {
        }
        Group::leaveState(state);
    });
}

void Group::notify(const QueuePtr& queue, Work work) {
    if (!queue || !work)
        return;
    {
        std::lock_guard lock(d->mutex);
        if (d->count > 0) {
            d->notifications.emplace_back(queue, std::move(work));
            return;
        }
    }
    queue->async(std::move(work));
}

bool Group::wait(Clock::duration timeout) {
    const auto deadline = deadlineAfter(timeout);
    ThreadPool::BlockingScope blocking;
    std::unique_lock lock(d->mutex);
    const auto done = [this] { return d->count == 0; };
    if (isForever(deadline)) {
        d->empty.wait(lock, done);
        return true;
    }
    return d->empty.wait_until(lock, deadline, done);
}

} // namespace ov::dispatch
