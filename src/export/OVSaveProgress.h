#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

/// Progress of one batch: a total, a completed count that many workers advance at once, and a
/// cancel flag with a handler that runs once, on the thread that cancels. Thread-safe.
class OVSaveProgress {
public:
    explicit OVSaveProgress(std::int64_t totalUnitCount) : total_(totalUnitCount) {}

    [[nodiscard]] std::int64_t totalUnitCount() const { return total_; }
    [[nodiscard]] std::int64_t completedUnitCount() const { return completed_.load(); }
    /// Adds one finished unit; returns the new completed count.
    std::int64_t completeUnit() { return completed_.fetch_add(1) + 1; }
    /// Completed over total, 0 for an empty batch.
    [[nodiscard]] double fractionCompleted() const;

    [[nodiscard]] bool isCancelled() const { return cancelled_.load(); }
    /// Sets the flag and runs the cancellation handler, both once; later calls do nothing.
    void cancel();
    /// Installs the handler; when the progress is already cancelled the handler runs at once.
    void setCancellationHandler(std::function<void()> handler);

private:
    const std::int64_t total_;
    std::atomic<std::int64_t> completed_{0};
    std::atomic<bool> cancelled_{false};
    std::mutex mutex_;
    std::function<void()> handler_;
};
