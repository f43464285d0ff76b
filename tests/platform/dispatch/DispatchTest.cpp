#include "inkstead/platform/dispatch/Dispatch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
namespace dispatch = ov::dispatch;

namespace {

/// Records how many items run at once.
struct Overlap {
    std::atomic<int> current{0};
    std::atomic<int> maximum{0};
    void enter() {
        const int now = ++current;
        int seen = maximum.load();
        while (now > seen && !maximum.compare_exchange_weak(seen, now)) {
        }
    }
    void leave() { --current; }
};

} // namespace

TEST(DispatchQueue, serialQueueRunsItemsInOrderOneAtATime) {
    auto queue = dispatch::createSerialQueue("test.serial");
    Overlap overlap;
    std::vector<int> order; // touched only by the queue's items
    dispatch::Group group;
    for (int i = 0; i < 200; ++i) {
        group.async(queue, [&, i] {
            overlap.enter();
            order.push_back(i);
            overlap.leave();
        });
    }
    ASSERT_TRUE(group.wait(10s));
    EXPECT_EQ(overlap.maximum.load(), 1);
    ASSERT_EQ(order.size(), 200u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(order[i], i);
}

class ConcurrentWidth : public testing::TestWithParam<std::size_t> {};

TEST_P(ConcurrentWidth, neverRunsMoreThanItsWidthAndRunsEverything) {
    const std::size_t width = GetParam();
    auto queue = dispatch::createConcurrentQueue("test.concurrent", width);
    EXPECT_EQ(queue->width(), width);
    Overlap overlap;
    std::atomic<int> done{0};
    dispatch::Group group;
    for (int i = 0; i < 24; ++i) {
        group.async(queue, [&] {
            overlap.enter();
            std::this_thread::sleep_for(2ms);
            overlap.leave();
            ++done;
        });
    }
    ASSERT_TRUE(group.wait(20s));
    EXPECT_EQ(done.load(), 24);
    EXPECT_LE(overlap.maximum.load(), static_cast<int>(width));
    if (width > 1 && dispatch::processorCount() > 1) {
        EXPECT_GT(overlap.maximum.load(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, ConcurrentWidth, testing::Values(1, 2, 3));

TEST(DispatchQueue, zeroWidthMeansOneSlotPerProcessor) {
    EXPECT_EQ(dispatch::createConcurrentQueue("test.default")->width(), dispatch::processorCount());
}

TEST(DispatchQueue, syncReturnsAfterTheWorkRanEvenOnTheMainQueueFromTheMainThread) {
    int value = 0;
    dispatch::createSerialQueue("test.sync")->sync([&] { value = 42; });
    EXPECT_EQ(value, 42);
    dispatch::mainQueue()->sync([&] { value = 7; }); // must not wait for a drain
    EXPECT_EQ(value, 7);
}

TEST(DispatchQueue, itemsQueuedAfterTheLastReferenceStillRun) {
    std::atomic<int> ran{0};
    dispatch::Semaphore finished;
    {
        auto queue = dispatch::createSerialQueue("test.orphan");
        for (int i = 0; i < 5; ++i)
            queue->async([&] {
                if (++ran == 5)
                    finished.signal();
            });
    }
    EXPECT_TRUE(finished.wait(10s));
}

TEST(DispatchPool, blockedWorkersDoNotStarveQueuedWork) {
    // More waiters than processors, each blocked until an item queued behind all of them runs:
    // only a pool that stands in for blocked workers gets to that item.
    const int waiters = static_cast<int>(dispatch::processorCount()) + 2;
    dispatch::Semaphore gate;
    dispatch::Group group;
    for (int i = 0; i < waiters; ++i)
        group.async(dispatch::globalQueue(), [&] { gate.wait(); });
    group.async(dispatch::globalQueue(), [&] {
        for (int i = 0; i < waiters; ++i)
            gate.signal();
    });
    EXPECT_TRUE(group.wait(20s));
}

TEST(DispatchMainQueue, runsOnlyWhenDrainedOnTheDrainingThread) {
    std::atomic<bool> ran{false};
    std::thread::id ranOn;
    std::thread poster([&] {
        dispatch::mainQueue()->async([&] {
            ranOn = std::this_thread::get_id();
            ran = true;
        });
    });
    poster.join();
    std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(ran.load());
    EXPECT_TRUE(dispatch::isMainThread());
    EXPECT_EQ(dispatch::drainMainQueue(), 1u);
    EXPECT_TRUE(ran.load());
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(DispatchMainQueue, runLoopStopsAtItsPredicateOrTimeout) {
    std::atomic<bool> flag{false};
    dispatch::globalQueue()->async([&] {
        std::this_thread::sleep_for(5ms);
        dispatch::mainQueue()->async([&] { flag = true; });
    });
    EXPECT_TRUE(dispatch::runMainLoopUntil([&] { return flag.load(); }, 10s));

    const auto start = dispatch::Clock::now();
    EXPECT_FALSE(dispatch::runMainLoopUntil([] { return false; }, 30ms));
    EXPECT_GE(dispatch::Clock::now() - start, 30ms);
}

TEST(DispatchMainQueue, executorReceivesWaitingAndNewItems) {
    std::vector<int> order;
    dispatch::mainQueue()->async([&] { order.push_back(1); });
    std::vector<dispatch::Work> handed;
    dispatch::setMainQueueExecutor([&](dispatch::Work work) { handed.push_back(std::move(work)); });
    dispatch::mainQueue()->async([&] { order.push_back(2); });
    dispatch::setMainQueueExecutor({});
    EXPECT_EQ(dispatch::drainMainQueue(), 0u);
    ASSERT_EQ(handed.size(), 2u);
    for (auto& work : handed)
        work();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(DispatchGroup, notifyRunsOnceAfterTheLastLeave) {
    dispatch::Group group;
    std::atomic<int> notified{0};
    group.enter();
    group.enter();
    group.notify(dispatch::globalQueue(), [&] { ++notified; });
    group.leave();
    EXPECT_FALSE(group.wait(20ms));
    group.leave();
    group.leave(); // unbalanced: ignored
    EXPECT_TRUE(group.wait(1s));
    dispatch::Semaphore done;
    group.notify(dispatch::globalQueue(), [&] { done.signal(); }); // empty group: at once
    EXPECT_TRUE(done.wait(5s));
    EXPECT_EQ(notified.load(), 1);
}

TEST(DispatchGroup, notifyOutlivesTheGroup) {
    dispatch::Semaphore done;
    {
        dispatch::Group group;
        group.async(dispatch::globalQueue(), [] { std::this_thread::sleep_for(10ms); });
        group.notify(dispatch::globalQueue(), [&] { done.signal(); });
    }
    EXPECT_TRUE(done.wait(5s));
}

TEST(DispatchSemaphore, countsSignalsAndTimesOut) {
    dispatch::Semaphore semaphore(1);
    EXPECT_TRUE(semaphore.wait(0ms));
    EXPECT_FALSE(semaphore.wait(10ms));
    semaphore.signal();
    semaphore.signal();
    EXPECT_TRUE(semaphore.wait(0ms));
    EXPECT_TRUE(semaphore.wait(0ms));
    EXPECT_FALSE(semaphore.wait(0ms));
}

TEST(DispatchAfter, waitsForItsDelay) {
    dispatch::Semaphore done;
    const auto start = dispatch::Clock::now();
    dispatch::asyncAfter(dispatch::globalQueue(), 40ms, [&] { done.signal(); });
    ASSERT_TRUE(done.wait(5s));
    EXPECT_GE(dispatch::Clock::now() - start, 40ms);
}

TEST(DispatchTimer, firesRepeatedlyOnlyAfterResume) {
    std::atomic<int> fired{0};
    auto timer = dispatch::TimerSource::create(dispatch::globalQueue(), 5ms, 0ms, [&] { ++fired; });
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(fired.load(), 0);
    timer->resume();
    const auto deadline = dispatch::Clock::now() + 5s;
    while (fired.load() < 3 && dispatch::Clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    EXPECT_GE(fired.load(), 3);
}

TEST(DispatchTimer, nothingRunsAfterCancelReturns) {
    std::atomic<int> fired{0};
    std::atomic<bool> inHandler{false};
    auto timer = dispatch::TimerSource::create(dispatch::globalQueue(), 1ms, 0ms, [&] {
        inHandler = true;
        std::this_thread::sleep_for(20ms); // cancel lands while the handler runs
        ++fired;
        inHandler = false;
    });
    timer->resume();
    while (!inHandler.load())
        std::this_thread::yield();
    timer->cancel();
    EXPECT_FALSE(inHandler.load()); // the running handler finished before cancel returned
    const int atCancel = fired.load();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(fired.load(), atCancel);
    EXPECT_TRUE(timer->isCancelled());
    timer->resume(); // a cancelled timer stays cancelled
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(fired.load(), atCancel);
}

TEST(DispatchTimer, cancelFromItsOwnHandlerDoesNotDeadlock) {
    std::atomic<int> fired{0};
    std::shared_ptr<dispatch::TimerSource> timer;
    dispatch::Semaphore done;
    timer = dispatch::TimerSource::create(dispatch::globalQueue(), 2ms, 0ms, [&] {
        ++fired;
        timer->cancel();
        done.signal();
    });
    timer->resume();
    ASSERT_TRUE(done.wait(5s));
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(fired.load(), 1);
}

TEST(DispatchTimer, destroyingTheTimerStopsIt) {
    auto fired = std::make_shared<std::atomic<int>>(0);
    auto timer =
        dispatch::TimerSource::create(dispatch::globalQueue(), 1ms, 0ms, [fired] { ++*fired; });
    std::weak_ptr<std::atomic<int>> watch = fired;
    timer->resume();
    std::this_thread::sleep_for(10ms);
    timer.reset();
    fired.reset();
    EXPECT_TRUE(watch.expired()); // the handler and its captures are gone at once
}

TEST(DispatchTimer, firingsDuringASlowHandlerMergeInsteadOfOverlapping) {
    // The period is far shorter than the handler, on a concurrent queue: only merging keeps
    // the handler from running several times at once.
    Overlap overlap;
    std::atomic<int> fired{0};
    auto timer = dispatch::TimerSource::create(dispatch::globalQueue(), 1ms, 0ms, [&] {
        overlap.enter();
        std::this_thread::sleep_for(10ms);
        overlap.leave();
        ++fired;
    });
    timer->resume();
    const auto deadline = dispatch::Clock::now() + 10s;
    while (fired.load() < 4 && dispatch::Clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    timer->cancel();
    EXPECT_GE(fired.load(), 4);
    EXPECT_EQ(overlap.maximum.load(), 1);
}

TEST(DispatchTimer, handlerOnTheMainQueueRunsInTheRunLoop) {
    int fired = 0; // main thread only
    auto timer = dispatch::TimerSource::create(dispatch::mainQueue(), 2ms, 1ms, [&] {
        EXPECT_TRUE(dispatch::isMainThread());
        ++fired;
    });
    timer->resume();
    EXPECT_TRUE(dispatch::runMainLoopUntil([&] { return fired >= 2; }, 5s));
    timer->cancel();
    dispatch::drainMainQueue();
    const int atCancel = fired;
    dispatch::runMainLoopFor(20ms);
    EXPECT_EQ(fired, atCancel);
}
