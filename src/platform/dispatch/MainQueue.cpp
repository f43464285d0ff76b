#include "inkstead/platform/dispatch/ThreadPool_p.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace ov::dispatch {

namespace {

// Dynamic initialisation runs on the thread that starts the process, before main().
std::atomic<std::thread::id> gMainThread{std::this_thread::get_id()};

/// The main queue: a serial queue whose items wait until the main thread drains them, or are
/// handed to the host's executor.
class MainQueue final : public Queue {
public:
    MainQueue() : Queue("main") {}

    void async(Work work) override {
        if (!work)
            return;
        std::function<void(Work)> executor;
        {
            std::lock_guard lock(mutex_);
            if (!executor_) {
                items_.push_back(std::move(work));
                ready_.notify_all();
                return;
            }
            executor = executor_;
        }
        executor(std::move(work));
    }

    [[nodiscard]] std::size_t width() const override { return 1; }

    void setExecutor(std::function<void(Work)> executor) {
        std::deque<Work> waiting;
        {
            std::lock_guard lock(mutex_);
            executor_ = executor;
            if (executor_)
                waiting.swap(items_);
        }
        for (auto& work : waiting)
            executor(std::move(work));
    }

    /// Takes the next item, waiting until `deadline` for one.
    Work take(Clock::time_point deadline) {
        std::unique_lock lock(mutex_);
        const auto hasItem = [this] { return !items_.empty(); };
        if (isForever(deadline))
            ready_.wait(lock, hasItem);
        else if (!ready_.wait_until(lock, deadline, hasItem))
            return {};
        Work work = std::move(items_.front());
        items_.pop_front();
        return work;
    }

    Work tryTake() {
        std::lock_guard lock(mutex_);
        if (items_.empty())
            return {};
        Work work = std::move(items_.front());
        items_.pop_front();
        return work;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Work> items_;
    std::function<void(Work)> executor_;
};

MainQueue& theMainQueue() {
    static MainQueue* queue = new MainQueue; // never destroyed: workers may post during exit
    return *queue;
}

void runItem(Work& work) {
    try {
        work();
    } catch (...) {
    }
}

} // namespace

QueuePtr mainQueue() {
    static const QueuePtr queue(&theMainQueue(), [](Queue*) {});
    return queue;
}

bool isMainThread() {
    return std::this_thread::get_id() == gMainThread.load();
}

void markCurrentThreadAsMain() {
    gMainThread.store(std::this_thread::get_id());
}

void setMainQueueExecutor(std::function<void(Work)> executor) {
    theMainQueue().setExecutor(std::move(executor));
}

std::size_t drainMainQueue() {
    std::size_t count = 0;
    while (Work work = theMainQueue().tryTake()) {
        runItem(work);
        ++count;
    }
    return count;
}

bool runMainLoopUntil(const std::function<bool()>& predicate, Clock::duration timeout) {
    const auto deadline = deadlineAfter(timeout);
    // Items do not always come with the predicate's change (a worker may flip an atomic), so
    // the wait is sliced to re-check the predicate regularly.
    constexpr auto kSlice = std::chrono::milliseconds(5);
    for (;;) {
        if (predicate && predicate())
            return true;
        const auto now = Clock::now();
        if (now >= deadline)
            return predicate ? predicate() : false;
        const auto sliceEnd = deadline - now > kSlice ? now + kSlice : deadline;
        if (Work work = theMainQueue().take(sliceEnd))
            runItem(work);
    }
}

void runMainLoopFor(Clock::duration duration) {
    runMainLoopUntil({}, duration);
}

} // namespace ov::dispatch
