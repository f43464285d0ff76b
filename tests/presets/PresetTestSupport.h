#pragma once

#include "platform/dispatch/Dispatch.h"
#include "platform/notify/NotificationCenter.h"
#include "watermarks/OVWatermark.h"

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

inline void drainMainQueue() {
    ov::dispatch::drainMainQueue();
}

} // namespace presettest
