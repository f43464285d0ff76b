#pragma once

// Ctrl-C for long commands: the first SIGINT asks the running work to stop cleanly, a second one
// ends the process at once.

#include <functional>
#include <thread>

namespace cli {

/// While alive, SIGINT no longer kills the process. The signal handler only writes a byte into a
/// pipe (async-signal-safe); a watcher thread reads it and calls `onInterrupt` once, outside the
/// handler, where it may take locks and cancel work. A second SIGINT exits with status 130 from
/// the handler itself, for when the clean stop takes too long. The previous handler is restored
/// on destruction.
///
/// One watcher at a time per process.
class InterruptWatcher {
public:
    explicit InterruptWatcher(std::function<void()> onInterrupt);
    ~InterruptWatcher();
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

    /// True once a SIGINT arrived.
    [[nodiscard]] bool interrupted() const;

private:
    void watch(std::function<void()> onInterrupt);

    int pipe_[2] = {-1, -1};
    std::thread thread_;
};

} // namespace cli
