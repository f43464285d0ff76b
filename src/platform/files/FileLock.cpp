#include "inkstead/platform/files/FileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace ov {

FileLock::FileLock(const std::filesystem::path& lockFile) {
    // Not following a link and not blocking on a FIFO: whatever sits at the name, opening it
    // returns at once, and only a regular file is used.
    const int fd =
        ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        error_ = {errno, std::generic_category()};
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error_ = std::make_error_code(std::errc::invalid_argument);
        ::close(fd);
        return;
    }
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            error_ = {errno, std::generic_category()};
            ::close(fd);
            return;
        }
    }
    fd_ = fd;
}

FileLock::~FileLock() {
    release();
}

FileLock::FileLock(FileLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(other.error_) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
    }
    return *this;
}

void FileLock::release() {
    if (fd_ >= 0) {
        ::close(fd_); // closing the last descriptor of the open file drops the lock
        fd_ = -1;
    }
}

} // namespace ov
