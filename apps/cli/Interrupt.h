#pragma once

// Ctrl-C for long commands: the first SIGINT (or SIGTERM, as sent by `kill` or a service
// manager) asks the running work to stop cleanly, a second one ends the process at once.

#include <functional>
#include <thread>

namespace cli {

/// While alive, SIGINT and SIGTERM no longer kill the process. The signal handler only writes a
/// byte into a pipe (async-signal-safe); a watcher thread reads it and calls `onInterrupt` once,
/// outside the handler, where it may take locks and cancel work. A second signal exits with
/// status 128 + its number from the handler itself, for when the clean stop takes too long. The
/// previous handlers are restored on destruction.
///
/// One watcher at a time per process.
class InterruptWatcher {
public:
    explicit InterruptWatcher(std::function<void()> onInterrupt);
    ~InterruptWatcher();
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

    /// True once a SIGINT or SIGTERM arrived.
    [[nodiscard]] bool interrupted() const;

private:
    void watch(std::function<void()> onInterrupt);

    int pipe_[2] = {-1, -1};
    std::thread thread_;
};

/// The exit code of a command stopped by the last watcher's signal: kExitTerminated after
/// SIGTERM, else kExitInterrupted.
[[nodiscard]] int interruptedExitCode();

} // namespace cli
