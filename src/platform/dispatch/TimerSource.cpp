#include "inkstead/platform/dispatch/Scheduler_p.h"

#include <optional>
#include <thread>

namespace ov::dispatch {

struct TimerSource::State : std::enable_shared_from_this<TimerSource::State> {
    QueuePtr queue;
    Clock::duration period;
    Clock::duration leeway;

    std::mutex mutex;
    std::condition_variable idle;
    Work handler;
    bool armed = false;
    bool cancelled = false;
    bool pending = false; // a firing is queued or its handler runs
    std::optional<std::thread::id> runningThread;
    std::uint64_t scheduledID = 0;
    Clock::time_point next;

    void scheduleLocked() {
        std::weak_ptr<State> weak = weak_from_this();
        scheduledID = Scheduler::shared().schedule(next, [weak] {
            if (auto self = weak.lock())
                self->fire();
        });
    }

    // On the scheduler thread: plan the next firing, then post the handler unless one is still
    // waiting or running (firings merge).
    void fire() {
        std::lock_guard lock(mutex);
        if (cancelled || !armed)
            return;
        // Keep the cadence; firings whose lateness went past the leeway (a stalled machine) are
        // dropped rather than run back to back.
        const auto now = Clock::now();
        do
            next += period;
        while (next + leeway < now);
        scheduleLocked();
        if (pending)
            return;
        pending = true;
        std::weak_ptr<State> weak = weak_from_this();
        queue->async([weak] {
            if (auto self = weak.lock())
                self->runHandler();
        });
    }

    void runHandler() {
        Work work;
        {
            std::lock_guard lock(mutex);
            if (cancelled) {
                pending = false;
                idle.notify_all();
                return;
            }
            runningThread = std::this_thread::get_id();
            work = handler; // a copy: cancel from inside the handler may clear `handler`
        }
        try {
            work();
        } catch (...) {
        }
        work = nullptr;
        std::lock_guard lock(mutex);
        runningThread.reset();
        pending = false;
        idle.notify_all();
    }

    void cancel() {
        Work dropped;
        std::unique_lock lock(mutex);
        if (!cancelled) {
            cancelled = true;
            if (scheduledID != 0)
                Scheduler::shared().cancel(scheduledID);
            dropped = std::move(handler);
            handler = nullptr;
        }
        if (runningThread && *runningThread != std::this_thread::get_id())
            idle.wait(lock, [this] { return !runningThread; });
        lock.unlock();
    }
};

std::shared_ptr<TimerSource> TimerSource::create(QueuePtr queue, Clock::duration period,
                                                 Clock::duration leeway, Work handler) {
    auto state = std::make_shared<State>();
    state->queue = queue ? std::move(queue) : globalQueue();
    state->period = std::max(period, Clock::duration(std::chrono::microseconds(100)));
    state->leeway = std::max(leeway, Clock::duration::zero());
    state->handler = std::move(handler);
    return std::shared_ptr<TimerSource>(new TimerSource(std::move(state)));
}

TimerSource::TimerSource(std::shared_ptr<State> state) : d(std::move(state)) {}

TimerSource::~TimerSource() {
    d->cancel();
}

void TimerSource::resume() {
    std::lock_guard lock(d->mutex);
    if (d->armed || d->cancelled || !d->handler)
        return;
    d->armed = true;
    d->next = Clock::now() + d->period;
    d->scheduleLocked();
}

void TimerSource::cancel() {
    d->cancel();
}

bool TimerSource::isCancelled() const {
    std::lock_guard lock(d->mutex);
    return d->cancelled;
}

Clock::duration TimerSource::period() const {
    return d->period;
}

} // namespace ov::dispatch
