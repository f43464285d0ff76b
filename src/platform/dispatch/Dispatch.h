#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

//! Queues, groups, semaphores and timers over one process-wide thread pool.
//!
//! Work items are plain functions. Every queue runs its items on the shared pool (sized by the
//! number of processors), except the main queue, whose items run wherever the host says: by
//! default on the thread that drains it (`drainMainQueue`, `runMainLoopUntil`), or through an
//! executor installed with `setMainQueueExecutor` (a GUI event loop). Everything here is
//! thread-safe.

namespace ov::dispatch {

using Work = std::function<void()>;
using Clock = std::chrono::steady_clock;

/// A queue of work items. Serial queues run one item at a time in submission order; concurrent
/// queues start items in submission order with up to `width()` of them running at once.
class Queue {
public:
    virtual ~Queue() = default;

    /// Submits `work` and returns at once.
    virtual void async(Work work) = 0;
    /// Submits `work` and waits until it has run. Must not be called from an item of the same
    /// serial queue (that would wait for itself). On the main queue from the main thread the
    /// work runs at once.
    void sync(const Work& work);

    /// How many items may run at once (1 for serial queues).
    [[nodiscard]] virtual std::size_t width() const = 0;
    [[nodiscard]] const std::string& label() const { return label_; }

protected:
    explicit Queue(std::string label) : label_(std::move(label)) {}

private:
    std::string label_;
};

using QueuePtr = std::shared_ptr<Queue>;

/// Priority classes of the global concurrent queues. All of them share the pool; higher classes
/// are started first when items of several classes wait.
enum class QualityOfService { Background, Utility, Default, UserInitiated };

//! \name Queues

/// The serial main queue.
[[nodiscard]] QueuePtr mainQueue();
/// One of the global concurrent queues (width: the number of processors).
[[nodiscard]] QueuePtr globalQueue(QualityOfService qos = QualityOfService::Default);
/// A new serial queue.
[[nodiscard]] QueuePtr createSerialQueue(std::string label);
/// A new concurrent queue that runs at most `width` items at once; 0 means the number of
/// processors. Items still queued when the last reference goes away still run.
[[nodiscard]] QueuePtr createConcurrentQueue(std::string label, std::size_t width = 0);

/// Submits `work` to `queue`.
void async(const QueuePtr& queue, Work work);
/// Submits `work` to `queue` once `delay` has passed.
void asyncAfter(const QueuePtr& queue, Clock::duration delay, Work work);

/// The number of threads the pool keeps busy: std::thread::hardware_concurrency, at least 1.
[[nodiscard]] std::size_t processorCount();

//! \name The main thread and its run loop

/// True on the main thread: the thread that started the process (or that the host marked with
/// `markCurrentThreadAsMain`).
[[nodiscard]] bool isMainThread();
/// Makes the calling thread the main thread (for hosts whose event loop runs elsewhere).
void markCurrentThreadAsMain();

/// Routes main-queue items to `executor`, which must run each function it is given exactly once,
/// one at a time, in order, on the main thread. Items already waiting are handed over at once.
/// An empty function restores the default run loop.
void setMainQueueExecutor(std::function<void(Work)> executor);

/// Runs the main-queue items waiting now, and those they submit, on the calling thread (which
/// should be the main thread). Returns how many ran.
std::size_t drainMainQueue();
/// Runs main-queue items on the calling thread until `predicate` is true (checked before each
/// wait and after each item) or `timeout` has passed. Returns the last value of `predicate`.
bool runMainLoopUntil(const std::function<bool()>& predicate, Clock::duration timeout);
/// Runs main-queue items on the calling thread for `duration`.
void runMainLoopFor(Clock::duration duration);

//! \name Groups and semaphores

/// Tracks a set of work items; tells when all of them are done.
class Group {
public:
    Group();
    ~Group();
    Group(const Group&) = delete;
    Group& operator=(const Group&) = delete;

    /// Counts one more item in flight.
    void enter();
    /// Marks one item done. More leaves than enters is a programming error (ignored).
    void leave();
    /// Runs `work` on `queue` inside the group (enter before, leave after).
    void async(const QueuePtr& queue, Work work);
    /// Submits `work` to `queue` once no item is in flight (at once when none is). The group may
    /// be destroyed before that happens.
    void notify(const QueuePtr& queue, Work work);
    /// Waits until no item is in flight. Returns false when `timeout` passed first.
    bool wait(Clock::duration timeout = Clock::duration::max());

private:
    struct State;
    static void leaveState(const std::shared_ptr<State>& state);
    std::shared_ptr<State> d;
};

/// A counting semaphore: `wait` takes one unit, blocking while there is none; `signal` adds one.
class Semaphore {
public:
    explicit Semaphore(long value = 0);
    ~Semaphore();
    Semaphore(const Semaphore&) = delete;
    Semaphore& operator=(const Semaphore&) = delete;

    void signal();
    /// Returns false when `timeout` passed before a unit was available.
    bool wait(Clock::duration timeout = Clock::duration::max());

private:
    struct State;
    std::unique_ptr<State> d;
};

//! \name Timers

/// A repeating timer whose handler runs on a queue. Created suspended; `resume` arms it, the
/// first firing comes one period later. Firings that come while the handler still waits or runs
/// are merged into one. After `cancel` returns the handler never starts again, and a handler
/// running on another thread has finished (cancel from inside the handler does not wait).
/// Destroying the timer cancels it. No thread is kept for a timer: one shared scheduler thread
/// runs while any timer is armed.
class TimerSource {
public:
    /// Firings come on time when the machine keeps up; `leeway` is how late one may still come
    /// (after a stall, firings later than that are skipped instead of run back to back).
    static std::shared_ptr<TimerSource> create(QueuePtr queue, Clock::duration period,
                                               Clock::duration leeway, Work handler);
    ~TimerSource();
    TimerSource(const TimerSource&) = delete;
    TimerSource& operator=(const TimerSource&) = delete;

    /// Arms the timer (no effect when already armed or cancelled).
    void resume();
    /// Stops the timer for good.
    void cancel();
    [[nodiscard]] bool isCancelled() const;
    [[nodiscard]] Clock::duration period() const;

    struct State;

private:
    explicit TimerSource(std::shared_ptr<State> state);
    std::shared_ptr<State> d;
};

} // namespace ov::dispatch
