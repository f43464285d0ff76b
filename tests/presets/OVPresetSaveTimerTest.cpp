#include "inkstead/presets/OVPreset.h"

#include "PresetTestSupport.h"
#include "inkstead/presets/OVNotifications.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <vector>

using namespace std::chrono_literals;
using presettest::drainMainQueue;
using presettest::makeWatermark;

namespace {

constexpr auto kPeriod = 40ms;

// Records when each "preset-should-save" arrives (on the main thread).
class SaveRequests {
public:
    SaveRequests()
        : observer_(ov::NotificationCenter::defaultCenter(),
                    ov::NotificationCenter::defaultCenter().addObserver(
                        kOVPresetShouldSave, [this](const ov::Notification&) {
                            EXPECT_TRUE(ov::dispatch::isMainThread());
                            std::lock_guard lock(mutex_);
                            times_.push_back(ov::dispatch::Clock::now());
                        })) {}
    std::vector<ov::dispatch::Clock::time_point> times() const {
        std::lock_guard lock(mutex_);
        return times_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<ov::dispatch::Clock::time_point> times_;
    ov::ScopedObserver observer_;
};

class PresetSaveTimer : public ::testing::Test {
protected:
    void SetUp() override {
        OVPreset::setSaveTimerInterval(kPeriod);
        drainMainQueue();
    }
    void TearDown() override {
        OVPreset::setSaveTimerInterval(5s);
        drainMainQueue();
    }
};

} // namespace

TEST_F(PresetSaveTimer, RenameGivesExactlyOneSaveRequest) {
    SaveRequests requests;
    auto preset = std::make_shared<OVPreset>("Before");
    preset->setName("After");
    ov::dispatch::runMainLoopFor(kPeriod * 8);
    EXPECT_EQ(requests.times().size(), 1u);
    EXPECT_FALSE(preset->shouldSave());
}

TEST_F(PresetSaveTimer, TwoMovedWatermarksGiveTwoRequestsOnSuccessiveTicks) {
    SaveRequests requests;
    auto preset = std::make_shared<OVPreset>("Moves");
    auto a = makeWatermark(OVWatermarkTypeShape, {0, 0, 10, 10});
    auto b = makeWatermark(OVWatermarkTypeShape, {20, 0, 10, 10});
    preset->setWatermarks({a, b});
    ov::dispatch::runMainLoopFor(kPeriod * 2); // let the first, immediate tick pass
    preset->offsetWatermark(a, 1, 1);
    preset->offsetWatermark(b, 1, 1);
    ov::dispatch::runMainLoopFor(kPeriod * 8);
    const auto times = requests.times();
    ASSERT_EQ(times.size(), 2u);
    EXPECT_GE(times[1] - times[0], kPeriod / 2); // one per tick, not both at once
    EXPECT_FALSE(a->shouldSave());
    EXPECT_FALSE(b->shouldSave());
}

TEST_F(PresetSaveTimer, DestroyedPresetStopsItsTimer) {
    SaveRequests requests;
    auto watermark = makeWatermark(OVWatermarkTypeShape, {0, 0, 10, 10});
    {
        auto preset = std::make_shared<OVPreset>("Gone");
        preset->setWatermarks({watermark});
        ASSERT_TRUE(preset->hasSaveTimer());
    }
    watermark->setShouldSave(true);
    ov::dispatch::runMainLoopFor(kPeriod * 5);
    EXPECT_TRUE(requests.times().empty());
    EXPECT_TRUE(watermark->shouldSave());
}

// List changes on the main thread while the timer walks the list (checked under ThreadSanitizer).
TEST_F(PresetSaveTimer, ListChangesRaceFreeWithTheTimer) {
    OVPreset::setSaveTimerInterval(1ms);
    auto preset = std::make_shared<OVPreset>("Busy");
    const auto end = ov::dispatch::Clock::now() + 200ms;
    while (ov::dispatch::Clock::now() < end) {
        auto w = makeWatermark(OVWatermarkTypeShape, {0, 0, 10, 10});
        preset->insertWatermark(w, 0);
        preset->offsetWatermark(w, 1, 0);
        if (preset->numberOfWatermarks() > 20)
            preset->removeWatermarkAtIndex(20);
        drainMainQueue();
    }
    SUCCEED();
}
