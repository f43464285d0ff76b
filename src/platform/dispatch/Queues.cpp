#include "inkstead/platform/dispatch/ThreadPool_p.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace ov::dispatch {

namespace {

/// A queue that hands its items to the pool with at most `width` of them running. Each running
/// slot is one pool task that keeps taking the next item until none is left, so items start in
/// submission order and a serial queue (width 1) runs them one after the other.
class LimitedQueue final : public Queue, public std::enable_shared_from_this<LimitedQueue> {
public:
    LimitedQueue(std::string label, std::size_t width, QualityOfService qos)
        : Queue(std::move(label)), width_(width), qos_(qos) {}

    void async(Work work) override {
        if (!work)
            return;
        {
            std::lock_guard lock(mutex_);
            pending_.push_back(std::move(work));
            if (running_ >= width_)
                return;
            ++running_;
        }
        // The slot holds the queue alive until its items have run.
        ThreadPool::shared().submit([self = shared_from_this()] { self->runSlot(); }, qos_);
    }

    [[nodiscard]] std::size_t width() const override { return width_; }

private:
    void runSlot() {
        for (;;) {
            Work work;
            {
                std::lock_guard lock(mutex_);
                if (pending_.empty()) {
                    --running_;
                    return;
                }
                work = std::move(pending_.front());
                pending_.pop_front();
            }
            try {
                work();
            } catch (...) {
            }
        }
    }

    const std::size_t width_;
    const QualityOfService qos_;
    std::mutex mutex_;
    std::deque<Work> pending_;
    std::size_t running_ = 0;
};

/// A global queue: items go straight to the pool at the queue's priority.
class GlobalQueue final : public Queue {
public:
    GlobalQueue(std::string label, QualityOfService qos) : Queue(std::move(label)), qos_(qos) {}
    void async(Work work) override {
        if (work)
            ThreadPool::shared().submit(std::move(work), qos_);
    }
    [[nodiscard]] std::size_t width() const override { return processorCount(); }

private:
    const QualityOfService qos_;
};

} // namespace

void Queue::sync(const Work& work) {
    if (!work)
        return;
    if (this == mainQueue().get() && isMainThread()) {
        work();
        return;
    }
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
    async([&] {
        work();
        std::lock_guard lock(mutex);
        done = true;
        cv.notify_all();
    });
    ThreadPool::BlockingScope blocking;
    std::unique_lock lock(mutex);
    cv.wait(lock, [&] { return done; });
}

QueuePtr globalQueue(QualityOfService qos) {
    static const std::array<QueuePtr, 4> queues = {
        std::make_shared<GlobalQueue>("global.background", QualityOfService::Background),
        std::make_shared<GlobalQueue>("global.utility", QualityOfService::Utility),
        std::make_shared<GlobalQueue>("global.default", QualityOfService::Default),
        std::make_shared<GlobalQueue>("global.user-initiated", QualityOfService::UserInitiated),
    };
    return queues[static_cast<std::size_t>(qos)];
}

QueuePtr createSerialQueue(std::string label) {
    return std::make_shared<LimitedQueue>(std::move(label), 1, QualityOfService::Default);
}

QueuePtr createConcurrentQueue(std::string label, std::size_t width) {
    return std::make_shared<LimitedQueue>(std::move(label), width == 0 ? processorCount() : width,
                                          QualityOfService::Default);
}

void async(const QueuePtr& queue, Work work) {
    if (queue)
        queue->async(std::move(work));
}

} // namespace ov::dispatch
