#pragma once

#include <filesystem>
#include <system_error>

namespace ov {

/// An exclusive advisory lock on a lock file, held from construction until destruction (or
/// release()). Processes that lock the same file take turns: the constructor waits while another
/// holds it. The lock file is created when missing and left in place; it holds no data. The
/// lock belongs to this object's open file, so two FileLock objects on one file exclude each
/// other even inside one process (a thread must not lock a file twice). A process that dies
/// drops its locks.
class FileLock {
public:
    /// Waits for the lock; check `error()` (then nothing is held).
    explicit FileLock(const std::filesystem::path& lockFile);
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    [[nodiscard]] bool isLocked() const { return fd_ >= 0; }
    /// Why the lock could not be taken; empty when it is held.
    [[nodiscard]] std::error_code error() const { return error_; }
    /// Gives the lock up before destruction.
    void release();

private:
    int fd_ = -1;
    std::error_code error_;
};

} // namespace ov
