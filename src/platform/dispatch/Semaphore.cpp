#include "inkstead/platform/dispatch/ThreadPool_p.h"

#include <condition_variable>
#include <mutex>

namespace ov::dispatch {

struct Semaphore::State {
    std::mutex mutex;
    std::condition_variable available;
    long value = 0;
};

Semaphore::Semaphore(long value) : d(std::make_unique<State>()) {
    d->value = value;
}

Semaphore::~Semaphore() = default;

void Semaphore::signal() {
    std::lock_guard lock(d->mutex);
    ++d->value;
    d->available.notify_one();
}

bool Semaphore::wait(Clock::duration timeout) {
    const auto deadline = deadlineAfter(timeout);
    std::unique_lock lock(d->mutex);
    const auto hasUnit = [this] { return d->value > 0; };
    if (!hasUnit()) {
        ThreadPool::BlockingScope blocking;
        if (isForever(deadline))
            d->available.wait(lock, hasUnit);
        else if (!d->available.wait_until(lock, deadline, hasUnit))
            return false;
    }
    --d->value;
    return true;
}

} // namespace ov::dispatch
