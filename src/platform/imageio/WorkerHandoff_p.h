#pragma once

// libvips runs our region callbacks on its own worker threads and hands work to them, and back,
// through glib's futex-based locks. The race detector cannot see those locks, so it would take
// every access to data that crosses the hand-off (the marks a callback draws, the pixels it
// reads, the state freed after the write) for a race. These calls name the hand-off for it:
// the side that hands data over publishes a token, the side that takes it receives the same
// token. Outside a race-detector build they compile to nothing.

#if defined(__SANITIZE_THREAD__)
#define OV_RACE_DETECTOR 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define OV_RACE_DETECTOR 1
#endif
#endif

#ifdef OV_RACE_DETECTOR
#include <sanitizer/tsan_interface.h>
#endif

namespace ov::imageio {

/// Everything this thread wrote so far happens before what a later `receiveHandoff(token)` on
/// another thread does.
inline void publishHandoff([[maybe_unused]] const void* token) {
#ifdef OV_RACE_DETECTOR
    __tsan_release(const_cast<void*>(token));
#endif
}

/// What every earlier `publishHandoff(token)` thread wrote happens before what this thread does.
inline void receiveHandoff([[maybe_unused]] const void* token) {
#ifdef OV_RACE_DETECTOR
    __tsan_acquire(const_cast<void*>(token));
#endif
}

/// Receives on entry and publishes on exit: the body of a callback run on a libvips worker.
class HandoffScope {
public:
    explicit HandoffScope(const void* token) : token_(token) { receiveHandoff(token_); }
    ~HandoffScope() { publishHandoff(token_); }
    HandoffScope(const HandoffScope&) = delete;
    HandoffScope& operator=(const HandoffScope&) = delete;

private:
    const void* token_;
};

} // namespace ov::imageio
