#pragma once

#include "inkstead/platform/dispatch/Dispatch.h"
#include "inkstead/platform/notify/NotificationCenter.h"
#include "inkstead/watermarks/OVWatermark.h"

#include <atomic>
#include <string_view>

namespace presettest {

// Counts the notifications of one name while it lives.
class NotificationCounter {
public:
    explicit NotificationCounter(std::string_view name)
        : observer_(ov::NotificationCenter::defaultCenter(),
                    ov::NotificationCenter::defaultCenter().addObserver(
                        name, [this](const ov::Notification&) { ++count_; })) {}
    [[nodiscard]] int count() const { return count_.load(); }

private:
    std::atomic<int> count_{0};
    ov::ScopedObserver observer_;
};

inline OVWatermarkPtr makeWatermark(OVWatermarkType type, ov::Rect frame) {
    auto w = OVWatermark::watermarkWithType(type);
    w->setOrigin(frame.origin);
    w->setSize(frame.size);
    return w;
}

// A watermark that records the kind hooks the preset calls on it.
class HookRecorder : public OVWatermark {
public:
    explicit HookRecorder(OVWatermarkType type) { initWithWatermarkType(type); }
    void setShouldUseDynamicFontSize(bool dynamic) override { dynamicFontSize = dynamic; }
    [[nodiscard]] bool shouldUseDynamicFontSize() const override { return dynamicFontSize; }
    void removeImage() override { ++removeImageCalls; }

    bool dynamicFontSize = false;
    int removeImageCalls = 0;
};

inline void drainMainQueue() {
    ov::dispatch::drainMainQueue();
}

} // namespace presettest
