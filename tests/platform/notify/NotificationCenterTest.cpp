#include "inkstead/platform/notify/NotificationCenter.h"

#include "inkstead/platform/dispatch/Dispatch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using ov::Notification;
using ov::NotificationCenter;

TEST(NotificationCenter, deliversByNameAndObjectInRegistrationOrderWithUserInfo) {
    NotificationCenter center;
    std::vector<std::string> log;
    int sender = 0;
    int other = 0;
    auto a = center.addObserver("a", [&](const Notification& n) {
        log.push_back("a:" + n.name + std::to_string(std::any_cast<int>(n.userInfo.at("n"))));
    });
    auto all = center.addObserver("", [&](const Notification& n) { log.push_back("*:" + n.name); });
    auto fromSender = center.addObserver(
        "a", [&](const Notification&) { log.push_back("sender"); }, &sender);
    center.post("a", &other, {{"n", std::any(1)}});
    center.post("b");
    center.post("a", &sender, {{"n", std::any(2)}});
    EXPECT_EQ(log, (std::vector<std::string>{"a:a1", "*:a", "*:b", "a:a2", "*:a", "sender"}));
    center.removeObserver(a);
    center.removeObserver(all);
    center.removeObserver(fromSender);
    center.post("a", &sender);
    EXPECT_EQ(log.size(), 6u);
}

TEST(NotificationCenter, observerMayRemoveItselfAndAddOthers) {
    NotificationCenter center;
    int first = 0;
    int added = 0;
    ov::ObserverToken self;
    ov::ObserverToken late;
    self = center.addObserver("n", [&](const Notification&) {
        ++first;
        center.removeObserver(self);
        late = center.addObserver("n", [&](const Notification&) { ++added; });
    });
    center.post("n"); // the observer added during this post waits for the next one
    center.post("n");
    EXPECT_EQ(first, 1);
    EXPECT_EQ(added, 1);
    center.removeObserver(late);
    center.removeObserver(ov::ObserverToken()); // unknown tokens are ignored
}

TEST(NotificationCenter, postOnMainQueueDeliversOnTheMainThreadWhenDrained) {
    auto& center = NotificationCenter::defaultCenter();
    std::atomic<int> delivered{0};
    bool onMain = false;
    auto token = center.addObserver("main-only", [&](const Notification&) {
        onMain = ov::dispatch::isMainThread();
        ++delivered;
    });
    std::thread([&] { center.postOnMainQueue("main-only"); }).join();
    EXPECT_EQ(delivered.load(), 0);
    EXPECT_TRUE(ov::dispatch::runMainLoopUntil([&] { return delivered.load() == 1; }, 5s));
    EXPECT_TRUE(onMain);
    center.removeObserver(token);
}

TEST(NotificationCenter, removalWaitsForACallUnderWayOnAnotherThread) {
    NotificationCenter center;
    std::atomic<bool> inside{false};
    std::atomic<bool> finished{false};
    auto token = center.addObserver("slow", [&](const Notification&) {
        inside = true;
        std::this_thread::sleep_for(30ms);
        finished = true;
    });
    std::thread poster([&] { center.post("slow"); });
    while (!inside.load())
        std::this_thread::yield();
    center.removeObserver(token);
    EXPECT_TRUE(finished.load());
    poster.join();
}

TEST(NotificationCenter, concurrentPostsAddsAndRemoves) {
    NotificationCenter center;
    std::atomic<int> calls{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                auto token = center.addObserver("busy", [&](const Notification&) { ++calls; });
                center.post("busy");
                center.removeObserver(token);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    // Each post reaches at least its own thread's observer.
    EXPECT_GE(calls.load(), 800);
}
